#include "BusClient.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/Crc16.h"

CBusClient::CBusClient(const QString& port)
{
    m_nFd = ::open(port.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_nFd < 0)
        return;
    termios tio{};
    ::tcgetattr(m_nFd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_nFd, TCSANOW, &tio);
}

CBusClient::~CBusClient()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
}

Bytes CBusClient::WithCrc(Bytes body)
{
    const std::uint16_t crc = CalcCrc16(body.data(), body.size());
    body.push_back(std::uint8_t(crc & 0xFF));
    body.push_back(std::uint8_t(crc >> 8));
    return body;
}

bool CBusClient::CrcOk(const Bytes& frame)
{
    return frame.size() >= 2 && WithCrc(Bytes(frame.begin(), frame.end() - 2)) == frame;
}

void CBusClient::Send(const Bytes& bytes)
{
    std::size_t done = 0;
    while (m_nFd >= 0 && done < bytes.size()) {
        const ssize_t written = ::write(m_nFd, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += std::size_t(written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

Bytes CBusClient::Receive(int waitMs, int quietMs)
{
    using Clock = std::chrono::steady_clock;
    Bytes reply;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (m_nFd >= 0) {
        int timeout = quietMs;
        if (reply.empty()) {
            timeout = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
            if (timeout <= 0)
                break;
        }
        pollfd fd{m_nFd, POLLIN, 0};
        if (::poll(&fd, 1, timeout) <= 0 || !(fd.revents & POLLIN))
            break;
        std::uint8_t buffer[256];
        const ssize_t count = ::read(m_nFd, buffer, sizeof buffer);
        if (count <= 0)
            break;
        reply.insert(reply.end(), buffer, buffer + count);
    }
    return reply;
}

Bytes CBusClient::Exchange(const Bytes& body, int waitMs)
{
    if (m_nFd >= 0)
        ::tcflush(m_nFd, TCIOFLUSH);
    Send(WithCrc(body));
    return Receive(waitMs);
}

Bytes CBusClient::StatusRequest(int station)
{
    return {std::uint8_t(station), 0x10, 0, 0, 0, 0, 0, 0, 0, 0};
}

Bytes CBusClient::ConfigRequest(int station)
{
    return {std::uint8_t(station), 0x1F, 1, 2, 1, 2, 1, 2, 1, 2};
}

Bytes CBusClient::PageRequest(int lift, std::uint8_t pageMode, std::uint8_t command, std::uint8_t car,
                              std::uint8_t hallLo, std::uint8_t hallHi)
{
    return {std::uint8_t(lift), 0x00, pageMode, command, car, hallLo, hallHi, 1, 0, 0, 0, 0};
}

Bytes CBusClient::LockRequest(int lift, std::uint8_t lockByte, const std::vector<int>& lockedFloors)
{
    Bytes body{std::uint8_t(lift), 0x30, lockByte, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const int floor : lockedFloors)
        body[std::size_t(3 + (floor - 1) / 8)] |= std::uint8_t(1 << ((floor - 1) % 8));
    return body;
}
