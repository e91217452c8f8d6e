#pragma once
// One serial port of the station on a terminal device: non-blocking I/O, a
// write bounded in time, and a read that takes only what is already queued.
// The descriptor is process-wide: every CSerialPort shares g_hComPort.
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <termios.h>

constexpr int kPortClosed = -1;

// The open port's descriptor, or kPortClosed.
extern std::atomic<int> g_hComPort;

// Baud rate of a baud index 0..4 (9600 .. 115200); 0 for any other index.
std::uint32_t BaudOfIndex(int index);

class CSerialPort {
public:
    CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Port 1..8 (COM1..COM8), baud index 0..4. 1 when open, 0 otherwise.
    int OpenPort(int port, int baudIndex);
    bool SetupBuffers();
    int ConfigurePort(int baudIndex);
    // Bytes written (the whole buffer, or 0 on failure or after 1000 ms).
    int WriteData(const std::uint8_t* data, int length);
    // Bytes read, 0..25: what is queued now, never waiting for more.
    int ReadData(std::uint8_t* buffer);
    // Waits until the driver reports the output sent (bounded by the driver).
    void DrainTx();
    // Time `bytes` characters take on the line at the configured speed and
    // framing (start bit, data bits, parity, stop bits); 0 before a speed is set.
    std::chrono::microseconds WireTime(int bytes) const;
    // Discard what is queued in one direction.
    void PurgeTx();
    void PurgeRx();
    // Closes the line (also used by the main window at shut-down).
    void ClosePort();

    QString m_strPort;
    std::uint32_t m_nBaud;
    std::uint32_t m_nByteSize;
    std::uint32_t m_nParity;    // 0 none, 1 odd, 2 even
    std::uint32_t m_nStopBits;  // 0 one, 1 one and a half, 2 two
    termios m_dcb{};            // line settings as read from and written to the driver
    std::uint32_t m_nInQueue;
    std::uint32_t m_nOutQueue;
};
