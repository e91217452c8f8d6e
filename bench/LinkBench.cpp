// Pace of the link against the bus simulator on a paced line: the poll-all
// worker over 16 stations and the single-lift worker on a 7-page lift, at
// 9600 and 115200 baud. For each: the measured pass time, the floor that the
// line and the protocol impose, the wire time of all bytes (requests and
// replies), and measured/floor. The floor is built from the line and the
// protocol alone, never from the code under test: per exchange the request's
// wire time (10 bits a byte at the baud) plus the reply wait the protocol
// gives, and nothing for anything the code adds.
//
// Then the single-lift worker with every reply late, at a lateness that makes
// each page miss its wait and its retry take the late reply: the cost that a
// miss brings (the retry and the wait for late replies before the next page).
//
//   bench_LinkBench [passes-all [passes-one [passes-late]]]
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

// The protocol's figures, written here so that the floor does not move with the code.
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int kStatusRequestBytes = 12;
constexpr int kStatusReplyBytes = 20;
constexpr int kPageRequestBytes = 14;
constexpr int kPageReplyBytes = 18;
constexpr double kStatusWaitMs = 100;  // the status poll's fixed wait

// The page exchange's reply wait at a baud rate.
double PageWaitMs(int baud)
{
    switch (baud) {
    case 9600: return 80;
    case 19200: return 60;
    case 38400: return 50;
    case 57600: return 40;
    case 115200: return 30;
    default: return 0;
    }
}

double WireMs(int baud, int bytes) { return bytes * kBitsPerByte * 1000.0 / baud; }

struct Figures {
    double passMs;
    double floorMs;
    double wireMs;
};

void Print(const char* what, int baud, int passes, const Figures& f)
{
    std::printf("%-38s %6d baud  %3d passes  pass %8.1f ms  floor %8.1f ms  wire %6.1f ms  measured/floor %.3f\n",
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

    const double exchanges = 16;
    return {passMs, exchanges * (WireMs(baud, kStatusRequestBytes) + kStatusWaitMs),
            exchanges * WireMs(baud, kStatusRequestBytes + kStatusReplyBytes)};
}

// lateMs > 0: every reply starts that long after its request instead of at once.
Figures BenchPollOne(int baudIndex, int passes, int lateMs = 0)
{
    const int baud = int(BaudOfIndex(baudIndex));
    std::vector<std::string> args{"--pace", "--baud", std::to_string(baud), "--lift", "1:56"};
    if (lateMs > 0)
        args.insert(args.end(), {"--reply-delay", std::to_string(lateMs)});
    // A pass starts with the first request for page 0 of lift 1 (a retry of
    // page 0 asks for it again).
    int lastPage = -1;
    Simulator sim(args, [lastPage](const std::string& rx) mutable {
        if (rx.rfind("01 00 ", 0) != 0 || rx.size() < 8)
            return false;
        const int page = std::stoi(rx.substr(6, 2), nullptr, 16) >> 5;
        const bool starts = page == 0 && lastPage != 0;
        lastPage = page;
        return starts;
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
    return {passMs, exchanges * (WireMs(baud, kPageRequestBytes) + PageWaitMs(baud)),
            exchanges * WireMs(baud, kPageRequestBytes + kPageReplyBytes)};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int passesAll = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int passesOne = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int passesLate = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    std::printf("floor = per exchange the request's wire time (10 bits a byte at the baud) + the protocol's reply "
                "wait (status poll 100 ms; page exchange 80 ms at 9600, 30 ms at 115200); wire = all bytes, "
                "requests and replies\n");
    for (int baudIndex : {0, 4}) {
        const int baud = int(BaudOfIndex(baudIndex));
        Print("poll-all worker, 16 stations", baud, passesAll, BenchPollAll(baudIndex, passesAll));
        Print("single-lift worker, 7 pages", baud, passesOne, BenchPollOne(baudIndex, passesOne));
    }
    // Late enough that every page misses its wait and its retry takes the late reply.
    Print("single-lift, every reply 62 ms late", 115200, passesLate, BenchPollOne(4, passesLate, 62));
    Print("single-lift, every reply 180 ms late", 9600, passesLate, BenchPollOne(0, passesLate, 180));
    return 0;
}
