// The pie display of the analysis page: one slice and one colour swatch per
// fault code of a lift or per lift of a fault code; hovering a swatch pulls
// its slice out, a picked colour recolours the slice and stays for later pies.
#include <QDateTimeEdit>
#include <QMouseEvent>
#include <QTest>
#include <optional>

#include "AnalysisFixture.h"
#include "analysis/PieChartWnd.h"
#include "analysis/PieColors.h"
#include "analysis/StaInfX.h"
#include "analysis/SwatchMessages.h"
#include "controls/RenderUtil.h"
#include "platform/ColorPrompt.h"

namespace {

class SwatchTest : public AnalysisPageTest {
protected:
    void SetUp() override
    {
        m_savedColors = g_PieColors;
        m_previousHook = SetColorPromptHook([this](COLORREF initial) {
            m_prompts << initial;
            return m_answer;
        });
        AnalysisPageTest::SetUp();
        if (HasFatalFailure())
            return;
        for (int n : {1, 2, 3})
            SetUpLift(n, QString::number(n) + QStringLiteral("号梯"));
        for (auto [lift, code, day, hour] : {std::array{1, 3, 1, 8}, {1, 7, 1, 9}, {1, 3, 2, 9}, {1, 9, 3, 9}, {2, 3, 3, 10}})
            RecordFault(lift, code, At(2024, 3, day, hour));
        m_boxes.clear();
    }

    void TearDown() override
    {
        AnalysisPageTest::TearDown();
        SetColorPromptHook(std::move(m_previousHook));
        g_PieColors = m_savedColors;
    }

    void ShowPie(bool byLift = true)
    {
        m_page->OnBnClickedFaultsByLift();
        (m_page.get()->*(byLift ? &CAnalysisDlg::OnBnClickedStatsByLift : &CAnalysisDlg::OnBnClickedStatsByFault))();
        m_page->OnBnClickedPieDisplay();
    }

    CStaInfX* Swatch(int n) const { return m_page->m_pSwatches[std::size_t(n - 1)]; }
    auto VisibleSwatches() const
    {
        return std::count_if(m_page->m_pSwatches.begin(), m_page->m_pSwatches.end(), [](CStaInfX* s) { return s->isVisible(); });
    }
    PieChartItem* Slice(int n) const { return m_page->m_wndPie->FindItem(QString::number(n)); }

    static void MoveOver(CStaInfX* swatch)
    {
        const QPointF at(10, 10);
        QMouseEvent move(QEvent::MouseMove, at, swatch->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &move);
    }

    std::array<ARGB, kPieColorCount> m_savedColors{};
    ColorPromptHook m_previousHook;
    std::optional<COLORREF> m_answer;
    QList<COLORREF> m_prompts;
};

} // namespace

TEST_F(SwatchTest, PieOfOneLiftHasASliceAndASwatchPerFaultCode)
{
    ShowPie();
    CAnalysisDlg& page = *m_page;
    EXPECT_FALSE(page.m_lstFault->isVisible());
    ASSERT_EQ(VisibleSwatches(), 3);
    EXPECT_EQ(Swatch(1)->GetText(), QStringLiteral("Err 3: 2 50.00%"));
    EXPECT_EQ(Swatch(2)->GetText(), QStringLiteral("Err 7: 1 25.00%"));
    EXPECT_EQ(Swatch(3)->GetText(), QStringLiteral("Err 9: 1 25.00%"));
    EXPECT_EQ(Swatch(3)->GetColor(), ColorRefFromArgb(g_PieColors[2]));
    ASSERT_NE(Slice(3), nullptr);
    EXPECT_EQ(Slice(3)->strText, Swatch(3)->GetText());
    EXPECT_DOUBLE_EQ(Slice(1)->dValue, 2.0);
    SelectChild(2);
    EXPECT_TRUE(page.m_wndPie->m_mapItems.empty());

    // One fault code: a slice per lift that had it.
    ShowPie(false);
    ASSERT_EQ(VisibleSwatches(), 2);
    EXPECT_EQ(Swatch(1)->GetText(), QStringLiteral("1号梯: 2 66.67%"));
}

// The page is white with its title underlined in orange (grey captions were
// unreadable on black); every swatch shows its slice's colour, the pie is drawn.
TEST_F(SwatchTest, PageIsWhiteAndShowsThePieWithItsSwatches)
{
    ShowPie();
    const QImage image = RenderWidget(*m_page);
    EXPECT_EQ(CountPixels(image, Exactly(kSentinel)), 0);
    EXPECT_EQ(Pixel(image, image.width() - 3, image.height() - 3), QColor(Qt::white));
    EXPECT_EQ(Pixel(image, m_page->m_nX0 + 20, m_page->m_nTitleTop + 20), QColor(255, 126, 0));
    EXPECT_EQ(Pixel(image, Swatch(3)->x() + 10, Swatch(3)->y() + 10), FromColorRef(Swatch(3)->GetColor()));
    const QRect pie = m_page->m_wndPie->geometry().intersected(image.rect());
    EXPECT_GT(CountPixels(image, [](const QColor& c) { return c.saturation() > 60; }, pie), 2000);
}

TEST_F(SwatchTest, SwatchesWrapIntoRowsAndSharePastTheColourTable)
{
    CAnalysisDlg& page = *m_page;
    ShowPie();
    // Every code of the counters at once: more slices than colours.
    strLiftFaultStat& stat = (*page.m_pFaultStat)[0];
    std::fill(stat.nCodeCount.begin() + 1, stat.nCodeCount.begin() + 150, 1);
    stat.nErrTotal = 149;
    page.RefreshPie(0);
    ASSERT_EQ(VisibleSwatches(), 149);
    EXPECT_GT(Swatch(149)->y(), Swatch(1)->y());  // wrapped into rows
    EXPECT_EQ(Swatch(116)->GetColor(), Swatch(1)->GetColor());
    EXPECT_EQ(Swatch(149)->GetText(), QStringLiteral("Err 149: 1 0.67%"));

    // A colour picked on a swatch past the table goes to the entry it shares.
    m_answer = RGB(1, 2, 3);
    QTest::mouseClick(Swatch(120), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(g_PieColors[4], 0xFF010203u);
    EXPECT_EQ(Slice(120)->argbBase, 0xFF010203u);
    EXPECT_EQ(Slice(5)->argbBase, m_savedColors[4]);  // recoloured at the next pie
}

TEST_F(SwatchTest, HoverPullsOutItsSliceAndReturnsTheOthers)
{
    ShowPie();
    const int pulled = m_page->m_wndPie->GetPieRect(true).width() * 5 / 100;
    MoveOver(Swatch(2));
    EXPECT_EQ(Slice(2)->nOffset, pulled);
    EXPECT_EQ(Slice(3)->nOffset, 0);
    // The hovered swatch is framed in blue.
    EXPECT_EQ(Pixel(RenderWidget(*Swatch(2)), 169, 10), QColor(0, 0, 255));
    MoveOver(Swatch(1));
    EXPECT_EQ(Slice(1)->nOffset, pulled);
    EXPECT_EQ(Slice(2)->nOffset, 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Swatch(2), &leave);
    EXPECT_EQ(Pixel(RenderWidget(*Swatch(2)), 0, 10), QColor(255, 255, 255));
}

TEST_F(SwatchTest, PickedColourRecoloursTheSliceAndStaysForLaterPies)
{
    ShowPie();
    m_answer = std::nullopt;
    QTest::mouseClick(Swatch(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_prompts, QList<COLORREF>({0}));
    EXPECT_EQ(g_PieColors, m_savedColors);  // cancelled

    m_answer = RGB(0x12, 0x34, 0x56);
    QTest::mouseClick(Swatch(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(Slice(2)->argbBase, 0xFF123456u);

    // The next pie takes the new colour for its second slice.
    m_page->OnBnClickedStatsByFault();
    m_page->OnBnClickedPieDisplay();
    ASSERT_EQ(VisibleSwatches(), 2);
    EXPECT_EQ(Slice(2)->argbBase, 0xFF123456u);
}

TEST_F(SwatchTest, MessagesWithNumbersOfNoSwatchChangeNothing)
{
    ShowPie();
    for (LPARAM n : {LPARAM(0), LPARAM(151), LPARAM(-3), LPARAM(1) << 40}) {
        SendMessage(m_page.get(), WM_COLOR_PICKED, 0, n);
        SendMessage(m_page.get(), WM_SWATCH_HOVER, 0, n);
    }
    EXPECT_EQ(g_PieColors, m_savedColors);
    EXPECT_EQ(Slice(1)->nOffset + Slice(2)->nOffset + Slice(3)->nOffset, 0);
}

TEST_F(SwatchTest, ListDisplayReturnsFromThePieAndAQueryKeepsThePie)
{
    ShowPie();
    CAnalysisDlg& page = *m_page;
    // A query in the pie display shows the new pie, not a list under it.
    m_page->m_dtStart->setDate(QDate(2024, 3, 2));
    page.OnBnClickedQueryRange();
    EXPECT_FALSE(page.m_lstFault->isVisible());
    EXPECT_EQ(VisibleSwatches(), 2);

    page.OnBnClickedListDisplay();
    EXPECT_EQ(VisibleSwatches(), 0);
    EXPECT_EQ(page.m_wndPie->geometry(), QRect(1, 1, 1, 1));
    EXPECT_EQ(Rows().size(), 2);
}
