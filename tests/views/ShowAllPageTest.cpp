// The all-lifts page on records set by hand: bad member numbers, the
// not-connected notice, the sideways drag and the shared door timer.
#include <QTest>
#include <gtest/gtest.h>

#include "controls/StaX.h"
#include "link/GroupInf.h"
#include "link/LiftDataStore.h"
#include "platform/UiText.h"
#include "views/ShowAllDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/ViewMessages.h"
#include "views/ViewTestSupport.h"

namespace {

class ShowAllPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.ResetLiftRecords();
        store.ResetLiftPages();
        store.ResetLiftCmds();
        texts = view_test::MakeTexts();
        window.resize(1280, 900);
        page = new CShowAllDlg(&window);
        page->OnInitDialog();
        page->m_pLiftInf = store.m_pLiftInf;
        page->m_pLiftFault = store.m_pLiftFault;
        page->m_pTexts = &texts;
        page->m_hMainWnd = &sink;
        page->m_pViewMode = &viewMode;
        page->m_bPortOpen = 1;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Groups of the given member numbers; every member 1..64 is installed.
    void SetGroups(const std::vector<std::vector<int>>& members)
    {
        groups.assign(members.size(), strGroupInf{});
        for (std::size_t g = 0; g < members.size(); ++g) {
            groups[g].nGroupNum = int(g + 1);
            groups[g].strGroupName = QStringLiteral("G%1").arg(g + 1);
            groups[g].nLiftCount = int(members[g].size());
            for (std::size_t i = 0; i < members[g].size(); ++i) {
                const int m = members[g][i];
                groups[g].byLiftNum[i] = std::uint8_t(m);
                if (m >= 1 && m <= 64)
                    store.m_pLiftInf[m - 1].nKind = 1;
            }
        }
        page->m_pGroupTable = groups.data();
        page->m_nGroupCount = int(groups.size());
        page->CreateGroupCells();
    }

    void Show(int width = 1280, int height = 785)
    {
        page->setGeometry(0, 115, width, height);
        page->LayoutCells();
        page->show();
    }

    CStaA* Tile(int n) { return page->Tile(n - 1); }

    CLiftDataStore store;
    std::vector<strGroupInf> groups;
    QStringList texts;
    int viewMode = CShowAllDlg::kViewMode;
    view_test::MessageSink sink;
    QWidget window;
    CShowAllDlg* page = nullptr;  // child of window
};

} // namespace

TEST_F(ShowAllPageTest, MembersOutsideOneToSixtyFourAreSkippedAndTheNoticeSaysThereIsNoLine)
{
    SetGroups({{0, 3, 65, 255, 4}, {9}});
    page->m_bPortOpen = 0;
    Show();
    EXPECT_TRUE(page->m_stNotice->isVisible());
    EXPECT_EQ(page->m_stNotice->text(), UiText(&texts, 155));
    for (int n : {3, 4, 9})
        EXPECT_TRUE(Tile(n)->isVisible()) << n;
    // 3 and 4 take the first two places of their column, 9 the next column.
    EXPECT_EQ(Tile(4)->geometry().left(), Tile(3)->geometry().left());
    EXPECT_GT(Tile(4)->geometry().top(), Tile(3)->geometry().bottom());
    EXPECT_GT(Tile(9)->geometry().left(), Tile(3)->geometry().right());
    for (int n : {1, 2, 5, 64})
        EXPECT_FALSE(Tile(n)->isVisible()) << n;
    // A group line lies between the groups.
    EXPECT_GT(page->m_Lines[0].x, Tile(3)->geometry().right());
    EXPECT_LT(page->m_Lines[0].x, Tile(9)->geometry().left());
    EXPECT_EQ(page->m_Lines[2].length, 0.0f);
    // The refresh passes over every record without a lift: its door flags stay unseen.
    for (int i = 0; i < 64; ++i) {
        store.m_pLiftInf[i].nDoorFlags = 0x2;
        store.m_pLiftInf[i].nDoorFlagsPrev = 0x8;
    }
    page->RefreshLifts();
    std::vector<int> seen;
    for (int n = 1; n <= 64; ++n)
        if (store.m_pLiftInf[n - 1].nDoorFlagsPrev != 0x8)
            seen.push_back(n);
    EXPECT_EQ(seen, (std::vector<int>{3, 4, 9}));
}

TEST_F(ShowAllPageTest, TheDragMovesThePageSidewaysOnlyAndStopsAtTheEnds)
{
    // Sixteen groups of four: far wider than the window.
    std::vector<std::vector<int>> members;
    for (int g = 0; g < 16; ++g)
        members.push_back({4 * g + 1, 4 * g + 2, 4 * g + 3, 4 * g + 4});
    page->m_nLiftsPerColumn = 2;
    SetGroups(members);
    Show();
    ASSERT_GT(page->m_nContentWidth, page->m_nViewWidth);
    const int top = page->y();
    // Between the header band and the first tile row nothing but the page.
    const QPoint grip(300, page->Header(0)->geometry().bottom() + 2);
    ASSERT_EQ(page->childAt(grip), nullptr);

    QTest::mousePress(page, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(Tile(1)->m_bDrag);
    EXPECT_TRUE(page->Header(3)->m_bDrag);
    QTest::mouseMove(page, grip + QPoint(-200, 40));
    EXPECT_EQ(page->x(), -200);
    EXPECT_EQ(page->y(), top);
    EXPECT_EQ(page->width(), page->m_nContentWidth);
    EXPECT_EQ(page->height(), page->m_nViewHeight);
    // Right again, but not past the left edge of the window.
    QTest::mouseMove(page, grip + QPoint(150, 0));
    EXPECT_EQ(page->x(), -50);
    QTest::mouseMove(page, grip + QPoint(100, 0));
    EXPECT_EQ(page->x(), -50);
    // Left, but not past the content's right end.
    QTest::mouseMove(page, grip + QPoint(-(page->m_nContentWidth), 0));
    EXPECT_EQ(page->x(), -50);
    QTest::mouseRelease(page, Qt::LeftButton, {}, grip);
    EXPECT_EQ(page->m_bDrag, 0);
    EXPECT_FALSE(Tile(1)->m_bDrag);
    EXPECT_FALSE(page->Header(3)->m_bDrag);
    // Without the button down the page stays.
    QTest::mouseMove(page, grip + QPoint(-100, 0));
    EXPECT_EQ(page->x(), -50);
    EXPECT_EQ(page->y(), top);

    // A cell that saw the button go up ends the page's drag too.
    QTest::mousePress(page, Qt::LeftButton, {}, grip);
    SendMessage(page, WM_CELL_DRAG_END, 0, 0);
    EXPECT_EQ(page->m_bDrag, 0);
    QTest::mouseMove(page, grip + QPoint(-30, 0));
    EXPECT_EQ(page->x(), -50);
    QTest::mouseRelease(page, Qt::LeftButton, {}, grip);
}

TEST_F(ShowAllPageTest, ANarrowPageDoesNotMove)
{
    SetGroups({{1, 2, 3}});
    Show();
    ASSERT_LT(page->m_nContentWidth, page->m_nViewWidth);
    const QPoint start = page->pos();
    const QPoint grip(page->width() - 20, page->height() - 20);
    QTest::mousePress(page, Qt::LeftButton, {}, grip);
    QTest::mouseMove(page, grip + QPoint(-300, -100));
    QTest::mouseRelease(page, Qt::LeftButton, {}, grip + QPoint(-300, -100));
    EXPECT_EQ(page->pos(), start);
    EXPECT_EQ(page->width(), 1280);
}

TEST_F(ShowAllPageTest, OneTimerRunsTheDoorsOfTheFirstAndTheLastLift)
{
    SetGroups({{1, 2, 64}});
    Show();
    // Lift 2 has no kind: passed over, the lifts after it still refreshed.
    store.m_pLiftInf[1].nKind = 0;
    store.m_pLiftInf[0].nDoorFlags = 0x1;
    store.m_pLiftInf[63].nDoorFlags = 0x4;
    store.m_pLiftInf[1].nDoorFlags = 0x1;
    page->RefreshLifts();
    EXPECT_TRUE(page->IsDoorTimerActive());
    EXPECT_EQ(store.m_pLiftInf[63].nDoorFlagsPrev, 0x4);
    EXPECT_EQ(store.m_pLiftInf[1].nDoorFlagsPrev, 0);

    // Halfway open: the flags seen again start nothing new.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Tile(1)->m_nDoorStep >= 5; }, 2000));
    EXPECT_EQ(Tile(64)->m_nDoorStep, Tile(1)->m_nDoorStep) << "both doors move on each tick";
    const int before = Tile(64)->m_nDoorStep;
    page->RefreshLifts();
    EXPECT_GE(Tile(64)->m_nDoorStep, before);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->IsDoorTimerActive(); }, 2000));
    EXPECT_EQ(Tile(1)->m_nDoorStep, 11);
    EXPECT_EQ(Tile(64)->m_nDoorStep, 11);
    EXPECT_EQ(Tile(2)->m_nDoorStep, 0);

    // Open doors with no opening bit close, frame by frame.
    store.m_pLiftInf[0].nDoorFlags = 0x2;
    store.m_pLiftInf[63].nDoorFlags = 0x8;
    page->RefreshLifts();
    EXPECT_TRUE(page->IsDoorTimerActive());
    // Caught between the frames, however busy the machine.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Tile(1)->m_nDoorStep > 0 && Tile(1)->m_nDoorStep < 11; }, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->IsDoorTimerActive(); }, 2000));
    EXPECT_EQ(Tile(1)->m_nDoorStep, 0);
    EXPECT_EQ(Tile(64)->m_nDoorStep, 0);
}

