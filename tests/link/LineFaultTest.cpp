// Damaged replies from the line: every kind of exchange refuses them with its
// code and leaves the records as they were; a late reply never mixes with the
// next exchange; the workers ride it out and come back when the line heals.
#include "SimLink.h"

namespace {

struct LineFault {
    const char* command;
    int code;  // what every checked exchange returns
};

const LineFault kFaults[] = {
    {"line garbage 1", COMM_BAD_FRAME}, {"line short 1", COMM_BAD_FRAME}, {"line long 1", COMM_BAD_FRAME},
    {"line crc 1", COMM_BAD_FRAME},     {"line silence 1", COMM_NO_REPLY}, {"line late 150 1", COMM_NO_REPLY},
};

struct Snapshot {
    FieldMap lifts, pages, cmd, faults;
};

} // namespace

class LineFaultTest : public SimLinkTest {
protected:
    Snapshot Take()
    {
        Snapshot s;
        for (int k = 0; k < 4; ++k) {
            for (auto& [n, v] : Fields(store.m_pLiftInf[k]))
                s.lifts[std::to_string(k) + n] = v;
            for (auto& [n, v] : Fields(store.m_pLiftPage[k]))
                s.pages[std::to_string(k) + n] = v;
            for (auto& [n, v] : Fields(store.m_pLiftFault[k]))
                s.faults[std::to_string(k) + n] = v;
        }
        s.cmd = Fields(store.m_pLiftCmd[0]);
        return s;
    }
    void ExpectUnchanged(const Snapshot& before, const char* what)
    {
        const Snapshot after = Take();
        EXPECT_TRUE(Changed(before.lifts, after.lifts).empty()) << what;
        EXPECT_TRUE(Changed(before.pages, after.pages).empty()) << what;
        EXPECT_TRUE(Changed(before.cmd, after.cmd).empty()) << what;
        EXPECT_TRUE(Changed(before.faults, after.faults).empty()) << what;
    }
    // Lets a late reply arrive before the next exchange.
    void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }
};

TEST_F(LineFaultTest, DamagedRepliesAreRefusedAndChangeNothing)
{
    Start({"--lift", "1:20", "--lift", "2:9", "--speed", "60000"});
    Install({1, 2}, 20);
    comm.BuildStationTable(store.m_pLiftInf);
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    strLiftCmd& cmd = store.m_pLiftCmd[0];
    page.nCurPage = 1;
    RegisterCall(cmd, 10, CallKind::Car, 4);
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);  // the call is taken: countdown 3
    ASSERT_TRUE(sim->command("floor 1 7"));
    ASSERT_TRUE(sim->command("fault 1 21"));

    for (const LineFault& fault : kFaults) {
        SCOPED_TRACE(fault.command);
        Snapshot before = Take();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.ExchangePage(lift, page, cmd, 0), fault.code);
        ExpectUnchanged(before, "page exchange");
        Settle();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.PollStation(0), fault.code);
        ExpectUnchanged(before, "status poll");
        Settle();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.PollStationForScan(store.m_pLiftInf), fault.code);
        ExpectUnchanged(before, "scan poll");
        Settle();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.ReadStationConfig(store.m_pLiftInf, store.m_pLiftPage), fault.code);
        ExpectUnchanged(before, "configuration read");
        Settle();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.ReadLiftParams(store.m_pLiftInf[1], store.m_pLiftPage[1]), fault.code);
        ExpectUnchanged(before, "parameter read");
        Settle();

        // The floor call counts a missing reply as a bad frame.
        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.SendFloorCall(store.m_pLiftInf[1], 0), COMM_BAD_FRAME);
        ExpectUnchanged(before, "floor call");
        Settle();

        ASSERT_TRUE(sim->command(fault.command));
        EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 1, 0), 0);
        Settle();
    }

    // The line heals: the next exchange reads its own reply, not a late one.
    ASSERT_TRUE(sim->command("line late 150 1"));
    EXPECT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_NO_REPLY);
    Settle();
    ASSERT_EQ(comm.PollStation(0), COMM_OK);
    ParseStationStatus(comm.m_PollRx.data(), store.m_pLiftInf, store.m_pLiftFault);
    EXPECT_EQ(lift.nCurFloor, 7);
    EXPECT_EQ(lift.nFaultCode, 21);
    EXPECT_EQ(store.m_pLiftFault[0].bNewFault, 1);
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
    EXPECT_EQ(lift.nMaxFloor, 20);
    EXPECT_EQ(page.nCarLamp[1], 0x02);  // floor 10 lit
    EXPECT_EQ(cmd.nCarCallCnt[9], 2);   // aged only by the two good replies
}

TEST_F(LineFaultTest, WorkersRideOutAGarbledLine)
{
    Start({"--lift", "3:16", "--speed", "60000"}, kFastLine);
    Install({3}, 16);
    comm.BuildStationTable(store.m_pLiftInf);
    ASSERT_TRUE(sim->command("floor 3 5"));
    StartPollThread(PollOneThreadProc, &comm, &window, [&](CLiftComm& c) {
        c.m_pLiftInf = &store.m_pLiftInf[2];
        c.m_pLiftPage = &store.m_pLiftPage[2];
        c.m_pLiftCmd = &store.m_pLiftCmd[2];
    });
    strLiftInf& lift = store.m_pLiftInf[2];
    ASSERT_TRUE(WaitUntil([&] { return lift.nCurFloor == 5; }));

    // (A reply late for good would be taken by a later exchange with the same
    // lift: only the address ties a reply to its request, and another lift's
    // late reply is refused.)
    const char* modes[] = {"line garbage", "line short", "line long", "line crc", "line silence"};
    for (const char* mode : modes) {
        SCOPED_TRACE(mode);
        window.messages.clear();
        ASSERT_TRUE(sim->command("floor 3 5"));
        ASSERT_TRUE(WaitUntil([&] { return lift.bOffline == 0 && lift.nCurFloor == 5; }));
        ASSERT_TRUE(sim->command(mode));
        ASSERT_TRUE(sim->command("floor 3 9"));  // the car moves, but nothing good comes back
        ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_LIFT_COMM_FAILED, 1) >= 3; }));
        EXPECT_EQ(lift.bOffline, 1);
        EXPECT_EQ(lift.nCurFloor, 5);
        ASSERT_TRUE(sim->command("line ok"));
        ASSERT_TRUE(WaitUntil([&] { return lift.bOffline == 0 && lift.nCurFloor == 9; }));
    }
    StopPollThread();

    // The all-lifts worker: offline while the line is bad, back after.
    StartPollThread(PollAllThreadProc, &comm, &window, [&](CLiftComm& c) { UseWholeTables(c); });
    ASSERT_TRUE(sim->command("line garbage"));
    ASSERT_TRUE(WaitUntil([&] { return lift.bOffline == 1; }));
    const int floorWhileBad = lift.nCurFloor;
    ASSERT_TRUE(sim->command("floor 3 2"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(lift.nCurFloor, floorWhileBad);
    ASSERT_TRUE(sim->command("line ok"));
    ASSERT_TRUE(WaitUntil([&] { return lift.bOffline == 0 && lift.nCurFloor == 2; }));
}
