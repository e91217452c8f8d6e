// Damaged replies from the line: every kind of exchange refuses them with its
// code and leaves the records as they were; a late reply never mixes with the
// next exchange, nor shows as another page.
#include <sys/ioctl.h>

#include "SimLink.h"

TEST_F(SimLinkTest, DamagedRepliesAreRefusedAndChangeNothing)
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
    // Every field of the first four lifts and the first command block.
    const auto snapshot = [&] {
        FieldMap all = Fields(cmd);
        for (int k = 0; k < 4; ++k)
            for (const FieldMap& m : {Fields(store.m_pLiftInf[k]), Fields(store.m_pLiftPage[k]), Fields(store.m_pLiftFault[k])})
                for (const auto& [name, value] : m)
                    all[std::to_string(k) + name] = value;
        return all;
    };
    // Each exchange and what it returns for a reply that is there but bad
    // (the floor call counts a missing reply as bad too).
    struct Exchange {
        const char* name;
        std::function<int()> run;
        int noReply;
    };
    const Exchange exchanges[] = {
        {"page exchange", [&] { return comm.ExchangePage(lift, page, cmd, 0); }, COMM_NO_REPLY},
        {"status poll", [&] { return comm.PollStation(0); }, COMM_NO_REPLY},
        {"scan poll", [&] { return comm.PollStationForScan(store.m_pLiftInf); }, COMM_NO_REPLY},
        {"configuration read", [&] { return comm.ReadStationConfig(store.m_pLiftInf, store.m_pLiftPage); }, COMM_NO_REPLY},
        {"parameter read", [&] { return comm.ReadLiftParams(store.m_pLiftInf[1], store.m_pLiftPage[1]); }, COMM_NO_REPLY},
        {"floor call", [&] { return comm.SendFloorCall(store.m_pLiftInf[1], 0); }, COMM_BAD_FRAME},
        {"lock command", [&] { return comm.SendLockCommand(0, 1, nullptr, 0, 1, 0) == 0 ? COMM_NO_REPLY : COMM_OK; }, COMM_NO_REPLY},
    };
    // A late reply comes well after any wait of the exchange, however loaded the machine.
    const auto lateReplyQueued = [] {
        return WaitUntil([] {
            int queued = 0;
            return ::ioctl(g_hComPort, FIONREAD, &queued) == 0 && queued > 0;
        });
    };
    for (const char* fault : {"line garbage 1", "line short 1", "line long 1", "line crc 1", "line silence 1", "line late 400 1"}) {
        const bool missing = std::string(fault).find("sil") != std::string::npos || std::string(fault).find("late") != std::string::npos;
        for (const Exchange& e : exchanges) {
            SCOPED_TRACE(std::string(fault) + ", " + e.name);
            const FieldMap before = snapshot();
            ASSERT_TRUE(sim->command(fault));
            EXPECT_EQ(e.run(), missing || std::string(e.name) == "lock command" ? e.noReply : COMM_BAD_FRAME);
            EXPECT_TRUE(Changed(before, snapshot()).empty());
            // The late reply arrives before the next exchange, which purges it.
            if (std::string(fault).find("late") != std::string::npos) {
                EXPECT_TRUE(lateReplyQueued());
            }
        }
    }

    // The line heals: the next exchange reads its own reply, not a late one.
    ASSERT_TRUE(sim->command("line late 400 1"));
    EXPECT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_NO_REPLY);
    ASSERT_TRUE(lateReplyQueued());
    ASSERT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_OK);
    EXPECT_EQ(lift.nCurFloor, 7);
    EXPECT_EQ(lift.nFaultCode, 21);
    EXPECT_EQ(page.nCarLamp[1], 0x02);  // floor 10 lit
    EXPECT_EQ(cmd.nCarCallCnt[9], 2);   // aged only by the two good replies
    ASSERT_EQ(comm.PollStation(0), COMM_OK);
    ParseStationStatus(comm.m_PollRx.data(), store.m_pLiftInf, store.m_pLiftFault);
    EXPECT_EQ(store.m_pLiftFault[0].bNewFault, 1);
}

// A page reply carries no page number. Replies late enough that a retry's
// window takes the reply to the request before it (62 ms at 115200 baud, 180
// ms at 9600) never show as another page's lamps: with car calls lit on pages
// 0 and 2 of a three-page lift, every sample of the lamps shows just those,
// whether the lift is online or offline meanwhile.
TEST_F(SimLinkTest, ALateReplyNeverShowsAsAnotherPage)
{
    struct Case {
        int baudIndex;
        int lateMs;
    };
    for (const Case c : {Case{4, 62}, Case{0, 180}}) {
        SCOPED_TRACE(testing::Message() << "baud index " << c.baudIndex << ", replies " << c.lateMs << " ms late");
        SetUp();
        const QString baud = QString::number(BaudOfIndex(c.baudIndex));
        Start({"--pace", "--baud", baud, "--lift", "1:20", "--speed", "600000"}, c.baudIndex);
        Install({1}, 20);
        const strLiftPage& page = store.m_pLiftPage[0];
        const auto lampsRight = [&] { return page.nCarLamp[0] == 0x04 && page.nCarLamp[1] == 0 && page.nCarLamp[2] == 0x08; };
        StartOneLift(0);
        ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[0], 3, CallKind::Car, 4));
        ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[0], 20, CallKind::Car, 4));
        ASSERT_TRUE(WaitUntil(lampsRight));

        ASSERT_TRUE(sim->command(QStringLiteral("line late %1").arg(c.lateMs)));
        sim->clearRequests();
        int samples = 0;
        int wrong = 0;
        ASSERT_TRUE(WaitUntil([&] {
            ++samples;
            wrong += !lampsRight();
            return Seen(PageTo(1)) >= 20;
        }, 60000));
        StopPollThread();
        EXPECT_EQ(wrong, 0) << "of " << samples << " samples";
    }
}
