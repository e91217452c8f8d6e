// Line faults on command: each mode damages replies in a fixed, repeatable way
// and for exactly the number of replies asked for.
#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/LiftSim.h"

TEST(LiftSimLine, EveryModeDamagesRepeatablyForItsCount)
{
    CLiftSim sim({"--lift", "1:10:2", "--lift", "3:16"});
    CBusClient bus(sim.port());
    const auto status = [&] { return bus.Exchange(CBusClient::Status(1)); };
    const Bytes sound = status();
    ASSERT_TRUE(sound.size() == 20 && CBusClient::CrcOk(sound));
    const auto crcLess = [](const Bytes& b) { return Bytes(b.begin(), b.end() - 2); };

    ASSERT_TRUE(sim.command("line short 1"));
    EXPECT_EQ(status(), Bytes(sound.begin(), sound.begin() + 10));
    ASSERT_TRUE(sim.command("line long 1"));
    Bytes longer = sound;
    longer.insert(longer.end(), {0xA5, 0x5A});
    EXPECT_EQ(status(), longer);
    ASSERT_TRUE(sim.command("line crc 1"));
    const Bytes badCrc = status();
    ASSERT_EQ(badCrc.size(), 20u);
    EXPECT_EQ(crcLess(badCrc), crcLess(sound));
    EXPECT_FALSE(CBusClient::CrcOk(badCrc));
    EXPECT_EQ(status(), sound);

    // Garbage runs on within one command and starts over with the next, in
    // any simulator.
    ASSERT_TRUE(sim.command("line garbage 2"));
    const Bytes first = status();
    const Bytes second = status();
    ASSERT_EQ(first.size(), 20u);
    EXPECT_FALSE(CBusClient::CrcOk(first));
    EXPECT_NE(first, second);
    EXPECT_EQ(status(), sound);
    ASSERT_TRUE(sim.command("line garbage 1"));
    EXPECT_EQ(status(), first);
    CLiftSim other({"--lift", "1:10:2"});
    CBusClient otherBus(other.port());
    ASSERT_TRUE(other.command("line garbage 1"));
    EXPECT_EQ(otherBus.Exchange(CBusClient::Status(1)), first);

    // Silence: heard, not answered. Requests nobody answers do not use up a count.
    sim.clearRequests();
    ASSERT_TRUE(sim.command("line silence 2"));
    EXPECT_TRUE(status().empty());
    EXPECT_EQ(sim.requests().size(), 1u);
    EXPECT_TRUE(bus.Exchange(CBusClient::Status(5)).empty());
    EXPECT_TRUE(bus.Exchange(CBusClient::Page(3, 0)).empty());
    EXPECT_EQ(status(), sound);

    ASSERT_TRUE(sim.command("line late 400 1"));
    bus.Send(CBusClient::WithCrc(CBusClient::Page(3, 0)));
    EXPECT_TRUE(bus.Receive(150).empty());
    const Bytes late = bus.Receive(2000);
    ASSERT_TRUE(late.size() == 18 && CBusClient::CrcOk(late));

    // Without a count, until "line ok".
    ASSERT_TRUE(sim.command("line silence"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(status().empty());
    ASSERT_TRUE(sim.command("line ok"));
    EXPECT_EQ(status(), sound);
}
