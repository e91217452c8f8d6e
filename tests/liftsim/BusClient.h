#pragma once
// The station's end of the line, as plain as it gets: the pty slave in raw
// mode, frames built by hand with their CRC, replies read until the line is quiet.
#include <cstdint>
#include <vector>

#include <QString>

using Bytes = std::vector<std::uint8_t>;

class CBusClient
{
public:
    explicit CBusClient(const QString& port);
    ~CBusClient();
    CBusClient(const CBusClient&) = delete;
    CBusClient& operator=(const CBusClient&) = delete;

    bool IsOpen() const { return m_nFd >= 0; }
    // Appends the CRC (low byte first).
    static Bytes WithCrc(Bytes body);
    static bool CrcOk(const Bytes& frame);

    // Writes the bytes as they are.
    void Send(const Bytes& bytes);
    // Reads until quietMs pass without a byte after the first one, or waitMs pass
    // with nothing at all.
    Bytes Receive(int waitMs = 300, int quietMs = 40);
    // Discards input, sends body + CRC, returns the reply (empty when none).
    Bytes Exchange(const Bytes& body, int waitMs = 300);

    static Bytes StatusRequest(int station);
    static Bytes ConfigRequest(int station);
    // Page request: byte 2 and 3 as given, car calls, hall calls low/high, call flag 1.
    static Bytes PageRequest(int lift, std::uint8_t pageMode, std::uint8_t command = 0, std::uint8_t car = 0,
                             std::uint8_t hallLo = 0, std::uint8_t hallHi = 0);
    static Bytes LockRequest(int lift, std::uint8_t lockByte, const std::vector<int>& lockedFloors = {});

private:
    int m_nFd = -1;
};
