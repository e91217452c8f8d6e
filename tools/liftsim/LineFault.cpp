#include "LineFault.h"

namespace {
constexpr std::uint32_t GARBAGE_SEED = 0x2545F491u;
}

void CLineFault::Set(ELineMode mode, int count, int lateMs)
{
    m_Mode = mode;
    m_nRemaining = mode == ELineMode::Ok ? -1 : count;
    m_nLateMs = lateMs;
    m_nSeed = GARBAGE_SEED;
}

bool CLineFault::ParseMode(const std::string& word, ELineMode& mode)
{
    static const struct { const char* name; ELineMode mode; } modes[] = {
        {"ok", ELineMode::Ok},     {"garbage", ELineMode::Garbage}, {"short", ELineMode::Short},
        {"long", ELineMode::Long}, {"crc", ELineMode::Crc},         {"late", ELineMode::Late},
        {"silence", ELineMode::Silence}};
    for (const auto& entry : modes)
        if (word == entry.name) {
            mode = entry.mode;
            return true;
        }
    return false;
}

std::uint32_t CLineFault::NextRandom()
{
    // xorshift32: small, and the same sequence everywhere.
    m_nSeed ^= m_nSeed << 13;
    m_nSeed ^= m_nSeed >> 17;
    m_nSeed ^= m_nSeed << 5;
    return m_nSeed;
}

bool CLineFault::Apply(Frame& reply, int& delayMs)
{
    const ELineMode mode = m_Mode;
    if (mode == ELineMode::Ok)
        return true;
    if (m_nRemaining > 0 && --m_nRemaining == 0)
        m_Mode = ELineMode::Ok; // this was the last damaged reply
    switch (mode) {
    case ELineMode::Garbage:
        for (auto& byte : reply)
            byte = std::uint8_t(NextRandom() >> 24);
        // Garbage must never pass as a frame by chance.
        if (CFrameCodec::HasValidCrc(reply.data(), reply.size()))
            reply.back() ^= 0xFF;
        break;
    case ELineMode::Short:
        reply.resize(reply.size() / 2);
        break;
    case ELineMode::Long:
        reply.push_back(0xA5);
        reply.push_back(0x5A);
        break;
    case ELineMode::Crc:
        reply.back() ^= 0xFF;
        break;
    case ELineMode::Late:
        delayMs = m_nLateMs;
        break;
    case ELineMode::Silence:
        return false;
    case ELineMode::Ok:
        break;
    }
    return true;
}
