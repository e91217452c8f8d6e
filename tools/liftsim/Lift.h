#pragma once
// One lift's controller as the bus sees it: the car plus the controller's own
// state (mode, fault, locks, special mode) and the byte layouts of the lift's
// share of each reply.
#include <array>
#include <cstdint>
#include <optional>

#include "Car.h"
#include "FrameCodec.h"
#include "Installation.h"

class CLift
{
public:
    static constexpr int MODE_NORMAL = 7;

    CLift(const SLiftSpec& spec, SCarTiming timing, TimePoint now);

    CCar& Car() { return m_Car; }

    // A fixed code ends any flapping.
    void SetFault(int code);
    // From the next reply on, the fault code of every reply that carries one
    // (status group or page reply) is a, b, a, b, ...; counts the replies anew.
    void SetFlap(int a, int b);
    void SetMode(int mode) { m_nBaseMode = mode; }
    void SetAbsent(bool absent) { m_bAbsent = absent; }
    // Status bits 0..3 of the status reply (bit 4 follows the fault code).
    void SetStatusBits(int bits) { m_nStatusBits = bits & 0x0F; }
    // Flag A (full load) and flag B (overload).
    void SetFlags(bool a, bool b) { m_bFlagA = a; m_bFlagB = b; }
    bool Absent() const { return m_bAbsent; }

    // Reported controller mode 0..15: the base mode unless a special mode is requested.
    int ReportedMode() const;

    // The 4-byte group of the status reply.
    std::array<std::uint8_t, 4> StatusGroup(TimePoint now);
    // The 4-byte group of the configuration reply (floor count, height).
    std::array<std::uint8_t, 4> ConfigGroup() const;
    // Reply to a page request (14 bytes, CRC checked), 18 bytes with CRC.
    Frame AnswerPage(const Frame& request, TimePoint now);
    // Reply to a lock request (13 bytes, CRC checked), with CRC.
    Frame AnswerLock(const Frame& request, bool confirm);

    // "LIFT N floor=F pos=P run=R door=D mode=M fault=C car=HEX up=HEX down=HEX lock=HH[ faults=K]"
    std::string Dump(TimePoint now);

private:
    std::uint16_t Position16() const;
    // The code this reply carries; counts it and moves a flapping fault on.
    std::uint8_t FaultForReply();
    std::string LampHex(ECallKind kind) const;
    std::string LockHex() const;  // the lock byte in force, two hex digits

    SLiftSpec m_Spec;
    CCar m_Car;
    int m_nBaseMode = MODE_NORMAL;
    int m_nFault = 0;
    std::array<int, 2> m_FlapCodes{};
    bool m_bFlapping = false;
    // Replies with a code not 0 since the last flap command; none before the
    // first, and the dump shows no count then.
    std::optional<long long> m_nFaultReplies;
    bool m_bAbsent = false;
    int m_nStatusBits = 0;
    bool m_bFlagA = false;
    bool m_bFlagB = false;
    int m_nSpecialMode = 0; // 2..8 as the last page request asked, 0 none
    bool m_bOneShot = false; // the last page request carried the one-shot bit
    std::uint8_t m_nLockByte = 0; // locks in force, as the last lock request set them
    std::array<std::uint8_t, 5> m_FloorLocks{}; // floors 1..40
};
