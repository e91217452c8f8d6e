// Fault rows of the live pages inside the real main window, over the bus
// simulator paced at 38400 baud: North (lifts 1 and 2) and South (lifts 5
// and 6). A window held for seconds while a fault flaps on every reply loses
// no occurrence; each page records what its worker's last replies brought as
// it is left; Exit, and a signal, record a fault only the configuration page's
// re-acquire saw.
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <thread>
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "controls/ButX.h"
#include "mainwnd/ShowAlarmDlg.h"
#include "support/LiftSim.h"
#include "support/StationFixture.h"
#include "views/ShowOneDlg.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {

class FaultRecordingLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        const std::vector<StationData::Lift> lifts{{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                                                   {5, 8, 2, QStringLiteral("S1")}, {6, 9, 2, QStringLiteral("S2")}};
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("North"), QStringLiteral("South")}, lifts));
        for (const StationData::Lift& l : lifts)
            ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight=? Where RealAddr=?"),
                                  {l.floors * 3000, l.n}));
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(ShowMainWindow(*dlg, 1000));
        ASSERT_TRUE(LogInOnCom1(*dlg, boxes));
    }

    void TearDown() override
    {
        dlg.reset();
        qunsetenv("LIFT_COM1");
    }

    strLiftInf& Lift(int n) const { return dlg->m_Store.m_pLiftInf[n - 1]; }
    static bool WaitFor(const std::function<bool()>& cond, int ms = 10000) { return QTest::qWaitFor(cond, ms); }
    bool Online(int n) const { return Lift(n).bOffline == 0 && Lift(n).nCurFloor != 0; }
    // Sets lift n's fault at the simulator and holds the window until the
    // worker has brought it.
    bool FaultSeenOnlyByTheWorker(int n, int code)
    {
        return sim.command(QStringLiteral("fault %1 %2").arg(n).arg(code)) && HeldUntil([&] { return Lift(n).nFaultCode == code; });
    }
    std::vector<int> FaultRows(int n) const { return view_test::FaultRows(*dlg->m_pDB, n); }
    // Exit, then the rows as the file keeps them.
    std::vector<int> FaultRowsAfterExit(int n)
    {
        dlg->m_btExit->click();
        EXPECT_FALSE(dlg->isVisible());
        return view_test::FaultRows(*data.OpenDb(), n);
    }
    // The configuration page's re-acquire, with lift n's fault set before it.
    void ReacquireSees(int n, int code)
    {
        dlg->m_btSetup->click();
        ASSERT_TRUE(sim.command(QStringLiteral("fault %1 %2").arg(n).arg(code)));
        dlg->m_pBuildDlg->m_btGetLiftData->click();
        ASSERT_EQ(Lift(n).nFaultCode, code);
    }
    // Faults the simulator's replies carried since its last flap of lift n.
    int RepliesWithFault(int n) { return sim.dump(n).section(QStringLiteral("faults="), 1).section(QLatin1Char(' '), 0, 0).toInt(); }

    StationData data;
    CLiftSim sim{{QStringLiteral("--pace"), QStringLiteral("--baud"), QStringLiteral("38400"), QStringLiteral("--lift"),
                  QStringLiteral("1:10:1"), QStringLiteral("--lift"), QStringLiteral("2:12:2"), QStringLiteral("--lift"),
                  QStringLiteral("5:8:3"), QStringLiteral("--lift"), QStringLiteral("6:9:1")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
};

} // namespace

TEST_F(FaultRecordingLive, AWindowHeldThreeSecondsLosesNoOccurrenceOfAFaultFlappingOnEveryReply)
{
    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 1);
    ASSERT_TRUE(WaitFor([&] { return dlg->m_pShowOneDlg->m_bLiftOnline == 1 && Lift(1).bRecInit == 1; }));
    ASSERT_TRUE(sim.command(QStringLiteral("flap 1 21 22")));
    ASSERT_TRUE(WaitFor([&] { return Lift(1).nFaultCode != 0; }));

    // The window's thread held for 3 s, as the station's own work holds it
    // (a write-back, a compaction): not a wait for a state, the hold itself.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 1 0")));
    ASSERT_TRUE(WaitFor([&] { return Lift(1).nFaultCode == 0 && Lift(1).faultRing.Waiting() == 0; }));
    const int occurrences = RepliesWithFault(1);
    // Many more than a ring of sixteen between two saves would have kept.
    EXPECT_GT(occurrences, 2 * 16);

    const std::vector<int> rows = FaultRowsAfterExit(1);
    ASSERT_EQ(int(rows.size()), occurrences);
    for (std::size_t k = 1; k < rows.size(); ++k)
        ASSERT_NE(rows[k], rows[k - 1]) << "row " << k;
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(FaultRecordingLive, EachLivePageRecordsWhatItsWorkerBroughtAsItIsLeft)
{
    dlg->m_btShowAll->click();
    ASSERT_TRUE(WaitFor([&] { return Online(1) && Online(2) && Online(5) && Online(6); }));
    ASSERT_TRUE(FaultSeenOnlyByTheWorker(5, 51));
    dlg->m_btSetup->click();
    EXPECT_EQ(FaultRows(5), std::vector<int>{51});

    // Group to group: the stop records the group its worker polled, not the
    // one about to be shown.
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Lift(2).bRecInit == 1; }));
    ASSERT_TRUE(FaultSeenOnlyByTheWorker(2, 52));
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    EXPECT_EQ(FaultRows(2), std::vector<int>{52});
    ASSERT_TRUE(WaitFor([&] { return Lift(6).bRecInit == 1; }));
    ASSERT_TRUE(FaultSeenOnlyByTheWorker(6, 61));
    dlg->m_btShowAll->click();
    EXPECT_EQ(FaultRows(6), std::vector<int>{61});

    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 1);
    ASSERT_TRUE(WaitFor([&] { return dlg->m_pShowOneDlg->m_bLiftOnline == 1; }));
    ASSERT_TRUE(FaultSeenOnlyByTheWorker(1, 11));
    dlg->m_btSetup->click();
    EXPECT_EQ(FaultRows(1), std::vector<int>{11});
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(FaultRecordingLive, AFaultOnlyTheReacquireSawIsAlarmedAtOnceAndRecordedAtExitFromTheConfigurationPage)
{
    ReacquireSees(2, 111);
    // The re-acquire polls too: its fault raises the alarm on this page.
    const CShowAlarmDlg& popup = *dlg->m_pAlarmDlg[0];
    EXPECT_TRUE(WaitFor([&] {
        return popup.isVisible() && popup.m_pText->text() == CShowAlarmDlg::FaultAlarmText(111, &dlg->m_mapErrName);
    }));
    EXPECT_EQ(FaultRowsAfterExit(2), std::vector<int>{111});
}

TEST_F(FaultRecordingLive, ExitRecordsAFaultOnlyTheReacquireSawFromTheAnalysisPage)
{
    ReacquireSees(6, 112);
    dlg->m_btAnalysis->click();
    EXPECT_EQ(FaultRowsAfterExit(6), std::vector<int>{112});
}

TEST_F(FaultRecordingLive, ASignalRecordsAFaultOnlyTheReacquireSawAsExitDoes)
{
    ReacquireSees(5, 113);
    // Modal as the running station's window is: the close waits for that.
    dlg->hide();
    dlg->setWindowModality(Qt::ApplicationModal);
    dlg->show();
    dlg->OnQuitSignal(SIGTERM);
    SetMessageBoxesUnattended(false);
    ASSERT_TRUE(WaitFor([&] { return !dlg->isVisible(); }));
    EXPECT_EQ(view_test::FaultRows(*data.OpenDb(), 5), std::vector<int>{113});
}
