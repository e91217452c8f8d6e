// The whole station as the operator meets it: the modal main window, a login,
// the serial settings, the pages one after another against the bus
// simulator, and the exit button ending everything; and the station run as a
// process of its own, ended by a signal instead.
#include <QDeadlineTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <set>
#include <tuple>

#include "StationProcess.h"
#include "controls/ButX.h"
#include "link/PollThread.h"
#include "link/SerialPort.h"
#include "support/StationFixture.h"
#include "support/LiftSim.h"
#include "views/CarAnimThread.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {
using Frame = std::vector<std::uint8_t>;

bool Now() { return true; }

double NowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// What a request asks for: address, function, and the page of a page request.
using Ask = std::tuple<int, int, int>;
Ask AskOf(const Frame& f) { return {f[0], f[1], f[1] == 0x00 ? f[2] >> 5 : 0}; }

// The requests the simulator read since tMs (the monotonic clock, as it stamps them).
std::vector<Frame> FramesSince(const CLiftSim& sim, double tMs)
{
    std::vector<Frame> frames;
    for (const auto& r : sim.timedRequests())
        if (r.tMs >= tMs && r.frame.size() >= 3)
            frames.push_back(r.frame);
    return frames;
}

// The frames hold a whole pass of a worker: every request expected, and after
// them the first request once more. Whatever else a worker asks for in each
// pass is then among them too.
bool HoldPass(const std::vector<Frame>& frames, const std::set<Ask>& expected)
{
    std::set<Ask> seen;
    for (const Frame& f : frames) {
        const bool allSeen = std::includes(seen.begin(), seen.end(), expected.begin(), expected.end());
        if (allSeen && AskOf(f) == AskOf(frames.front()))
            return true;
        seen.insert(AskOf(f));
    }
    return false;
}

std::set<int> Addresses(const std::vector<Frame>& frames, int function)
{
    std::set<int> a;
    for (const Frame& f : frames)
        if (f.size() >= 2 && f[1] == function)
            a.insert(f[0]);
    return a;
}

} // namespace

TEST(StationRunTest, OperatorLogsInConnectsVisitsEveryPageAndExits)
{
    PrivateSettings();
    MessageBoxRecorder boxes;
    StationData data;
    ASSERT_TRUE(data.ok());
    CLiftSim sim({QStringLiteral("--lift"), QStringLiteral("1:16:1"), QStringLiteral("--lift"), QStringLiteral("2:16:2"),
                  QStringLiteral("--lift"), QStringLiteral("9:7:3"), QStringLiteral("--lift"), QStringLiteral("10:30:2")});
    ASSERT_FALSE(sim.port().isEmpty());
    data.AddOperator(QStringLiteral("wang"), QStringLiteral("s3cret"));
    ASSERT_TRUE(data.InstallGroups({QStringLiteral("一号楼"), QStringLiteral("二号楼")},
                                   {{1, 16, 1, QStringLiteral("1-A")}, {2, 16, 1, QStringLiteral("1-B")},
                                    {9, 7, 2, QStringLiteral("2-A")}, {10, 30, 2, QStringLiteral("2-B")}}));
    qputenv("LIFT_COM1", sim.port().toLocal8Bit());

    // Per page: the requests its worker must make in every pass (lift 10 has
    // four pages, lift 9 one).
    const std::set<Ask> allAsks{{1, 0x10, 0}, {3, 0x10, 0}};
    const std::set<Ask> oneAsks{{10, 0, 0}, {10, 0, 1}, {10, 0, 2}, {10, 0, 3}};
    std::set<Ask> groupAsks = oneAsks;
    groupAsks.insert({9, 0, 0});

    std::vector<Frame> allFrames, oneFrames, groupFrames;
    double since = 0;  // when the page's worker started
    bool sawLoginScreen = false;
    int result = -1;
    {
        CKALORDlg dlg;
        Operator op;
        // The page's worker runs, posting to the page: its requests count from now.
        const auto workerFor = [&](QObject* page) {
            return [&, page] {
                if (g_hPollTarget.data() != page || !g_pPollThread)
                    return false;
                since = NowMs();
                return true;
            };
        };
        const auto passSeen = [&](const std::set<Ask>& asks) {
            return [&sim, &since, &asks] { return HoldPass(FramesSince(sim, since), asks); };
        };
        op.When([&] { return dlg.isVisible(); }, [&] {
            sawLoginScreen = dlg.m_edUser->isVisible() && dlg.m_btLogin->isVisible();
            dlg.m_edUser->setText(QStringLiteral("wang"));
            dlg.m_edPwd->setText(QStringLiteral("s3cret"));
            AnswerComSet(0, 2);
            dlg.m_btLogin->click();  // runs the serial settings inside
        });
        op.When(Now, [&] {
            EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeBuild);
            dlg.m_btShowAll->click();
        });
        op.When(workerFor(dlg.m_pShowAllDlg.get()), [] {});
        op.When(passSeen(allAsks), [&] {
            allFrames = FramesSince(sim, since);
            // A tile click opens lift 10 (posted, as the tile's send ends the same way).
            PostMessage(&dlg, WM_OPEN_LIFT, 1, 10);
        });
        op.When(workerFor(dlg.m_pShowOneDlg.get()), [] {});
        op.When(passSeen(oneAsks), [&] {
            oneFrames = FramesSince(sim, since);
            EXPECT_TRUE(dlg.m_pShowOneDlg->isVisible());
            PostMessage(&dlg, WM_SHOW_GROUP, 0, 1);
        });
        op.When(workerFor(dlg.m_pShowGruDlg.get()), [] {});
        op.When(passSeen(groupAsks), [&] {
            groupFrames = FramesSince(sim, since);
            EXPECT_TRUE(dlg.m_pShowGruDlg->isVisible());
            dlg.m_btAnalysis->click();
        });
        op.When(Now, [&] {
            EXPECT_EQ(g_pPollThread, nullptr);
            dlg.m_btExit->click();
        });
        op.Start();
        result = dlg.DoModal();
        EXPECT_TRUE(op.Finished());
        // The window closed by its exit button, not by anything else.
        EXPECT_EQ(dlg.m_bLoggedIn, 1);
    }
    EXPECT_TRUE(sawLoginScreen);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    EXPECT_EQ(Addresses(allFrames, 0x10), (std::set<int>{1, 3}));  // stations of lifts 1, 2, 9, 10
    EXPECT_EQ(Addresses(oneFrames, 0x00), (std::set<int>{10}));
    EXPECT_TRUE(Addresses(oneFrames, 0x10).empty());
    EXPECT_EQ(Addresses(groupFrames, 0x00), (std::set<int>{9, 10}));
    EXPECT_TRUE(Addresses(groupFrames, 0x10).empty());

    // Shut down: no worker, no animation, the line closed, the bus quiet.
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_EQ(g_hComPort.load(), kPortClosed);
    sim.clearRequests();
    QTest::qWait(300);
    EXPECT_TRUE(sim.requests().empty());
    qunsetenv("LIFT_COM1");
}

// A shutdown, Ctrl-C or a closed terminal ends the station as Exit does: the
// rows still waiting are written or counted in the log, a removed file is
// written back, the database is closed without its log files, the status is 0.
TEST(StationRunTest, ASignalClosesTheStationAsExitDoesWithNobodyToAnswer)
{
    PrivateSettings();
    enum class Outage { LockHeld, Refused, FileRemoved };
    for (const auto& [signal, outage] : {std::pair{SIGTERM, Outage::LockHeld}, std::pair{SIGINT, Outage::Refused},
                                         std::pair{SIGHUP, Outage::FileRemoved}}) {
        SCOPED_TRACE(signal);
        StationData data;
        ASSERT_TRUE(data.ok());
        data.AddOperator();
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("A")}, {{1, 8, 1, QStringLiteral("1-A")}}));
        ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set LanguageKind = 2")));
        CLiftSim sim({QStringLiteral("--lift"), QStringLiteral("1:8:1")});
        ASSERT_FALSE(sim.port().isEmpty());
        StationProcess station(data, sim);
        ASSERT_TRUE(station.Says(QStringLiteral("operator: all lifts shown"))) << station.Log().toStdString();

        const auto faultRows = [&data] {
            auto rows = data.OpenDb()->m_pAdo->GetRecordSet(
                QStringLiteral("Select Count(*) As n From KALOR_LiftData_1_Err Where ErrCount = 33"));
            return rows ? rows->GetInt(QStringLiteral("n")) : -1;
        };
        // The fault of lift 1 waits in memory: another program holds the
        // write lock, or a rule of the file refuses it. Or it is written, and
        // then the file is removed.
        std::unique_ptr<CDBServer> other;
        if (outage == Outage::LockHeld) {
            other = data.OpenDb();
            ASSERT_TRUE(other->m_pAdo->BeginTrans());
        } else if (outage == Outage::Refused) {
            ASSERT_TRUE(data.Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON KALOR_LiftData_1_Err"
                                                 " BEGIN SELECT RAISE(ABORT, 'not now'); END")));
        }
        ASSERT_TRUE(sim.command(QStringLiteral("fault 1 33")));
        if (outage == Outage::FileRemoved) {
            const QDeadlineTimer deadline(30000);
            while (faultRows() != 1 && !deadline.hasExpired())
                QTest::qWait(20);
            ASSERT_TRUE(QFile::remove(data.dbPath()));
        } else {
            ASSERT_TRUE(station.Says(QStringLiteral("box: Faults and calls cannot be written"))) << station.Log().toStdString();
        }

        station.Signal(signal);
        other.reset();  // the lock goes while the station closes, or before
        ASSERT_TRUE(station.Ends(5000)) << station.Log().toStdString();
        EXPECT_EQ(station.Status(), 0) << station.Log().toStdString();
        const QString log = station.Log();
        EXPECT_TRUE(log.contains(QStringLiteral("Signal %1 received").arg(signal))) << log.toStdString();
        // From the signal on, nothing is shown: every box went to the log.
        EXPECT_EQ(station.BoxesSeenAfter(QStringLiteral("Signal %1 received").arg(signal)), QStringList())
            << log.toStdString();
        EXPECT_EQ(log.contains(QStringLiteral("0 calls and 1 faults could not be written to the database and are lost. not now")),
                  outage == Outage::Refused) << log.toStdString();
        EXPECT_EQ(log.contains(QStringLiteral("has been written back")), outage == Outage::FileRemoved) << log.toStdString();
        for (const char* suffix : {"-wal", "-shm"})
            EXPECT_FALSE(QFile::exists(data.dbPath() + QLatin1String(suffix))) << suffix;
        EXPECT_EQ(faultRows(), outage == Outage::Refused ? 0 : 1);
    }
}
