#pragma once
// Runs the bus simulator for a test: a child process on a pseudo-terminal,
// driven by control lines on its stdin. A reader thread collects its stdout the
// whole time (RX lines, answers), so the simulator never stalls on a full pipe
// while the test is busy elsewhere.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <QString>
#include <QStringList>

class CLiftSim
{
public:
    // Starts LIFTSIM_PATH with args; waits up to 5 s for its PORT line and fails
    // the running test with a clear message when none comes.
    explicit CLiftSim(QStringList args);
    ~CLiftSim();
    CLiftSim(const CLiftSim&) = delete;
    CLiftSim& operator=(const CLiftSim&) = delete;

    // The pty slave path, empty when the start failed.
    QString port() const;
    // Sends one control line and waits up to 5 s for its answer; true on OK.
    bool command(const QString& line);
    // The LIFT line of "dump lift", empty on failure.
    QString dump(int lift);
    // Every request frame the simulator has reported so far, oldest first; a
    // request whose reply has been read is always among them.
    std::vector<std::vector<std::uint8_t>> requests() const;
    void clearRequests();
    // Like requests(), each with the time (ms, monotonic clock) the simulator read it.
    struct STimedRequest
    {
        double tMs = 0;
        std::vector<std::uint8_t> frame;
    };
    std::vector<STimedRequest> timedRequests() const;
    // Ends the process at once (SIGKILL), like an unplugged adapter.
    void kill();

private:
    struct SAnswer
    {
        bool bOk = false;
        QString liftLine; // the LIFT line written before it, if any
    };
    void ReadLoop(int fd);
    void HandleLine(const QString& line);
    // Sends the line and waits for its answer; nothing on timeout or exit.
    bool Exchange(const QString& line, SAnswer& answer);
    // All output written so far has been parsed (call with m_Mutex held).
    bool OutputDrained() const;

    mutable std::mutex m_Mutex;
    mutable std::condition_variable m_Changed;
    int m_nPid = -1;
    int m_nStdin = -1;
    std::thread m_Reader;
    QString m_Port;
    bool m_bEnded = false; // stdout closed: the process is gone
    bool m_bReading = false; // the reader holds bytes not yet parsed
    int m_nStdout = -1;      // read end of the simulator's stdout, owned by the reader
    std::vector<std::vector<std::uint8_t>> m_Requests;
    std::vector<double> m_RequestTimes; // ms, one per request
    std::deque<SAnswer> m_Answers;
    QString m_PendingLift;
    std::uint64_t m_nSent = 0;     // commands written
    std::uint64_t m_nAnswered = 0; // answers received (including ones nobody waited for)
    std::uint64_t m_nAnswersDropped = 0; // answers taken off the front of m_Answers
    std::mutex m_CommandMutex;     // one command at a time
};
