// A picture of the analysis page with recorded faults and the shipped texts,
// saved under ${build}/artifacts/analysis for a person to look at, and checked
// for what must hold in any case.
#include <QDir>

#include "AnalysisFixture.h"
#include "analysis/PieChartWnd.h"
#include "analysis/StaInfX.h"
#include "controls/RenderUtil.h"

namespace {

class AnalysisScreenshotTest : public AnalysisPageTest {
protected:
    void SetUp() override
    {
        AnalysisPageTest::SetUp();
        if (HasFatalFailure())
            return;
        // Lifts named as the configuration page names newly found ones.
        for (int n : {1, 2, 3, 4, 6})
            SetUpLift(n, QString::number(n) + Text(192));
        const int codes[] = {1, 5, 12, 5, 7, 22, 5, 31, 12, 48, 5, 3, 7, 12, 60, 5, 9, 22};
        int i = 0;
        for (int day = 1; day <= 18; ++day) {
            const int lift = std::array{1, 2, 1, 3, 4, 1, 6, 2, 1}[std::size_t(day % 9)];
            RecordFault(lift, codes[i++ % std::size(codes)], At(2024, 4, day, 7 + day % 12, (day * 7) % 60),
                        std::array{0, 2, 4, 8}[std::size_t(day % 4)]);
        }
        m_page->OnBnClickedFaultsByLift();
        m_boxes.clear();
    }

    QImage Save(const QString& name) const
    {
        QDir().mkpath(QStringLiteral(LIFT_BINARY_DIR "/artifacts/analysis"));
        const QImage image = RenderWidget(*m_page);
        image.save(QStringLiteral(LIFT_BINARY_DIR "/artifacts/analysis/") + name + QStringLiteral(".png"));
        return image;
    }

    void ExpectFrame(const QImage& image) const
    {
        // Nothing is left unpainted, the page is white and the title underlined.
        EXPECT_EQ(CountPixels(image, Exactly(kSentinel)), 0);
        EXPECT_EQ(Pixel(image, image.width() - 3, image.height() - 3), QColor(Qt::white));
        const int x0 = m_page->m_nX0;
        EXPECT_EQ(Pixel(image, x0 + 20, m_page->m_nTitleTop + 20), QColor(255, 126, 0));
        EXPECT_EQ(Pixel(image, x0 + 20, m_page->m_nTitleTop + 21), QColor(255, 126, 0));
        EXPECT_GT(CountPixels(image, [](const QColor& c) { return c.lightness() < 100; },
                              QRect(x0, m_page->m_nTitleTop, 120, 18)),
                  20);
    }
};

} // namespace

// The page is white with its title underlined in orange (grey captions were
// unreadable on black); each swatch shows its slice's colour.
TEST_F(AnalysisScreenshotTest, StatisticsOfOneLiftAsAPie)
{
    m_page->OnBnClickedStatsByLift();
    m_page->OnBnClickedPieDisplay();
    ASSERT_GT(m_page->m_wndPie->m_mapItems.size(), 2u);
    const QImage image = Save(QStringLiteral("analysis-stats-by-lift-pie"));
    ExpectFrame(image);
    for (std::size_t i = 0; i < m_page->m_wndPie->m_mapItems.size(); ++i) {
        const CStaInfX* swatch = m_page->m_pSwatches[i];
        EXPECT_EQ(Pixel(image, swatch->x() + 10, swatch->y() + 10), FromColorRef(swatch->GetColor()));
    }
    const QRect pie = m_page->m_wndPie->geometry().intersected(image.rect());
    EXPECT_GT(CountPixels(image, [](const QColor& c) { return c.saturation() > 60; }, pie), 2000);
}
