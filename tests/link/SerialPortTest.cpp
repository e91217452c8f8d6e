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

// A pseudo-terminal pair; COM1 (or another port) points at its slave side.
class Pty {
public:
    Pty()
    {
        char name[128] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            ADD_FAILURE() << "openpty failed";
        m_name = QString::fromLocal8Bit(name);
        termios t{};
        ::tcgetattr(m_master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_master, TCSANOW, &t);
    }
    ~Pty()
    {
        CloseMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    const QString& name() const { return m_name; }
    int slave() const { return m_slave; }
    void Send(const Bytes& bytes) { ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Bytes written by the station, waiting up to timeoutMs for each chunk.
    Bytes Receive(std::size_t expected, int timeoutMs = 1000)
    {
        Bytes out;
        while (out.size() < expected) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0)
                break;
            std::uint8_t buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    void CloseMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_name;
};

// Waits until the port has `count` bytes queued (the pty hands them over
// asynchronously).
void WaitQueued(int count)
{
    for (int i = 0; i < 200; ++i) {
        int queued = 0;
        ::ioctl(g_hComPort, FIONREAD, &queued);
        if (queued >= count)
            return;
        ::usleep(5000);
    }
    ADD_FAILURE() << "bytes never arrived";
}

int OpenDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size()); }

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("LIFT_COM1", pty.name().toLocal8Bit()); }
    void TearDown() override
    {
        CSerialPort closer;  // a new port object leaves the port closed
        qunsetenv("LIFT_COM1");
        qunsetenv("LIFT_COM2");
    }
    Pty pty;
};

} // namespace

TEST_F(SerialPortTest, OpensRaw8N1AtTheIndexedBaudRate)
{
    CSerialPort port;
    EXPECT_EQ(port.m_strPort, "COM1");
    EXPECT_EQ(g_hComPort, kPortClosed);
    ASSERT_EQ(port.OpenPort(1, 4), 1);
    ASSERT_NE(g_hComPort, kPortClosed);
    EXPECT_EQ(port.m_nBaud, 115200u);

    termios t{};
    ASSERT_EQ(::tcgetattr(g_hComPort, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_TRUE(::fcntl(g_hComPort, F_GETFL) & O_NONBLOCK);

    // An index outside the table keeps the rate the port had.
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    EXPECT_EQ(port.m_nBaud, 9600u);
    ASSERT_EQ(port.OpenPort(1, 7), 1);
    EXPECT_EQ(port.m_nBaud, 9600u);
    ASSERT_EQ(::tcgetattr(g_hComPort, &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B9600));
}

TEST_F(SerialPortTest, OpeningTwiceLeavesOneDescriptor)
{
    CSerialPort port;
    const int before = OpenDescriptors();
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    EXPECT_EQ(OpenDescriptors(), before + 1);
    // A second port object shares the same process-wide descriptor.
    CSerialPort other;
    EXPECT_EQ(g_hComPort, kPortClosed);
    EXPECT_EQ(OpenDescriptors(), before);
    ASSERT_EQ(other.OpenPort(1, 0), 1);
    ASSERT_EQ(port.WriteData(reinterpret_cast<const std::uint8_t*>("ab"), 2), 2);
    EXPECT_EQ(pty.Receive(2), (Bytes{'a', 'b'}));
}

TEST_F(SerialPortTest, ClosingReleasesTheExclusiveClaim)
{
    // Root ignores the claim, so a second open proves nothing here; ask the
    // terminal through the test's own slave descriptor, which keeps the
    // terminal alive across the port's close as a reconnect would see it.
    CSerialPort port;
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    port.ClosePort();
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);

    // Reopening (which closes first) claims the device again.
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
}

TEST_F(SerialPortTest, PortNumberOutsideOneToEightKeepsTheName)
{
    Pty second;
    qputenv("LIFT_COM2", second.name().toLocal8Bit());
    CSerialPort port;
    ASSERT_EQ(port.OpenPort(9, 0), 1);  // still COM1
    EXPECT_EQ(port.m_strPort, "COM1");
    port.WriteData(reinterpret_cast<const std::uint8_t*>("1"), 1);
    EXPECT_EQ(pty.Receive(1), Bytes{'1'});

    ASSERT_EQ(port.OpenPort(2, 0), 1);
    EXPECT_EQ(port.m_strPort, "COM2");
    ASSERT_EQ(port.OpenPort(0, 0), 1);
    EXPECT_EQ(port.m_strPort, "COM2");
    port.WriteData(reinterpret_cast<const std::uint8_t*>("2"), 1);
    EXPECT_EQ(second.Receive(1), Bytes{'2'});
}

TEST_F(SerialPortTest, ReadTakesOnlyWhatIsQueued)
{
    CSerialPort port;
    ASSERT_EQ(port.OpenPort(1, 4), 1);
    FrameBuf buf{};
    EXPECT_EQ(port.ReadData(buf.data()), 0);  // nothing queued: back at once, nothing read

    pty.Send({1, 2, 3, 4, 5});
    WaitQueued(5);
    EXPECT_EQ(port.ReadData(buf.data()), 5);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 5), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(port.ReadData(buf.data()), 0);

    Bytes thirty(30);
    for (int i = 0; i < 30; ++i)
        thirty[i] = std::uint8_t(i);
    pty.Send(thirty);
    WaitQueued(30);
    buf.fill(0xEE);
    EXPECT_EQ(port.ReadData(buf.data()), 25);
    EXPECT_EQ(Bytes(buf.begin(), buf.end()), Bytes(thirty.begin(), thirty.begin() + 25));
    EXPECT_EQ(port.ReadData(buf.data()), 5);  // the rest stayed queued
    EXPECT_EQ(buf[0], 25);

    pty.Send(thirty);
    WaitQueued(30);
    port.PurgeRx();
    EXPECT_EQ(port.ReadData(buf.data()), 0);
}

TEST_F(SerialPortTest, WriteIsBoundedWhenTheLineDoesNotDrain)
{
    CSerialPort port;
    ASSERT_EQ(port.OpenPort(1, 0), 1);
    const Bytes request = WithCrc({1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(port.WriteData(request.data(), 12), 12);
    EXPECT_EQ(pty.Receive(12), request);

    // Nobody reads the other end: fill the line until it refuses, then a
    // write gives up (after its 1000 ms) and reports 0.
    // The pty moves bytes on in the background for a while, so fill it until
    // it stays full.
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
    EXPECT_EQ(port.WriteData(request.data(), 12), 0);
}

TEST_F(SerialPortTest, DeviceThatIsNoTerminalIsRefused)
{
    MessageBoxRecorder boxes;
    qputenv("LIFT_COM3", "/dev/null");
    CSerialPort port;
    EXPECT_EQ(port.OpenPort(3, 0), 0);
    EXPECT_EQ(g_hComPort, kPortClosed);
    EXPECT_EQ(boxes.texts(), QStringList{"Port buffer zone setting failure,pls re-connect"});
    qunsetenv("LIFT_COM3");

    boxes.clear();
    qputenv("LIFT_COM4", "/nonexistent/tty");
    EXPECT_EQ(port.OpenPort(4, 0), 0);  // silently: the caller reports it
    EXPECT_EQ(boxes.count(), 0);
    qunsetenv("LIFT_COM4");
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

TEST_F(SerialPortTest, ReplyWaitFollowsTheBaudIndex)
{
    CLiftComm comm;
    const int expected[] = {80, 60, 50, 40, 30};
    for (int i = 0; i < 5; ++i) {
        comm.OpenComm(1, i);
        EXPECT_EQ(comm.m_nReplyWait, expected[i]);
    }
    EXPECT_TRUE(comm.OpenComm(1, 7));
    EXPECT_EQ(comm.m_nReplyWait, 30);
}

TEST_F(SerialPortTest, VanishedDeviceFailsCleanlyAndOpensAgain)
{
    CLiftComm comm;
    ASSERT_TRUE(comm.OpenComm(1, 4));
    strLiftInf lift;
    strLiftPage page;
    strLiftCmd cmd{};
    lift.nLiftNum = 2;
    page.nCurPage = 0;
    pty.CloseMaster();  // the adapter is pulled out

    FrameBuf buf{};
    EXPECT_EQ(comm.m_Port.ReadData(buf.data()), 0);
    EXPECT_EQ(comm.m_Port.WriteData(buf.data(), 12), 0);
    EXPECT_EQ(comm.ExchangePage(lift, page, cmd, 0), COMM_PORT_ERROR);
    EXPECT_EQ(comm.ExchangePageRetry(0, lift, page, cmd), 2);
    EXPECT_EQ(lift.bOffline, 1);
    EXPECT_EQ(comm.SendLockCommand(0, 1, nullptr, 0, 2, 0), 1);  // nothing could be written

    Pty fresh;  // plugged in again, under a new name
    qputenv("LIFT_COM1", fresh.name().toLocal8Bit());
    ASSERT_TRUE(comm.OpenComm(1, 4));
    ASSERT_EQ(comm.m_Port.WriteData(reinterpret_cast<const std::uint8_t*>("x"), 1), 1);
    EXPECT_EQ(fresh.Receive(1), Bytes{'x'});
}
