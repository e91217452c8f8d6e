#include "Bus.h"

CBus::CBus(const CInstallation& installation, SCarTiming timing, TimePoint now)
{
    for (int liftNum = 1; liftNum <= CInstallation::MAX_LIFTS; ++liftNum)
        if (const auto& spec = installation.Lift(liftNum))
            m_Lifts[std::size_t(liftNum - 1)] = std::make_unique<CLift>(*spec, timing, now);
}

CLift* CBus::Lift(int liftNum)
{
    if (liftNum < 1 || liftNum > CInstallation::MAX_LIFTS)
        return nullptr;
    return m_Lifts[std::size_t(liftNum - 1)].get();
}

bool CBus::StationInstalled(int station) const
{
    for (int i = 0; i < 4; ++i)
        if (m_Lifts[std::size_t((station - 1) * 4 + i)])
            return true;
    return false;
}

std::optional<Frame> CBus::AnswerStatus(int station, TimePoint now)
{
    Frame reply{std::uint8_t(station), CFrameCodec::FUNC_STATUS};
    for (int i = 0; i < 4; ++i) {
        std::array<std::uint8_t, 4> group{0x80, 0, 0, 0}; // empty slot: not answering
        if (CLift* lift = Lift((station - 1) * 4 + i + 1))
            group = lift->StatusGroup(now);
        reply.insert(reply.end(), group.begin(), group.end());
    }
    CFrameCodec::AppendCrc(reply);
    return reply;
}

std::optional<Frame> CBus::AnswerConfig(int station)
{
    Frame reply{std::uint8_t(station), 0};
    for (int i = 0; i < 4; ++i) {
        std::array<std::uint8_t, 4> group{};
        if (CLift* lift = Lift((station - 1) * 4 + i + 1)) {
            reply[1] |= std::uint8_t(1 << i);
            group = lift->ConfigGroup();
        }
        reply.insert(reply.end(), group.begin(), group.end());
    }
    CFrameCodec::AppendCrc(reply);
    return reply;
}

std::optional<Frame> CBus::Answer(const Frame& request, TimePoint now)
{
    if (request.size() < 2 || request.size() != CFrameCodec::RequestLength(request[1]))
        return std::nullopt;
    const int address = request[0];
    if (address < 1 || address > CFrameCodec::MaxAddress(request[1]))
        return std::nullopt;
    switch (request[1]) {
    case CFrameCodec::FUNC_STATUS:
    case CFrameCodec::FUNC_CONFIG:
        if (!StationInstalled(address) || m_Silent[std::size_t(address - 1)])
            return std::nullopt;
        return request[1] == CFrameCodec::FUNC_STATUS ? AnswerStatus(address, now) : AnswerConfig(address);
    default:
        break;
    }
    // Lift functions: an absent lift does not answer either.
    CLift* lift = Lift(address);
    if (!lift || lift->Absent() || m_Silent[std::size_t(StationOf(address) - 1)])
        return std::nullopt;
    if (request[1] == CFrameCodec::FUNC_PAGE)
        return lift->AnswerPage(request, now);
    return lift->AnswerLock(request, m_bLockConfirm);
}
