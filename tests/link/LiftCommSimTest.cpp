// The request functions of the communication context against the bus
// simulator: what goes on the line, what comes back into the records, the
// retry rules, calls and the one-shot bit, and the lock command. (The status
// and configuration reads are shown by the workers and the scan.)
#include "SimLink.h"

TEST_F(SimLinkTest, PageExchanges)
{
    Start({"--lift", "1:20", "--lift", "2:80", "--lift", "3:20", "--lift", "5:10", "--speed", "60000"});
    Install({1, 5}, 20);
    EXPECT_TRUE(comm.ProbeStation());
    ASSERT_TRUE(sim->command("silent 1 1"));
    EXPECT_FALSE(comm.ProbeStation());
    ASSERT_TRUE(sim->command("silent 1 0"));
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    strLiftCmd& cmd = store.m_pLiftCmd[0];

    // A call with countdown 4 goes out in exactly five requests of its page;
    // the one-shot bit in exactly four requests, whatever their page.
    ASSERT_TRUE(RegisterCall(cmd, 12, CallKind::Car, 4));
    ASSERT_TRUE(RegisterCall(cmd, 3, CallKind::Up, 4));
    RequestOneShot(cmd, 4);
    std::vector<int> reported;
    for (int i = 0; i < 18; ++i) {
        page.nCurPage = i % 3;
        ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
        reported.push_back(lift.nCtrlMode);
    }
    const auto frames = Frames(PageTo(1));
    ASSERT_EQ(frames.size(), 18u);
    int car12 = 0, up3 = 0;
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(PageOf(frames[i]), i % 3);
        EXPECT_EQ(bool(frames[i][2] & 0x04), i < 4) << "request " << i;
        EXPECT_EQ(frames[i][7], 1);
        car12 += PageOf(frames[i]) == 1 && CarBit(frames[i], 12);
        up3 += PageOf(frames[i]) == 0 && (frames[i][5] & 0x10);
    }
    EXPECT_EQ(car12, 5);
    EXPECT_EQ(up3, 5);
    EXPECT_EQ(cmd.nCarCall[1] + cmd.nHallCallLo[0] + cmd.bOneShot, 0);
    EXPECT_EQ(std::vector<int>(reported.begin(), reported.begin() + 6), (std::vector<int>{1, 1, 1, 1, 7, 7}));
    // The controller lit the lamps and reported them back.
    EXPECT_EQ(page.nCarLamp[1] & 0x08, 0x08);
    EXPECT_EQ(page.nHallLampLo[0] & 0x10, 0x10);
    EXPECT_NE(sim->dump(1).indexOf("car=800"), -1);

    // Modes, and the group view's call flag 0.
    cmd.nMode = 5;
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 1), COMM_OK);
    EXPECT_EQ(Frames(PageTo(1)).back()[3], 0x08);
    EXPECT_EQ(Frames(PageTo(1)).back()[7], 0);
    EXPECT_EQ(lift.nCtrlMode, 10);
    cmd.nMode = 3;
    page.nCurPage = 1;
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
    EXPECT_EQ(Frames(PageTo(1)).back()[2], 0x22);
    EXPECT_EQ(lift.nCtrlMode, 8);

    // Parameter reads: a tall lift's pages stay within the command block.
    strLiftInf& tall = store.m_pLiftInf[1];
    strLiftPage& tallPages = store.m_pLiftPage[1];
    ASSERT_EQ(comm.ReadLiftParams(tall, tallPages), COMM_OK);
    EXPECT_EQ(tall.nMaxFloor, 80);
    EXPECT_EQ(tall.nCurFloor, 1);
    EXPECT_EQ(tallPages.nPageCount, 7);
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
    EXPECT_EQ(PageOf(Frames(PageTo(2)).back()), 0);

    // Retries: one try and four more, then offline; an offline lift gets one
    // try; one that answers only the third try stays online.
    strLiftInf& five = store.m_pLiftInf[4];
    const auto retry = [&] { return comm.ExchangePageRetry(0, five, store.m_pLiftPage[4], store.m_pLiftCmd[4]); };
    ASSERT_EQ(retry(), 0);
    EXPECT_EQ(five.bOffline, 0);
    ASSERT_TRUE(sim->command("silent 2 1"));
    for (const std::size_t tries : {5u, 1u}) {
        sim->clearRequests();
        EXPECT_EQ(retry(), 1);
        EXPECT_EQ(five.bOffline, 1);
        EXPECT_EQ(SeenAtLeast(tries, PageTo(5)), tries);
    }
    ASSERT_TRUE(sim->command("silent 2 0"));
    EXPECT_EQ(retry(), 0);
    EXPECT_EQ(five.bOffline, 0);
    ASSERT_TRUE(sim->command("line silence 2"));
    sim->clearRequests();
    EXPECT_EQ(retry(), 0);
    EXPECT_EQ(five.bOffline, 0);
    EXPECT_EQ(SeenAtLeast(3, PageTo(5)), 3u);
}

TEST_F(SimLinkTest, FloorCallRetries)
{
    Start({"--lift", "2:6", "--lift", "3:6", "--speed", "20", "--door", "40"});
    strLiftInf& lift = store.m_pLiftInf[1];
    lift.nMaxFloor = 6;
    ASSERT_EQ(comm.SendFloorCallRetry(lift), 0);
    auto frames = Frames(PageTo(2));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], WithCrc({2, 0, 0, 0, 0, 0, 0x08, 1, 0, 0, 0, 0}));  // down call of floor 6
    ASSERT_TRUE(WaitUntil([&] { return comm.SendFloorCall(lift, 6) == COMM_OK && lift.nCurFloor == 6; }));
    EXPECT_EQ(lift.nCtrlMode, 7);

    ASSERT_TRUE(sim->command("silent 1 1"));
    sim->clearRequests();
    EXPECT_EQ(comm.SendFloorCallRetry(lift), 1);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(SeenAtLeast(5, PageTo(2)), 5u);
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
    EXPECT_GT(Seen(PageTo(2)), 1u);
}

TEST_F(SimLinkTest, LockCommands)
{
    Start({"--lift", "7:30"});
    std::array<std::int32_t, 40> floors{};
    floors[2] = 1;
    floors[17] = 1;
    // Whole-lift lock, confirmed by the first reply; then floor-lock mode 3 on
    // floors 3 and 18 with the lift lock kept.
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 1), 2);
    EXPECT_EQ(SeenAtLeast(1, LockTo(7)), 1u);
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(3, 1, floors.data(), 1, 7, 3), 2);
    EXPECT_EQ(Frames(LockTo(7)), (std::vector<Bytes>{WithCrc({7, 0x30, 0x0A, 0x04, 0x00, 0x02, 0x00, 0x00, 0, 0, 0})}));

    // Counted sends need no long wait: an unlock never shows the confirm bit,
    // so all 50 go out; so they do to a controller that does not confirm.
    ASSERT_TRUE(comm.OpenComm(1, kFastLine));
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 0, nullptr, 0, 7, 1), 2);
    EXPECT_EQ(SeenAtLeast(50, LockTo(7)), 50u);
    ASSERT_TRUE(sim->command("lockconfirm 0"));
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 1), 1);
    EXPECT_EQ(SeenAtLeast(50, LockTo(7)), 50u);

    // Unchecked kinds send once; a lift that does not answer gives 0.
    sim->clearRequests();
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 0), 2);
    EXPECT_EQ(SeenAtLeast(1, LockTo(7)), 1u);
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 9, 0), 0);
    ASSERT_TRUE(sim->command("line garbage 1"));
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 7, 0), 0);
}

TEST_F(SimLinkTest, StationTable)
{
    Install({1, 2, 8}, 5);
    for (int build = 0; build < 2; ++build) {  // building twice gives the same table
        comm.BuildStationTable(store.m_pLiftInf);
        EXPECT_EQ(comm.m_pLiftInf, store.m_pLiftInf);
        for (int s = 0; s < 16; ++s) {
            EXPECT_EQ(comm.m_Station[s].nAddr, s < 2 ? s + 1 : 0);
            EXPECT_EQ(comm.m_Station[s].byLiftMask, s == 0 ? 0x03 : s == 1 ? 0x08 : 0);
        }
    }
}
