// Lift functions (page exchange, parameter read, floor call, lock command):
// reply layout and the car's behaviour as the station sees it.
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

namespace {

constexpr std::uint8_t PAGE(int page)
{
    return std::uint8_t(page << 5);
}

// Repeats the page request until the reply satisfies the condition (5 s at most).
Bytes PollUntil(CBusClient& bus, const Bytes& request, const std::function<bool(const Bytes&)>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    Bytes reply;
    while (std::chrono::steady_clock::now() < deadline) {
        reply = bus.Exchange(request);
        if (reply.size() == 18 && done(reply))
            return reply;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "condition not reached within 5 s";
    return reply;
}

int Position(const Bytes& reply)
{
    return reply[5] | (reply[6] << 8);
}

} // namespace

TEST(LiftSimLift, ParameterReadReplyLayout)
{
    CLiftSim sim({"--lift", "7:12:3:33000"});
    CBusClient bus(sim.port());
    ASSERT_TRUE(sim.command("floor 7 4"));
    ASSERT_TRUE(sim.command("fault 7 9"));

    const Bytes reply = bus.Exchange({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0});
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[0], 7);
    EXPECT_EQ(reply[1], 0x00);
    EXPECT_EQ(reply[2], 12);                 // floors
    EXPECT_EQ(reply[3], 1);                  // bottom floor
    EXPECT_EQ(reply[4], 4);                  // current floor
    EXPECT_EQ(Position(reply), 3 * 3000);    // 33000 mm over 11 floor spacings
    EXPECT_EQ(reply[7], 4);                  // doors closed
    EXPECT_EQ(reply[8] & 0x0F, 7);           // normal mode
    EXPECT_EQ(reply[8] & 0x30, 0);           // no load flags
    EXPECT_EQ(reply[8] >> 6, 0);             // idle
    EXPECT_EQ(reply[9], 9);
    EXPECT_EQ(reply[10], 0);
    EXPECT_EQ(reply[13], 3);                 // model
    EXPECT_EQ(reply[14], 0);
    EXPECT_EQ(reply[15], 0);
}

TEST(LiftSimLift, CarCallLightsLampThenCarArrivesAndLampClears)
{
    CLiftSim sim({"--lift", "1:10", "--speed", "150", "--door", "200"});
    CBusClient bus(sim.port());

    // Car call for floor 4 (page 0, bit 3).
    const Bytes first = bus.Exchange(CBusClient::PageRequest(1, PAGE(0), 0, 0x08));
    ASSERT_EQ(first.size(), 18u);
    EXPECT_EQ(first[10], 0x08);
    EXPECT_EQ(sim.dump(1).section(' ', 8, 8).toStdString(), "car=8");

    const Bytes moving = PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[8] >> 6 == 1; });
    EXPECT_EQ(moving[8] >> 6, 1); // up
    EXPECT_EQ(moving[10], 0x08);  // still lit while on the way

    const Bytes arrived = PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[4] == 4 && r[8] >> 6 == 3; }); // stopped, doors at work
    EXPECT_EQ(arrived[10], 0);
    EXPECT_EQ(Position(arrived), 3 * 30000 / 9);
    // Doors open and close at the floor.
    PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[7] == 2; });
    PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[7] == 4; });
    const QString dump = sim.dump(1);
    EXPECT_TRUE(dump.startsWith("LIFT 1 floor=4 pos=10000 run=0 door=4 mode=7 fault=0 car=0 up=0 down=0")) << dump.toStdString();
}

TEST(LiftSimLift, HallCallsLightLampsOfTheirPage)
{
    CLiftSim sim({"--lift", "3:20", "--speed", "5000"});
    CBusClient bus(sim.port());
    // Page 1: up call floor 10 (j 1: bit 2 of byte 5), down call floor 15 (j 6: bit 5 of byte 6).
    const Bytes reply = bus.Exchange(CBusClient::PageRequest(3, PAGE(1), 0, 0, 0x04, 0x20));
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_EQ(reply[11], 0x04);
    EXPECT_EQ(reply[12], 0x20);
    // Page 0 shows none of them.
    const Bytes page0 = bus.Exchange(CBusClient::PageRequest(3, PAGE(0)));
    ASSERT_EQ(page0.size(), 18u);
    EXPECT_EQ(page0[11], 0);
    EXPECT_EQ(page0[12], 0);
    const QString dump = sim.dump(3);
    EXPECT_TRUE(dump.endsWith("car=0 up=200 down=4000 lock=00")) << dump.toStdString();
}

TEST(LiftSimLift, CarStopsOnTheWayForCallsInItsDirection)
{
    CLiftSim sim({"--lift", "1:10", "--speed", "150", "--door", "400"});
    CBusClient bus(sim.port());
    // Car call 8, up call 5, down call 3 (behind: served after the turn).
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(1, PAGE(0), 0, 0x80, 0, 0x01)).size(), 18u);
    ASSERT_TRUE(sim.command("floor 1 2"));
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(1, PAGE(0), 0, 0, 0x20)).size(), 18u);
    const Bytes atFive = PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[7] == 2; });
    EXPECT_EQ(atFive[4], 5);
    EXPECT_EQ(atFive[10], 0x80);      // car call 8 still waiting
    EXPECT_EQ(atFive[12] & 0x01, 0);  // up call 5 served
    EXPECT_EQ(atFive[11], 0x20);      // down call 3 still lit
    const Bytes atEight = PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[4] == 8 && r[7] == 2; });
    EXPECT_EQ(atEight[10], 0);
    const Bytes atThree = PollUntil(bus, CBusClient::PageRequest(1, PAGE(0)), [](const Bytes& r) { return r[4] == 3 && r[7] == 2; });
    EXPECT_EQ(atThree[11], 0);
}

TEST(LiftSimLift, FloorCallTakesCarToTopWhereHeightIsRead)
{
    CLiftSim sim({"--lift", "2:8:1:21000", "--speed", "100", "--door", "100"});
    CBusClient bus(sim.port());
    // The height run's request: down hall call of floor 8 = page 0, byte 6 bit 7.
    const Bytes call = {2, 0, 0x00, 0, 0, 0, 0x80, 1, 0, 0, 0, 0};
    const Bytes first = bus.Exchange(call);
    ASSERT_EQ(first.size(), 18u);
    EXPECT_EQ(first[12], 0x80);
    const Bytes top = PollUntil(bus, call, [](const Bytes& r) { return r[4] == 8 && (r[8] >> 6 == 0 || r[8] >> 6 == 3); });
    EXPECT_EQ(top[8] & 0x0F, 7);
    EXPECT_EQ(Position(top), 21000);
    EXPECT_EQ(top[12], 0); // call answered, not lit again by the repeated request
}

TEST(LiftSimLift, PagesBeyondEightFloorsAndTallShafts)
{
    CLiftSim sim({"--lift", "4:70"});
    CBusClient bus(sim.port());
    ASSERT_TRUE(sim.command("floor 4 70"));
    // Car call floor 60 = page 7, bit 3.
    const Bytes reply = bus.Exchange(CBusClient::PageRequest(4, PAGE(7), 0, 0x08));
    ASSERT_EQ(reply.size(), 18u);
    EXPECT_EQ(reply[2], 70);
    EXPECT_EQ(reply[4], 70);
    EXPECT_EQ(Position(reply), 0xFFFF); // 210000 mm saturates
    EXPECT_EQ(reply[10], 0x08);
}

TEST(LiftSimLift, SpecialModesAreShownInTheReportedMode)
{
    CLiftSim sim({"--lift", "1:10"});
    CBusClient bus(sim.port());
    const auto mode = [&](std::uint8_t pageMode, std::uint8_t command) {
        const Bytes reply = bus.Exchange(CBusClient::PageRequest(1, pageMode, command));
        return reply.size() == 18 ? reply[8] & 0x0F : -1;
    };
    EXPECT_EQ(mode(0x00, 0x00), 7);
    EXPECT_EQ(mode(0x01, 0x00), 3);  // station mode 2
    EXPECT_EQ(mode(0x22, 0x00), 8);  // station mode 3, on page 1
    EXPECT_EQ(mode(0x00, 0x04), 9);  // station mode 4
    EXPECT_EQ(mode(0x00, 0x40), 13); // station mode 8
    EXPECT_EQ(mode(0x00, 0x42), 7);  // command bit 1 suppresses the mode bits
    EXPECT_EQ(mode(0x04, 0x00), 1);  // one-shot bit
    EXPECT_EQ(mode(0x00, 0x00), 7);  // back to normal once requests stop carrying it
    ASSERT_TRUE(sim.command("mode 1 2"));
    EXPECT_EQ(mode(0x00, 0x00), 2);
    EXPECT_EQ(mode(0x01, 0x00), 3);
}

TEST(LiftSimLift, LockCommandConfirmsTheLocksInForce)
{
    CLiftSim sim({"--lift", "6:30"});
    CBusClient bus(sim.port());

    Bytes reply = bus.Exchange(CBusClient::LockRequest(6, 0x02));
    ASSERT_GE(reply.size(), 3u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[0], 6);
    EXPECT_NE(reply[1], 0);
    EXPECT_EQ(reply[2], 0x02);

    // Floor-lock mode 3 with floors 1, 9 and 40, whole-lift lock kept.
    reply = bus.Exchange(CBusClient::LockRequest(6, 0x0A, {1, 9, 40}));
    ASSERT_GE(reply.size(), 3u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[2], 0x0A);
    // The dump shows both locks in force.
    EXPECT_TRUE(sim.dump(6).contains("lock=0a")) << sim.dump(6).toStdString();

    // Clearing: nothing confirmed any more.
    reply = bus.Exchange(CBusClient::LockRequest(6, 0x00));
    ASSERT_GE(reply.size(), 3u);
    EXPECT_EQ(reply[2], 0x00);

    ASSERT_TRUE(sim.command("lockconfirm 0"));
    reply = bus.Exchange(CBusClient::LockRequest(6, 0x12, {5}));
    ASSERT_GE(reply.size(), 3u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[2], 0x00);
    ASSERT_TRUE(sim.command("lockconfirm 1"));
    reply = bus.Exchange(CBusClient::LockRequest(6, 0x12, {5}));
    ASSERT_GE(reply.size(), 3u);
    EXPECT_EQ(reply[2], 0x12);
}
