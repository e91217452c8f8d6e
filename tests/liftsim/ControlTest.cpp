// The simulator's own interface: command line, config file, control lines
// (malformed ones included) and the test-support wrapper around the process.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "BusClient.h"
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
    CBusClient bus(sim.port());
    EXPECT_EQ(bus.Exchange(CBusClient::PageRequest(1, 0)).size(), 18u);
}

TEST(LiftSimControl, DumpShowsLampsAsHexMasks)
{
    CLiftSim sim({"--lift", "9:40", "--speed", "60000"});
    CBusClient bus(sim.port());
    ASSERT_TRUE(sim.command("floor 9 20"));
    // Car calls floors 1 and 40, up call 33 (page 4 j 0), down call 21 (page 2 j 4).
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(9, 0x00, 0, 0x01)).size(), 18u);
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(9, 0x80, 0, 0x80, 0x01)).size(), 18u);
    ASSERT_EQ(bus.Exchange(CBusClient::PageRequest(9, 0x40, 0, 0, 0, 0x02)).size(), 18u);
    const QString dump = sim.dump(9);
    EXPECT_TRUE(dump.endsWith("car=8000000001 up=100000000 down=100000 lock=00")) << dump.toStdString();
    EXPECT_TRUE(sim.dump(10).isEmpty());
}

TEST(LiftSimControl, ConfigFileInstallsLifts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("install.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# two lifts on station 2\n\nlift 5 12 2   # lobby\n  lift 7 30 3 99000\n");
    file.close();
    const QString link = dir.filePath("bus");
    CLiftSim sim({"--config", file.fileName(), "--link", link});
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.port());
    CBusClient bus(link);
    const Bytes reply = bus.Exchange(CBusClient::ConfigRequest(2));
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_EQ(reply[1], 0x05);
    EXPECT_EQ(reply[2], 12);
    EXPECT_EQ(reply[10], 30);
    EXPECT_EQ(reply[12] | (reply[13] << 8), 65535);
}

TEST(LiftSimControl, BadCommandLinesStopTheSimulatorWithAReason)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("bad.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("lift 1 10\nlift 2 zero\n");
    file.close();
    const QList<QStringList> bad = {
        {"--lift", "0:10"},   {"--lift", "65:10"}, {"--lift", "1:0"},      {"--lift", "1:256"},
        {"--lift", "1:10:4"}, {"--lift", "1"},     {"--lift", "1:10:1:5:6"}, {"--lift", "1:10", "--lift", "1:12"},
        {"--speed", "0"},     {"--baud"},          {"--frobnicate"},       {"--config", file.fileName()},
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

TEST(LiftSimControl, KilledSimulatorLeavesTheLineDead)
{
    CLiftSim sim({"--lift", "1:10"});
    CBusClient bus(sim.port());
    ASSERT_EQ(bus.Exchange(CBusClient::StatusRequest(1)).size(), 20u);
    sim.kill();
    EXPECT_FALSE(sim.command("dump 1"));
    EXPECT_TRUE(bus.Exchange(CBusClient::StatusRequest(1)).empty());
    EXPECT_EQ(sim.requests().size(), 1u);
}

TEST(LiftSimControl, PacedRepliesTakeTheirCharacterTimes)
{
    // 1200 baud: 20 bytes of 10 bits cannot arrive in less than 166 ms.
    CLiftSim sim({"--lift", "1:10", "--pace", "--baud", "1200", "--reply-delay", "0"});
    CBusClient bus(sim.port());
    QElapsedTimer timer;
    timer.start();
    const Bytes reply = bus.Exchange(CBusClient::StatusRequest(1), 1000);
    EXPECT_GE(timer.elapsed(), 160);
    ASSERT_EQ(reply.size(), 20u);
    EXPECT_TRUE(CBusClient::CrcOk(reply));
}
