#include "link/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/ComPortMap.h"
#include "platform/MessageBox.h"

std::atomic<int> g_hComPort{kPortClosed};

namespace {

constexpr int kReplyBufferSize = 25;
constexpr int kIoTimeoutMs = 1000;

const std::uint32_t kBaudTable[] = {9600, 19200, 38400, 57600, 115200};

speed_t SpeedOf(std::uint32_t baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

int PortNumberOf(const QString& name)
{
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok ? n : 1;
}

} // namespace

std::uint32_t BaudOfIndex(int index)
{
    return (index >= 0 && index < int(std::size(kBaudTable))) ? kBaudTable[index] : 0;
}

CSerialPort::CSerialPort()
    : m_strPort(QStringLiteral("COM1"))
    , m_nBaud(0)
    , m_nByteSize(8)
    , m_nParity(0)
    , m_nStopBits(0)
    , m_nInQueue(5000)
    , m_nOutQueue(5000)
{
    // A new port object starts closed; a descriptor still open is closed
    // rather than leaked.
    ClosePort();
}

void CSerialPort::ClosePort()
{
    const int fd = g_hComPort.exchange(kPortClosed);
    if (fd != kPortClosed) {
        // Give up the exclusive claim first: on a device whose other side
        // stays open (a pseudo-terminal) it would outlive the close and
        // refuse the next open by a non-root user.
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
    }
}

int CSerialPort::OpenPort(int port, int baudIndex)
{
    ClosePort();

    if (port >= 1 && port <= 8)
        m_strPort = QStringLiteral("COM%1").arg(port);

    const QByteArray path = ComDevicePath(PortNumberOf(m_strPort)).toLocal8Bit();
    // Non-blocking from the start: opening a serial device must not wait for carrier.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    g_hComPort = fd;

    // Every wait of this class is a poll() on the descriptor, which needs it
    // non-blocking; a failure is reported and the port used as it is.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        AfxMessageBox(QStringLiteral("Communication transmission setting failure, pls re-connect"));

    if (!SetupBuffers()) {
        AfxMessageBox(QStringLiteral("Port buffer zone setting failure,pls re-connect"));
        ClosePort();
    }
    if (ConfigurePort(baudIndex) == 0)
        return 0;

    PurgeTx();
    PurgeRx();
    return 1;
}

bool CSerialPort::SetupBuffers()
{
    // A terminal's queues are sized by its driver (m_nInQueue and m_nOutQueue
    // record the wish). What must hold is that the device is a terminal that
    // this station alone uses: claim it exclusively, which also refuses
    // anything that is not a terminal.
    const int fd = g_hComPort;
    return fd != kPortClosed && ::ioctl(fd, TIOCEXCL) == 0;
}

int CSerialPort::ConfigurePort(int baudIndex)
{
    const int fd = g_hComPort;
    if (fd == kPortClosed)
        return 0;
    if (::tcgetattr(fd, &m_dcb) != 0) {
        AfxMessageBox(QStringLiteral("Serial port parameter obtain failure, pls re-connect"));
        ClosePort();
        return 0;
    }
    if (const std::uint32_t baud = BaudOfIndex(baudIndex))
        m_nBaud = baud;

    ::cfmakeraw(&m_dcb);
    m_dcb.c_cflag |= CLOCAL | CREAD;
    m_dcb.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    m_dcb.c_cflag |= CS8;  // m_nByteSize
    if (m_nParity == 1)
        m_dcb.c_cflag |= PARENB | PARODD;
    else if (m_nParity == 2)
        m_dcb.c_cflag |= PARENB;
    if (m_nStopBits != 0)
        m_dcb.c_cflag |= CSTOPB;
    m_dcb.c_iflag &= ~(IXON | IXOFF | IXANY);
    m_dcb.c_cc[VMIN] = 0;
    m_dcb.c_cc[VTIME] = 0;
    if (const speed_t speed = SpeedOf(m_nBaud); speed != B0) {
        ::cfsetispeed(&m_dcb, speed);
        ::cfsetospeed(&m_dcb, speed);
    }
    ::tcsetattr(fd, TCSANOW, &m_dcb);  // a refused setting is not reported
    return 1;
}

int CSerialPort::WriteData(const std::uint8_t* data, int length)
{
    const int fd = g_hComPort;
    if (fd == kPortClosed || length <= 0)
        return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kIoTimeoutMs);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(fd, data + written, std::size_t(length - written));
        if (n > 0) {
            written += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return 0;  // the device is gone (EIO) or refuses
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return 0;
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return 0;
    }
    return written;
}

int CSerialPort::ReadData(std::uint8_t* buffer)
{
    const int fd = g_hComPort;
    if (fd == kPortClosed)
        return 0;
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) != 0 || queued <= 0)
        return 0;
    const int want = std::min(queued, kReplyBufferSize);
    ssize_t n = ::read(fd, buffer, std::size_t(want));
    if (n < 0 && errno == EAGAIN) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, kIoTimeoutMs) > 0)
            n = ::read(fd, buffer, std::size_t(want));
    }
    return n > 0 ? int(n) : 0;
}

void CSerialPort::DrainTx()
{
    const int fd = g_hComPort;
    if (fd != kPortClosed)
        ::tcdrain(fd);
}

std::chrono::microseconds CSerialPort::WireTime(int bytes) const
{
    if (m_nBaud == 0 || bytes <= 0)
        return std::chrono::microseconds(0);
    // One and a half stop bits count as two: the wait must not fall short.
    const long long bits = 1 + m_nByteSize + (m_nParity != 0 ? 1 : 0) + (m_nStopBits != 0 ? 2 : 1);
    return std::chrono::microseconds((bytes * bits * 1'000'000LL + m_nBaud - 1) / m_nBaud);
}

void CSerialPort::PurgeTx()
{
    const int fd = g_hComPort;
    if (fd == kPortClosed)
        return;
    // Only when something is queued: on a pseudo-terminal the flush also
    // drops a request the kernel has not yet passed to the other side (its
    // queue always reads empty), which a loaded machine showed as a lost frame.
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued == 0)
        return;
    ::tcflush(fd, TCOFLUSH);
}

void CSerialPort::PurgeRx()
{
    const int fd = g_hComPort;
    if (fd != kPortClosed)
        ::tcflush(fd, TCIFLUSH);
}
