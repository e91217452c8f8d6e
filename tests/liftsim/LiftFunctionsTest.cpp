// Lift functions (page exchange, parameter read, floor call, lock command):
// reply layout and the car's behaviour as the station sees it.
#include <chrono>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

namespace {

constexpr std::uint8_t PAGE(int page) { return std::uint8_t(page << 5); }

int Position(const Bytes& reply) { return reply[5] | (reply[6] << 8); }

class LiftSimLift : public ::testing::Test
{
protected:
    CLiftSim sim{{"--lift", "1:10", "--lift", "2:8:1:21000", "--lift", "3:20", "--lift", "4:70", "--lift", "6:30",
                  "--lift", "7:12:3:33000", "--speed", "150", "--door", "400"}};
    CBusClient bus{sim.port()};

    // Repeats the request until the reply satisfies the condition (5 s at most).
    Bytes PollUntil(const Bytes& request, const std::function<bool(const Bytes&)>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        Bytes reply;
        while (std::chrono::steady_clock::now() < deadline) {
            if ((reply = bus.Exchange(request)).size() == 18 && done(reply))
                return reply;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "condition not reached within 5 s";
        return Bytes(18);
    }
};

} // namespace

TEST_F(LiftSimLift, PageRepliesAndTheCarServingCalls)
{
    ASSERT_TRUE(sim.command("floor 7 4"));
    ASSERT_TRUE(sim.command("fault 7 9"));
    const Bytes params = bus.Exchange({7, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0});
    EXPECT_TRUE(CBusClient::CrcOk(params));
    // Floors, bottom, floor 4 at 3 of 11 spacings of 33000 mm, doors closed,
    // normal mode idle, fault, no lamps, model 3.
    EXPECT_EQ(params, CBusClient::WithCrc({7, 0, 12, 1, 4, 0x28, 0x23, 4, 7, 9, 0, 0, 0, 3, 0, 0}));

    // Page 1 of lift 3: up call 10 (bit 2 of byte 5), down call 15 (bit 5 of byte 6); page 0 shows neither.
    Bytes reply = bus.Exchange(CBusClient::Page(3, PAGE(1), 0, 0, 0x04, 0x20));
    EXPECT_EQ(Bytes(reply.begin() + 10, reply.begin() + 13), (Bytes{0, 0x04, 0x20}));
    reply = bus.Exchange(CBusClient::Page(3, PAGE(0)));
    EXPECT_EQ(Bytes(reply.begin() + 10, reply.begin() + 13), (Bytes{0, 0, 0}));
    EXPECT_TRUE(sim.dump(3).endsWith("car=0 up=200 down=4000 lock=00")) << sim.dump(3).toStdString();

    // Lift 4, 70 floors: page 7 carries floor 60; the level saturates at 16 bits.
    ASSERT_TRUE(sim.command("floor 4 70"));
    reply = bus.Exchange(CBusClient::Page(4, PAGE(7), 0, 0x08));
    EXPECT_EQ(Bytes(reply.begin() + 2, reply.begin() + 5), (Bytes{70, 1, 70}));
    EXPECT_EQ(Position(reply), 0xFFFF);
    EXPECT_EQ(reply[10], 0x08);
    EXPECT_TRUE(sim.dump(4).contains(" car=800000000000000 ")) << sim.dump(4).toStdString();  // bit 59

    // Lift 1: car call 8 and up call 5, then from floor 2 down call 3 behind.
    // The car stops at 5 (doors open, 8 and 3 still lit), then 8, then turns for 3.
    EXPECT_EQ(bus.Exchange(CBusClient::Page(1, PAGE(0), 0, 0x80, 0, 0x01))[10], 0x80);
    ASSERT_TRUE(sim.command("floor 1 2"));
    ASSERT_EQ(bus.Exchange(CBusClient::Page(1, PAGE(0), 0, 0, 0x20)).size(), 18u);
    const Bytes poll = CBusClient::Page(1, PAGE(0));
    EXPECT_EQ(PollUntil(poll, [](const Bytes& r) { return r[8] >> 6 == 1; })[10], 0x80);  // up, lit on the way
    reply = PollUntil(poll, [](const Bytes& r) { return r[7] == 2; });
    EXPECT_EQ(reply[4], 5);
    EXPECT_EQ(Bytes(reply.begin() + 10, reply.begin() + 13), (Bytes{0x80, 0x20, 0}));
    reply = PollUntil(poll, [](const Bytes& r) { return r[4] == 8 && r[8] >> 6 == 3; });  // stopped, doors at work
    EXPECT_EQ(reply[10], 0);
    EXPECT_EQ(Position(reply), 7 * 30000 / 9);
    reply = PollUntil(poll, [](const Bytes& r) { return r[4] == 3 && r[7] == 2; });
    EXPECT_EQ(reply[11], 0);
    PollUntil(poll, [](const Bytes& r) { return r[7] == 4; });
    EXPECT_TRUE(sim.dump(1).startsWith("LIFT 1 floor=3 pos=6666 run=0 door=4 mode=7 fault=0 car=0 up=0 down=0"))
        << sim.dump(1).toStdString();

    // The height run's floor call: down call of top floor 8 (page 0, byte 6 bit 7).
    const Bytes call = {2, 0, 0x00, 0, 0, 0, 0x80, 1, 0, 0, 0, 0};
    EXPECT_EQ(bus.Exchange(call)[12], 0x80);
    reply = PollUntil(call, [](const Bytes& r) { return r[4] == 8 && (r[8] >> 6 == 0 || r[8] >> 6 == 3); });
    EXPECT_EQ(reply[8] & 0x0F, 7);
    EXPECT_EQ(Position(reply), 21000);
    EXPECT_EQ(reply[12], 0);  // answered, not lit again by the repeated request
}

TEST_F(LiftSimLift, ModesAndLocks)
{
    const auto mode = [&](std::uint8_t pageMode, std::uint8_t command) {
        const Bytes reply = bus.Exchange(CBusClient::Page(6, pageMode, command));
        return reply.size() == 18 ? reply[8] & 0x0F : -1;
    };
    // Station modes 2, 3 (on page 1), 4 and 8; command bit 1 suppresses them;
    // the one-shot bit; back to normal once requests stop carrying them.
    const int pageModes[][3] = {{0x00, 0x00, 7}, {0x01, 0x00, 3}, {0x22, 0x00, 8}, {0x00, 0x04, 9},
                                {0x00, 0x40, 13}, {0x00, 0x42, 7}, {0x04, 0x00, 1}, {0x00, 0x00, 7}};
    for (const auto& m : pageModes)
        EXPECT_EQ(mode(std::uint8_t(m[0]), std::uint8_t(m[1])), m[2]) << m[0] << " " << m[1];
    ASSERT_TRUE(sim.command("mode 6 2"));
    EXPECT_EQ(mode(0x00, 0x00), 2);
    EXPECT_EQ(mode(0x01, 0x00), 3);

    // Each lock request states the locks in force; the reply confirms them.
    const auto confirmed = [&](std::uint8_t lockByte, const std::vector<int>& floors) {
        const Bytes reply = bus.Exchange(CBusClient::Lock(6, lockByte, floors));
        return reply.size() >= 3 && CBusClient::CrcOk(reply) && reply[0] == 6 && reply[1] != 0 ? reply[2] : -1;
    };
    EXPECT_EQ(confirmed(0x02, {}), 0x02);
    EXPECT_EQ(confirmed(0x0A, {1, 9, 40}), 0x0A);  // floor-lock mode 3 kept with the lift lock
    EXPECT_TRUE(sim.dump(6).contains("lock=0a")) << sim.dump(6).toStdString();
    EXPECT_EQ(confirmed(0x00, {}), 0x00);
    ASSERT_TRUE(sim.command("lockconfirm 0"));
    EXPECT_EQ(confirmed(0x12, {5}), 0x00);
    ASSERT_TRUE(sim.command("lockconfirm 1"));
    EXPECT_EQ(confirmed(0x12, {5}), 0x12);
}
