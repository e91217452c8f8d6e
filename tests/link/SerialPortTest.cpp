// The serial port on a raw pseudo-terminal that the test holds the other end
// of: line settings, what a read takes, the bounded write, opening twice, and
// a device that goes away.
#include <gtest/gtest.h>

#include <QDir>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "LinkTestUtil.h"
#include "link/LiftComm.h"
#include "link/SerialPort.h"
#include "platform/MessageBox.h"

namespace {

// A raw pseudo-terminal pair; a COM port points at its slave side.
struct Pty {
    Pty()
    {
        char path[128] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            ADD_FAILURE() << "openpty failed";
        name = QString::fromLocal8Bit(path);
        termios t{};
        ::tcgetattr(master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
    void Send(const Bytes& bytes) { ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Bytes written by the station, waiting up to timeoutMs for each chunk.
    Bytes Receive(std::size_t expected, int timeoutMs = 1000)
    {
        Bytes out;
        pollfd p{master, POLLIN, 0};
        std::uint8_t buf[256];
        while (out.size() < expected && ::poll(&p, 1, timeoutMs) > 0) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    int master = -1;
    int slave = -1;
    QString name;
};

// Waits until the port has `count` bytes queued (the pty hands them over asynchronously).
void WaitQueued(int count)
{
    int queued = 0;
    for (int i = 0; i < 200 && (::ioctl(g_hComPort, FIONREAD, &queued), queued < count); ++i)
        ::usleep(5000);
    EXPECT_GE(queued, count) << "bytes never arrived";
}

int OpenDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size()); }

const std::uint8_t kAb[] = {'a', 'b'};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("LIFT_COM1", pty.name.toLocal8Bit()); }
    void TearDown() override
    {
        CSerialPort closer;  // a new port object leaves the port closed
        for (const char* name : {"LIFT_COM1", "LIFT_COM2", "LIFT_COM3", "LIFT_COM4"})
            qunsetenv(name);
    }
    Pty pty;
};

} // namespace

TEST_F(SerialPortTest, OpensRaw8N1ExclusivelyAndOnce)
{
    CSerialPort port;
    EXPECT_EQ(port.m_strPort, "COM1");
    EXPECT_EQ(g_hComPort, kPortClosed);
    const int descriptors = OpenDescriptors();
    ASSERT_EQ(port.OpenPort(1, 4), 1);
    EXPECT_EQ(port.m_nBaud, 115200u);
    termios t{};
    ASSERT_EQ(::tcgetattr(g_hComPort, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_TRUE(::fcntl(g_hComPort, F_GETFL) & O_NONBLOCK);
    // An index outside the table keeps the rate; opening again leaves one descriptor.
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    ASSERT_EQ(port.OpenPort(1, 7), 1);
    EXPECT_EQ(port.m_nBaud, 9600u);
    ASSERT_EQ(::tcgetattr(g_hComPort, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(OpenDescriptors(), descriptors + 1);

    // The claim is exclusive and given up on close (root ignores it, so the
    // terminal is asked through the test's own slave descriptor).
    int exclusive = 0;
    ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    port.ClosePort();
    ASSERT_EQ(::ioctl(pty.slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(OpenDescriptors(), descriptors);

    // A second port object shares the process-wide descriptor: its
    // construction closes it.
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    CSerialPort other;
    EXPECT_EQ(g_hComPort, kPortClosed);
    ASSERT_EQ(other.OpenPort(1, 0), 1);
    ASSERT_EQ(port.WriteData(kAb, 2), 2);
    EXPECT_EQ(pty.Receive(2), (Bytes{'a', 'b'}));

    // A port number outside 1..8 keeps the name the port had.
    Pty second;
    qputenv("LIFT_COM2", second.name.toLocal8Bit());
    for (const auto& [number, name, to] : {std::tuple(9, "COM1", &pty), std::tuple(2, "COM2", &second),
                                           std::tuple(0, "COM2", &second)}) {
        ASSERT_EQ(other.OpenPort(number, 0), 1);
        EXPECT_EQ(other.m_strPort, name);
        other.WriteData(kAb, 1);
        EXPECT_EQ(to->Receive(1), Bytes{'a'}) << number;
    }
}

TEST_F(SerialPortTest, ReadTakesOnlyWhatIsQueuedAndWriteIsBounded)
{
    CSerialPort port;
    ASSERT_EQ(port.OpenPort(1, 4), 1);
    FrameBuf buf{};
    EXPECT_EQ(port.ReadData(buf.data()), 0);  // nothing queued: back at once
    pty.Send({1, 2, 3, 4, 5});
    WaitQueued(5);
    EXPECT_EQ(port.ReadData(buf.data()), 5);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 5), (Bytes{1, 2, 3, 4, 5}));
    Bytes thirty(30);
    for (int i = 0; i < 30; ++i)
        thirty[i] = std::uint8_t(i);
    pty.Send(thirty);
    WaitQueued(30);
    EXPECT_EQ(port.ReadData(buf.data()), 25);
    EXPECT_EQ(Bytes(buf.begin(), buf.end()), Bytes(thirty.begin(), thirty.begin() + 25));
    EXPECT_EQ(port.ReadData(buf.data()), 5);  // the rest stayed queued
    EXPECT_EQ(buf[0], 25);
    pty.Send(thirty);
    WaitQueued(30);
    port.PurgeRx();
    EXPECT_EQ(port.ReadData(buf.data()), 0);

    // Nobody reads the other end: fill the line until it stays full (the pty
    // moves bytes on in the background for a while); a write then gives up
    // after its 1000 ms and reports 0.
    std::uint8_t chunk[4096] = {};
    for (int round = 0; round < 100; ++round) {
        int accepted = 0;
        while (::write(g_hComPort, chunk, sizeof chunk) > 0)
            ++accepted;
        ASSERT_EQ(errno, EAGAIN);
        if (round > 0 && accepted == 0 && ::write(g_hComPort, chunk, 1) < 0)
            break;
        ::usleep(20000);
    }
    EXPECT_EQ(port.WriteData(kAb, 2), 0);
}

TEST_F(SerialPortTest, DeviceThatIsNoTerminalIsRefused)
{
    MessageBoxRecorder boxes;
    qputenv("LIFT_COM3", "/dev/null");
    qputenv("LIFT_COM4", "/nonexistent/tty");
    CSerialPort port;
    EXPECT_EQ(port.OpenPort(3, 0), 0);
    EXPECT_EQ(g_hComPort, kPortClosed);
    EXPECT_EQ(boxes.texts(), QStringList{"Port buffer zone setting failure,pls re-connect"});
    EXPECT_EQ(port.OpenPort(4, 0), 0);  // silently: the caller reports it
    EXPECT_EQ(boxes.count(), 1);
}

TEST_F(SerialPortTest, ClosedPortFailsEveryExchangeAndWritesNothing)
{
    MessageBoxRecorder boxes;
    CLiftComm comm;
    ASSERT_EQ(g_hComPort, kPortClosed);
    strLiftInf lifts[64];
    strLiftPage pages[64];
    strLiftCmd cmd{};
    comm.m_Station[0] = {1, 0x0F};
    RegisterCall(cmd, 3, CallKind::Car, 4);
    RequestOneShot(cmd, 4);
    lifts[0].nLiftNum = 1;
    EXPECT_EQ(comm.PollStation(0), COMM_PORT_ERROR);
    EXPECT_EQ(comm.PollStationForScan(lifts), COMM_PORT_ERROR);
    EXPECT_FALSE(comm.ProbeStation());
    EXPECT_EQ(comm.ReadStationConfig(lifts, pages), COMM_PORT_ERROR);
    EXPECT_EQ(comm.ExchangePage(lifts[0], pages[0], cmd, 0), COMM_PORT_ERROR);
    EXPECT_EQ(comm.ReadLiftParams(lifts[0], pages[0]), COMM_PORT_ERROR);
    EXPECT_EQ(comm.SendFloorCall(lifts[0], 3), COMM_NO_REPLY);
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 1, 1), 3);
    EXPECT_EQ(comm.ExchangePageRetry(0, lifts[0], pages[0], cmd), 2);
    EXPECT_EQ(lifts[0].bOffline, 1);
    EXPECT_EQ(comm.SendFloorCallRetry(lifts[1]), 1);
    EXPECT_EQ(lifts[1].bOffline, 1);
    // A closed port spends neither the one-shot nor the call.
    EXPECT_EQ(cmd.nOneShotCnt, 4);
    EXPECT_EQ(cmd.nCarCall[0], 0x04);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(pty.Receive(1, 100).empty());
}

TEST_F(SerialPortTest, ReplyWaitAndAVanishedDevice)
{
    CLiftComm comm;
    const int waits[] = {80, 60, 50, 40, 30, 30};  // index 7 keeps the last
    for (int i : {0, 1, 2, 3, 4, 7}) {
        EXPECT_TRUE(comm.OpenComm(1, i));
        EXPECT_EQ(comm.m_nReplyWait, waits[std::min(i, 5)]) << i;
    }
    strLiftInf lift;
    strLiftPage page;
    strLiftCmd cmd{};
    lift.nLiftNum = 2;
    ::close(pty.master);  // the adapter is pulled out
    pty.master = -1;
    FrameBuf buf{};
    EXPECT_EQ(comm.m_Port.ReadData(buf.data()), 0);
    EXPECT_EQ(comm.m_Port.WriteData(buf.data(), 12), 0);
    EXPECT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_PORT_ERROR);
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 2);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 2, 0), 1);  // nothing could be written

    Pty fresh;  // plugged in again, under a new name
    qputenv("LIFT_COM1", fresh.name.toLocal8Bit());
    ASSERT_TRUE(comm.OpenComm(1, 4));
    ASSERT_EQ(comm.m_Port.WriteData(kAb, 1), 1);
    EXPECT_EQ(fresh.Receive(1), Bytes{'a'});
}
