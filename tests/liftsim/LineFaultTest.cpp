// Line faults on command: each mode damages replies in a fixed, repeatable way
// and for exactly the number of replies asked for.
#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

namespace {

class LiftSimLine : public ::testing::Test
{
protected:
    CLiftSim sim{{"--lift", "1:10:2", "--lift", "3:16"}};
    CBusClient bus{sim.port()};

    Bytes Status() { return bus.Exchange(CBusClient::StatusRequest(1)); }
};

} // namespace

TEST_F(LiftSimLine, ShortLongAndCrcDamageTheSoundReply)
{
    const Bytes sound = Status();
    ASSERT_EQ(sound.size(), 20u);
    ASSERT_TRUE(CBusClient::CrcOk(sound));

    ASSERT_TRUE(sim.command("line short 1"));
    EXPECT_EQ(Status(), Bytes(sound.begin(), sound.begin() + 10));

    ASSERT_TRUE(sim.command("line long 1"));
    const Bytes longer = Status();
    ASSERT_EQ(longer.size(), 22u);
    EXPECT_EQ(Bytes(longer.begin(), longer.begin() + 20), sound);

    ASSERT_TRUE(sim.command("line crc 1"));
    const Bytes badCrc = Status();
    ASSERT_EQ(badCrc.size(), 20u);
    EXPECT_EQ(Bytes(badCrc.begin(), badCrc.end() - 2), Bytes(sound.begin(), sound.end() - 2));
    EXPECT_FALSE(CBusClient::CrcOk(badCrc));

    EXPECT_EQ(Status(), sound);
}

TEST_F(LiftSimLine, GarbageIsTheSameEveryTime)
{
    const Bytes sound = Status();
    ASSERT_TRUE(sim.command("line garbage 2"));
    const Bytes first = Status();
    const Bytes second = Status();
    ASSERT_EQ(first.size(), 20u);
    EXPECT_FALSE(CBusClient::CrcOk(first));
    EXPECT_NE(first, sound);
    EXPECT_NE(first, second); // the generator runs on within one command
    EXPECT_EQ(Status(), sound);

    ASSERT_TRUE(sim.command("line garbage 1"));
    EXPECT_EQ(Status(), first); // and starts over with the next one

    // Another simulator produces the same bytes.
    CLiftSim other({"--lift", "1:10:2", "--lift", "3:16"});
    CBusClient otherBus(other.port());
    ASSERT_TRUE(other.command("line garbage 1"));
    EXPECT_EQ(otherBus.Exchange(CBusClient::StatusRequest(1)), first);
}

TEST_F(LiftSimLine, SilenceAndLateReplies)
{
    ASSERT_TRUE(sim.command("line silence 1"));
    EXPECT_TRUE(Status().empty());
    EXPECT_EQ(sim.requests().size(), 1u); // heard, just not answered
    EXPECT_EQ(Status().size(), 20u);

    ASSERT_TRUE(sim.command("line late 400 1"));
    bus.Send(CBusClient::WithCrc(CBusClient::PageRequest(3, 0)));
    EXPECT_TRUE(bus.Receive(150).empty());
    const Bytes late = bus.Receive(2000);
    ASSERT_EQ(late.size(), 18u);
    EXPECT_TRUE(CBusClient::CrcOk(late));
}

TEST_F(LiftSimLine, CountLimitsTheFaultAndOkEndsAnOpenOne)
{
    ASSERT_TRUE(sim.command("line crc 2"));
    EXPECT_FALSE(CBusClient::CrcOk(Status()));
    // Requests nobody answers do not use up the count.
    EXPECT_TRUE(bus.Exchange(CBusClient::StatusRequest(5)).empty());
    EXPECT_FALSE(CBusClient::CrcOk(bus.Exchange(CBusClient::PageRequest(3, 0))));
    EXPECT_TRUE(CBusClient::CrcOk(Status()));

    ASSERT_TRUE(sim.command("line silence"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Status().empty());
    ASSERT_TRUE(sim.command("line ok"));
    EXPECT_EQ(Status().size(), 20u);
}
