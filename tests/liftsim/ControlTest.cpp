// The simulator's own interface: command line, config file, control lines
// (malformed ones included), pacing, and the process going away.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "BusClient.h"
#include "support/Files.h"
#include "support/LiftSim.h"

TEST(LiftSimControl, MalformedControlLinesAreRefused)
{
    CLiftSim sim({"--lift", "1:10"});
    const QStringList bad = {
        "",           "bogus",           "fault",          "fault 1",      "fault 1 256",  "fault 65 1",
        "fault 2 1",  "fault x 1",       "mode 1 16",      "mode 1 -1",    "floor 1 0",    "floor 1 11",
        "floor 1 2 3", "absent 1 2",     "silent 0 1",     "silent 17 1",  "silent 1",     "line",
        "line wobble", "line crc 0",     "line crc x",     "line late",    "line late -5", "line ok 3",
        "line short 1 2", "lockconfirm 2", "dump",          "dump 2",       "quit now",
        QString(5000, 'x'),
    };
    for (const QString& line : bad)
        EXPECT_FALSE(sim.command(line)) << line.left(40).toStdString();
    // Still serving after all that.
    EXPECT_TRUE(sim.command("fault 1 255"));
    EXPECT_TRUE(sim.dump(1).contains("fault=255"));
}

TEST(LiftSimControl, CommandLineAndConfigFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(WriteFile(dir.filePath("install.txt"), "# two lifts on station 2\n\nlift 5 12 2   # lobby\n  lift 7 30 3 99000\n"));
    const QString link = dir.filePath("bus");
    {
        CLiftSim sim({"--config", dir.filePath("install.txt"), "--link", link});
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.port());
        CBusClient bus(link);
        const Bytes reply = bus.Exchange(CBusClient::Config(2));
        ASSERT_EQ(reply.size(), 20u);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{2, 0x05, 12}));
        EXPECT_EQ(reply[10], 30);
    }
    EXPECT_FALSE(QFileInfo::exists(link));  // removed on a normal exit

    ASSERT_TRUE(WriteFile(dir.filePath("bad.txt"), "lift 1 10\nlift 2 zero\n"));
    const QList<QStringList> bad = {
        {"--lift", "0:10"},   {"--lift", "65:10"}, {"--lift", "1:0"},        {"--lift", "1:256"},
        {"--lift", "1:10:4"}, {"--lift", "1"},     {"--lift", "1:10:1:5:6"}, {"--lift", "1:10", "--lift", "1:12"},
        {"--speed", "0"},     {"--baud"},          {"--frobnicate"},         {"--config", dir.filePath("bad.txt")},
        {"--config", dir.filePath("missing.txt")},
    };
    for (const QStringList& args : bad) {
        QProcess process;
        process.start(LIFTSIM_PATH, args);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_FALSE(process.readAllStandardError().isEmpty());
    }
}

TEST(LiftSimControl, PacedRepliesAndAKilledSimulator)
{
    // 1200 baud: 20 bytes of 10 bits cannot arrive in less than 166 ms.
    CLiftSim sim({"--lift", "1:10", "--pace", "--baud", "1200", "--reply-delay", "0"});
    CBusClient bus(sim.port());
    QElapsedTimer timer;
    timer.start();
    const Bytes reply = bus.Exchange(CBusClient::Status(1), 1000);
    EXPECT_GE(timer.elapsed(), 160);
    ASSERT_TRUE(reply.size() == 20 && CBusClient::CrcOk(reply));

    sim.kill();  // like an unplugged adapter: the line is dead, the report kept
    EXPECT_FALSE(sim.command("dump 1"));
    EXPECT_TRUE(bus.Exchange(CBusClient::Status(1)).empty());
    EXPECT_EQ(sim.requests().size(), 1u);
}

TEST(LiftSimControl, AFlappingFaultChangesWithEveryReplyThatCarriesItAndIsCounted)
{
    CLiftSim sim({"--lift", "1:10", "--lift", "2:10"});
    CBusClient bus(sim.port());
    for (const QString& line : {"flap 1 21", "flap 1 21 256", "flap 3 1 2", "flap 1 x 2"})
        EXPECT_FALSE(sim.command(line)) << line.toStdString();
    EXPECT_FALSE(sim.dump(1).contains("faults="));  // the dump of a lift never made to flap is as it was

    ASSERT_TRUE(sim.command("flap 1 21 22"));
    const auto statusCode = [&] {
        const Bytes reply = bus.Exchange(CBusClient::Status(1));
        return reply.size() == 20 ? int(reply[5]) : -1;  // lift 1's group: bytes 2..5, the code last
    };
    const auto pageCode = [&] {
        const Bytes reply = bus.Exchange(CBusClient::Page(1, 0));
        return reply.size() == 18 ? int(reply[9]) : -1;
    };
    EXPECT_EQ(statusCode(), 21);
    EXPECT_EQ(pageCode(), 22);
    EXPECT_EQ(pageCode(), 21);
    EXPECT_EQ(statusCode(), 22);
    // Only the flapping lift's code moves.
    EXPECT_EQ(bus.Exchange(CBusClient::Page(2, 0)).at(9), 0);
    EXPECT_TRUE(sim.dump(1).endsWith(" faults=4")) << sim.dump(1).toStdString();

    // A fixed code ends it and keeps the count; code 0 is not counted.
    ASSERT_TRUE(sim.command("fault 1 0"));
    EXPECT_EQ(statusCode(), 0);
    EXPECT_EQ(pageCode(), 0);
    EXPECT_TRUE(sim.dump(1).endsWith(" fault=0 car=0 up=0 down=0 lock=00 faults=4")) << sim.dump(1).toStdString();
    ASSERT_TRUE(sim.command("flap 1 0 9"));
    EXPECT_EQ(statusCode(), 0);
    EXPECT_EQ(statusCode(), 9);
    EXPECT_TRUE(sim.dump(1).endsWith(" faults=1")) << sim.dump(1).toStdString();
}
