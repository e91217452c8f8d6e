// Pace of the link against the bus simulator on a paced line: the poll-all
// worker over 16 stations and the single-lift worker on a 7-page lift, at
// 9600 and 115200 baud. For each: the measured pass time, the floor that the
// line imposes (per exchange the request's wire time at the baud plus the
// reply wait), the wire time of all bytes (requests and replies), and
// measured/floor.
//
//   bench_LinkBench [passes-all [passes-one]]
#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The simulator as a child process. Its stdout carries an RX line per
// request; a reader keeps the arrival times of the ones that mark a pass.
class Simulator {
public:
    Simulator(const std::vector<std::string>& args, std::function<bool(const std::string&)> marksPass)
        : m_marksPass(std::move(marksPass))
    {
        int toChild[2], fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0)
            return;
        std::vector<std::string> all{LIFTSIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
        if (::posix_spawn(&m_pid, LIFTSIM_PATH, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_stdin = toChild[1];
        m_stdout = fromChild[0];
        std::string line;
        char c;
        while (::read(m_stdout, &c, 1) == 1 && c != '\n')
            line += c;
        if (line.rfind("PORT ", 0) == 0)
            m_port = line.substr(5);
        m_reader = std::thread([this] { Read(); });
    }
    ~Simulator()
    {
        if (m_stdin >= 0)
            ::close(m_stdin);  // asks it to end
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
        if (m_reader.joinable())
            m_reader.join();
        if (m_stdout >= 0)
            ::close(m_stdout);
    }
    const std::string& port() const { return m_port; }
    std::vector<Clock::time_point> Marks()
    {
        std::lock_guard lock(m_mutex);
        return m_marks;
    }
    void ClearMarks()
    {
        std::lock_guard lock(m_mutex);
        m_marks.clear();
    }

private:
    void Read()
    {
        std::string buffer;
        char chunk[4096];
        ssize_t n;
        while ((n = ::read(m_stdout, chunk, sizeof chunk)) > 0) {
            const auto now = Clock::now();
            buffer.append(chunk, std::size_t(n));
            std::size_t nl;
            while ((nl = buffer.find('\n')) != std::string::npos) {
                const std::string line = buffer.substr(0, nl);
                buffer.erase(0, nl + 1);
                if (line.rfind("RX ", 0) == 0 && m_marksPass(line.substr(3))) {
                    std::lock_guard lock(m_mutex);
                    m_marks.push_back(now);
                }
            }
        }
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_port;
    std::function<bool(const std::string&)> m_marksPass;
    std::thread m_reader;
    std::mutex m_mutex;
    std::vector<Clock::time_point> m_marks;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Milliseconds `bytes` characters take on the wire at the port's speed.
double WireMs(const CLiftComm& comm, int bytes)
{
    return std::chrono::duration<double, std::milli>(comm.m_Port.WireTime(bytes)).count();
}

struct Figures {
    double passMs;
    double floorMs;
    double wireMs;
};

void Print(const char* what, int baud, int passes, const Figures& f)
{
    std::printf("%-34s %6d baud  %3d passes  pass %8.1f ms  floor %8.1f ms  wire %6.1f ms  measured/floor %.3f\n",
                what, baud, passes, f.passMs, f.floorMs, f.wireMs, f.passMs / f.floorMs);
    std::fflush(stdout);
}

// Waits until `passes` full passes are marked; the mean pass time between marks.
double MeasurePasses(Simulator& sim, int passes)
{
    sim.ClearMarks();
    std::vector<Clock::time_point> marks;
    while ((marks = sim.Marks()).size() < std::size_t(passes + 2))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The first mark may fall into a pass already running: count from the second.
    return Ms(marks[std::size_t(passes + 1)] - marks[1]) / passes;
}

Figures BenchPollAll(int baudIndex, int passes)
{
    const int baud = int(BaudOfIndex(baudIndex));
    std::vector<std::string> args{"--pace", "--baud", std::to_string(baud)};
    for (int n = 1; n <= 64; ++n)
        args.insert(args.end(), {"--lift", std::to_string(n) + ":20"});
    // A pass starts with the status poll of station 1.
    Simulator sim(args, [](const std::string& rx) { return rx.rfind("01 10 ", 0) == 0; });
    qputenv("LIFT_COM1", QByteArray::fromStdString(sim.port()));

    CLiftDataStore store;
    store.ResetLiftRecords();
    store.ResetLiftPages();
    store.ResetLiftCmds();
    store.ResetLiftFaults();
    for (int k = 0; k < 64; ++k)
        store.m_pLiftInf[k].nKind = 1;
    CLiftComm comm;
    if (!comm.OpenComm(1, baudIndex)) {
        std::fprintf(stderr, "cannot open the simulator's port %s\n", sim.port().c_str());
        std::exit(1);
    }
    comm.BuildStationTable(store.m_pLiftInf);

    StartPollThread(PollAllThreadProc, &comm, nullptr, [&store](CLiftComm& c) { c.UseWholeTables(store); });
    const double passMs = MeasurePasses(sim, passes);
    StopPollThread();
    int offline = 0;
    for (int k = 0; k < 64; ++k)
        offline += store.m_pLiftInf[k].bOffline;
    if (offline)
        std::fprintf(stderr, "warning: %d lifts offline at the end\n", offline);

    const double exchanges = kStationCount;
    return {passMs, exchanges * (WireMs(comm, kStatusRequestLen) + kStatusReplyWaitMs),
            exchanges * WireMs(comm, kStatusRequestLen + kStatusReplyLen)};
}

Figures BenchPollOne(int baudIndex, int passes)
{
    const int baud = int(BaudOfIndex(baudIndex));
    // A pass starts with the request for page 0 of lift 1.
    Simulator sim({"--pace", "--baud", std::to_string(baud), "--lift", "1:56"}, [](const std::string& rx) {
        return rx.rfind("01 00 ", 0) == 0 && rx.size() > 7 && std::stoi(rx.substr(6, 2), nullptr, 16) >> 5 == 0;
    });
    qputenv("LIFT_COM1", QByteArray::fromStdString(sim.port()));

    CLiftDataStore store;
    store.ResetLiftRecords();
    store.ResetLiftPages();
    store.ResetLiftCmds();
    store.ResetLiftFaults();
    store.m_pLiftInf[0].nKind = 1;
    store.m_pLiftInf[0].nMaxFloor = 56;
    store.m_pLiftPage[0].nPageCount = 7;
    CLiftComm comm;
    if (!comm.OpenComm(1, baudIndex)) {
        std::fprintf(stderr, "cannot open the simulator's port %s\n", sim.port().c_str());
        std::exit(1);
    }
    StartPollThread(PollOneThreadProc, &comm, nullptr, [&store](CLiftComm& c) {
        c.m_pLiftInf = &store.m_pLiftInf[0];
        c.m_pLiftPage = &store.m_pLiftPage[0];
        c.m_pLiftCmd = &store.m_pLiftCmd[0];
    });
    const double passMs = MeasurePasses(sim, passes);
    StopPollThread();
    if (store.m_pLiftInf[0].bOffline)
        std::fprintf(stderr, "warning: the lift is offline at the end\n");

    const double exchanges = 7;
    constexpr double kPassSleepMs = 10;  // the worker's own pause after each pass
    return {passMs, exchanges * (WireMs(comm, kPageRequestLen) + comm.m_nReplyWait) + kPassSleepMs,
            exchanges * WireMs(comm, kPageRequestLen + kPageReplyLen)};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int passesAll = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int passesOne = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    std::printf("floor = per exchange (request wire time at the baud + reply wait), plus the single-lift "
                "worker's 10 ms per pass; wire = all bytes, requests and replies\n");
    for (int baudIndex : {0, 4}) {
        const int baud = int(BaudOfIndex(baudIndex));
        Print("poll-all worker, 16 stations", baud, passesAll, BenchPollAll(baudIndex, passesAll));
        Print("single-lift worker, 7 pages", baud, passesOne, BenchPollOne(baudIndex, passesOne));
    }
    return 0;
}
