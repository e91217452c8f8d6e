// Station functions (status poll, configuration read), silent stations and the
// RX report, spoken to over the simulator's pty.
#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

namespace {

Bytes Group(const Bytes& reply, int index)
{
    return Bytes(reply.begin() + 2 + 4 * index, reply.begin() + 6 + 4 * index);
}

} // namespace

TEST(LiftSimStation, StatusReplyCarriesFloorFaultModelAndAbsentLifts)
{
    // Station 1: lifts 1, 2 and 4 installed, slot 3 empty.
    CLiftSim sim({"--lift", "1:10:2", "--lift", "2:12:3", "--lift", "4:6"});
    ASSERT_TRUE(sim.command("floor 1 5"));
    ASSERT_TRUE(sim.command("fault 2 42"));
    ASSERT_TRUE(sim.command("absent 4 1"));
    CBusClient bus(sim.port());
    ASSERT_TRUE(bus.IsOpen());

    const Bytes reply = bus.Exchange(CBusClient::StatusRequest(1));
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[0], 1);
    EXPECT_EQ(reply[1], 0x10);

    const Bytes lift1 = Group(reply, 0);
    EXPECT_EQ(lift1[0], 5);              // floor, bit 7 clear
    EXPECT_EQ(lift1[1] & 0x01, 0);       // standing
    EXPECT_EQ(lift1[2] >> 5, 2);         // model
    EXPECT_EQ(lift1[3], 0);

    const Bytes lift2 = Group(reply, 1);
    EXPECT_EQ(lift2[0], 1);
    EXPECT_EQ(lift2[2] & 0x10, 0x10);    // status bit 4: fault present
    EXPECT_EQ(lift2[2] >> 5, 3);
    EXPECT_EQ(lift2[3], 42);

    EXPECT_EQ(Group(reply, 2)[0] & 0x80, 0x80); // empty slot
    EXPECT_EQ(Group(reply, 3)[0] & 0x80, 0x80); // reported absent

    ASSERT_TRUE(sim.command("absent 4 0"));
    ASSERT_TRUE(sim.command("fault 2 0"));
    const Bytes again = bus.Exchange(CBusClient::StatusRequest(1));
    ASSERT_EQ(again.size(), 20u);
    EXPECT_EQ(Group(again, 3)[0], 1);
    EXPECT_EQ(Group(again, 1)[3], 0);
    EXPECT_EQ(Group(again, 1)[2] & 0x10, 0);

    // Status bits 1..3 and the two load flags come from the control line.
    ASSERT_TRUE(sim.command("status 1 6"));
    ASSERT_TRUE(sim.command("flags 1 1 0"));
    const Bytes set = bus.Exchange(CBusClient::StatusRequest(1));
    ASSERT_EQ(set.size(), 20u);
    EXPECT_EQ(Group(set, 0)[2] & 0x1F, 0x06);
    EXPECT_EQ(Group(set, 0)[1] & 0x0C, 0x08); // flag A (bit 3) only
    EXPECT_FALSE(sim.command("status 1 16"));
    EXPECT_FALSE(sim.command("flags 1 2 0"));
}

TEST(LiftSimStation, StatusRunBitsFollowTheCar)
{
    CLiftSim sim({"--lift", "5:10", "--lift", "6:10", "--speed", "400", "--door", "0"});
    CBusClient bus(sim.port());
    ASSERT_TRUE(sim.command("floor 5 5"));
    ASSERT_TRUE(sim.command("floor 6 5"));
    // Lift 5: car call to floor 9, the car runs up; lift 6: car call to floor 2.
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(5, 0x20, 0, 0x01)).size(), 18u);
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(6, 0x00, 0, 0x02)).size(), 18u);
    const Bytes status = bus.Exchange(CBusClient::StatusRequest(2));
    ASSERT_EQ(status.size(), 20u);
    EXPECT_EQ(Group(status, 0)[1] & 0x03, 0x03); // up: bits 0 and 1
    EXPECT_EQ(Group(status, 1)[1] & 0x03, 0x01); // down: bit 0 alone
}

TEST(LiftSimStation, ConfigReplyHasMaskFloorCountsAndHeights)
{
    CLiftSim sim({"--lift", "5:12:1:40000", "--lift", "8:70", "--lift", "9:3"});
    CBusClient bus(sim.port());

    const Bytes reply = bus.Exchange(CBusClient::ConfigRequest(2));
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_EQ(reply[0], 2);
    EXPECT_EQ(reply[1], 0x09); // lifts 5 and 8 = positions 0 and 3
    EXPECT_EQ(Group(reply, 0), (Bytes{12, 0, 0x40, 0x9C}));  // 40000 mm
    EXPECT_EQ(Group(reply, 1), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Group(reply, 3), (Bytes{70, 0, 0xFF, 0xFF}));  // 210000 mm saturates

    const Bytes station3 = bus.Exchange(CBusClient::ConfigRequest(3));
    ASSERT_EQ(station3.size(), 20u);
    EXPECT_EQ(station3[1], 0x01);
    EXPECT_EQ(Group(station3, 0), (Bytes{3, 0, 0x28, 0x23})); // default 3 x 3000 mm
}

TEST(LiftSimStation, NobodyAnswersForEmptyStationsOrBadFrames)
{
    CLiftSim sim({"--lift", "1:10"});
    CBusClient bus(sim.port());
    EXPECT_TRUE(bus.Exchange(CBusClient::StatusRequest(4)).empty());
    EXPECT_TRUE(bus.Exchange(CBusClient::ConfigRequest(16)).empty());
    // Station functions know only addresses 1..16.
    EXPECT_TRUE(bus.Exchange(CBusClient::StatusRequest(17)).empty());
    // Page request for a lift that is not installed.
    EXPECT_TRUE(bus.Exchange(CBusClient::PageRequest(2, 0)).empty());
    // A good request with its CRC damaged.
    Bytes damaged = CBusClient::WithCrc(CBusClient::StatusRequest(1));
    damaged.back() ^= 0x01;
    bus.Send(damaged);
    EXPECT_TRUE(bus.Receive().empty());
    // The simulator is still in step afterwards.
    EXPECT_EQ(bus.Exchange(CBusClient::StatusRequest(1)).size(), 20u);
}

TEST(LiftSimStation, SilentStationAndItsLiftsStopAnswering)
{
    CLiftSim sim({"--lift", "2:8", "--lift", "5:8"});
    CBusClient bus(sim.port());
    ASSERT_TRUE(sim.command("silent 1 1"));
    EXPECT_TRUE(bus.Exchange(CBusClient::StatusRequest(1)).empty());
    EXPECT_TRUE(bus.Exchange(CBusClient::ConfigRequest(1)).empty());
    EXPECT_TRUE(bus.Exchange(CBusClient::PageRequest(2, 0)).empty());
    EXPECT_TRUE(bus.Exchange(CBusClient::LockRequest(2, 0x02)).empty());
    // Station 2 is not affected.
    EXPECT_EQ(bus.Exchange(CBusClient::StatusRequest(2)).size(), 20u);
    EXPECT_EQ(bus.Exchange(CBusClient::PageRequest(5, 0)).size(), 18u);

    ASSERT_TRUE(sim.command("silent 1 0"));
    EXPECT_EQ(bus.Exchange(CBusClient::StatusRequest(1)).size(), 20u);
    EXPECT_EQ(bus.Exchange(CBusClient::PageRequest(2, 0)).size(), 18u);
}

TEST(LiftSimStation, ReportsEveryRequestAndFindsFramesAfterGarbage)
{
    CLiftSim sim({"--lift", "1:10"});
    CBusClient bus(sim.port());

    // Garbage, then a request split over two writes.
    const Bytes request = CBusClient::WithCrc(CBusClient::StatusRequest(1));
    bus.Send({0x00, 0xFF, 0x01, 0x1F, 0x33});
    bus.Send(Bytes(request.begin(), request.begin() + 5));
    EXPECT_TRUE(bus.Receive(100).empty());
    bus.Send(Bytes(request.begin() + 5, request.end()));
    EXPECT_EQ(bus.Receive().size(), 20u);

    // Unanswered but valid requests are reported too.
    const Bytes unanswered = CBusClient::WithCrc(CBusClient::PageRequest(3, 0x20));
    bus.Send(unanswered);
    EXPECT_TRUE(bus.Receive(150).empty());

    const auto frames = sim.requests();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], request);
    EXPECT_EQ(frames[1], unanswered);

    sim.clearRequests();
    EXPECT_TRUE(sim.requests().empty());
    bus.Exchange(CBusClient::ConfigRequest(1));
    ASSERT_EQ(sim.requests().size(), 1u);
    EXPECT_EQ(sim.requests()[0], CBusClient::WithCrc(CBusClient::ConfigRequest(1)));
}

TEST(LiftSimStation, SurvivesNoiseAndAnswersTheNextGoodRequest)
{
    CLiftSim sim({"--lift", "1:10", "--lift", "2:255", "--speed", "5", "--door", "5"});
    CBusClient bus(sim.port());
    // Noise with many plausible headers: addresses 1 and 2, every function code,
    // and now and then a frame with a good CRC and random payload.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return std::uint8_t(seed >> 16);
    };
    const std::uint8_t functions[] = {0x00, 0x10, 0x1F, 0x30};
    for (int round = 0; round < 400; ++round) {
        Bytes noise;
        for (int i = 0; i < 20; ++i)
            noise.push_back(i % 7 == 0 ? std::uint8_t(1 + next() % 2) : i % 7 == 1 ? functions[next() % 4] : next());
        if (round % 5 == 0) {
            Bytes body{std::uint8_t(1 + next() % 2), 0x00};
            for (int i = 0; i < 10; ++i)
                body.push_back(next());
            noise = CBusClient::WithCrc(body);
        }
        bus.Send(noise);
    }
    bus.Receive(200);
    const Bytes reply = bus.Exchange(CBusClient::StatusRequest(1));
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
    EXPECT_FALSE(sim.dump(2).isEmpty());
}
