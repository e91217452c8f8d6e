#include "RequestFramer.h"

void CRequestFramer::Feed(const std::uint8_t* data, std::size_t length)
{
    m_Buffer.insert(m_Buffer.end(), data, data + length);
    if (m_Buffer.size() > MAX_PENDING)
        m_Buffer.erase(m_Buffer.begin(), m_Buffer.end() - MAX_PENDING);
}

bool CRequestFramer::CouldStartAt(std::size_t offset) const
{
    const std::uint8_t address = m_Buffer[offset];
    if (address == 0)
        return false;
    if (offset + 1 >= m_Buffer.size())
        return true; // the function byte is still to come
    const std::uint8_t function = m_Buffer[offset + 1];
    return CFrameCodec::RequestLength(function) != 0 && address <= CFrameCodec::MaxAddress(function);
}

std::optional<Frame> CRequestFramer::Next()
{
    // A complete, valid request anywhere in the buffer wins; bytes before it were
    // garbage or the remains of a cut request. While none is complete, keep the
    // bytes from the first offset that may still grow into one.
    std::optional<std::size_t> firstCandidate;
    for (std::size_t offset = 0; offset < m_Buffer.size(); ++offset) {
        if (!CouldStartAt(offset))
            continue;
        if (offset + 1 >= m_Buffer.size()) {
            if (!firstCandidate)
                firstCandidate = offset;
            continue;
        }
        const std::size_t length = CFrameCodec::RequestLength(m_Buffer[offset + 1]);
        if (offset + length > m_Buffer.size()) {
            if (!firstCandidate)
                firstCandidate = offset;
            continue;
        }
        if (CFrameCodec::HasValidCrc(m_Buffer.data() + offset, length)) {
            Frame frame(m_Buffer.begin() + offset, m_Buffer.begin() + offset + length);
            m_Buffer.erase(m_Buffer.begin(), m_Buffer.begin() + offset + length);
            return frame;
        }
    }
    m_Buffer.erase(m_Buffer.begin(), m_Buffer.begin() + firstCandidate.value_or(m_Buffer.size()));
    return std::nullopt;
}
