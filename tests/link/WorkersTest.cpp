// The workers against the bus simulator: what each polls, how it retries and
// marks lifts offline, the messages it posts, pausing for a lock command, and
// stopping and starting again.
#include "SimLink.h"

#include <random>
#include <sys/resource.h>

namespace {

double ProcessCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU the process burns over a second while the test thread only sleeps.
double CpuOverOneSecond()
{
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    return ProcessCpuSeconds() - before;
}

void StartAllLiftsWorker(CLiftComm& comm, MessageLog& window, CLiftDataStore& store)
{
    StartPollThread(PollAllThreadProc, &comm, &window, [&store](CLiftComm& c) {
        c.m_pLiftInf = store.m_pLiftInf;
        c.m_pLiftPage = store.m_pLiftPage;
        c.m_pLiftCmd = store.m_pLiftCmd;
        c.m_pLiftFault = store.m_pLiftFault;
    });
}

void StartOneLiftWorker(CLiftComm& comm, MessageLog& window, CLiftDataStore& store, int liftIndex)
{
    StartPollThread(PollOneThreadProc, &comm, &window, [&store, liftIndex](CLiftComm& c) {
        c.m_pLiftInf = &store.m_pLiftInf[liftIndex];
        c.m_pLiftPage = &store.m_pLiftPage[liftIndex];
        c.m_pLiftCmd = &store.m_pLiftCmd[liftIndex];
    });
}

} // namespace

TEST_F(SimLinkTest, AllLiftsWorkerPollsInstalledStationsAndRetriesThree)
{
    Start({"--lift", "1:10", "--lift", "2:12", "--lift", "6:8:3"}, kFastLine);
    Install({1, 2, 6}, 10);
    store.m_pLiftInf[0].nCurFloor = 0;
    store.m_pLiftFault[0].nFaultCode = 0;
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_TRUE(sim->command("floor 2 7"));
    ASSERT_TRUE(sim->command("fault 6 33"));
    StartAllLiftsWorker(comm, window, store);

    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[1].nCurFloor == 7 && store.m_pLiftInf[5].nFaultCode == 33; }));
    EXPECT_EQ(store.m_pLiftInf[0].bOffline, 0);
    EXPECT_EQ(store.m_pLiftInf[5].nModel, 3);
    EXPECT_EQ(store.m_pLiftFault[5].nFaultCode, 33);
    EXPECT_EQ(store.m_pLiftInf[2].bOffline, 1);  // empty slot of station 1

    // A silent station: its lifts go offline, and each pass polls it four times.
    ASSERT_TRUE(sim->command("silent 2 1"));
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[5].bOffline == 1; }));
    StopPollThread();
    sim->clearRequests();
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return StatusFrames(1).size() >= 3; }));
    StopPollThread();
    // The stop may end a pass after station 1.
    EXPECT_GE(StatusFrames(2).size(), 4 * (StatusFrames(1).size() - 1));
    EXPECT_LE(StatusFrames(2).size(), 4 * StatusFrames(1).size());
    EXPECT_TRUE(StatusFrames(3).empty());  // no installed lift there
    EXPECT_EQ(store.m_pLiftInf[4].bOffline, 1);  // all four lifts of the station
    EXPECT_EQ(store.m_pLiftInf[0].bOffline, 0);

    ASSERT_TRUE(sim->command("silent 2 0"));
    ASSERT_TRUE(sim->command("absent 1 1"));
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[5].bOffline == 0 && store.m_pLiftInf[0].bOffline == 1; }));
    EXPECT_EQ(store.m_pLiftInf[1].bOffline, 0);
    EXPECT_TRUE(window.messages.empty());  // this worker posts nothing
}

// On a line paced at 9600 baud, measured where the controller reads them:
// requests are spaced by their own wire time plus their reply wait; a reply
// late for its wait is let pass and discarded, never read as the next page;
// a stop of the all-lifts worker ends within one exchange.
TEST_F(SimLinkTest, PacedLineWaitsLateRepliesAndStop)
{
    // The waits the line must keep at 9600 baud (10 bits a byte), less the
    // simulator's own reading time.
    constexpr double kJitterMs = 2;
    const auto wireMs = [](int bytes) { return bytes * 10 * 1000.0 / 9600; };
    const double pageGap = wireMs(kPageRequestLen) + 80;  // 94.6 ms
    Start({"--pace", "--baud", "9600", "--lift", "1:16", "--lift", "5:8", "--speed", "600000"});
    Install({1}, 16);
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    StartOneLiftWorker(comm, window, store, 0);
    ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[0], 3, CallKind::Car, 4));
    ASSERT_TRUE(WaitUntil([&] { return page.nCarLamp[0] == 0x04 && PageFrames(1).size() >= 12; }));
    EXPECT_GE(MedianGapMs(PageTo(1)), pageGap - kJitterMs);

    ASSERT_TRUE(sim->command("line late 100"));
    sim->clearRequests();
    ASSERT_TRUE(WaitUntil([&] { return PageFrames(1).size() >= 8; }));
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
    const Keep status = [](const Bytes& f) { return f.size() == 12 && f[1] == 0x10; };
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return Frames(status).size() >= 8; }));
    const std::size_t atStop = Frames(status).size();
    StopPollThread();
    EXPECT_LE(Frames(status).size(), atStop + 3);  // the one in flight, and the simulator's lag
    EXPECT_GE(MedianGapMs(status), wireMs(kStatusRequestLen) + 100 - kJitterMs);
}

TEST_F(SimLinkTest, AllLiftsWorkerLastOfThreeRetriesDecides)
{
    // Station 2 stays silent, so each pass spends 400 ms on it: time enough to
    // look at station 1's lift between its polls of one pass and the next.
    Start({"--lift", "1:10", "--lift", "5:10"}, kFastLine);
    Install({1, 5}, 10);
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_TRUE(sim->command("silent 2 1"));
    ASSERT_TRUE(sim->command("floor 1 4"));
    strLiftInf& lift = store.m_pLiftInf[0];

    // The first poll and two retries damaged, the third retry good: online.
    ASSERT_TRUE(sim->command("line crc 3"));
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return StatusFrames(2).size() >= 1; }));
    EXPECT_EQ(StatusFrames(1).size(), 4u);
    EXPECT_EQ(lift.bOffline, 0);
    EXPECT_EQ(lift.nCurFloor, 4);
    StopPollThread();

    // All four damaged: the lift stays offline for the pass, unparsed.
    ASSERT_TRUE(sim->command("floor 1 6"));
    ASSERT_TRUE(sim->command("line crc 4"));
    sim->clearRequests();
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return StatusFrames(2).size() >= 1; }));
    EXPECT_EQ(StatusFrames(1).size(), 4u);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(lift.nCurFloor, 4);
    // The next pass finds it again.
    ASSERT_TRUE(WaitUntil([&] { return StatusFrames(2).size() >= 5; }));
    EXPECT_EQ(StatusFrames(1).size(), 5u);
    EXPECT_EQ(lift.bOffline, 0);
    EXPECT_EQ(lift.nCurFloor, 6);
}

TEST_F(SimLinkTest, ClosedPortMarksOfflineWithoutSpinning)
{
    Install({1, 2, 9}, 10);
    UseWholeTables(comm);
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_EQ(g_hComPort, kPortClosed);
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[8].bOffline == 1 && store.m_pLiftInf[1].bOffline == 1; }));
    EXPECT_LT(CpuOverOneSecond(), 0.5);

    strGroupInf group;
    group.nLiftCount = 2;
    group.byLiftNum[0] = 1;
    group.byLiftNum[1] = 9;
    StartPollThread(PollGroupThreadProc, &comm, &window, [&](CLiftComm& c) {
        UseWholeTables(c);
        c.m_pGroup = &group;
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_POLL_DONE) >= 2; }));
    EXPECT_LT(CpuOverOneSecond(), 0.5);
    StopPollThread();
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(SimLinkTest, SimulatorKilledMidPoll)
{
    Start({"--lift", "1:10", "--lift", "5:10", "--lift", "64:10"}, kFastLine);
    Install({1, 5, 64}, 10);
    comm.BuildStationTable(store.m_pLiftInf);
    StartAllLiftsWorker(comm, window, store);
    auto allOnline = [&] {
        return store.m_pLiftInf[0].nCurFloor == 1 && store.m_pLiftInf[0].bOffline == 0 &&
               store.m_pLiftInf[4].bOffline == 0 && store.m_pLiftInf[63].bOffline == 0 &&
               store.m_pLiftInf[63].nCurFloor == 1;
    };
    ASSERT_TRUE(WaitUntil(allOnline));

    sim->kill();  // the adapter is pulled out
    ASSERT_TRUE(WaitUntil([&] {
        return store.m_pLiftInf[0].bOffline == 1 && store.m_pLiftInf[4].bOffline == 1 &&
               store.m_pLiftInf[63].bOffline == 1;
    }));
    EXPECT_LT(CpuOverOneSecond(), 0.5);
    StopPollThread();

    // Plugged in again: the next connect opens the port anew and polling resumes.
    Start({"--lift", "1:10", "--lift", "5:10", "--lift", "64:10"}, kFastLine);
    ASSERT_TRUE(sim->command("floor 64 3"));
    StartAllLiftsWorker(comm, window, store);
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[63].nCurFloor == 3 && store.m_pLiftInf[0].bOffline == 0; }));
}

TEST_F(SimLinkTest, GroupWorker)
{
    Start({"--lift", "1:20", "--lift", "2:80", "--lift", "5:8", "--lift", "9:8"});
    Install({1, 2, 5}, 20);
    store.m_pLiftPage[1].nPageCount = 0;  // not known yet: read first
    store.m_pLiftInf[8].nKind = 0;        // not installed in the store: skipped
    strGroupInf group;
    group.nLiftCount = 5;
    group.byLiftNum = {1, 2, 9, 5, 200};  // 200 is no lift at all
    ASSERT_TRUE(sim->command("silent 2 1"));

    StartPollThread(PollGroupThreadProc, &comm, &window, [&](CLiftComm& c) {
        UseWholeTables(c);
        c.m_pGroup = &group;
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_POLL_DONE) >= 3; }));
    StopPollThread();
    PumpMessages();
    const int passes = window.Count(WM_POLL_DONE);

    // Per pass: a status message for each installed member, then one done.
    // The stop may cut the last pass short, after any member.
    const auto inPasses = [passes](std::size_t n, int first, int perPass) {
        return int(n) >= first + perPass * (passes - 1) && int(n) <= first + perPass * passes;
    };
    const auto status = window.Of(WM_LIFT_STATUS);
    ASSERT_TRUE(inPasses(status.size(), 3, 3)) << status.size();
    const WPARAM order[] = {0, 1, 4};
    for (std::size_t i = 0; i < status.size(); ++i) {
        EXPECT_EQ(status[i].wParam, order[i % 3]);
        EXPECT_EQ(status[i].lParam, Context());
    }
    for (const auto& m : window.Of(WM_POLL_DONE))
        EXPECT_EQ(m.wParam + WPARAM(m.lParam), 0u);

    // The tall lift: its parameters read once, then every pass at most the
    // seven pages of the command block.
    const auto tall = PageFrames(2);
    ASSERT_FALSE(tall.empty());
    EXPECT_EQ(tall[0], WithCrc({2, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(inPasses(tall.size(), 1 + 7, 7)) << tall.size();
    EXPECT_EQ(store.m_pLiftPage[1].nPageCount, 7);
    for (std::size_t i = 1; i < tall.size(); ++i) {
        EXPECT_EQ(PageOf(tall[i]), int((i - 1) % 7));
        EXPECT_EQ(tall[i][7], 0);  // group exchanges carry call flag 0
    }
    EXPECT_TRUE(PageFrames(9).empty());

    // The silent member: five attempts in the first pass, then one per pass.
    EXPECT_TRUE(inPasses(FramesAtLeast(5 + passes - 1, PageTo(5)).size(), 5, 1));
    EXPECT_EQ(store.m_pLiftInf[4].bOffline, 1);
    EXPECT_EQ(store.m_pLiftInf[0].bOffline, 0);
    EXPECT_TRUE(inPasses(PageFrames(1).size(), 3, 3)) << PageFrames(1).size();
}

TEST_F(SimLinkTest, GroupMemberWithoutFloorsGetsNoPages)
{
    Start({"--lift", "3:10"}, kFastLine);
    Install({3}, 10);
    store.m_pLiftPage[2].nPageCount = 0;
    ASSERT_TRUE(sim->command("silent 1 1"));
    strGroupInf group;
    group.nLiftCount = 1;
    group.byLiftNum[0] = 3;
    StartPollThread(PollGroupThreadProc, &comm, &window, [&](CLiftComm& c) {
        UseWholeTables(c);
        c.m_pGroup = &group;
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_POLL_DONE) >= 2; }));
    StopPollThread();
    EXPECT_EQ(store.m_pLiftInf[2].bOffline, 1);
    // Only parameter reads went out: request byte 2..6 zero, call flag 1.
    for (const Bytes& f : PageFrames(3))
        EXPECT_EQ(f, WithCrc({3, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(SimLinkTest, OneLiftWorkerExchangesEveryPageAndReportsFailures)
{
    Start({"--lift", "9:20", "--speed", "60000"});
    Install({9}, 20);
    StartOneLiftWorker(comm, window, store, 8);
    ASSERT_TRUE(WaitUntil([&] { return PageFrames(9).size() >= 7; }));
    auto frames = PageFrames(9);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(PageOf(frames[i]), int(i % 3));
        EXPECT_EQ(frames[i][7], 1);
    }
    EXPECT_TRUE(window.messages.empty());

    // A call registered while the worker runs goes out in exactly five requests.
    ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[8], 20, CallKind::Down, 4));
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftCmd[8].nHallCallLo[2] == 0; }));
    int carried = 0;
    for (const Bytes& f : PageFrames(9))
        carried += PageOf(f) == 2 && (f[5] & 0x80);
    EXPECT_EQ(carried, 5);

    // The station falls silent: five tries on the first page, then one try
    // per page, and a message per page plus one per pass.
    StopPollThread();
    ASSERT_TRUE(sim->command("silent 3 1"));
    sim->clearRequests();
    window.messages.clear();
    StartOneLiftWorker(comm, window, store, 8);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_LIFT_COMM_FAILED) >= 8; }));
    StopPollThread();
    PumpMessages();
    EXPECT_EQ(store.m_pLiftInf[8].bOffline, 1);
    const int tries = int(PageFrames(9).size());
    const int messages = window.Count(WM_LIFT_COMM_FAILED, 1);
    EXPECT_EQ(messages, window.Count(WM_LIFT_COMM_FAILED));
    for (const auto& m : window.messages)
        EXPECT_EQ(m.lParam, 9);
    // tries = 5 + 1 + 1 + 3 * (passes - 1); messages = 4 * passes
    ASSERT_EQ((tries - 7) % 3, 0) << tries;
    const int passes = 1 + (tries - 7) / 3;
    EXPECT_EQ(messages, 4 * passes);
}

// The operator registers calls at random while the single-lift worker
// exchanges. On the line, every stretch of requests of a page that carries a
// call is at least five requests long (countdown 4, all replies good), and
// when the operator stops, every call runs out.
TEST_F(SimLinkTest, CallsRegisteredWhileTheWorkerRunsAreNeverCutShort)
{
    Start({"--lift", "4:16", "--speed", "60000"}, kFastLine);
    Install({4}, 16);
    strLiftCmd& cmd = store.m_pLiftCmd[3];
    StartOneLiftWorker(comm, window, store, 3);
    ASSERT_TRUE(WaitUntil([&] { return PageFrames(4).size() >= 2; }));

    std::mt19937 rng(5);
    std::array<bool, 48> registered{};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        const int floor = 1 + int(rng() % 16);
        const int kind = 1 + int(rng() % 3);
        ASSERT_TRUE(RegisterCall(cmd, floor, CallKind(kind), 4));
        registered[3 * (floor - 1) + kind - 1] = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 25));
    }
    ASSERT_TRUE(WaitUntil([&] {
        return cmd.nCarCall[0] == 0 && cmd.nCarCall[1] == 0 && cmd.nHallCallLo[0] == 0 && cmd.nHallCallLo[1] == 0 &&
               cmd.nHallCallHi[0] == 0 && cmd.nHallCallHi[1] == 0;
    }));
    StopPollThread();
    EXPECT_EQ(store.m_pLiftInf[3].bOffline, 0);

    const auto frames = PageFrames(4);
    for (int page = 0; page < 2; ++page) {
        for (int b = 0; b < 8; ++b) {
            for (int kind = 1; kind <= 3; ++kind) {
                const int floor = 8 * page + b + 1;
                int run = 0;
                int runs = 0;
                for (const Bytes& f : frames) {
                    if (PageOf(f) != page)
                        continue;
                    const std::uint8_t hall = b < 4 ? f[5] : f[6];
                    const bool carried = kind == 1 ? (f[4] >> b) & 1 : (hall >> (2 * (b % 4) + (kind - 2))) & 1;
                    if (carried) {
                        ++run;
                        continue;
                    }
                    if (run > 0) {
                        EXPECT_GE(run, 5) << "floor " << floor << " kind " << kind;
                        ++runs;
                    }
                    run = 0;
                }
                if (run > 0) {  // the last stretch ended by the clear itself
                    EXPECT_GE(run, 5) << "floor " << floor << " kind " << kind;
                    ++runs;
                }
                EXPECT_EQ(runs > 0, registered[3 * (floor - 1) + kind - 1]) << "floor " << floor << " kind " << kind;
            }
        }
    }
}

TEST_F(SimLinkTest, OneLiftWorkerPausesForALockCommand)
{
    Start({"--lift", "4:8"});
    Install({4}, 8);
    StartOneLiftWorker(comm, window, store, 3);
    ASSERT_TRUE(WaitUntil([&] { return PageFrames(4).size() >= 3; }));

    g_pPollThread->RequestPause();
    EXPECT_TRUE(g_pPollThread->IsPaused());
    const std::size_t pagesBefore = PageFrames(4).size();
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 4, 1), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(PageFrames(4).size(), pagesBefore);  // the line was the lock command's alone
    EXPECT_EQ(LockFrames(4).size(), 1u);
    g_pPollThread->Resume();
    ASSERT_TRUE(WaitUntil([&] { return PageFrames(4).size() > pagesBefore + 2; }));
    EXPECT_TRUE(sim->dump(4).contains("lock=02"));  // the controller holds the lock

    // A stop while paused ends the worker.
    g_pPollThread->RequestPause();
    StopPollThread();
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(SimLinkTest, OneLiftWorkerPortGone)
{
    Start({"--lift", "4:8"}, kFastLine);
    Install({4}, 8);
    StartOneLiftWorker(comm, window, store, 3);
    ASSERT_TRUE(WaitUntil([&] { return store.m_pLiftInf[3].nCurFloor == 1; }));
    sim->kill();
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_LIFT_COMM_FAILED, 2) >= 2; }));
    EXPECT_EQ(store.m_pLiftInf[3].bOffline, 1);
    StopPollThread();
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
        EXPECT_EQ(window.messages[s].msg, WM_READ_PROGRESS);
        EXPECT_EQ(window.messages[s].wParam, 1u);
        EXPECT_EQ(window.messages[s].lParam, s + 1);
        EXPECT_EQ(floorsSeen[s], s == 6 ? 0 : s + 5);
    }
    EXPECT_EQ(window.messages[16].msg, WM_READ_FINISHED);
    EXPECT_EQ(window.messages[16].wParam, 1u);
    EXPECT_EQ(window.messages[16].lParam, 0);
    EXPECT_EQ(comm.m_pLiftInf, store.m_pLiftInf);
    EXPECT_EQ(store.m_pLiftPage[8].nPageCount, 1);
    EXPECT_EQ(store.m_pLiftInf[24].bOffline, 1);  // station 7 never answered
    EXPECT_EQ(store.m_pLiftInf[25].bOffline, 1);
    EXPECT_EQ(store.m_pLiftInf[0].bOffline, 0);
    EXPECT_EQ(store.m_pLiftInf[1].bOffline, 1);  // reported absent
    EXPECT_EQ(StatusFrames(7).size(), 4u);
    EXPECT_EQ(FramesAtLeast(4, ConfigTo(7)).size(), 4u);
}

TEST_F(SimLinkTest, HeightOfOneLift)
{
    Start({"--lift", "1:6", "--lift", "2:80", "--lift", "3:6", "--speed", "100", "--door", "40"}, kFastLine);
    auto run = [&](int index) {
        window.messages.clear();
        StartPollThread(BatchThreadProc, &comm, &window, [&](CLiftComm& c) {
            c.m_nBatchMode = 2;
            c.m_nLiftIndex = index;
            c.m_pLiftInf = &store.m_pLiftInf[index];
        });
        EXPECT_TRUE(WaitUntil([&] { return window.Count(WM_READ_FINISHED) + window.Count(WM_READ_FAILED) > 0; }, 30000));
        EXPECT_TRUE(WaitUntil([&] { return g_pPollThread->IsFinished(); }));  // ends by itself
        EXPECT_FALSE(g_hPollThreadRun.IsSet());
        StopPollThread();
        PumpMessages();
        return window.messages.back();
    };

    // Arrives at the top in controller mode 7.
    LoggedMessage last = run(0);
    EXPECT_EQ(last.msg, WM_READ_FINISHED);
    EXPECT_EQ(last.wParam, 2u);
    EXPECT_EQ(last.lParam, 0);
    EXPECT_EQ(store.m_pLiftInf[0].nCurFloor, 6);
    for (const auto& m : window.Of(WM_READ_PROGRESS)) {
        EXPECT_TRUE(m.wParam == 2 || m.wParam == 4);
        EXPECT_EQ(m.lParam, Context());
    }

    // Leaves mode 7.
    ASSERT_TRUE(sim->command("mode 3 4"));
    last = run(2);
    EXPECT_EQ(last.wParam, 4u);
    EXPECT_EQ(last.lParam, 2);
    ASSERT_TRUE(sim->command("mode 3 7"));
    // The floor call's reply carries no fault code: the run sees the one the
    // status poll left in the record.
    store.m_pLiftInf[2].nFaultCode = 12;
    last = run(2);
    EXPECT_EQ(last.wParam, 4u);

    // A top floor that no call can reach: the lift stands, time-out after 151 cycles.
    last = run(1);
    EXPECT_EQ(last.msg, WM_READ_FINISHED);
    EXPECT_EQ(last.wParam, 5u);
    EXPECT_EQ(last.lParam, Context());
    EXPECT_EQ(window.Count(WM_READ_PROGRESS), 151);

    // No reply.
    ASSERT_TRUE(sim->command("silent 1 1"));
    last = run(0);
    EXPECT_EQ(last.msg, WM_READ_FAILED);
    EXPECT_EQ(last.wParam, 0u);
    EXPECT_EQ(last.lParam, Context());
}

TEST_F(SimLinkTest, HeightsOfAllLifts)
{
    QStringList args{"--speed", "20", "--door", "40"};
    for (int n = 1; n <= 64; ++n)
        args << "--lift" << QStringLiteral("%1:%2:1:%3").arg(n).arg(n % 2 ? 4 : 5).arg(1000 + n);
    Start(args, kFastLine);
    Install({3, 10, 40}, 4);
    for (int k = 0; k < 64; ++k)
        store.m_pLiftInf[k].bHeightKnown = 1;
    // Lifts 3, 11 and 40 stay in mode 7 and are waited for; the others are not.
    for (int n = 1; n <= 64; ++n) {
        if (n != 3 && n != 11 && n != 40) {
            ASSERT_TRUE(sim->command(QStringLiteral("mode %1 2").arg(n)));
        }
    }

    StartPollThread(BatchThreadProc, &comm, &window, [&](CLiftComm& c) {
        c.m_nBatchMode = 3;
        c.m_pLiftInf = store.m_pLiftInf;
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_READ_FINISHED) > 0; }, 60000));
    PumpMessages();
    EXPECT_EQ(window.messages.back().msg, WM_READ_FINISHED);
    EXPECT_EQ(window.messages.back().wParam, 3u);
    EXPECT_EQ(window.messages.back().lParam, 0);
    for (const auto& m : window.Of(WM_READ_PROGRESS)) {
        EXPECT_EQ(m.wParam, 3u);
        EXPECT_EQ(m.lParam, Context());
    }
    // The lifts in mode 7 were measured at their top floors, uninstalled 11 included.
    for (int n : {3, 11, 40}) {
        EXPECT_EQ(store.m_pLiftInf[n - 1].bHeightKnown, 1) << n;
        EXPECT_EQ(store.m_pLiftInf[n - 1].nHeight, 1000 + n) << n;
    }
    StopPollThread();

    // No installed lift answers.
    ASSERT_TRUE(sim->command("silent 1 1"));
    ASSERT_TRUE(sim->command("silent 3 1"));
    ASSERT_TRUE(sim->command("silent 10 1"));
    window.messages.clear();
    StartPollThread(BatchThreadProc, &comm, &window, [&](CLiftComm& c) {
        c.m_nBatchMode = 3;
        c.m_pLiftInf = store.m_pLiftInf;
    });
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_READ_FINISHED) > 0; }, 60000));
    EXPECT_EQ(window.messages.back().wParam, 6u);
    EXPECT_EQ(window.messages.back().lParam, 0);
    StopPollThread();
}

TEST_F(SimLinkTest, EveryWorkerStopsAndStartsAgainWithoutLeaks)
{
    Start({"--lift", "1:20", "--lift", "2:8"}, kFastLine);
    Install({1, 2}, 20);
    comm.BuildStationTable(store.m_pLiftInf);
    strGroupInf group;
    group.nLiftCount = 2;
    group.byLiftNum[0] = 1;
    group.byLiftNum[1] = 2;
    const int threads = CountEntries("/proc/self/task");
    const int fds = CountEntries("/proc/self/fd");

    struct Worker {
        LiftThreadProc proc;
        std::function<void(CLiftComm&)> setPointers;
    };
    const Worker workers[] = {
        {PollAllThreadProc, [&](CLiftComm& c) { UseWholeTables(c); }},
        {PollGroupThreadProc, [&](CLiftComm& c) { UseWholeTables(c); c.m_pGroup = &group; }},
        {PollOneThreadProc, [&](CLiftComm& c) {
             c.m_pLiftInf = store.m_pLiftInf;
             c.m_pLiftPage = store.m_pLiftPage;
             c.m_pLiftCmd = store.m_pLiftCmd;
         }},
        {BatchThreadProc, [&](CLiftComm& c) {
             c.m_nBatchMode = 2;
             c.m_nLiftIndex = 0;
             c.m_pLiftInf = store.m_pLiftInf;
         }},
    };
    for (int round = 0; round < 3; ++round) {
        for (const Worker& w : workers) {
            sim->clearRequests();
            StartPollThread(w.proc, &comm, &window, w.setPointers);
            ASSERT_NE(g_pPollThread, nullptr);
            EXPECT_TRUE(WaitUntil([&] { return !sim->requests().empty(); }));
            EXPECT_EQ(StopPollThread(), 1);
            EXPECT_EQ(g_pPollThread, nullptr);
            EXPECT_FALSE(g_hPollThreadRun.IsSet());
            // Nothing goes on the line once the stop has returned: the
            // simulator may still be logging the last request, but the log
            // comes to rest (a worker still polling would keep it growing).
            std::size_t seen = sim->requests().size();
            auto quietSince = std::chrono::steady_clock::now();
            EXPECT_TRUE(WaitUntil([&] {
                const std::size_t now = sim->requests().size();
                if (now != seen) {
                    seen = now;
                    quietSince = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - quietSince > std::chrono::milliseconds(300);
            }, 5000)) << "requests still arriving after the stop";
        }
    }
    // Starting one worker stops the one before.
    StartPollThread(PollAllThreadProc, &comm, &window, workers[0].setPointers);
    StartPollThread(PollGroupThreadProc, &comm, &window, workers[1].setPointers);
    EXPECT_EQ(StopPollThread(), 1);
    EXPECT_EQ(StopPollThread(), 1);  // nothing running
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(CountEntries("/proc/self/task"), threads);
    EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
}
