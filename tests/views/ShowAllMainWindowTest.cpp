// The all-lifts page inside the real main window: after login the page shows
// the installed lifts live, a tile opens the single-lift page of its lift and a
// header the group page of its group.
#include "MainWindowStation.h"
#include "controls/ButX.h"
#include "link/PollThread.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"

using namespace station_test;

namespace {

class ShowAllMainWindowTest : public view_test::MainWindowStation {
protected:
    void SetUp() override
    {
        InstallStation();
        if (HasFatalFailure())
            return;
        StartLoggedIn(900);
        if (HasFatalFailure())
            return;
        dlg->m_btShowAll->click();
        page = dlg->m_pShowAllDlg.get();
        ASSERT_TRUE(page->isVisible());
    }

    CShowAllDlg* page = nullptr;
};

} // namespace

TEST_F(ShowAllMainWindowTest, ATileOpensItsLiftAndAHeaderItsGroup)
{
    ASSERT_TRUE(sim.command(QStringLiteral("floor 6 7")));
    // The page shows the lifts live from the main window's store.
    ASSERT_TRUE(WaitFor([&] { return dlg->m_Store.m_pLiftInf[5].nCurFloor == 7; }));
    CStaA* tile = page->Tile(5);
    ASSERT_TRUE(tile->isVisible());
    EXPECT_EQ(tile->m_pLiftInf, &dlg->m_Store.m_pLiftInf[5]);
    EXPECT_EQ(CStaA::FloorText(*tile->m_pLiftInf), QStringLiteral("7"));
    EXPECT_TRUE(page->IsRefreshTimerActive());

    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(15, 15));
    ASSERT_TRUE(WaitFor([&] { return dlg->m_nViewMode == CKALORDlg::kModeOne; }));
    EXPECT_EQ(dlg->m_pShowOneDlg->m_nLiftIndex, 5);
    EXPECT_TRUE(dlg->m_pShowOneDlg->isVisible());
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(WaitFor([&] { return !page->IsRefreshTimerActive(); }, 1000));

    dlg->m_btShowAll->click();
    ASSERT_TRUE(page->isVisible());
    ASSERT_EQ(page->HeaderCount(), 2);
    CStaG* south = page->Header(1);
    ASSERT_TRUE(south->isVisible());
    EXPECT_EQ(south->m_strGroupName, QStringLiteral("South"));
    QTest::mouseClick(south, Qt::LeftButton, {}, QPoint(10, 5));
    ASSERT_TRUE(WaitFor([&] { return dlg->m_nViewMode == CKALORDlg::kModeGroup; }));
    EXPECT_EQ(dlg->m_pShowGruDlg->m_nCurGroup, 1);
    EXPECT_TRUE(dlg->m_pShowGruDlg->isVisible());
    EXPECT_FALSE(page->isVisible());
}
