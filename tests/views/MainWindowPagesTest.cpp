// The pages inside the real main window over four lifts in two groups,
// "North" (lifts 1 and 2) and "South" (lifts 5 and 6), logged in with the
// line open on the bus simulator running the same four: tiles and headers of
// the all-lifts page open their lift and group; the group page shown and left
// again and again leaves no thread behind; the lock period's mode stays only
// on the lift the single-lift page shows; both alarms come from every page.
#include <QDir>
#include <QLabel>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

#include "controls/ButX.h"
#include "link/PollThread.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "support/StationFixture.h"
#include "support/LiftSim.h"
#include "views/CarAnimThread.h"
#include "views/LockMessages.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/StaGrp.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {

// Threads of this process that the program itself started (they carry the
// process's name; Qt's own pool threads are named otherwise).
int OwnThreads()
{
    const QByteArray name = FileBytes(QStringLiteral("/proc/self/comm"));
    if (name.isEmpty())
        return -1;
    int count = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        count += FileBytes(QStringLiteral("/proc/self/task/%1/comm").arg(task)) == name ? 1 : 0;
    return count;
}

class MainWindowPages : public ::testing::Test {
protected:
    // The data copy with the operator, the groups and the lifts (each shaft
    // 3 m a floor), and the window at 1280 x 1000, logged in.
    void SetUp() override
    {
        station_test::PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("North"), QStringLiteral("South")}, Lifts()));
        for (const StationData::Lift& l : Lifts())
            ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight=? Where RealAddr=?"),
                                  {l.floors * 3000, l.n}));
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(station_test::ShowMainWindow(*dlg, 1000));
        QTest::qWait(20);
        ASSERT_TRUE(station_test::LogInOnCom1(*dlg, boxes));
        page = dlg->m_pShowGruDlg.get();
    }

    void TearDown() override
    {
        dlg.reset();
        qunsetenv("LIFT_COM1");
    }

    static std::vector<station_test::StationData::Lift> Lifts()
    {
        return {{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                {5, 8, 2, QStringLiteral("S1")}, {6, 9, 2, QStringLiteral("S2")}};
    }

    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000) { return QTest::qWaitFor(cond, ms); }
    // Lift n on the single-lift page, online.
    bool OpenLift(int n)
    {
        const CShowOneDlg& one = *dlg->m_pShowOneDlg;
        PostMessage(dlg.get(), WM_OPEN_LIFT, 0, n);
        return WaitFor([&] { return one.m_nLiftIndex == n - 1 && one.m_bLiftOnline == 1; });
    }

    station_test::StationData data;
    CLiftSim sim{{QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"),
                  QStringLiteral("2:12:2"), QStringLiteral("--lift"), QStringLiteral("5:8:3"),
                  QStringLiteral("--lift"), QStringLiteral("6:9:1")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
    CShowGruDlg* page = nullptr;  // the group page
};

} // namespace


TEST_F(MainWindowPages, ATileOpensItsLiftAndAHeaderItsGroup)
{
    dlg->m_btShowAll->click();
    CShowAllDlg* all = dlg->m_pShowAllDlg.get();
    ASSERT_TRUE(all->isVisible());
    ASSERT_TRUE(sim.command(QStringLiteral("floor 6 7")));
    // The page shows the lifts live from the main window's store.
    ASSERT_TRUE(WaitFor([&] { return dlg->m_Store.m_pLiftInf[5].nCurFloor == 7; }));
    CStaA* tile = all->Tile(5);
    ASSERT_TRUE(tile->isVisible());
    EXPECT_EQ(tile->m_pLiftInf, &dlg->m_Store.m_pLiftInf[5]);
    EXPECT_EQ(CStaA::FloorText(*tile->m_pLiftInf), QStringLiteral("7"));
    EXPECT_TRUE(all->IsRefreshTimerActive());

    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(15, 15));
    ASSERT_TRUE(WaitFor([&] { return dlg->m_nViewMode == CKALORDlg::kModeOne; }));
    EXPECT_EQ(dlg->m_pShowOneDlg->m_nLiftIndex, 5);
    EXPECT_TRUE(dlg->m_pShowOneDlg->isVisible());
    EXPECT_FALSE(all->isVisible());
    EXPECT_TRUE(WaitFor([&] { return !all->IsRefreshTimerActive(); }, 1000));

    dlg->m_btShowAll->click();
    ASSERT_TRUE(all->isVisible());
    ASSERT_EQ(all->HeaderCount(), 2);
    CStaG* south = all->Header(1);
    ASSERT_TRUE(south->isVisible());
    EXPECT_EQ(south->m_strGroupName, QStringLiteral("South"));
    QTest::mouseClick(south, Qt::LeftButton, {}, QPoint(10, 5));
    ASSERT_TRUE(WaitFor([&] { return dlg->m_nViewMode == CKALORDlg::kModeGroup; }));
    EXPECT_EQ(dlg->m_pShowGruDlg->m_nCurGroup, 1);
    EXPECT_TRUE(dlg->m_pShowGruDlg->isVisible());
    EXPECT_FALSE(all->isVisible());
}

TEST_F(MainWindowPages, ShowAndHideCyclesLeaveNoThreadBehind)
{
    ASSERT_TRUE(sim.command(QStringLiteral("floor 2 7")));
    ASSERT_TRUE(sim.command(QStringLiteral("floor 6 4")));
    const int before = OwnThreads();
    ASSERT_GT(before, 0);
    for (int cycle = 0; cycle < 4; ++cycle) {
        SCOPED_TRACE(cycle);
        const int group = cycle % 2;
        SendMessage(dlg.get(), WM_SHOW_GROUP, 0, group);
        ASSERT_EQ(dlg->m_nViewMode, CKALORDlg::kModeGroup);
        ASSERT_TRUE(page->isVisible());
        ASSERT_NE(g_pPollThread, nullptr);
        ASSERT_NE(g_pAnimThread, nullptr);
        EXPECT_EQ(OwnThreads(), before + 2);
        // Both cells of the group take reports of this run and draw their
        // cars where the controllers say.
        const int second = group == 0 ? 2 : 6;
        ASSERT_TRUE(WaitFor([&] {
            return page->Cell(0)->m_bStarted && page->Cell(1)->m_bStarted &&
                   page->Cell(1)->m_nDrawPos == dlg->m_Store.m_pLiftInf[second - 1].nCarPos &&
                   page->Cell(1)->m_nDrawPos > 0;
        })) << "drawn " << page->Cell(1)->m_nDrawPos;
        EXPECT_EQ(page->Cell(1)->m_pLiftInf, &dlg->m_Store.m_pLiftInf[second - 1]);

        // Another page: both threads end and nothing of them stays queued.
        if (cycle % 4 == 3)
            dlg->m_btShowAll->click();
        else
            dlg->m_btAnalysis->click();
        EXPECT_FALSE(page->isVisible());
        EXPECT_EQ(g_pAnimThread, nullptr);
        EXPECT_TRUE(WaitFor([&] { return OwnThreads() == before + (g_pPollThread ? 1 : 0); }, 2000))
            << OwnThreads() << " threads, " << before << " before";
    }
    dlg->m_btAnalysis->click();
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_TRUE(WaitFor([&] { return OwnThreads() == before; }, 2000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(MainWindowPages, ClosingTheWindowWhileTheGroupPageRunsEndsBothThreads)
{
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    ASSERT_NE(g_pAnimThread, nullptr);
    ASSERT_TRUE(WaitFor([&] { return page->Cell(0)->m_bStarted; }));
    dlg.reset();
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_hAnimThreadRun, nullptr);
}

TEST_F(MainWindowPages, ThePeriodsModeStaysOnlyOnTheLiftTheSingleLiftPageShows)
{
    auto reportedMode = [&](int n) { return sim.dump(n).section(QStringLiteral("mode="), 1).section(QLatin1Char(' '), 0, 0); };
    CShowOneDlg& one = *dlg->m_pShowOneDlg;
    one.m_fnNow = [] { return QDateTime(QDate::currentDate(), QTime(12, 0, 0)); };
    PostMessage(dlg.get(), WM_OPEN_LIFT, 0, 6);
    ASSERT_TRUE(WaitFor([&] { return one.m_nLiftIndex == 5 && one.m_bLiftOnline == 1; }));
    one.m_pLockTimeDlg->m_nTime = {11, 0, 0, 13, 0, 0};
    one.m_pLockTimeDlg->m_bEnabled = 1;
    SendMessage(&one, WM_LOCKTIME_SET, 0, 1);
    ASSERT_TRUE(WaitFor([&] { return reportedMode(6) == QStringLiteral("8"); }));

    // Lift 5 shown instead: the period follows the page, and lift 6 is
    // released with the next page request it gets, here from the group worker.
    PostMessage(dlg.get(), WM_OPEN_LIFT, 0, 5);
    ASSERT_TRUE(WaitFor([&] { return one.m_nLiftIndex == 4 && one.m_bLiftOnline == 1; }));
    PostMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    EXPECT_TRUE(WaitFor([&] { return reportedMode(5) == QStringLiteral("8") && reportedMode(6) == QStringLiteral("7"); }))
        << reportedMode(5).toStdString() << " " << reportedMode(6).toStdString();
}

// The fault alarm comes from whatever page polls the lift: the group page and
// the single-lift page raise it as the all-lifts page does, and it comes down
// only once no lift has a fault standing.
TEST_F(MainWindowPages, TheFaultAlarmComesFromTheGroupAndTheSingleLiftPage)
{
    CShowAlarmDlg& popup = *dlg->m_pAlarmDlg[0];
    const auto shows = [&](int code) {
        return popup.isVisible() && popup.m_pText->text() == CShowAlarmDlg::FaultAlarmText(code, &dlg->m_mapErrName);
    };
    ASSERT_FALSE(popup.isVisible());

    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    ASSERT_TRUE(WaitFor([&] { return page->Cell(0)->m_bStarted && page->Cell(1)->m_bStarted; }));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 5 33")));
    EXPECT_TRUE(WaitFor([&] { return shows(33); })) << popup.m_pText->text().toStdString();
    ASSERT_TRUE(sim.command(QStringLiteral("fault 6 12")));
    EXPECT_TRUE(WaitFor([&] { return shows(12); })) << popup.m_pText->text().toStdString();
    ASSERT_TRUE(sim.command(QStringLiteral("fault 6 0")));
    ASSERT_TRUE(WaitFor([&] { return dlg->m_Store.m_pLiftInf[5].nFaultCode == 0; }));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 5 0")));
    EXPECT_TRUE(WaitFor([&] { return !popup.isVisible(); }));

    ASSERT_TRUE(OpenLift(2));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 2 40")));
    EXPECT_TRUE(WaitFor([&] { return shows(40); })) << popup.m_pText->text().toStdString();
    ASSERT_TRUE(sim.command(QStringLiteral("fault 2 0")));
    EXPECT_TRUE(WaitFor([&] { return !popup.isVisible(); }));

    // A line that does not open again leaves every lift off it, and with no
    // page polling the alarm of a fault that stood comes down all the same.
    ASSERT_TRUE(sim.command(QStringLiteral("fault 2 41")));
    ASSERT_TRUE(WaitFor([&] { return shows(41); }));
    qputenv("LIFT_COM1", (data.folder() + QStringLiteral("no-such-tty")).toLocal8Bit());
    AnswerComSet(0);
    dlg->m_btConnect->click();
    EXPECT_EQ(dlg->m_bPortOpen, 0);
    EXPECT_TRUE(WaitFor([&] { return !popup.isVisible(); }));
}

// The fire-service alarm follows the simulator's fire status on the
// all-lifts page and the controller's fire-service mode on the single-lift
// page, and comes down when no lift reports fire service.
TEST_F(MainWindowPages, TheFireServiceAlarmComesAndGoesWithTheLiftsFireService)
{
    CShowAlarmDlg& popup = *dlg->m_pAlarmDlg[1];
    ASSERT_FALSE(popup.isVisible());

    dlg->m_btShowAll->click();
    ASSERT_TRUE(dlg->m_pShowAllDlg->isVisible());
    ASSERT_TRUE(sim.command(QStringLiteral("status 6 4")));
    EXPECT_TRUE(WaitFor([&] { return popup.isVisible(); }));
    EXPECT_EQ(popup.m_pText->text(), dlg->Text(58));
    // Inspection is no fire service.
    ASSERT_TRUE(sim.command(QStringLiteral("status 6 2")));
    EXPECT_TRUE(WaitFor([&] { return !popup.isVisible(); }));

    ASSERT_TRUE(OpenLift(1));
    ASSERT_TRUE(sim.command(QStringLiteral("mode 1 3")));
    EXPECT_TRUE(WaitFor([&] { return popup.isVisible(); }));
    ASSERT_TRUE(sim.command(QStringLiteral("mode 1 7")));
    EXPECT_TRUE(WaitFor([&] { return !popup.isVisible(); }));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}
