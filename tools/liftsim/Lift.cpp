#include "Lift.h"

#include <algorithm>

CLift::CLift(const SLiftSpec& spec, SCarTiming timing, TimePoint now)
    : m_Spec(spec), m_Car(spec.nFloors, spec.nHeight, timing, now)
{
}

int CLift::ReportedMode() const
{
    // The controller's own numbers for the special modes: the station's mode 2
    // shows as 3, its mode 3 as 8, modes 4..8 as 9..13; the one-shot command
    // shows as 1 while requests carry it.
    if (m_bOneShot)
        return 1;
    switch (m_nSpecialMode) {
    case 2:
        return 3;
    case 3:
        return 8;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        return m_nSpecialMode + 5;
    default:
        return m_nBaseMode;
    }
}

std::uint16_t CLift::Position16() const
{
    return std::uint16_t(std::clamp<long long>(m_Car.Position(), 0, 0xFFFF));
}

std::array<std::uint8_t, 4> CLift::StatusGroup(TimePoint now)
{
    m_Car.Update(now);
    if (m_bAbsent)
        return {0x80, 0, 0, 0};
    // Byte 1: run bits (up = bits 0 and 1, down = bit 0 alone, standing = bit 0
    // clear), flag B (overload) bit 2, flag A (full load) bit 3, door nibble:
    // bit 0 opening, bit 1 open, bit 3 closing.
    std::uint8_t run = 0;
    if (m_Car.RunState() == CCar::RUN_UP)
        run = 0x03;
    else if (m_Car.RunState() == CCar::RUN_DOWN)
        run = 0x01;
    std::uint8_t door = 0;
    switch (m_Car.DoorState()) {
    case CCar::DOOR_OPENING:
        door = 0x1;
        break;
    case CCar::DOOR_OPEN:
        door = 0x2;
        break;
    case CCar::DOOR_CLOSING:
        door = 0x8;
        break;
    default:
        break;
    }
    const std::uint8_t flags = std::uint8_t((m_bFlagB ? 0x04 : 0) | (m_bFlagA ? 0x08 : 0));
    // Byte 2 status bits: 0..3 as set by `status` (1 inspection, 2 fire,
    // 3 trapped), 4 fault present; bits 5-7 the model.
    const std::uint8_t status = std::uint8_t(m_nStatusBits | (m_nFault != 0 ? 0x10 : 0));
    // The floor byte has 7 bits; bit 7 would read as "absent".
    return {std::uint8_t(m_Car.CurrentFloor() & 0x7F), std::uint8_t(run | flags | (door << 4)),
            std::uint8_t(status | ((m_Spec.nModel & 0x07) << 5)), FaultForReply()};
}

std::array<std::uint8_t, 4> CLift::ConfigGroup() const
{
    const auto height = std::uint16_t(std::min(m_Spec.nHeight, 0xFFFF));
    return {std::uint8_t(m_Spec.nFloors & 0xFF), std::uint8_t(m_Spec.nFloors >> 8), std::uint8_t(height & 0xFF),
            std::uint8_t(height >> 8)};
}

Frame CLift::AnswerPage(const Frame& request, TimePoint now)
{
    const int page = request[2] >> 5;
    const int modeBase = request[2] & 0x03;
    m_bOneShot = (request[2] & 0x04) != 0;
    if (modeBase == 1) {
        m_nSpecialMode = 2;
    } else if (modeBase == 2) {
        m_nSpecialMode = 3;
    } else {
        m_nSpecialMode = 0;
        // Bit 1 of the command byte suppresses the mode bits.
        if ((request[3] & 0x02) == 0) {
            for (int bit = 2; bit <= 6; ++bit)
                if (request[3] & (1 << bit)) {
                    m_nSpecialMode = bit + 2;
                    break;
                }
        }
    }

    // Calls of the addressed page; floors above the top floor are ignored by the car.
    for (int j = 0; j < 8; ++j) {
        const int floor = page * 8 + j + 1;
        if (request[4] & (1 << j))
            m_Car.AddCall(ECallKind::Car, floor, now);
        const std::uint8_t hall = j < 4 ? request[5] : request[6];
        const int bit = 2 * (j % 4);
        if (hall & (1 << bit))
            m_Car.AddCall(ECallKind::Up, floor, now);
        if (hall & (1 << (bit + 1)))
            m_Car.AddCall(ECallKind::Down, floor, now);
    }
    m_Car.Update(now);

    std::uint8_t carLamps = 0, hallLo = 0, hallHi = 0;
    for (int j = 0; j < 8; ++j) {
        const int floor = page * 8 + j + 1;
        if (m_Car.Lamp(ECallKind::Car, floor))
            carLamps |= std::uint8_t(1 << j);
        std::uint8_t& hall = j < 4 ? hallLo : hallHi;
        const int bit = 2 * (j % 4);
        if (m_Car.Lamp(ECallKind::Up, floor))
            hall |= std::uint8_t(1 << bit);
        if (m_Car.Lamp(ECallKind::Down, floor))
            hall |= std::uint8_t(1 << (bit + 1));
    }
    const std::uint16_t position = Position16();
    const std::uint8_t modeByte =
        std::uint8_t((ReportedMode() & 0x0F) | (m_bFlagA ? 0x10 : 0) | (m_bFlagB ? 0x20 : 0) |
                     (m_Car.RunState() << 6));
    Frame reply{request[0],
                request[1],
                std::uint8_t(m_Spec.nFloors),
                1,
                std::uint8_t(m_Car.CurrentFloor()),
                std::uint8_t(position & 0xFF),
                std::uint8_t(position >> 8),
                std::uint8_t(m_Car.DoorState()),
                modeByte,
                FaultForReply(),
                carLamps,
                hallLo,
                hallHi,
                std::uint8_t(m_Spec.nModel),
                0,
                0};
    CFrameCodec::AppendCrc(reply);
    return reply;
}

Frame CLift::AnswerLock(const Frame& request, bool confirm)
{
    // Every lock request states all locks that shall be in force.
    m_nLockByte = request[2] & 0x1E;
    if (m_nLockByte & 0x1C)
        std::copy(request.begin() + 3, request.begin() + 8, m_FloorLocks.begin());
    else
        m_FloorLocks.fill(0);
    // Reply: address, echo, confirm bits, the floor locks in force, CRC.
    Frame reply(3 + m_FloorLocks.size());
    reply[0] = request[0];
    reply[1] = request[1];
    reply[2] = confirm ? m_nLockByte : 0;
    std::copy(m_FloorLocks.begin(), m_FloorLocks.end(), reply.begin() + 3);
    CFrameCodec::AppendCrc(reply);
    return reply;
}

std::string CLift::LampHex(ECallKind kind) const
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (int nibbleStart = ((m_Car.Floors() - 1) / 4) * 4; nibbleStart >= 0; nibbleStart -= 4) {
        int nibble = 0;
        for (int i = 0; i < 4; ++i)
            if (m_Car.Lamp(kind, nibbleStart + i + 1))
                nibble |= 1 << i;
        if (nibble != 0 || !text.empty())
            text += digits[nibble];
    }
    return text.empty() ? "0" : text;
}

std::string CLift::Dump(TimePoint now)
{
    m_Car.Update(now);
    return "LIFT " + std::to_string(m_Spec.nLiftNum) + " floor=" + std::to_string(m_Car.CurrentFloor()) +
           " pos=" + std::to_string(m_Car.Position()) + " run=" + std::to_string(m_Car.RunState()) +
           " door=" + std::to_string(m_Car.DoorState()) + " mode=" + std::to_string(ReportedMode()) +
           " fault=" + std::to_string(m_nFault) + " car=" + LampHex(ECallKind::Car) +
           " up=" + LampHex(ECallKind::Up) + " down=" + LampHex(ECallKind::Down) + " lock=" + LockHex() +
           (m_nFaultReplies ? " faults=" + std::to_string(*m_nFaultReplies) : std::string());
}

void CLift::SetFault(int code)
{
    m_nFault = code;
    m_bFlapping = false;
}

void CLift::SetFlap(int a, int b)
{
    m_FlapCodes = {a, b};
    m_nFault = a;
    m_bFlapping = true;
    m_nFaultReplies = 0;
}

std::uint8_t CLift::FaultForReply()
{
    const int code = m_nFault;
    if (code != 0 && m_nFaultReplies)
        ++*m_nFaultReplies;
    if (m_bFlapping)
        m_nFault = m_FlapCodes[code == m_FlapCodes[0] ? 1 : 0];
    return std::uint8_t(code);
}

std::string CLift::LockHex() const
{
    static const char digits[] = "0123456789abcdef";
    return {digits[m_nLockByte >> 4], digits[m_nLockByte & 0x0F]};
}
