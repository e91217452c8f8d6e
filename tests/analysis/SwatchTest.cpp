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
        SetUpLift(1, QStringLiteral("1号梯"));
        SetUpLift(2, QStringLiteral("2号梯"));
        SetUpLift(3, QStringLiteral("3号梯"));
        RecordFault(1, 3, At(2024, 3, 1, 8, 0));
        RecordFault(1, 7, At(2024, 3, 1, 9, 0));
        RecordFault(1, 3, At(2024, 3, 2, 9, 0));
        RecordFault(1, 9, At(2024, 3, 3, 9, 0));
        RecordFault(2, 3, At(2024, 3, 3, 10, 0));
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
        if (byLift)
            m_page->OnBnClickedStatsByLift();
        else
            m_page->OnBnClickedStatsByFault();
        m_page->OnBnClickedPieDisplay();
    }

    CStaInfX* Swatch(int n) const { return m_page->m_pSwatches[std::size_t(n - 1)]; }
    int VisibleSwatches() const
    {
        int n = 0;
        for (CStaInfX* s : m_page->m_pSwatches)
            n += s->isVisible();
        return n;
    }
    PieChartItem* Slice(int n) const { return m_page->m_wndPie->FindItem(QString::number(n)); }

    static void MoveOver(CStaInfX* swatch)
    {
        const QPointF at(10, 10);
        QMouseEvent move(QEvent::MouseMove, at, swatch->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &move);
    }
    static void Leave(CStaInfX* swatch)
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(swatch, &leave);
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
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(Swatch(n)->GetColor(), ColorRefFromArgb(g_PieColors[std::size_t(n - 1)]));
        ASSERT_NE(Slice(n), nullptr);
        EXPECT_EQ(Slice(n)->strText, Swatch(n)->GetText());
    }
    EXPECT_DOUBLE_EQ(Slice(1)->dValue, 2.0);
    SelectChild(2);
    EXPECT_EQ(VisibleSwatches(), 0);
    EXPECT_TRUE(page.m_wndPie->m_mapItems.empty());
}

TEST_F(SwatchTest, PieOfOneFaultCodeHasASlicePerLiftThatHadIt)
{
    ShowPie(false);
    ASSERT_EQ(VisibleSwatches(), 2);
    EXPECT_EQ(Swatch(1)->GetText(), QStringLiteral("1号梯: 2 66.67%"));
    EXPECT_EQ(Swatch(2)->GetText(), QStringLiteral("2号梯: 1 33.33%"));
}

TEST_F(SwatchTest, SwatchesWrapIntoRowsAndSharePastTheColourTable)
{
    CAnalysisDlg& page = *m_page;
    ShowPie();
    // Every code of the counters at once: more slices than colours.
    strLiftFaultStat& stat = (*page.m_pFaultStat)[0];
    stat.nErrTotal = 0;
    for (int c = 1; c <= 149; ++c) {
        stat.nCodeCount[std::size_t(c)] = 1;
        ++stat.nErrTotal;
    }
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
    ASSERT_GT(pulled, 0);
    MoveOver(Swatch(2));
    EXPECT_TRUE(Swatch(2)->IsHovered());
    EXPECT_EQ(Slice(2)->nOffset, pulled);
    EXPECT_EQ(Slice(1)->nOffset, 0);
    EXPECT_EQ(Slice(3)->nOffset, 0);

    // The hovered swatch is framed in blue.
    EXPECT_EQ(Pixel(RenderWidget(*Swatch(2)), 169, 10), QColor(0, 0, 255));
    MoveOver(Swatch(1));
    EXPECT_EQ(Slice(1)->nOffset, pulled);
    EXPECT_EQ(Slice(2)->nOffset, 0);
    Leave(Swatch(2));
    EXPECT_FALSE(Swatch(2)->IsHovered());
    EXPECT_EQ(Pixel(RenderWidget(*Swatch(2)), 0, 10), QColor(255, 255, 255));
}

TEST_F(SwatchTest, PickedColourRecoloursTheSliceAndStaysForLaterPies)
{
    ShowPie();
    m_answer = std::nullopt;
    QTest::mouseClick(Swatch(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(m_prompts, QList<COLORREF>({0}));
    EXPECT_EQ(Swatch(2)->GetColor(), ColorRefFromArgb(m_savedColors[1]));
    EXPECT_EQ(g_PieColors, m_savedColors);

    m_answer = RGB(0x12, 0x34, 0x56);
    QTest::mouseClick(Swatch(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(Swatch(2)->GetColor(), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(Slice(2)->argbBase, 0xFF123456u);
    EXPECT_EQ(Slice(1)->argbBase, m_savedColors[0]);

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
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(Slice(n)->nOffset, 0);
    // A swatch without a slice only stores its colour.
    SendMessage(m_page.get(), WM_COLOR_PICKED, 0, 150);
    EXPECT_EQ(m_page->m_wndPie->m_mapItems.size(), 3u);
}

TEST_F(SwatchTest, ListDisplayReturnsFromThePieAndAQueryKeepsThePie)
{
    ShowPie();
    CAnalysisDlg& page = *m_page;
    // A query in the pie display shows the new pie, not a list under it.
    m_page->m_dtStart->setDate(QDate(2024, 3, 2));
    m_page->m_dtEnd->setDate(QDate(2024, 3, 3));
    page.OnBnClickedQueryRange();
    EXPECT_FALSE(page.m_lstFault->isVisible());
    ASSERT_EQ(VisibleSwatches(), 2);
    EXPECT_EQ(Swatch(1)->GetText(), QStringLiteral("Err 3: 1 50.00%"));

    page.OnBnClickedListDisplay();
    EXPECT_EQ(VisibleSwatches(), 0);
    EXPECT_EQ(page.m_wndPie->geometry(), QRect(1, 1, 1, 1));
    EXPECT_EQ(Rows().size(), 2);
}
