#pragma once
// The built station run as a process of its own from a test's data folder,
// with the operator plugin loaded into it; its stderr is its log.
#include <QFile>
#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStringList>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/LiftSim.h"
#include "support/StationFixture.h"

namespace station_test {

// The built station started from the test's data folder, as the desktop
// starts it, on COM1 of the simulator; the operator plugin logs "op" in and
// opens the all-lifts page. Its stderr is its log. Spawned, not forked: a
// fork of this threaded process would not run under the thread sanitizer.
class StationProcess {
public:
    // The operator's argument: name/password, and "/delete" for the
    // configuration page's delete question instead of the all-lifts page.
    StationProcess(const StationData& data, const CLiftSim& sim, const QString& operatorArgs = QStringLiteral("op/pw"))
    {
        // The program finds its data beside itself.
        const QByteArray exe = QFile::encodeName(data.folder() + QStringLiteral("liftstation"));
        const char* built = LIFT_BINARY_DIR "/bin/liftstation";
        if (::link(built, exe.constData()) != 0) {
            EXPECT_TRUE(QFile::copy(QString::fromLatin1(built), QFile::decodeName(exe)));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(LIFT_BINARY_DIR "/plugins"));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("stationoperator:") + operatorArgs);
        env.insert(QStringLiteral("LIFT_COM1"), sim.port());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), data.folder() + QStringLiteral("config"));
        std::vector<QByteArray> vars;
        std::vector<char*> envp;
        for (const QString& var : env.toStringList())
            envp.push_back(vars.emplace_back(var.toLocal8Bit()).data());
        envp.push_back(nullptr);
        int log[2];
        EXPECT_EQ(::pipe2(log, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, log[1], STDERR_FILENO);
        char* argv[] = {const_cast<char*>(exe.constData()), nullptr};
        EXPECT_EQ(::posix_spawn(&m_nPid, exe.constData(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(log[1]);
        m_nLog = log[0];
    }
    ~StationProcess()
    {
        if (m_nStatus == kRunning && ::kill(m_nPid, SIGKILL) == 0)
            ::waitpid(m_nPid, nullptr, 0);
        ::close(m_nLog);
    }
    // The log holds text within the bound.
    bool Says(const QString& text, int boundMs = 30000)
    {
        const QDeadlineTimer deadline(boundMs);
        while (!Log().contains(text))
            if (deadline.hasExpired() || !ReadLog(50))
                return false;
        return true;
    }
    void Signal(int signal) { ::kill(m_nPid, signal); }
    // Ends within the bound; Status() is then its exit status, or -1 when a signal ended it.
    bool Ends(int boundMs)
    {
        const QDeadlineTimer deadline(boundMs);
        int status = 0;
        while (::waitpid(m_nPid, &status, WNOHANG) == 0) {
            if (deadline.hasExpired())
                return false;
            if (!ReadLog(10))
                ::usleep(10000);  // its log has ended before it
        }
        m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }
    int Status() const { return m_nStatus; }
    // The boxes the operator saw showing after the first line of the log
    // that holds marker (none when the marker is not there).
    QStringList BoxesSeenAfter(const QString& marker)
    {
        const qsizetype at = Log().indexOf(marker);
        QStringList seen;
        if (at < 0)
            return seen;
        for (const QString& line : Log().mid(at).split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("operator: box: ")))
                seen << line;
        return seen;
    }
    const QString& Log()
    {
        while (ReadLog(0)) {
        }
        return m_log;
    }

private:
    static constexpr int kRunning = -2;
    // Takes in what the log holds within waitMs: false once nothing more will come.
    bool ReadLog(int waitMs)
    {
        pollfd fd{m_nLog, POLLIN, 0};
        char bytes[4096];
        ssize_t n = 0;
        if (::poll(&fd, 1, waitMs) == 1 && (n = ::read(m_nLog, bytes, sizeof bytes)) > 0)
            m_log += QString::fromUtf8(bytes, n);
        return n > 0 || (waitMs > 0 && fd.revents == 0);
    }

    pid_t m_nPid = -1;
    int m_nLog = -1;
    int m_nStatus = kRunning;
    QString m_log;
};
} // namespace station_test
