#pragma once
// The station's end of the line, as plain as it gets: the pty slave in raw
// mode, frames built by hand with their CRC, replies read until the line is quiet.
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include <QString>

#include "support/CrcFrame.h"

class CBusClient
{
public:
    explicit CBusClient(const QString& port)
        : m_nFd(::open(port.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK))
    {
        termios tio{};
        ::tcgetattr(m_nFd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nFd, TCSANOW, &tio);
    }
    ~CBusClient() { ::close(m_nFd); }

    static Bytes WithCrc(Bytes body) { return ::WithCrc(std::move(body)); }
    static bool CrcOk(const Bytes& frame)
    {
        return frame.size() >= 2 && WithCrc(Bytes(frame.begin(), frame.end() - 2)) == frame;
    }

    // Writes the bytes as they are (a pty takes a few at once).
    void Send(const Bytes& bytes) { (void)!::write(m_nFd, bytes.data(), bytes.size()); }
    // Reads until quietMs pass without a byte after the first one, or waitMs
    // pass with nothing at all.
    Bytes Receive(int waitMs = 300, int quietMs = 40)
    {
        Bytes reply;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd fd{m_nFd, POLLIN, 0};
            if (::poll(&fd, 1, reply.empty() ? int(std::max<long long>(left.count(), 0)) : quietMs) <= 0)
                return reply;
            std::uint8_t buffer[256];
            const ssize_t count = ::read(m_nFd, buffer, sizeof buffer);
            if (count <= 0)
                return reply;
            reply.insert(reply.end(), buffer, buffer + count);
        }
    }
    // Discards input, sends body + CRC, returns the reply (empty when none).
    Bytes Exchange(const Bytes& body, int waitMs = 300)
    {
        ::tcflush(m_nFd, TCIFLUSH);
        Send(WithCrc(body));
        return Receive(waitMs);
    }

    static Bytes Status(int station) { return {std::uint8_t(station), 0x10, 0, 0, 0, 0, 0, 0, 0, 0}; }
    static Bytes Config(int station) { return {std::uint8_t(station), 0x1F, 1, 2, 1, 2, 1, 2, 1, 2}; }
    // Page request: byte 2 (page and mode) and 3 as given, car calls, hall calls low/high, call flag 1.
    static Bytes Page(int lift, std::uint8_t pageMode, std::uint8_t command = 0, std::uint8_t car = 0,
                      std::uint8_t hallLo = 0, std::uint8_t hallHi = 0)
    {
        return {std::uint8_t(lift), 0x00, pageMode, command, car, hallLo, hallHi, 1, 0, 0, 0, 0};
    }
    static Bytes Lock(int lift, std::uint8_t lockByte, const std::vector<int>& lockedFloors = {})
    {
        Bytes body{std::uint8_t(lift), 0x30, lockByte, 0, 0, 0, 0, 0, 0, 0, 0};
        for (const int floor : lockedFloors)
            body[std::size_t(3 + (floor - 1) / 8)] |= std::uint8_t(1 << ((floor - 1) % 8));
        return body;
    }

private:
    int m_nFd;
};
