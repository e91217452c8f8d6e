// Page switching against the bus simulator: which worker runs for which page,
// the order of stop, show and start, the drain of queued worker messages, and
// the buttons that must change nothing.
#include <set>

#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "support/LiftSim.h"
#include "support/StationFixture.h"
#include "views/CarAnimThread.h"
#include "views/ViewMessages.h"
#include "views/ViewTestSupport.h"

using namespace station_test;

namespace {
using Frame = std::vector<std::uint8_t>;

// Counts what reaches a page: show and hide events, and window messages.
class PageSpy : public QObject {
public:
    // Qt drops a filter that is destroyed from the page's list by itself.
    explicit PageSpy(QWidget* page) { page->installEventFilter(this); }
    int shows = 0;
    int hides = 0;
    bool workerStoppedAtShow = true;
    std::map<int, int> messages;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            ++shows;
            // The old worker must be gone before the page appears.
            workerStoppedAtShow = workerStoppedAtShow && g_pPollThread == nullptr && g_pAnimThread == nullptr;
        } else if (e->type() == QEvent::Hide) {
            ++hides;
        } else if (auto* m = dynamic_cast<CWindowMessage*>(e)) {
            ++messages[m->message()];
        }
        return false;
    }
};

using Lifts = std::vector<StationData::Lift>;

// The simulator's installation of the same lifts, each group on a controller
// model of its own.
QStringList SimArgs(const Lifts& lifts)
{
    QStringList args;
    for (const StationData::Lift& l : lifts)
        args << QStringLiteral("--lift") << QStringLiteral("%1:%2:%3").arg(l.n).arg(l.floors).arg(l.group);
    return args;
}

class PageSwitchTest : public ::testing::Test {
protected:
    // Groups "North" and "South".
    explicit PageSwitchTest(Lifts installed = {{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                                               {5, 8, 2, QStringLiteral("S1")}})
        : lifts(std::move(installed))
        , sim(SimArgs(lifts))
    {
    }
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("North"), QStringLiteral("South")}, lifts));
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        Start();
    }
    void TearDown() override
    {
        dlg.reset();  // stops the workers
        EXPECT_EQ(g_pPollThread, nullptr);
        qunsetenv("LIFT_COM1");
    }
    void Start()
    {
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(ShowMainWindow(*dlg, 900));
    }
    void Login() { ASSERT_TRUE(LogInOnCom1(*dlg, boxes)); }

    // The next n frames the simulator receives from now on.
    std::vector<Frame> NextFrames(std::size_t n)
    {
        sim.clearRequests();
        EXPECT_TRUE(QTest::qWaitFor([&] { return sim.requests().size() >= n; }, 10000));
        return sim.requests();
    }

    StationData data;
    Lifts lifts;
    CLiftSim sim;
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
};

int CountProbes(const std::vector<Frame>& frames)
{
    return int(std::count_if(frames.begin(), frames.end(),
                             [](const Frame& f) { return f.size() >= 2 && f[0] == 1 && f[1] == 0x10; }));
}
} // namespace

TEST_F(PageSwitchTest, LoginProbesStationOneUntilItAnswersAtMostSixTimes)
{
    sim.clearRequests();
    PageSpy build(dlg->m_pBuildDlg.get());
    Login();
    EXPECT_EQ(CountProbes(sim.requests()), 1);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("KALOR ----") + dlg->Text(18));
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeBuild);
    EXPECT_EQ(build.shows, 1);
    EXPECT_EQ(dlg->m_pBuildDlg->m_bPortOpen, 1);
    // The configuration page starts its own worker only for its reads.
    EXPECT_EQ(g_pPollThread, nullptr);

    // A silent station 1: six probes, and the login goes on all the same.
    dlg.reset();
    ASSERT_TRUE(sim.command(QStringLiteral("silent 1 1")));
    Start();
    sim.clearRequests();
    Login();
    EXPECT_EQ(CountProbes(sim.requests()), 6);
    EXPECT_TRUE(dlg->m_pBuildDlg->isVisible());
}

TEST_F(PageSwitchTest, EachPageRunsItsOwnWorkerAndOnlyThat)
{
    Login();
    PageSpy all(dlg->m_pShowAllDlg.get()), one(dlg->m_pShowOneDlg.get()), gru(dlg->m_pShowGruDlg.get()),
        ana(dlg->m_pAnalysisDlg.get());

    // All lifts: the status poll of the two stations that have lifts.
    dlg->m_btShowAll->click();
    EXPECT_TRUE(all.workerStoppedAtShow);
    EXPECT_TRUE(dlg->m_pShowAllDlg->IsRefreshTimerActive());
    std::set<int> stations;
    for (const Frame& f : NextFrames(6)) {
        EXPECT_EQ(f[1], 0x10);
        stations.insert(f[0]);
    }
    EXPECT_EQ(stations, (std::set<int>{1, 2}));

    // One lift, from a tile: page exchanges with lift 5 only.
    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 5);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
    EXPECT_TRUE(dlg->m_pShowOneDlg->isVisible() && !dlg->m_pShowAllDlg->isVisible());
    EXPECT_TRUE(one.workerStoppedAtShow);
    for (const Frame& f : NextFrames(4))
        EXPECT_TRUE(f[0] == 5 && f[1] == 0x00);
    // The all-lifts refresh ends by itself at its next tick.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->m_pShowAllDlg->IsRefreshTimerActive(); }, 5000));

    // The group page, from a group header: the members of group 1 only, and
    // the animation thread beside the worker.
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 0);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeGroup);
    EXPECT_TRUE(dlg->m_pShowGruDlg->isVisible() && !dlg->m_pShowOneDlg->isVisible());
    EXPECT_TRUE(gru.workerStoppedAtShow);
    EXPECT_NE(g_pAnimThread, nullptr);
    std::set<int> lifts;
    for (const Frame& f : NextFrames(6)) {
        EXPECT_EQ(f[1], 0x00);
        lifts.insert(f[0]);
    }
    EXPECT_EQ(lifts, (std::set<int>{1, 2}));

    // Analysis needs no worker; its button turns red, the last one grey.
    dlg->m_btAnalysis->click();
    EXPECT_TRUE(ana.workerStoppedAtShow);
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_EQ(dlg->m_btAnalysis->GetCaptionColor(), CKALORDlg::kCaptionRed);
    EXPECT_EQ(dlg->m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionGrey);
    int visible = 0;
    for (const QWidget* p : std::initializer_list<const QWidget*>{dlg->m_pBuildDlg.get(), dlg->m_pShowAllDlg.get(),
                                                                  dlg->m_pShowGruDlg.get(), dlg->m_pShowOneDlg.get(),
                                                                  dlg->m_pAnalysisDlg.get()})
        visible += p->isVisible();
    EXPECT_EQ(visible, 1);

    // A lift without kind or out of range leaves the page area empty; a group
    // index beyond the table is refused.
    for (LPARAM lift : {LPARAM(3), LPARAM(0), LPARAM(65), LPARAM(-7)}) {
        SendMessage(dlg.get(), WM_OPEN_LIFT, 1, lift);
        EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
        EXPECT_FALSE(dlg->m_pShowOneDlg->isVisible() || dlg->m_pAnalysisDlg->isVisible());
        EXPECT_EQ(g_pPollThread, nullptr);
    }
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 2);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
}

TEST_F(PageSwitchTest, SwitchDrainsTheStoppedWorkersQueuedMessages)
{
    Login();
    dlg->m_btShowAll->click();
    ASSERT_NE(g_pPollThread, nullptr);
    PageSpy all(dlg->m_pShowAllDlg.get());
    // As if the worker had posted these just before it stopped.
    QWidget* page = dlg->m_pShowAllDlg.get();
    PostMessage(page, WM_READ_PROGRESS, 1, 3);
    PostMessage(page, WM_LIFT_STATUS, 0, 0);
    PostMessage(page, WM_USER + 32, 0, 0);
    PostMessage(page, WM_CELL_DRAG_END, 0, 0);  // not a worker message: it stays
    dlg->m_btAnalysis->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return all.messages[WM_CELL_DRAG_END] == 1; }, 5000));
    EXPECT_EQ(all.messages[WM_READ_PROGRESS] + all.messages[WM_LIFT_STATUS] + all.messages[WM_USER + 32], 0);
}

TEST_F(PageSwitchTest, PressingTheShownPagesButtonChangesNothing)
{
    Login();
    PageSpy build(dlg->m_pBuildDlg.get());
    dlg->m_btSetup->click();
    EXPECT_EQ(build.shows + build.hides, 0);

    dlg->m_btShowAll->click();
    CWorkerThread* worker = g_pPollThread.get();
    ASSERT_NE(worker, nullptr);
    PageSpy all(dlg->m_pShowAllDlg.get());
    dlg->m_btShowAll->click();
    EXPECT_EQ(g_pPollThread.get(), worker);  // no restart
    EXPECT_EQ(all.shows + all.hides, 0);
    // The group and one-lift buttons never switch once logged in.
    dlg->m_btShowOne->click();
    dlg->OnBnClickedShowGroup();
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(g_pPollThread.get(), worker);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(PageSwitchTest, BusyConfigurationPageBlocksEverySwitch)
{
    Login();
    dlg->m_pBuildDlg->m_bBusy = 1;
    const auto colours = [this] {
        std::vector<COLORREF> c;
        for (int m = 1; m <= 6; ++m)
            c.push_back(dlg->m_pNavButtons[std::size_t(m)]->GetCaptionColor());
        return c;
    };
    const auto before = colours();
    dlg->m_btShowAll->click();
    dlg->m_btAnalysis->click();
    dlg->m_btConnect->click();  // would open the serial settings
    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 1);
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeBuild);
    EXPECT_EQ(dlg->m_nPrevViewMode, CKALORDlg::kModeBuild);
    EXPECT_EQ(colours(), before);
    EXPECT_TRUE(dlg->m_pBuildDlg->isVisible());
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    dlg->m_pBuildDlg->m_bBusy = 0;
    dlg->m_btShowAll->click();
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
}

TEST_F(PageSwitchTest, ConnectCancelledLeavesTheLivePageRunningAndConfirmedReopensTheLine)
{
    Login();
    dlg->m_btShowAll->click();
    CWorkerThread* worker = g_pPollThread.get();
    ASSERT_NE(worker, nullptr);
    bool connectMarked = false;
    WhenModal<CComSetDlg>([&](CComSetDlg* d) {
        // While the dialog is open the connect button is the marked one.
        connectMarked = dlg->m_btConnect->GetCaptionColor() == CKALORDlg::kCaptionRed;
        d->findChild<QPushButton*>(QStringLiteral("2"))->click();
    });
    dlg->m_btConnect->click();
    EXPECT_TRUE(connectMarked);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(dlg->m_nPrevViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(dlg->m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionRed);
    EXPECT_EQ(dlg->m_btConnect->GetCaptionColor(), CKALORDlg::kCaptionGrey);
    EXPECT_EQ(g_pPollThread.get(), worker);
    NextFrames(3);  // the worker goes on, and so does the page's refresh
    EXPECT_TRUE(dlg->m_pShowAllDlg->IsRefreshTimerActive());

    // Confirmed from another page: the line opens again and all lifts show.
    dlg->m_btAnalysis->click();
    sim.clearRequests();
    AnswerComSet(0, 1);
    dlg->m_btConnect->click();
    EXPECT_GE(CountProbes(sim.requests()), 1);
    EXPECT_EQ(dlg->m_bPortOpen, 1);
    EXPECT_EQ(dlg->m_nBaudIndex, 1);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(dlg->m_btConnect->GetCaptionColor(), CKALORDlg::kCaptionGrey);
    EXPECT_NE(g_pPollThread, nullptr);
}

namespace {
// "North" of lifts 1 to 10 and 13 (three pages), more than the group page has
// cells for, on stations 1 to 4; "South" of lift 14 alone.
class PageSwitchFaultTest : public PageSwitchTest {
protected:
    PageSwitchFaultTest()
        : PageSwitchTest(Installation())
    {
    }
    static Lifts Installation()
    {
        Lifts l;
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13})
            l.push_back({n, n == 13 ? 24 : 8, 1, QStringLiteral("N%1").arg(n)});
        l.push_back({14, 8, 2, QStringLiteral("S14")});
        return l;
    }
    strLiftInf& Lift(int n) const { return dlg->m_Store.m_pLiftInf[n - 1]; }
    // Sets lift n's fault at the simulator and waits until the page shown has
    // handed the code to the recorder (0: the fault seen cleared).
    bool Fault(int n, int code)
    {
        return sim.command(QStringLiteral("fault %1 %2").arg(n).arg(code)) && QTest::qWaitFor([&] {
                   return Lift(n).nFaultCode == code && dlg->m_pDB->m_nLastFaultCode[std::size_t(n - 1)] == code;
               }, 10000);
    }
    std::vector<int> FaultRows(int n) const { return view_test::FaultRows(*dlg->m_pDB, n); }
};
} // namespace

TEST_F(PageSwitchFaultTest, EveryFaultAnyPageSawIsOneRowWithItsCode)
{
    Login();
    dlg->m_btShowAll->click();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const StationData::Lift& l : lifts)
            if (Lift(l.n).bOffline || Lift(l.n).nCurFloor == 0)
                return false;
        return true;
    }, 10000));

    // Seen by the all-lifts poll, the page left before its refresh took it
    // in (nothing runs the event loop meanwhile), and gone before the group
    // worker comes to lift 13, its last member: the page records it as its
    // worker stops.
    ASSERT_TRUE(sim.command(QStringLiteral("fault 13 33")));
    HeldUntil([&] { return Lift(13).nFaultCode == 33; });
    ASSERT_EQ(Lift(13).nFaultCode, 33);
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 0);

    // The group page: standing at the return (1, and 9 beyond the cells),
    // cleared before it (2, and 10 beyond the cells), and raised, cleared and
    // raised again (3). It sees lift 13's fault gone.
    for (const auto& [n, code] : std::vector<std::pair<int, int>>{
             {13, 0}, {1, 11}, {2, 12}, {2, 0}, {3, 13}, {3, 0}, {3, 13}, {9, 19}, {10, 20}, {10, 0}})
        EXPECT_TRUE(Fault(n, code)) << "lift " << n << " fault " << code;
    // Lift 13's fault raised after its page 0 reply and gone before its page
    // 2 request: only the page 1 reply of the pass brought it, and the report
    // after the pass finds it gone.
    const auto lastPageOf13 = [&] {
        const auto frames = sim.requests();
        const auto it = std::find_if(frames.rbegin(), frames.rend(), [](const Frame& f) { return f[0] == 13; });
        return it == frames.rend() ? -1 : (*it)[2] >> 5;
    };
    sim.clearRequests();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastPageOf13() == 0; }, 10000));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 13 44")));
    sim.clearRequests();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastPageOf13() == 1; }, 10000));
    ASSERT_TRUE(sim.command(QStringLiteral("fault 13 0")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastPageOf13() == 2; }, 10000));

    // The single-lift page: one fault, then another that stands at the return.
    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 5);
    for (const int code : {55, 0, 56})
        EXPECT_TRUE(Fault(5, code)) << "lift 5 fault " << code;

    // Back on the all-lifts page until its own poll has seen every lift and
    // several refreshes have followed (a status poll waits 100 ms a station,
    // the refresh comes every 80 ms).
    dlg->m_btShowAll->click();
    const std::map<int, int> standing{{1, 11}, {3, 13}, {5, 56}, {9, 19}};
    EXPECT_TRUE(QTest::qWaitFor([&] {
        for (const StationData::Lift& l : lifts)
            if (dlg->m_Store.m_pLiftFault[l.n - 1].nFaultCode != (standing.contains(l.n) ? standing.at(l.n) : 0))
                return false;
        return true;
    }, 10000));
    NextFrames(8);

    const std::map<int, std::vector<int>> rows{{1, {11}}, {2, {12}}, {3, {13, 13}}, {5, {55, 56}},
                                               {9, {19}}, {10, {20}}, {13, {33, 44}}};
    for (const StationData::Lift& l : lifts)
        EXPECT_EQ(FaultRows(l.n), rows.contains(l.n) ? rows.at(l.n) : std::vector<int>{}) << "lift " << l.n;
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}
