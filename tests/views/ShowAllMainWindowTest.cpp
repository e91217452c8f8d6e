// The all-lifts page inside the real main window: after login the page shows
// the installed lifts live, a tile opens the single-lift page of its lift and a
// header the group page of its group.
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "link/PollThread.h"
#include "mainwnd/StationFixture.h"
#include "support/LiftSim.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"

using namespace station_test;

namespace {

class ShowAllMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=2")));
        ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_GroupInf")));
        ASSERT_TRUE(data.Exec(QStringLiteral("Insert Into KALOR_GroupInf Values (1, 2, 'North')")));
        ASSERT_TRUE(data.Exec(QStringLiteral("Insert Into KALOR_GroupInf Values (2, 2, 'South')")));
        data.InstallLifts({{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                           {5, 8, 2, QStringLiteral("S1")}, {6, 9, 2, QStringLiteral("S2")}});
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        dlg = std::make_unique<CKALORDlg>();
        dlg->OnInitDialog();
        dlg->setWindowState(Qt::WindowNoState);
        dlg->resize(1280, 900);
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        QTest::qWait(20);
        AnswerComSet(0, 2);
        TypeLogin(*dlg, QStringLiteral("op"), QStringLiteral("pw"));
        ASSERT_EQ(dlg->m_bPortOpen, 1);
        dlg->m_btShowAll->click();
        page = dlg->m_pShowAllDlg.get();
        ASSERT_TRUE(page->isVisible());
    }
    void TearDown() override
    {
        dlg.reset();
        qunsetenv("LIFT_COM1");
    }

    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000) { return QTest::qWaitFor(cond, ms); }

    StationData data;
    CLiftSim sim{{QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"),
                  QStringLiteral("2:12:2"), QStringLiteral("--lift"), QStringLiteral("5:8:3"),
                  QStringLiteral("--lift"), QStringLiteral("6:9:1")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
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
