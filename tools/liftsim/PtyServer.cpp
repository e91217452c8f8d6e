#include "PtyServer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_bTerminate = 0;

void OnTerminate(int)
{
    g_bTerminate = 1;
}

} // namespace

CPtyServer::CPtyServer(CPseudoTerminal& pty, CBus& bus, int replyDelayMs, int baud)
    : m_Pty(pty), m_Bus(bus), m_Control(bus, m_Line), m_Writer(pty.MasterFd(), baud), m_nReplyDelayMs(replyDelayMs)
{
}

void CPtyServer::WriteLine(const std::string& text)
{
    const std::string line = text + '\n';
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(STDOUT_FILENO, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // nobody listens any more
        done += std::size_t(written);
    }
}

void CPtyServer::ReadPty()
{
    std::uint8_t buffer[512];
    const ssize_t count = ::read(m_Pty.MasterFd(), buffer, sizeof buffer);
    if (count <= 0)
        return;
    const TimePoint now = SimClock::now();
    m_Framer.Feed(buffer, std::size_t(count));
    while (auto request = m_Framer.Next()) {
        // The arrival time lets a test measure the gaps between requests.
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
        WriteLine("RX " + CFrameCodec::ToHex(*request) + " @" + std::to_string(micros));
        auto reply = m_Bus.Answer(*request, now);
        if (!reply)
            continue;
        int delayMs = m_nReplyDelayMs;
        if (m_Line.Apply(*reply, delayMs))
            m_Writer.Enqueue(std::move(*reply), now + std::chrono::milliseconds(delayMs));
    }
}

bool CPtyServer::ExecuteLine(const std::string& line)
{
    std::vector<std::string> output;
    const bool goOn = m_Control.Execute(line, SimClock::now(), output);
    for (const auto& text : output)
        WriteLine(text);
    return goOn;
}

bool CPtyServer::ReadControl()
{
    char buffer[1024];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0)
        return errno == EINTR || errno == EAGAIN;
    if (count == 0) {
        // End of input: a last line without its newline still counts.
        if (!m_ControlBuffer.empty() && !m_bDiscardingLine)
            ExecuteLine(m_ControlBuffer);
        return false;
    }
    m_ControlBuffer.append(buffer, std::size_t(count));
    std::size_t newline;
    while ((newline = m_ControlBuffer.find('\n')) != std::string::npos) {
        std::string line = m_ControlBuffer.substr(0, newline);
        m_ControlBuffer.erase(0, newline + 1);
        if (m_bDiscardingLine) {
            m_bDiscardingLine = false;
            continue;
        }
        if (!ExecuteLine(line))
            return false;
    }
    if (m_ControlBuffer.size() > MAX_CONTROL_LINE) {
        if (!m_bDiscardingLine)
            WriteLine("ERR line too long");
        m_bDiscardingLine = true;
        m_ControlBuffer.clear();
    }
    return true;
}

int CPtyServer::Run()
{
    struct sigaction action{};
    action.sa_handler = OnTerminate;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // SIGTERM is let through only inside ppoll, so it cannot slip in between
    // the flag test and the wait.
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    ::sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);

    while (!g_bTerminate) {
        m_Writer.Flush(SimClock::now());
        pollfd fds[2] = {
            {m_Pty.MasterFd(), short(POLLIN | (m_Writer.Blocked() ? POLLOUT : 0)), 0},
            {STDIN_FILENO, POLLIN, 0},
        };
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (const auto due = m_Writer.NextDue(); due && !m_Writer.Blocked()) {
            const auto wait = std::max<std::int64_t>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(*due - SimClock::now()).count());
            timeout.tv_sec = time_t(wait / 1'000'000'000);
            timeout.tv_nsec = long(wait % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        const int ready = ::ppoll(fds, 2, timeoutPtr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return 1;
        }
        if (fds[0].revents & POLLIN)
            ReadPty();
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            if (!ReadControl())
                break;
        }
    }
    return 0;
}
