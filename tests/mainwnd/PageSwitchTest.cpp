// Page switching against the bus simulator: which worker runs for which page,
// the order of stop, show and start, the drain of queued worker messages, and
// the buttons that must change nothing.
#include <QPointer>
#include <QTimerEvent>
#include <atomic>
#include <set>

#include "analysis/AnalysisDlg.h"
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "mainwnd/StationFixture.h"
#include "support/LiftSim.h"
#include "views/CarAnimThread.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {
using Frame = std::vector<std::uint8_t>;

// Counts what reaches a page: show and hide events, and window messages.
class PageSpy : public QObject {
public:
    explicit PageSpy(QWidget* page) : m_page(page) { page->installEventFilter(this); }
    ~PageSpy() override
    {
        if (m_page)
            m_page->removeEventFilter(this);
    }
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

private:
    QPointer<QWidget> m_page;
};

class PageSwitchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("North"), QStringLiteral("South")},
                                       {{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                                        {5, 8, 2, QStringLiteral("S1")}}));
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(ShowMainWindow(*dlg, 900));
        QTest::qWait(20);
    }
    void TearDown() override
    {
        dlg.reset();  // stops the workers
        EXPECT_EQ(g_pPollThread, nullptr);
        qunsetenv("LIFT_COM1");
    }

    void Login() { ASSERT_TRUE(LogInOnCom1(*dlg, boxes)); }

    // Frames the simulator received during ms milliseconds from now.
    std::vector<Frame> FramesDuring(int ms)
    {
        sim.clearRequests();
        QTest::qWait(ms);
        return sim.requests();
    }

    StationData data;
    CLiftSim sim{{QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"),
                  QStringLiteral("2:12:1"), QStringLiteral("--lift"), QStringLiteral("5:8:2")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
};

int CountProbes(const std::vector<Frame>& frames)
{
    int n = 0;
    for (const Frame& f : frames)
        n += f.size() >= 2 && f[0] == 1 && f[1] == 0x10;
    return n;
}
} // namespace

TEST_F(PageSwitchTest, LoginProbesStationOneOnceAndShowsTheConfigurationPage)
{
    sim.clearRequests();
    PageSpy build(dlg->m_pBuildDlg.get());
    Login();
    EXPECT_EQ(CountProbes(sim.requests()), 1);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("KALOR ----") + dlg->Text(18));
    EXPECT_EQ(dlg->m_nComPort, 1);
    EXPECT_EQ(dlg->m_nBaudIndex, 2);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeBuild);
    EXPECT_EQ(dlg->m_nPrevViewMode, CKALORDlg::kModeBuild);
    EXPECT_TRUE(dlg->m_pBuildDlg->isVisible());
    EXPECT_EQ(build.shows, 1);
    EXPECT_EQ(dlg->m_pBuildDlg->m_bPortOpen, 1);
    // The page sits below the bar, over the rest of the window.
    EXPECT_EQ(dlg->m_pBuildDlg->geometry(),
              QRect(0, dlg->m_nBarTop + 35, dlg->m_nClientWidth, dlg->m_nClientHeight - dlg->m_nBarTop - 35));
    // The configuration page starts its own worker only for its reads.
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_hPollTarget.data(), dlg->m_pBuildDlg.get());
    // Installed lifts were loaded; the others stay empty slots.
    EXPECT_EQ(dlg->m_Store.m_pLiftInf[4].nKind, 1);
    EXPECT_EQ(dlg->m_Store.m_pLiftInf[3].nKind, 0);
}

TEST_F(PageSwitchTest, SilentStationOneIsProbedSixTimesAndTheLoginGoesOn)
{
    ASSERT_TRUE(sim.command(QStringLiteral("silent 1 1")));
    sim.clearRequests();
    Login();
    EXPECT_EQ(CountProbes(sim.requests()), 6);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeBuild);
    EXPECT_TRUE(dlg->m_pBuildDlg->isVisible());
}

TEST_F(PageSwitchTest, EachPageRunsItsOwnWorkerAndOnlyThat)
{
    Login();
    PageSpy all(dlg->m_pShowAllDlg.get()), one(dlg->m_pShowOneDlg.get()), gru(dlg->m_pShowGruDlg.get()),
        ana(dlg->m_pAnalysisDlg.get());

    // All lifts: the status poll of the two stations that have lifts.
    dlg->m_btShowAll->click();
    ASSERT_NE(g_pPollThread, nullptr);
    EXPECT_TRUE(all.workerStoppedAtShow);
    EXPECT_TRUE(dlg->m_pShowAllDlg->IsRefreshTimerActive());
    std::set<int> stations;
    for (const Frame& f : FramesDuring(600)) {
        ASSERT_GE(f.size(), 2u);
        EXPECT_EQ(f[1], 0x10);
        stations.insert(f[0]);
    }
    EXPECT_EQ(stations, (std::set<int>{1, 2}));

    // One lift, from a tile: page exchanges with lift 5 only.
    SendMessage(dlg.get(), WM_OPEN_LIFT, 1, 5);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
    EXPECT_EQ(dlg->m_pShowOneDlg->m_nLiftIndex, 4);
    EXPECT_TRUE(dlg->m_pShowOneDlg->isVisible());
    EXPECT_FALSE(dlg->m_pShowAllDlg->isVisible());
    EXPECT_TRUE(one.workerStoppedAtShow);
    ASSERT_NE(g_pPollThread, nullptr);
    EXPECT_EQ(g_hPollTarget.data(), dlg->m_pShowOneDlg.get());
    auto frames = FramesDuring(900);
    ASSERT_FALSE(frames.empty());
    for (const Frame& f : frames) {
        EXPECT_EQ(f[0], 5);
        EXPECT_EQ(f[1], 0x00);
    }
    // The all-lifts refresh ends by itself at its next tick.
    EXPECT_FALSE(dlg->m_pShowAllDlg->IsRefreshTimerActive());

    // The group page, from a group header: the members of group 1 only, and
    // the animation thread beside the worker.
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 0);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeGroup);
    EXPECT_TRUE(dlg->m_pShowGruDlg->isVisible());
    EXPECT_FALSE(dlg->m_pShowOneDlg->isVisible());
    EXPECT_TRUE(gru.workerStoppedAtShow);
    ASSERT_NE(g_pPollThread, nullptr);
    EXPECT_NE(g_pAnimThread, nullptr);
    std::set<int> lifts;
    for (const Frame& f : FramesDuring(600)) {
        EXPECT_EQ(f[1], 0x00);
        lifts.insert(f[0]);
    }
    EXPECT_EQ(lifts, (std::set<int>{1, 2}));

    // Analysis needs no worker.
    dlg->m_btAnalysis->click();
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAnalysis);
    EXPECT_TRUE(ana.workerStoppedAtShow);
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_TRUE(FramesDuring(300).empty());
    EXPECT_EQ(dlg->m_btAnalysis->GetCaptionColor(), CKALORDlg::kCaptionRed);
    EXPECT_EQ(dlg->m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionGrey);

    // Only one page is ever visible.
    int visible = 0;
    for (QWidget* p : {static_cast<QWidget*>(dlg->m_pBuildDlg.get()), static_cast<QWidget*>(dlg->m_pShowAllDlg.get()),
                       static_cast<QWidget*>(dlg->m_pShowGruDlg.get()), static_cast<QWidget*>(dlg->m_pShowOneDlg.get()),
                       static_cast<QWidget*>(dlg->m_pAnalysisDlg.get())})
        visible += p->isVisible();
    EXPECT_EQ(visible, 1);
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
    QTest::qWait(20);
    EXPECT_EQ(all.messages[WM_READ_PROGRESS], 0);
    EXPECT_EQ(all.messages[WM_LIFT_STATUS], 0);
    EXPECT_EQ(all.messages[WM_USER + 32], 0);
    EXPECT_EQ(all.messages[WM_CELL_DRAG_END], 1);
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
    dlg->m_btShowAll->click();
    EXPECT_EQ(g_pPollThread.get(), worker);  // no restart
    EXPECT_EQ(all.shows + all.hides, 0);
    EXPECT_EQ(dlg->m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionRed);

    // The group and one-lift buttons never switch once logged in; the group
    // button is not even on the bar.
    EXPECT_TRUE(dlg->m_btShowGroup->isHidden());
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
    EXPECT_FALSE(dlg->m_pShowAllDlg->isVisible());
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    dlg->m_pBuildDlg->m_bBusy = 0;
    dlg->m_btShowAll->click();
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
}

TEST_F(PageSwitchTest, ConnectCancelledLeavesTheLivePageRunning)
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
    QTest::qWait(250);  // a few refresh ticks
    EXPECT_TRUE(dlg->m_pShowAllDlg->IsRefreshTimerActive());
}

TEST_F(PageSwitchTest, ConnectConfirmedReopensTheLineAndReturnsToAllLifts)
{
    Login();
    dlg->m_btAnalysis->click();
    sim.clearRequests();
    AnswerComSet(0, 1);
    dlg->m_btConnect->click();
    EXPECT_EQ(CountProbes(sim.requests()) >= 1, true);
    EXPECT_EQ(dlg->m_bPortOpen, 1);
    EXPECT_EQ(dlg->m_nBaudIndex, 1);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(dlg->m_btConnect->GetCaptionColor(), CKALORDlg::kCaptionGrey);
    EXPECT_EQ(dlg->m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionRed);
    EXPECT_NE(g_pPollThread, nullptr);
}

TEST_F(PageSwitchTest, LiftWithoutKindOrOutOfRangeLeavesThePageAreaEmpty)
{
    Login();
    dlg->m_btShowAll->click();
    for (LPARAM lift : {LPARAM(3), LPARAM(0), LPARAM(65), LPARAM(-7)}) {
        SendMessage(dlg.get(), WM_OPEN_LIFT, 1, lift);
        EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
        EXPECT_FALSE(dlg->m_pShowOneDlg->isVisible());
        EXPECT_FALSE(dlg->m_pShowAllDlg->isVisible());
        EXPECT_EQ(g_pPollThread, nullptr);
    }
    // A group index beyond the table is refused.
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 2);
    EXPECT_EQ(dlg->m_nViewMode, CKALORDlg::kModeOne);
    EXPECT_FALSE(dlg->m_pShowGruDlg->isVisible());
}

TEST_F(PageSwitchTest, BannerAndBarFollowTheWindowSize)
{
    dlg->resize(1400, 809);
    QTest::qWait(20);
    EXPECT_EQ(dlg->m_nBannerHeight, 80);
    EXPECT_EQ(dlg->m_nBarTop, 80);
    dlg->resize(1400, 810);
    QTest::qWait(20);
    EXPECT_EQ(dlg->m_nBannerHeight, 100);
    EXPECT_EQ(dlg->m_btExit->geometry(), QRect(1400 - 140, 100, 140, 35));
    EXPECT_EQ(dlg->m_btAnalysis->geometry(), QRect(1400 - 280, 100, 140, 35));
    EXPECT_EQ(dlg->m_btShowOne->geometry(), QRect(1400 - 420, 100, 140, 35));
    EXPECT_EQ(dlg->m_btShowAll->geometry(), QRect(1400 - 560, 100, 140, 35));
    EXPECT_EQ(dlg->m_btSetup->geometry(), QRect(1400 - 700, 100, 140, 35));
    EXPECT_EQ(dlg->m_btConnect->geometry(), QRect(1400 - 840, 100, 140, 35));
    EXPECT_EQ(dlg->m_btFiller->geometry(), QRect(0, 100, 1400 - 840, 35));
    // The login row sits at the top the painter computed.
    EXPECT_EQ(dlg->m_btLogin->geometry().top(), dlg->m_nLoginTop - 4);
}
