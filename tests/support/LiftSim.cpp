#include "support/LiftSim.h"

#include <cerrno>
#include <cstring>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace {
constexpr auto START_TIMEOUT = std::chrono::seconds(5);
constexpr auto ANSWER_TIMEOUT = std::chrono::seconds(5);
}

CLiftSim::CLiftSim(QStringList args)
{
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "CLiftSim: cannot create pipes: " << std::strerror(errno);
        return;
    }
    std::vector<std::string> argStrings{LIFTSIM_PATH};
    for (const QString& arg : args)
        argStrings.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (auto& arg : argStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, LIFTSIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    if (rc != 0) {
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ADD_FAILURE() << "CLiftSim: cannot start " << LIFTSIM_PATH << ": " << std::strerror(rc);
        return;
    }
    m_nPid = pid;
    m_nStdin = toChild[1];
    m_nStdout = fromChild[0];
    m_Reader = std::thread([this, fd = fromChild[0]] { ReadLoop(fd); });

    std::unique_lock lock(m_Mutex);
    if (!m_Changed.wait_for(lock, START_TIMEOUT, [this] { return !m_Port.isEmpty() || m_bEnded; }) ||
        m_Port.isEmpty()) {
        ADD_FAILURE() << "CLiftSim: " << LIFTSIM_PATH << " " << args.join(' ').toStdString()
                      << (m_bEnded ? " exited without reporting its port" : " gave no PORT line within 5 s");
    }
}

CLiftSim::~CLiftSim()
{
    if (m_nStdin >= 0) {
        // Closing stdin asks the simulator to end; it gets a moment before SIGKILL.
        ::close(m_nStdin);
        m_nStdin = -1;
        std::unique_lock lock(m_Mutex);
        m_Changed.wait_for(lock, std::chrono::seconds(2), [this] { return m_bEnded; });
    }
    kill();
    if (m_Reader.joinable())
        m_Reader.join();
}

void CLiftSim::kill()
{
    if (m_nPid > 0) {
        ::kill(m_nPid, SIGKILL);
        while (::waitpid(m_nPid, nullptr, 0) < 0 && errno == EINTR) {
        }
        m_nPid = -1;
    }
    if (m_nStdin >= 0) {
        ::close(m_nStdin);
        m_nStdin = -1;
    }
    // The reader sees the end of stdout and marks the process ended.
    std::unique_lock lock(m_Mutex);
    m_Changed.wait_for(lock, std::chrono::seconds(2), [this] { return m_bEnded; });
}

QString CLiftSim::port() const
{
    std::lock_guard lock(m_Mutex);
    return m_Port;
}

void CLiftSim::ReadLoop(int fd)
{
    std::string buffer;
    char chunk[4096];
    while (true) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        {
            // Marked before the read, so that requests() never sees the pipe
            // empty while lines taken from it are still unparsed.
            std::lock_guard lock(m_Mutex);
            m_bReading = true;
        }
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            buffer.append(chunk, std::size_t(count));
            std::size_t newline;
            while ((newline = buffer.find('\n')) != std::string::npos) {
                HandleLine(QString::fromStdString(buffer.substr(0, newline)));
                buffer.erase(0, newline + 1);
            }
        }
        std::lock_guard lock(m_Mutex);
        m_bReading = false;
        m_Changed.notify_all();
        if (count == 0 || (count < 0 && errno != EINTR))
            break;
    }
    std::lock_guard lock(m_Mutex);
    m_bEnded = true;
    ::close(fd);
    m_nStdout = -1;
    m_Changed.notify_all();
}

bool CLiftSim::OutputDrained() const
{
    int pending = 0;
    return m_bEnded || (!m_bReading && ::ioctl(m_nStdout, FIONREAD, &pending) == 0 && pending == 0);
}

void CLiftSim::HandleLine(const QString& line)
{
    std::lock_guard lock(m_Mutex);
    const QString word = line.section(' ', 0, 0);
    if (word == "RX") {
        std::vector<std::uint8_t> frame;
        double tMs = 0;
        const QStringList words = line.mid(3).split(' ', Qt::SkipEmptyParts);
        for (const QString& word : words) {
            if (word.startsWith('@'))
                tMs = word.mid(1).toDouble() / 1000.0;
            else
                frame.push_back(std::uint8_t(word.toUInt(nullptr, 16)));
        }
        m_Requests.push_back(std::move(frame));
        m_RequestTimes.push_back(tMs);
    } else if (word == "PORT" && m_Port.isEmpty()) {
        m_Port = line.mid(5).trimmed();
    } else if (word == "LIFT") {
        m_PendingLift = line;
    } else if (word == "OK" || word == "ERR") {
        m_Answers.push_back(SAnswer{word == "OK", m_PendingLift});
        m_PendingLift.clear();
        ++m_nAnswered;
    }
    m_Changed.notify_all();
}

bool CLiftSim::Exchange(const QString& line, SAnswer& answer)
{
    if (line.contains('\n'))
        return false; // would be two commands with two answers
    std::lock_guard commandLock(m_CommandMutex);
    std::unique_lock lock(m_Mutex);
    if (m_nStdin < 0 || m_bEnded)
        return false;
    const std::string text = line.toStdString() + '\n';
    lock.unlock();
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(m_nStdin, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += std::size_t(written);
    }
    lock.lock();
    const std::uint64_t mine = ++m_nSent;
    const bool arrived = m_Changed.wait_for(lock, ANSWER_TIMEOUT, [&] { return m_nAnswered >= mine || m_bEnded; });
    if (!arrived || m_nAnswered < mine)
        return false;
    // Answers of commands that timed out earlier are dropped here.
    while (m_nAnswersDropped + 1 < mine) {
        m_Answers.pop_front();
        ++m_nAnswersDropped;
    }
    answer = m_Answers.front();
    m_Answers.pop_front();
    ++m_nAnswersDropped;
    return true;
}

bool CLiftSim::command(const QString& line)
{
    SAnswer answer;
    return Exchange(line, answer) && answer.bOk;
}

QString CLiftSim::dump(int lift)
{
    SAnswer answer;
    if (!Exchange(QStringLiteral("dump %1").arg(lift), answer) || !answer.bOk)
        return {};
    return answer.liftLine;
}

std::vector<std::vector<std::uint8_t>> CLiftSim::requests() const
{
    // The simulator writes each RX line before the reply; waiting until its
    // output is read up makes every request whose reply was seen show up here.
    std::unique_lock lock(m_Mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!OutputDrained() && std::chrono::steady_clock::now() < deadline)
        m_Changed.wait_for(lock, std::chrono::milliseconds(1));
    return m_Requests;
}

void CLiftSim::clearRequests()
{
    std::lock_guard lock(m_Mutex);
    m_Requests.clear();
    m_RequestTimes.clear();
}

std::vector<CLiftSim::STimedRequest> CLiftSim::timedRequests() const
{
    const auto frames = requests();
    std::lock_guard lock(m_Mutex);
    std::vector<STimedRequest> out;
    for (std::size_t i = 0; i < frames.size() && i < m_RequestTimes.size(); ++i)
        out.push_back({m_RequestTimes[i], frames[i]});
    return out;
}
