// Whole-lift and floor locks of the single-lift page against the bus
// simulator: what goes out on the line (function 0x30), how often, with the
// one-lift worker parked meanwhile, what the page and CtrlFile.txt keep after
// a confirmation, and what a refusal leaves behind.
#include <QElapsedTimer>
#include <QTimer>

#include "LockTestSupport.h"

using namespace showone_test;
using namespace lock_test;

namespace {

constexpr int kLockWaitMs = 15000;

// What the page and the line look like while a lock command runs, sampled by
// a timer of the test (which only ticks if the window is not frozen).
struct strSample {
    qint64 ms;
    bool paused;
    int pageRequests;
};

} // namespace

class LockLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.ok());
        m_rig.Start();
        ASSERT_TRUE(m_rig.WaitOnline()) << "the page never saw the lift";
    }
    CShowOneDlg& page() { return m_rig.page(); }
    // Runs the action on a quiet line and waits for the box that ends it;
    // returns the lock requests that went out.
    std::vector<Frame> LockRun(const std::function<void()>& action, int box, int ms = kLockWaitMs)
    {
        m_rig.sim().clearRequests();
        m_boxes.clear();
        action();
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_boxes.texts().contains(m_rig.Text(box)); }, ms)) << "no box " << box;
        return LockRequests(m_rig.sim());
    }
    // Clicks the page's lock button (0 whole lift, 1 floors, 2 period).
    void ClickLock(int index) { QTest::mouseClick(page().m_pLockBtn[std::size_t(index)], Qt::LeftButton); }
    // Samples the worker and the line every 10 ms while a lock command runs.
    void StartProbe()
    {
        m_clock.start();
        m_probe.setInterval(10);
        QObject::connect(&m_probe, &QTimer::timeout, [this] {
            if (page().m_bLockBusy)
                m_samples.push_back({m_clock.elapsed(), g_pPollThread && g_pPollThread->IsPaused(),
                                     int(m_rig.PageRequests().size())});
        });
        m_probe.start();
    }
    // Opens the floor-lock editor, switches the mode's button on (off with
    // on = false), toggles the floors and presses OK.
    void EditFloors(int mode, std::initializer_list<int> floors, bool on = true)
    {
        ClickLock(1);
        ShowFloorDlg* dlg = page().m_pFloorDlg;
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->isVisible(); }, 3000));
        if ((dlg->ModeButton(mode)->m_nOnValue == 1) != on)
            QTest::mouseClick(dlg->ModeButton(mode), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return (dlg->ModeButton(mode)->m_nOnValue == 1) == on; }, 3000));
        // Each toggle reaches the mode's set through a posted message.
        for (int f : floors) {
            const std::size_t i = std::size_t(f - 1);
            const int before = (*dlg->ModeSet(mode))[i];
            QTest::mouseClick(dlg->m_pFloorBtn[i], Qt::LeftButton);
            ASSERT_TRUE(QTest::qWaitFor([&] { return (*dlg->ModeSet(mode))[i] != before; }, 3000)) << "floor " << f;
        }
        QTest::mouseClick(dlg->m_btOk, Qt::LeftButton);
    }

    BoxLog m_boxes{MsgBoxResult::Ok};
    ShowOneRig m_rig;
    QTimer m_probe;
    QElapsedTimer m_clock;
    std::vector<strSample> m_samples;
};

TEST_F(LockLive, LockGoesOutOnceAndUnlockFiftyTimesWithTheWorkerParkedAndTheWindowTicking)
{
    const std::vector<Frame> locks = LockRun([&] { StartProbe(); ClickLock(0); }, 264);
    ASSERT_EQ(locks.size(), 1u) << "a confirmed lock goes out once";
    EXPECT_EQ(locks[0][2], 0x02);
    EXPECT_TRUE(LockedFloors(locks[0]).empty());
    EXPECT_EQ(LockInForce(m_rig.sim()), QStringLiteral("02"));

    // The window kept ticking through the command, and from the moment the
    // worker parked no page exchange went out until the command was over.
    ASSERT_GT(m_samples.size(), 20u);
    auto firstPaused = std::find_if(m_samples.begin(), m_samples.end(), [](const strSample& s) { return s.paused; });
    ASSERT_NE(firstPaused, m_samples.end());
    for (auto it = firstPaused; it != m_samples.end(); ++it)
        EXPECT_TRUE(it->paused) << "at " << it->ms << " ms";
    auto settled = std::find_if(firstPaused, m_samples.end(),
                                [&](const strSample& s) { return s.ms >= firstPaused->ms + 100; });
    ASSERT_NE(settled, m_samples.end());
    EXPECT_EQ(m_samples.back().pageRequests, settled->pageRequests);

    // Afterwards the worker runs again.
    const int before = int(m_rig.PageRequests().size());
    EXPECT_TRUE(QTest::qWaitFor([&] { return int(m_rig.PageRequests().size()) > before + 3; }, 3000));
    EXPECT_FALSE(g_pPollThread->IsPaused());

    EXPECT_EQ(page().m_pLockBtn[0]->m_nOnValue, 1);
    EXPECT_EQ(page().m_nWholeLock, 1);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('1', '0', {}));

    // The unlock goes out fifty times, never stopping early, while the
    // test's timer ticks all along.
    m_samples.clear();
    const std::vector<Frame> unlocks = LockRun([&] { ClickLock(0); }, 265, 30000);
    EXPECT_EQ(unlocks.size(), 50u);
    for (const Frame& f : unlocks)
        EXPECT_EQ(f[2], 0x00);
    EXPECT_EQ(LockInForce(m_rig.sim()), QStringLiteral("00"));
    EXPECT_EQ(page().m_pLockBtn[0]->m_nOnValue, 0);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('0', '0', {}));
    EXPECT_GT(m_samples.size(), 50u);
    EXPECT_EQ(m_boxes.texts(), QStringList{m_rig.Text(265)});
}

TEST_F(LockLive, UnconfirmedLockIsReportedAndLeavesNoTrace)
{
    ASSERT_TRUE(m_rig.sim().command(QStringLiteral("lockconfirm 0")));
    EXPECT_EQ(LockRun([&] { ClickLock(0); }, 263, 30000).size(), 50u) << "tried up to the limit";
    EXPECT_EQ(page().m_pLockBtn[0]->m_nOnValue, 0);
    EXPECT_EQ(page().m_nWholeLock, 0);
    EXPECT_FALSE(QFile::exists(CtrlFilePath())) << "nothing confirmed, nothing written";

    // The refused lock does not ride along with the next floor lock.
    ASSERT_TRUE(m_rig.sim().command(QStringLiteral("lockconfirm 1")));
    const std::vector<Frame> locks = LockRun([&] { EditFloors(3, {2}); }, 266);
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0][2], 0x08);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('0', '8', {2}));
}

TEST_F(LockLive, FloorLockSendsTheChosenFloorsAndTheWholeLockKeepsThem)
{
    std::vector<Frame> locks = LockRun([&] { EditFloors(2, {3, 10, 12}); }, 266);
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0][2], 0x04);
    EXPECT_EQ(LockedFloors(locks[0]), (std::vector<int>{3, 10, 12}));
    EXPECT_EQ(LockInForce(m_rig.sim()), QStringLiteral("04"));
    EXPECT_EQ(page().m_pLockBtn[1]->m_nOnValue, 1);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('0', '4', {3, 10, 12}));

    // Locking the whole lift sends the floor lock in force with it.
    locks = LockRun([&] { ClickLock(0); }, 264);
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0][2], 0x06);
    EXPECT_EQ(LockedFloors(locks[0]), (std::vector<int>{3, 10, 12}));
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('1', '4', {3, 10, 12}));

    // Switching the mode off and pressing OK clears the floor lock: a clear
    // goes out fifty times and keeps the whole-lift lock.
    locks = LockRun([&] { EditFloors(2, {}, false); }, 267, 30000);
    EXPECT_EQ(locks.size(), 50u);
    for (const Frame& f : locks)
        EXPECT_EQ(f[2], 0x02);
    EXPECT_EQ(LockInForce(m_rig.sim()), QStringLiteral("02"));
    EXPECT_EQ(page().m_pLockBtn[1]->m_nOnValue, 0);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), MakeRecord('1', '0', {}));
}

TEST_F(LockLive, AllCallsModeWritesItsOwnCodeAndAnUnconfirmedEditRollsBack)
{
    const std::vector<Frame> locks = LockRun([&] { EditFloors(4, {1, 40}); }, 266);
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0][2], 0x10);
    // Floor 40 lies above this 12-floor lift; the editor offers it once a mode is on.
    EXPECT_EQ(LockedFloors(locks[0]), (std::vector<int>{1, 40}));
    const QByteArray record = MakeRecord('0', '9', {1, 40});
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), record);
    EXPECT_EQ(record[42], 'A');

    // The controller stops confirming: the new set is refused and forgotten.
    ASSERT_TRUE(m_rig.sim().command(QStringLiteral("lockconfirm 0")));
    LockRun([&] { EditFloors(4, {5}); }, 263, 30000);
    EXPECT_EQ(page().m_pFloorEdit, page().m_pFloorLive);
    EXPECT_EQ(page().m_pFloorLive[4], 0);
    EXPECT_EQ(page().m_bFloorMode4, 1);
    EXPECT_EQ(RecordOf(FileBytes(CtrlFilePath()), 0), record);
}

TEST(LockRefusal, PortClosedOrLiftOfflineSendsNothing)
{
    BoxLog boxes;
    ShowOneRig rig(kNoLine);
    ASSERT_TRUE(rig.ok());
    CShowOneDlg& page = rig.page();
    for (const auto& [portOpen, offline, text] : {std::tuple{0, 0, 99}, std::tuple{1, 1, 98}}) {
        boxes.clear();
        page.m_bPortOpen = std::uint8_t(portOpen);
        rig.lift().bOffline = std::uint8_t(offline);
        for (int kind : {0, 1, 4})
            SendMessage(&page, WM_BUTSTATE_CLICK, 0, kind);
        QCoreApplication::processEvents();
        EXPECT_EQ(boxes.texts(), QStringList(3, rig.Text(text))) << "no editor opened, no lock command posted";
        EXPECT_FALSE(page.m_pFloorDlg->isVisible() || page.m_pLockTimeDlg->isVisible());
    }
    // Before the lift was ever seen the button itself refuses.
    boxes.clear();
    rig.lift().bOffline = 0;
    QTest::mouseClick(page.m_pLockBtn[0], Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{rig.Text(99)});
}
