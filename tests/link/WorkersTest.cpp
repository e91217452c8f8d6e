// The workers against the bus simulator: what each polls, how it retries and
// marks lifts offline, the messages it posts, the waits it keeps on the line,
// pausing for a lock command, and stopping and starting again.
#include "SimLink.h"

#include <sys/resource.h>
#include <tuple>

namespace {

// CPU the process burns over a second while the test thread only sleeps.
double CpuOverOneSecond()
{
    const auto cpu = [] {
        rusage u{};
        ::getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    const double before = cpu();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return cpu() - before;
}

} // namespace

TEST_F(SimLinkTest, AllLiftsWorkerPollsRetriesAndTheLastRetryDecides)
{
    Start({"--lift", "1:10", "--lift", "2:12", "--lift", "6:8:3"}, kFastLine);
    Install({1, 2, 6}, 10);
    comm.BuildStationTable(store.m_pLiftInf);
    strLiftInf* lifts = store.m_pLiftInf;
    ASSERT_TRUE(sim->command("floor 2 7"));
    ASSERT_TRUE(sim->command("fault 6 33"));
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return lifts[1].nCurFloor == 7 && lifts[5].nFaultCode == 33; }));
    // Slot 3 of station 1 is empty.
    EXPECT_EQ(std::tuple(int(lifts[0].bOffline), int(lifts[2].bOffline), int(lifts[5].nModel)), std::tuple(0, 1, 3));
    EXPECT_EQ(store.m_pLiftFault[5].nFaultCode, 33);

    // A silent station: all four of its lifts offline, four polls a pass;
    // station 3 has no installed lift and is never polled.
    ASSERT_TRUE(sim->command("silent 2 1"));
    ASSERT_TRUE(WaitUntil([&] { return lifts[5].bOffline == 1; }));
    StopPollThread();
    sim->clearRequests();
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return Seen(StatusTo(1)) >= 3; }));
    StopPollThread();
    const std::size_t station1 = Seen(StatusTo(1));
    EXPECT_GE(Seen(StatusTo(2)), 4 * (station1 - 1));  // the stop may end a pass after station 1
    EXPECT_LE(Seen(StatusTo(2)), 4 * station1);
    EXPECT_EQ(Seen(StatusTo(3)), 0u);
    EXPECT_EQ(lifts[4].bOffline - lifts[0].bOffline, 1);

    // With station 2 silent a pass spends 400 ms there: time to look at
    // station 1 between passes. First poll and two retries damaged, the third
    // retry good: online. All four damaged: offline and unparsed for the pass.
    for (const bool allDamaged : {false, true}) {
        StopPollThread();
        ASSERT_TRUE(sim->command(allDamaged ? "floor 1 6" : "floor 1 4"));
        ASSERT_TRUE(sim->command(allDamaged ? "line crc 4" : "line crc 3"));
        sim->clearRequests();
        StartAllLifts();
        ASSERT_TRUE(WaitUntil([&] { return Seen(StatusTo(2)) >= 1; }));
        EXPECT_EQ(Seen(StatusTo(1)), 4u);
        EXPECT_EQ(std::tuple(int(lifts[0].bOffline), int(lifts[0].nCurFloor)), std::tuple(int(allDamaged), 4));
    }
    // The next pass finds it again.
    ASSERT_TRUE(WaitUntil([&] { return Seen(StatusTo(2)) >= 5; }));
    EXPECT_EQ(Seen(StatusTo(1)), 5u);
    EXPECT_EQ(std::tuple(int(lifts[0].bOffline), int(lifts[0].nCurFloor)), std::tuple(0, 6));
    StopPollThread();

    ASSERT_TRUE(sim->command("silent 2 0"));
    ASSERT_TRUE(sim->command("absent 1 1"));
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return lifts[5].bOffline == 0 && lifts[0].bOffline == 1; }));
    EXPECT_EQ(lifts[1].bOffline, 0);
    EXPECT_TRUE(window.messages.empty());  // this worker posts nothing
}

// On a line paced at 9600 baud, measured where the controller reads them:
// requests are spaced by their own wire time plus their reply wait; a reply
// late for its wait is let pass and discarded, never read as the next page;
// a stop of the all-lifts or the single-lift worker ends within one exchange.
TEST_F(SimLinkTest, PacedLineWaitsLateRepliesAndStop)
{
    // The waits the line must keep at 9600 baud (10 bits a byte), less the
    // simulator's own reading time.
    constexpr double kJitterMs = 2;
    const auto wireMs = [](int bytes) { return bytes * 10 * 1000.0 / 9600; };
    const double pageGap = wireMs(kPageRequestLen) + 80;  // 94.6 ms
    Start({"--pace", "--baud", "9600", "--lift", "1:16", "--lift", "5:56", "--speed", "600000"});
    Install({1}, 16);
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    StartOneLift(0);
    ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[0], 3, CallKind::Car, 4));
    ASSERT_TRUE(WaitUntil([&] { return page.nCarLamp[0] == 0x04 && Seen(PageTo(1)) >= 12; }));
    EXPECT_GE(MedianGapMs(PageTo(1)), pageGap - kJitterMs);

    ASSERT_TRUE(sim->command("line late 100"));
    sim->clearRequests();
    ASSERT_TRUE(WaitUntil([&] { return Seen(PageTo(1)) >= 8; }));
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(page.nCarLamp[1], 0);  // page 0's reply (floor 3) read as page 1 shows floor 11
    EXPECT_GE(MedianGapMs(PageTo(1)), pageGap + 80 - kJitterMs);
    ASSERT_TRUE(sim->command("line ok"));
    ASSERT_TRUE(WaitUntil([&] { return lift.bOffline == 0 && page.nCarLamp[0] == 0x04; }));
    EXPECT_EQ(page.nCarLamp[1], 0);
    StopPollThread();

    // Sixteen stations, all but the first silent: a pass takes 61 polls.
    for (int s = 0; s < 16; ++s)
        store.m_pLiftInf[4 * s].nKind = 1;
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_TRUE(sim->command("silent 2 1"));
    sim->clearRequests();
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return Seen(StatusTo(0)) >= 8; }));
    const std::size_t atStop = Seen(StatusTo(0));
    StopPollThread();
    EXPECT_LE(Seen(StatusTo(0)), atStop + 3);  // the one in flight, and the simulator's lag
    EXPECT_GE(MedianGapMs(StatusTo(0)), wireMs(kStatusRequestLen) + 100 - kJitterMs);

    // The single-lift worker on the silent 56-floor lift 5: stopped once it
    // has asked for page 1, it sends nothing more, where waiting for the end
    // of the pass would send pages 2 to 6.
    Install({5}, 56);
    sim->clearRequests();
    StartOneLift(4);
    ASSERT_TRUE(WaitUntil([&] {
        const auto frames = Frames(PageTo(5));
        return !frames.empty() && PageOf(frames.back()) == 1;
    }));
    const std::size_t pagesAtStop = Seen(PageTo(5));
    StopPollThread();
    ASSERT_TRUE(sim->command("line ok"));  // answered after the requests it has read are reported
    EXPECT_LE(Seen(PageTo(5)), pagesAtStop + 1);  // and one the simulator may not have reported yet

    // The group worker on the same lift, still taken as online: stopped after
    // its first try, it makes none of the four retries.
    store.m_pLiftInf[4].bOffline = 0;
    strGroupInf group;
    group.nLiftCount = 1;
    group.byLiftNum[0] = 5;
    sim->clearRequests();
    StartGroup(group);
    ASSERT_TRUE(WaitUntil([&] { return Seen(PageTo(5)) >= 1; }));
    const std::size_t groupAtStop = Seen(PageTo(5));
    StopPollThread();
    ASSERT_TRUE(sim->command("line ok"));
    EXPECT_LE(Seen(PageTo(5)), groupAtStop + 1);
    EXPECT_EQ(store.m_pLiftInf[4].bOffline, 0);
}

// A page that goes unanswered is tried again after a pause as long as the
// reply wait. A stop halfway through that pause ends the single-lift or the
// group worker at once: no request more, where going on would send the
// retries, and long before the pause would have ended.
TEST_F(SimLinkTest, AStopCutsThePauseBeforeARetryShort)
{
    Start({"--lift", "5:56"});
    Install({5}, 56);
    ASSERT_TRUE(sim->command("silent 2 1"));
    // Long waits, so that the stop lands well inside the pause.
    constexpr double kWaitMs = 1600;
    comm.m_nReplyWait = int(kWaitMs);
    const auto nowMs = [] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
    for (const bool group : {false, true}) {
        SCOPED_TRACE(group ? "group worker" : "single-lift worker");
        strGroupInf members;
        members.nLiftCount = 1;
        members.byLiftNum[0] = 5;
        store.m_pLiftInf[4].bOffline = 0;  // still shown online: page 0 is retried
        sim->clearRequests();
        group ? StartGroup(members) : StartOneLift(4);
        ASSERT_TRUE(WaitUntil([&] { return Seen(PageTo(5)) >= 1; }));
        // The reply wait ends one wait after the simulator read the request; the pause follows.
        const double readAt = sim->timedRequests().front().tMs;
        ASSERT_TRUE(WaitUntil([&] { return nowMs() >= readAt + 1.5 * kWaitMs; }));
        ASSERT_EQ(Seen(PageTo(5)), 1u) << "the stop came too late for the pause";
        const double stopAt = nowMs();
        StopPollThread();
        const double stopMs = nowMs() - stopAt;
        ASSERT_TRUE(sim->command("line ok"));  // answered after the requests it has read are reported
        EXPECT_EQ(Seen(PageTo(5)), 1u);
        EXPECT_LT(stopMs, kWaitMs / 4);
        EXPECT_EQ(store.m_pLiftInf[4].bOffline, 0);
    }
}

// The adapter is pulled out under each worker in turn: lifts go offline, no
// worker spins, and the next connect opens the port anew.
TEST_F(SimLinkTest, APortThatGoesAwayFailsQuietly)
{
    const QStringList args{"--lift", "1:10", "--lift", "5:10", "--lift", "64:10"};
    Start(args, kFastLine);
    Install({1, 5, 64}, 10);
    comm.BuildStationTable(store.m_pLiftInf);
    strLiftInf* lifts = store.m_pLiftInf;
    const auto offline = [&](int v) { return lifts[0].bOffline == v && lifts[4].bOffline == v && lifts[63].bOffline == v; };
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return offline(0) && lifts[63].nCurFloor == 1; }));
    sim->kill();
    ASSERT_TRUE(WaitUntil([&] { return offline(1); }));
    EXPECT_LT(CpuOverOneSecond(), 0.5);

    strGroupInf group;
    group.nLiftCount = 2;
    group.byLiftNum = {1, 64};
    StartGroup(group);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_POLL_DONE) >= 2; }));
    EXPECT_LT(CpuOverOneSecond(), 0.5);
    lifts[0].bOffline = 0;
    StartOneLift(0);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_LIFT_COMM_FAILED, 2) >= 2; }));
    EXPECT_EQ(lifts[0].bOffline, 1);
    StopPollThread();
    EXPECT_EQ(g_pPollThread, nullptr);

    Start(args, kFastLine);
    ASSERT_TRUE(sim->command("floor 64 3"));
    StartAllLifts();
    ASSERT_TRUE(WaitUntil([&] { return lifts[63].nCurFloor == 3 && offline(0); }));
}

TEST_F(SimLinkTest, GroupWorker)
{
    Start({"--lift", "1:20", "--lift", "2:80", "--lift", "5:8", "--lift", "6:8", "--lift", "9:8"});
    Install({1, 2, 5, 6}, 20);
    store.m_pLiftPage[1].nPageCount = 0;  // not known yet: read first
    store.m_pLiftPage[5].nPageCount = 0;  // the same, on a silent station
    strGroupInf group;
    group.nLiftCount = 6;
    group.byLiftNum = {1, 2, 9, 5, 6, 200};  // 9 is not installed in the store, 200 is no lift
    ASSERT_TRUE(sim->command("silent 2 1"));
    StartGroup(group);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_POLL_DONE) >= 3; }));
    StopPollThread();
    PumpMessages();
    const int passes = window.Count(WM_POLL_DONE);
    for (const auto& m : window.Of(WM_POLL_DONE))
        EXPECT_EQ(m.wParam + WPARAM(m.lParam), 0u);
    // Counts of whole passes, and of a last pass that the stop may cut short.
    const auto inPasses = [passes](std::size_t n, int first, int perPass) {
        return int(n) >= first + perPass * (passes - 1) && int(n) <= first + perPass * passes;
    };

    // Per pass a status message for each installed member, in order.
    const auto status = window.Of(WM_LIFT_STATUS);
    ASSERT_TRUE(inPasses(status.size(), 4, 4)) << status.size();
    const WPARAM order[] = {0, 1, 4, 5};
    for (std::size_t i = 0; i < status.size(); ++i) {
        EXPECT_EQ(status[i].wParam, order[i % 4]);
        EXPECT_EQ(status[i].lParam, Context());
    }
    // The tall lift: its parameters read once, then at most the seven pages of
    // the command block each pass, with call flag 0.
    const auto tall = Frames(PageTo(2));
    ASSERT_TRUE(inPasses(tall.size(), 1 + 7, 7)) << tall.size();
    EXPECT_EQ(tall[0], WithCrc({2, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(store.m_pLiftPage[1].nPageCount, 7);
    for (std::size_t i = 1; i < tall.size(); ++i) {
        EXPECT_EQ(PageOf(tall[i]), int((i - 1) % 7));
        EXPECT_EQ(tall[i][7], 0);
    }
    EXPECT_TRUE(inPasses(Seen(PageTo(1)), 3, 3));
    EXPECT_EQ(Seen(PageTo(9)), 0u);
    // The silent member: five attempts in the first pass, then one a pass.
    EXPECT_TRUE(inPasses(SeenAtLeast(5 + passes - 1, PageTo(5)), 5, 1));
    EXPECT_EQ(store.m_pLiftInf[4].bOffline, 1);
    // The silent member without floors: offline, and only parameter reads.
    EXPECT_EQ(store.m_pLiftInf[5].bOffline, 1);
    for (const Bytes& f : Frames(PageTo(6)))
        EXPECT_EQ(f, WithCrc({6, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(SimLinkTest, OneLiftWorker)
{
    Start({"--lift", "9:20", "--speed", "60000"});
    Install({9}, 20);
    StartOneLift(8);
    ASSERT_TRUE(WaitUntil([&] { return Seen(PageTo(9)) >= 7; }));
    auto frames = Frames(PageTo(9));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(PageOf(frames[i]), int(i % 3));
        EXPECT_EQ(frames[i][7], 1);
    }
    EXPECT_TRUE(window.messages.empty());

    // Parked for a lock command, the worker leaves the line to it; a stop
    // while parked ends the worker.
    g_pPollThread->RequestPause();
    EXPECT_TRUE(g_pPollThread->IsPaused());
    const std::size_t pagesBefore = Seen(PageTo(9));
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 9, 1), 2);
    EXPECT_EQ(SeenAtLeast(1, LockTo(9)), 1u);
    EXPECT_EQ(Seen(PageTo(9)), pagesBefore);
    g_pPollThread->Resume();
    ASSERT_TRUE(WaitUntil([&] { return Seen(PageTo(9)) > pagesBefore + 2; }));
    EXPECT_TRUE(sim->dump(9).contains("lock=02"));
    g_pPollThread->RequestPause();
    StopPollThread();
    EXPECT_EQ(g_pPollThread, nullptr);

    // The station falls silent: five tries on the first page, then one a
    // page; a message per page and one more per pass.
    ASSERT_TRUE(sim->command("silent 3 1"));
    sim->clearRequests();
    window.messages.clear();
    StartOneLift(8);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_LIFT_COMM_FAILED) >= 8; }));
    StopPollThread();
    PumpMessages();
    EXPECT_EQ(store.m_pLiftInf[8].bOffline, 1);
    EXPECT_EQ(window.Count(WM_LIFT_COMM_FAILED, 1), int(window.messages.size()));
    for (const auto& m : window.messages)
        EXPECT_EQ(m.lParam, 9);
    // messages = pages + passes, and pages = 3 passes + 0..2 of a pass cut short.
    const int messages = int(window.messages.size());
    const int pages = int(SeenAtLeast(std::size_t(4 + (3 * messages + 3) / 4), PageTo(9))) - 4;
    const int passes = messages - pages;
    EXPECT_GE(passes, 1);
    EXPECT_GE(pages - 3 * passes, 0) << pages << " pages, " << passes << " passes";
    EXPECT_LE(pages - 3 * passes, 2) << pages << " pages, " << passes << " passes";
}

TEST_F(SimLinkTest, StationScanSendsProgressAndFinish)
{
    QStringList args;
    for (int s = 1; s <= 16; ++s)
        if (s != 7)
            args << "--lift" << QStringLiteral("%1:%2").arg(4 * s - 3).arg(s + 4);
    Start(args, kFastLine);
    store.m_pLiftInf[24].bOffline = 0;
    g_hPollTarget = &window;
    std::vector<int> floorsSeen;
    window.onMessage = [&](const LoggedMessage& m) {
        // Sent, not posted: the handler runs inside the scan, right after its station.
        if (m.msg == WM_READ_PROGRESS)
            floorsSeen.push_back(store.m_pLiftInf[4 * (int(m.lParam) - 1)].nMaxFloor);
    };
    comm.ScanAllStations(store.m_pLiftInf, store.m_pLiftPage);
    ASSERT_EQ(window.messages.size(), 17u);
    for (int s = 0; s < 16; ++s) {
        EXPECT_EQ(Msg(window.messages[s]), std::tuple(WM_READ_PROGRESS, WPARAM(1), LPARAM(s + 1)));
        EXPECT_EQ(floorsSeen[s], s == 6 ? 0 : s + 5);
    }
    EXPECT_EQ(Msg(window.messages[16]), std::tuple(WM_READ_FINISHED, WPARAM(1), LPARAM(0)));
    EXPECT_EQ(comm.m_pLiftInf, store.m_pLiftInf);
    EXPECT_EQ(store.m_pLiftPage[8].nPageCount, 1);
    EXPECT_EQ(store.m_pLiftInf[24].bOffline + store.m_pLiftInf[25].bOffline, 2);  // station 7 never answered
    EXPECT_EQ(store.m_pLiftInf[0].bOffline, 0);
    EXPECT_EQ(store.m_pLiftInf[1].bOffline, 1);  // reported absent
    EXPECT_EQ(Seen(StatusTo(7)), 4u);
    EXPECT_EQ(SeenAtLeast(4, ConfigTo(7)), 4u);
}

TEST_F(SimLinkTest, HeightRuns)
{
    QStringList args{"--speed", "20", "--door", "40"};
    for (int n = 1; n <= 64; ++n)
        args << "--lift" << (n == 2 ? QStringLiteral("2:80") : QStringLiteral("%1:%2:1:%3").arg(n).arg(n % 2 ? 4 : 5).arg(1000 + n));
    Start(args, kFastLine);
    // Runs to its own end: the worker resets the run event itself.
    const auto run = [&](int mode, int index) {
        window.messages.clear();
        StartHeightRun(mode, index);
        EXPECT_TRUE(WaitUntil([&] { return window.Count(WM_READ_FINISHED) + window.Count(WM_READ_FAILED) > 0; }, 60000));
        EXPECT_TRUE(WaitUntil([&] { return g_pPollThread->IsFinished(); }));
        EXPECT_FALSE(g_hPollThreadRun.IsSet());
        StopPollThread();
        PumpMessages();
        return window.messages.back();
    };

    // One lift arrives at the top in controller mode 7.
    EXPECT_EQ(Msg(run(2, 0)), std::tuple(WM_READ_FINISHED, WPARAM(2), LPARAM(0)));
    EXPECT_EQ(store.m_pLiftInf[0].nCurFloor, 4);
    for (const auto& m : window.Of(WM_READ_PROGRESS)) {
        EXPECT_TRUE(m.wParam == 2 || m.wParam == 4);
        EXPECT_EQ(m.lParam, Context());
    }
    // It leaves mode 7, or has a fault (from the status poll: the floor
    // call's reply carries none).
    ASSERT_TRUE(sim->command("mode 3 4"));
    EXPECT_EQ(Msg(run(2, 2)), std::tuple(WM_READ_FINISHED, WPARAM(4), LPARAM(2)));
    ASSERT_TRUE(sim->command("mode 3 7"));
    store.m_pLiftInf[2].nFaultCode = 12;
    EXPECT_EQ(Msg(run(2, 2)), std::tuple(WM_READ_FINISHED, WPARAM(4), LPARAM(2)));
    store.m_pLiftInf[2].nFaultCode = 0;
    // A top floor that no call can reach: the lift stands, time-out after 151
    // cycles. On a loaded machine one of those exchanges may miss all its
    // tries and fail the run, as it should: that run is made again.
    auto stood = run(2, 1);
    for (int again = 0; again < 2 && stood.msg == WM_READ_FAILED; ++again)
        stood = run(2, 1);
    EXPECT_EQ(Msg(stood), std::tuple(WM_READ_FINISHED, WPARAM(5), Context()));
    EXPECT_EQ(window.Count(WM_READ_PROGRESS), 151);
    // No reply.
    ASSERT_TRUE(sim->command("silent 1 1"));
    EXPECT_EQ(Msg(run(2, 0)), std::tuple(WM_READ_FAILED, WPARAM(0), Context()));
    ASSERT_TRUE(sim->command("silent 1 0"));

    // All lifts: those in mode 7 (3, 40 installed, 11 not) are measured at
    // their top floors; the others are not waited for.
    Install({3, 10, 40}, 4);
    for (int n = 1; n <= 64; ++n) {
        store.m_pLiftInf[n - 1].bHeightKnown = 1;
        if (n != 3 && n != 11 && n != 40) {
            ASSERT_TRUE(sim->command(QStringLiteral("mode %1 2").arg(n)));
        }
    }
    EXPECT_EQ(Msg(run(3, 0)), std::tuple(WM_READ_FINISHED, WPARAM(3), LPARAM(0)));
    for (const auto& m : window.Of(WM_READ_PROGRESS))
        EXPECT_EQ(Msg(m), std::tuple(WM_READ_PROGRESS, WPARAM(3), Context()));
    for (int n : {3, 11, 40}) {
        EXPECT_EQ(store.m_pLiftInf[n - 1].bHeightKnown, 1) << n;
        EXPECT_EQ(store.m_pLiftInf[n - 1].nHeight, 1000 + n) << n;
    }
    // No installed lift answers.
    for (const char* line : {"silent 1 1", "silent 3 1", "silent 10 1"})
        ASSERT_TRUE(sim->command(line));
    EXPECT_EQ(Msg(run(3, 0)), std::tuple(WM_READ_FINISHED, WPARAM(6), LPARAM(0)));
}

TEST_F(SimLinkTest, EveryWorkerStopsAndStartsAgainWithoutLeaks)
{
    Start({"--lift", "1:20", "--lift", "2:8"}, kFastLine);
    Install({1, 2}, 20);
    comm.BuildStationTable(store.m_pLiftInf);
    strGroupInf group;
    group.nLiftCount = 2;
    group.byLiftNum = {1, 2};
    const int threads = CountEntries("/proc/self/task");
    const int fds = CountEntries("/proc/self/fd");
    const std::function<void()> starts[] = {[&] { StartAllLifts(); }, [&] { StartGroup(group); },
                                            [&] { StartOneLift(0); }, [&] { StartHeightRun(2, 0); }};
    for (int round = 0; round < 2; ++round) {
        for (const auto& start : starts) {
            sim->clearRequests();
            start();
            ASSERT_NE(g_pPollThread, nullptr);
            EXPECT_TRUE(WaitUntil([&] { return !sim->requests().empty(); }));
            EXPECT_EQ(StopPollThread(), 1);
            EXPECT_EQ(g_pPollThread, nullptr);
            EXPECT_FALSE(g_hPollThreadRun.IsSet());
        }
    }
    // Starting one worker stops the one before; a worker left running would
    // show as a thread more.
    StartAllLifts();
    StartGroup(group);
    EXPECT_EQ(StopPollThread(), 1);
    EXPECT_EQ(StopPollThread(), 1);  // nothing running
    EXPECT_EQ(CountEntries("/proc/self/task"), threads);
    EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
}
