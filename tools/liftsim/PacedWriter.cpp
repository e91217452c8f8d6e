#include "PacedWriter.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

CPacedWriter::CPacedWriter(int fd, int baud) : m_Fd(fd)
{
    if (baud > 0)
        m_ByteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
}

void CPacedWriter::Enqueue(Frame bytes, TimePoint due)
{
    if (bytes.empty())
        return;
    // Keep the queue in due order, but never overtake a reply already on its way.
    auto pos = m_Queue.end();
    while (pos != m_Queue.begin()) {
        auto before = std::prev(pos);
        if (before->due <= due || before->sent > 0)
            break;
        pos = before;
    }
    m_Queue.insert(pos, SPending{std::move(bytes), due, 0, due});
}

TimePoint CPacedWriter::ByteDue(const SPending& pending, std::size_t index) const
{
    if (pending.sent == 0 && index == 0)
        return std::max(pending.due, m_tLineFree);
    return pending.start + m_ByteTime * std::int64_t(index);
}

std::optional<TimePoint> CPacedWriter::NextDue() const
{
    if (m_Queue.empty())
        return std::nullopt;
    const SPending& front = m_Queue.front();
    return ByteDue(front, front.sent);
}

void CPacedWriter::Flush(TimePoint now)
{
    m_bBlocked = false;
    while (!m_Queue.empty()) {
        SPending& front = m_Queue.front();
        if (front.sent == 0) {
            if (ByteDue(front, 0) > now)
                return;
            front.start = std::max(front.due, m_tLineFree);
        }
        // All bytes whose time has come go out in one write.
        std::size_t end = front.sent;
        while (end < front.bytes.size() && ByteDue(front, end) <= now)
            ++end;
        if (end == front.sent)
            return;
        const ssize_t written = ::write(m_Fd, front.bytes.data() + front.sent, end - front.sent);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                m_bBlocked = true;
                return;
            }
            // The line is gone; nothing will ever read these bytes.
            m_Queue.clear();
            return;
        }
        front.sent += std::size_t(written);
        if (front.sent == front.bytes.size()) {
            m_tLineFree = front.start + m_ByteTime * std::int64_t(front.bytes.size());
            m_Queue.pop_front();
        }
    }
}
