// The request functions of the communication context against the bus
// simulator: what goes on the line, what comes back into the records, the
// retry rules, calls and the one-shot bit, and the lock command.
#include "SimLink.h"

TEST_F(SimLinkTest, ProbeStatusAndConfiguration)
{
    Start({"--lift", "1:12:2:36000", "--lift", "3:30", "--lift", "6:8:3"});
    EXPECT_TRUE(comm.ProbeStation());

    Install({1, 3, 6}, 0);
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_EQ(comm.PollStation(0), COMM_OK);
    ParseStationStatus(comm.m_PollRx.data(), store.m_pLiftInf, store.m_pLiftFault);
    EXPECT_EQ(store.m_pLiftInf[0].nCurFloor, 1);
    EXPECT_EQ(store.m_pLiftInf[0].nModel, 2);
    EXPECT_EQ(store.m_pLiftInf[1].bOffline, 1);  // empty slot
    EXPECT_EQ(store.m_pLiftInf[2].bOffline, 0);

    ASSERT_EQ(comm.ReadStationConfig(&store.m_pLiftInf[0], &store.m_pLiftPage[0]), COMM_OK);
    EXPECT_EQ(store.m_pLiftInf[0].nMaxFloor, 12);
    EXPECT_EQ(store.m_pLiftInf[0].nHeight, 36000);
    EXPECT_EQ(store.m_pLiftInf[0].bHeightKnown, 1);
    EXPECT_EQ(store.m_pLiftPage[0].nPageCount, 2);
    EXPECT_EQ(store.m_pLiftInf[2].nMaxFloor, 30);
    EXPECT_EQ(store.m_pLiftPage[2].nPageCount, 4);
    EXPECT_EQ(store.m_pLiftInf[1].bHeightKnown, 0);
    ASSERT_EQ(comm.ReadStationConfig(&store.m_pLiftInf[4], &store.m_pLiftPage[4]), COMM_OK);
    EXPECT_EQ(store.m_pLiftInf[5].nMaxFloor, 8);

    // A station with no lift does not answer.
    EXPECT_EQ(comm.ReadStationConfig(&store.m_pLiftInf[8], &store.m_pLiftPage[8]), COMM_NO_REPLY);

    ASSERT_TRUE(sim->command("silent 1 1"));
    EXPECT_FALSE(comm.ProbeStation());
    EXPECT_EQ(comm.PollStation(0), COMM_NO_REPLY);
}

TEST_F(SimLinkTest, ParameterReadAndPagesOfATallLift)
{
    Start({"--lift", "2:80", "--lift", "3:20"});
    strLiftInf& tall = store.m_pLiftInf[1];
    strLiftPage& tallPages = store.m_pLiftPage[1];
    ASSERT_EQ(comm.ReadLiftParams(tall, tallPages), COMM_OK);
    EXPECT_EQ(tall.nMaxFloor, 80);
    EXPECT_EQ(tall.nCurFloor, 1);
    EXPECT_EQ(tallPages.nPageCount, 7);  // no more than the command block covers
    ASSERT_EQ(comm.ReadLiftParams(store.m_pLiftInf[2], store.m_pLiftPage[2]), COMM_OK);
    EXPECT_EQ(store.m_pLiftPage[2].nPageCount, 3);
    EXPECT_EQ(comm.ReadLiftParams(store.m_pLiftInf[3], store.m_pLiftPage[3]), COMM_NO_REPLY);  // nobody there

    // A page index from outside the records neither reaches the line as a
    // page nor writes a lamp.
    FillDistinct(tallPages);
    tallPages.nCurPage = 9;
    const FieldMap lamps = Fields(tallPages);
    ASSERT_EQ(comm.ExchangePage(tall, tallPages, store.m_pLiftCmd[1], 0), COMM_OK);
    EXPECT_TRUE(Changed(lamps, Fields(tallPages)).empty());
    EXPECT_EQ(PageOf(PageFrames(2).back()), 0);
}

TEST_F(SimLinkTest, CallGoesOutInExactlyFivePageRequests)
{
    Start({"--lift", "1:20", "--speed", "60000"});
    Install({1}, 20);
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    strLiftCmd& cmd = store.m_pLiftCmd[0];
    ASSERT_TRUE(RegisterCall(cmd, 12, CallKind::Car, 4));
    ASSERT_TRUE(RegisterCall(cmd, 3, CallKind::Up, 4));
    for (int i = 0; i < 8; ++i) {
        for (int p = 0; p < 3; ++p) {
            page.nCurPage = p;
            ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
        }
    }
    int car12 = 0, up3 = 0;
    for (const Bytes& f : PageFrames(1)) {
        car12 += PageOf(f) == 1 && CarBit(f, 12);
        up3 += PageOf(f) == 0 && (f[5] & 0x10);
        EXPECT_EQ(f[7], 1);
    }
    EXPECT_EQ(car12, 5);
    EXPECT_EQ(up3, 5);
    EXPECT_EQ(cmd.nCarCall[1], 0);
    EXPECT_EQ(cmd.nHallCallLo[0], 0);
    // The controller lit the lamps and reported them back.
    EXPECT_EQ(page.nCarLamp[1] & 0x08, 0x08);
    EXPECT_EQ(page.nHallLampLo[0] & 0x10, 0x10);
    EXPECT_NE(sim->dump(1).indexOf("car=800"), -1);
}

TEST_F(SimLinkTest, OneShotAndModesGoOutAsAsked)
{
    Start({"--lift", "1:20"});
    Install({1}, 20);
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    strLiftCmd& cmd = store.m_pLiftCmd[0];
    RequestOneShot(cmd, 4);
    std::vector<int> reported;
    for (int i = 0; i < 6; ++i) {
        page.nCurPage = i % 3;
        ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
        reported.push_back(lift.nCtrlMode);
    }
    const auto frames = PageFrames(1);
    ASSERT_EQ(frames.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bool(frames[i][2] & 0x04), i < 4) << "request " << i;
        EXPECT_EQ(PageOf(frames[i]), i % 3);
    }
    EXPECT_EQ(cmd.bOneShot, 0);
    // The simulator shows the one-shot as mode 1 while it is carried.
    EXPECT_EQ(reported, (std::vector<int>{1, 1, 1, 1, 7, 7}));

    cmd.nMode = 5;
    page.nCurPage = 1;
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 1), COMM_OK);
    EXPECT_EQ(PageFrames(1).back()[3], 0x08);
    EXPECT_EQ(PageFrames(1).back()[7], 0);  // group-view exchange
    EXPECT_EQ(lift.nCtrlMode, 10);
    cmd.nMode = 3;
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
    EXPECT_EQ(PageFrames(1).back()[2], 0x22);
    EXPECT_EQ(lift.nCtrlMode, 8);
}

TEST_F(SimLinkTest, PageRetriesAndOfflineMarking)
{
    Start({"--lift", "5:10"});
    Install({5}, 10);
    strLiftInf& lift = store.m_pLiftInf[4];
    strLiftPage& page = store.m_pLiftPage[4];
    strLiftCmd& cmd = store.m_pLiftCmd[4];
    page.nCurPage = 0;
    ASSERT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 0);
    EXPECT_EQ(lift.bOffline, 0);

    ASSERT_TRUE(sim->command("silent 2 1"));
    sim->clearRequests();
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 1);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(PageFrames(5).size(), 5u);  // one try and four retries

    sim->clearRequests();
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 1);
    EXPECT_EQ(PageFrames(5).size(), 1u);  // offline: one attempt

    ASSERT_TRUE(sim->command("silent 2 0"));
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 0);
    EXPECT_EQ(lift.bOffline, 0);

    // An online lift that answers only the third try stays online.
    ASSERT_TRUE(sim->command("line silence 2"));
    sim->clearRequests();
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 0);
    EXPECT_EQ(lift.bOffline, 0);
    EXPECT_EQ(PageFrames(5).size(), 3u);
}

TEST_F(SimLinkTest, FloorCallRetries)
{
    Start({"--lift", "2:6", "--lift", "3:6", "--speed", "20", "--door", "40"});
    strLiftInf& lift = store.m_pLiftInf[1];
    lift.nMaxFloor = 6;
    ASSERT_EQ(comm.SendFloorCallRetry(lift), 0);
    auto frames = PageFrames(2);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], WithCrc({2, 0, 0, 0, 0, 0, 0x08, 1, 0, 0, 0, 0}));  // down call of floor 6
    ASSERT_TRUE(WaitUntil([&] { return comm.SendFloorCall(lift, 6) == COMM_OK && lift.nCurFloor == 6; }));
    EXPECT_EQ(lift.nCtrlMode, 7);

    ASSERT_TRUE(sim->command("silent 1 1"));
    sim->clearRequests();
    EXPECT_EQ(comm.SendFloorCallRetry(lift), 1);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(PageFrames(2).size(), 5u);
    // A success after the first try leaves the offline flag as it was.
    ASSERT_TRUE(sim->command("silent 1 0"));
    ASSERT_TRUE(sim->command("line crc 1"));
    EXPECT_EQ(comm.SendFloorCallRetry(lift), 0);
    EXPECT_EQ(lift.bOffline, 1);

    // Lift 3's late reply lands in lift 2's first try: a line fault, retried,
    // not a port error.
    ASSERT_TRUE(sim->command("line late 140"));
    EXPECT_EQ(comm.SendFloorCall(store.m_pLiftInf[2], 6), COMM_BAD_FRAME);
    sim->clearRequests();
    EXPECT_NE(comm.SendFloorCallRetry(lift), 3);
    EXPECT_GT(PageFrames(2).size(), 1u);
}

TEST_F(SimLinkTest, LockCommands)
{
    Start({"--lift", "7:30"});
    std::array<std::int32_t, 40> floors{};
    floors[2] = 1;
    floors[17] = 1;

    // Whole-lift lock, confirmed by the first reply.
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 1), 2);
    EXPECT_EQ(LockFrames(7).size(), 1u);

    // Floor lock mode 3 on floors 3 and 18 with the lift lock kept.
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(3, 1, floors.data(), 1, 7, 3), 2);
    ASSERT_EQ(LockFrames(7).size(), 1u);
    EXPECT_EQ(LockFrames(7)[0], WithCrc({7, 0x30, 0x0A, 0x04, 0x00, 0x02, 0x00, 0x00, 0, 0, 0}));

    // Unlocking: the confirm bit never shows, so all 50 sends go out.
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 0, nullptr, 0, 7, 1), 2);
    EXPECT_EQ(FramesAtLeast(50, LockTo(7)).size(), 50u);

    // A controller that does not confirm: 50 sends, not confirmed.
    ASSERT_TRUE(sim->command("lockconfirm 0"));
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 1), 1);
    EXPECT_EQ(FramesAtLeast(50, LockTo(7)).size(), 50u);

    // Unchecked kinds send once; a lift that does not answer gives 0.
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 0), 2);
    EXPECT_EQ(LockFrames(7).size(), 1u);
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 9, 0), 0);
    ASSERT_TRUE(sim->command("line garbage 1"));
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 0), 0);
}

TEST_F(SimLinkTest, StationTable)
{
    Install({1, 2, 8}, 5);
    comm.BuildStationTable(store.m_pLiftInf);
    EXPECT_EQ(comm.m_pLiftInf, store.m_pLiftInf);
    EXPECT_EQ(comm.m_Station[0].nAddr, 1);
    EXPECT_EQ(comm.m_Station[0].byLiftMask, 0x03);
    EXPECT_EQ(comm.m_Station[1].nAddr, 2);
    EXPECT_EQ(comm.m_Station[1].byLiftMask, 0x08);
    comm.BuildStationTable(store.m_pLiftInf);
    EXPECT_EQ(comm.m_Station[0].byLiftMask, 0x03);
    EXPECT_EQ(comm.m_Station[1].byLiftMask, 0x08);
    for (int s = 2; s < 16; ++s) {
        EXPECT_EQ(comm.m_Station[s].nAddr, 0);
        EXPECT_EQ(comm.m_Station[s].byLiftMask, 0);
    }
}
