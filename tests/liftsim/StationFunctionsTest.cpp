// Station functions (status poll, configuration read), who answers and who
// does not, and the RX report, spoken to over the simulator's pty.
#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

namespace {

Bytes Group(const Bytes& reply, int index)
{
    return reply.size() == 20 ? Bytes(reply.begin() + 2 + 4 * index, reply.begin() + 6 + 4 * index) : Bytes(4);
}

} // namespace

TEST(LiftSimStation, StatusAndConfigurationReplies)
{
    // Station 1: lifts 1, 2 and 4, slot 3 empty; station 2: lifts 5, 6 and 8; station 3: lift 9.
    CLiftSim sim({"--lift", "1:10:2", "--lift", "2:12:3", "--lift", "4:6", "--lift", "5:12:1:40000", "--lift", "6:10",
                  "--lift", "8:70", "--lift", "9:3", "--speed", "400", "--door", "0"});
    CBusClient bus(sim.port());
    for (const char* line : {"floor 1 5", "fault 2 42", "absent 4 1", "status 1 6", "flags 1 1 0"})
        ASSERT_TRUE(sim.command(line)) << line;
    EXPECT_FALSE(sim.command("status 1 16"));
    EXPECT_FALSE(sim.command("flags 1 2 0"));

    Bytes reply = bus.Exchange(CBusClient::Status(1));
    ASSERT_TRUE(reply.size() == 20 && CBusClient::CrcOk(reply));
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 2), (Bytes{1, 0x10}));
    // Floor 5 standing with flag A, status bits 6 and model 2; fault 42 with its status bit 4.
    EXPECT_EQ(Group(reply, 0), (Bytes{5, 0x08, 0x46, 0}));
    EXPECT_EQ(Group(reply, 1), (Bytes{1, 0x00, 0x70, 42}));
    EXPECT_EQ(Group(reply, 2)[0], 0x80);  // empty slot
    EXPECT_EQ(Group(reply, 3)[0], 0x80);  // reported absent
    ASSERT_TRUE(sim.command("absent 4 0"));
    ASSERT_TRUE(sim.command("fault 2 0"));
    reply = bus.Exchange(CBusClient::Status(1));
    EXPECT_EQ(Group(reply, 3)[0], 1);
    EXPECT_EQ(Group(reply, 1), (Bytes{1, 0x00, 0x60, 0}));

    // Lift 5 runs up to a car call, lift 6 down.
    ASSERT_TRUE(sim.command("floor 5 5"));
    ASSERT_TRUE(sim.command("floor 6 5"));
    ASSERT_EQ(bus.Exchange(CBusClient::Page(5, 0x20, 0, 0x01)).size(), 18u);
    ASSERT_EQ(bus.Exchange(CBusClient::Page(6, 0x00, 0, 0x02)).size(), 18u);
    reply = bus.Exchange(CBusClient::Status(2));
    EXPECT_EQ(Group(reply, 0)[1] & 0x03, 0x03);  // up: bits 0 and 1
    EXPECT_EQ(Group(reply, 1)[1] & 0x03, 0x01);  // down: bit 0 alone

    reply = bus.Exchange(CBusClient::Config(2));
    ASSERT_TRUE(reply.size() == 20 && CBusClient::CrcOk(reply));
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 2), (Bytes{2, 0x0B}));  // positions 0, 1 and 3
    EXPECT_EQ(Group(reply, 0), (Bytes{12, 0, 0x40, 0x9C}));                // 40000 mm
    EXPECT_EQ(Group(reply, 2), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Group(reply, 3), (Bytes{70, 0, 0xFF, 0xFF}));                // 210000 mm saturates
    EXPECT_EQ(Group(bus.Exchange(CBusClient::Config(3)), 0), (Bytes{3, 0, 0x28, 0x23}));  // 3 x 3000 mm
}

TEST(LiftSimStation, WhoAnswersAndTheRequestReport)
{
    CLiftSim sim({"--lift", "1:10", "--lift", "2:8", "--lift", "5:8"});
    CBusClient bus(sim.port());
    // Nobody has station 4 or 16, station functions stop at address 16, lift 3
    // is not installed, and a damaged CRC is no request.
    for (const Bytes& request : {CBusClient::Status(4), CBusClient::Config(16), CBusClient::Status(17),
                                 CBusClient::Page(3, 0)})
        EXPECT_TRUE(bus.Exchange(request).empty());
    Bytes damaged = CBusClient::WithCrc(CBusClient::Status(1));
    damaged.back() ^= 0x01;
    bus.Send(damaged);
    EXPECT_TRUE(bus.Receive().empty());

    // A silent station leaves its lifts' requests unanswered too, not another station's.
    ASSERT_TRUE(sim.command("silent 1 1"));
    for (const Bytes& request : {CBusClient::Status(1), CBusClient::Config(1), CBusClient::Page(2, 0),
                                 CBusClient::Lock(2, 0x02)})
        EXPECT_TRUE(bus.Exchange(request).empty());
    EXPECT_EQ(bus.Exchange(CBusClient::Page(5, 0)).size(), 18u);
    ASSERT_TRUE(sim.command("silent 1 0"));
    EXPECT_EQ(bus.Exchange(CBusClient::Page(2, 0)).size(), 18u);

    // Garbage, then a request split over two writes; an unanswered request is reported too.
    sim.clearRequests();
    const Bytes request = CBusClient::WithCrc(CBusClient::Status(1));
    bus.Send({0x00, 0xFF, 0x01, 0x1F, 0x33});
    bus.Send(Bytes(request.begin(), request.begin() + 5));
    EXPECT_TRUE(bus.Receive(100).empty());
    bus.Send(Bytes(request.begin() + 5, request.end()));
    EXPECT_EQ(bus.Receive().size(), 20u);
    const Bytes unanswered = CBusClient::WithCrc(CBusClient::Page(3, 0x20));
    bus.Send(unanswered);
    EXPECT_TRUE(bus.Receive(150).empty());
    const auto frames = sim.timedRequests();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].frame, request);
    EXPECT_EQ(frames[1].frame, unanswered);
    EXPECT_GE(frames[1].tMs - frames[0].tMs, 40);  // read times: the reply and 40 quiet ms apart
}
