// Latency of a car call on the single-lift page against the bus simulator
// paced at 9600 baud: from the press of a car-call square to the first page
// request on the line that carries the call, and to the page showing the
// controller's lamp lit. The 500 ms pause of the press is part of both.
//   bench_CallLatencyBench [presses]   (50 by default)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "mainwnd/LiftPainter.h"
#include "platform/AppFolder.h"
#include "platform/FontSetup.h"
#include "platform/MessageBox.h"
#include "views/ButShape.h"
#include "views/ShowOneDlg.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFloors = 8;       // one page: every pass of the worker is one exchange
constexpr int kBaudIndex = 0;    // 9600

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The simulator as a child process; a reader thread stamps each request line
// the moment it arrives, so the line's timing is not bent by the window's loop.
class PacedSimulator {
public:
    bool Start(const std::vector<std::string>& args)
    {
        int toChild[2], fromChild[2];
        if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
            return false;
        std::vector<std::string> all{LIFT_BINARY_DIR "/bin/liftsim"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(toChild[0]);
        ::close(fromChild[1]);
        if (rc != 0)
            return false;
        m_stdin = toChild[1];
        m_reader = std::thread([this, fd = fromChild[0]] { Read(fd); });
        for (int i = 0; i < 500 && Port().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !Port().empty();
    }
    ~PacedSimulator()
    {
        if (m_stdin >= 0)
            ::close(m_stdin);
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_reader.joinable())
            m_reader.join();
    }
    std::string Port() const
    {
        std::lock_guard lock(m_mutex);
        return m_port;
    }
    // Arrival time of the first page request to the lift since `after` whose
    // car-call byte has `bit`; false while none has come.
    bool FirstCarrying(Clock::time_point after, int liftNum, int bit, Clock::time_point* at) const
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [t, frame] : m_requests) {
            if (t >= after && frame.size() == 14 && frame[0] == liftNum && frame[1] == 0 && (frame[4] & bit)) {
                *at = t;
                return true;
            }
        }
        return false;
    }

private:
    void Read(int fd)
    {
        std::string pending;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            const Clock::time_point now = Clock::now();
            pending.append(buf, std::size_t(n));
            for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, eol);
                pending.erase(0, eol + 1);
                std::lock_guard lock(m_mutex);
                if (line.rfind("PORT ", 0) == 0) {
                    m_port = line.substr(5);
                } else if (line.rfind("RX ", 0) == 0) {
                    std::vector<unsigned char> frame;
                    const std::size_t bytesEnd = std::min(line.size(), line.find(" @"));  // before the time
                    for (std::size_t i = 3; i + 2 <= bytesEnd; i += 3)
                        frame.push_back(static_cast<unsigned char>(std::stoi(line.substr(i, 2), nullptr, 16)));
                    m_requests.emplace_back(now, std::move(frame));
                }
            }
        }
        ::close(fd);
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::string m_port;
    std::vector<std::pair<Clock::time_point, std::vector<unsigned char>>> m_requests;
};

// Runs the event loop until pred holds or ms have passed; true when it held.
bool WaitFor(const std::function<bool()>& pred, int ms)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (Clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

void Print(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    std::printf("%-44s median %7.1f ms   max %7.1f ms   (n=%zu)\n", what, median, v.back(), v.size());
}

} // namespace

int main(int argc, char** argv)
{
    const int presses = argc > 1 ? std::atoi(argv[1]) : 50;
    if (presses < 1 || presses > 1000) {
        std::fprintf(stderr, "usage: %s [presses 1..1000]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    SetupFonts();
    QApplication app(argc, argv);
    MessageBoxRecorder boxes;

    // A copy of the shipped database with one lift of 8 floors.
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/SoftResoure/DB");
    if (!dir.isValid() || !QDir().mkpath(data)
        || !QFile::copy(QFile::exists(QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb"))
                            ? QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb")
                            : QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure/DB/DBServer.mdb"),
                        data + "/DBServer.mdb")) {
        std::fprintf(stderr, "cannot copy the shipped database (build lift_db first)\n");
        return 1;
    }
    SetAppFolder(dir.path() + QLatin1Char('/'));
    CDBServer db;
    QStringList texts;
    db.m_strAppFolder = dir.path() + QLatin1Char('/');
    db.m_pLanText = &texts;
    db.m_pAdo->m_pLanText = &texts;
    db.m_pAdo->InitConnection();
    db.BuildDBPath();
    if (!db.m_pAdo->OpenDatabase(false, db.m_strDBPath)) {
        std::fprintf(stderr, "cannot open the database copy\n");
        return 1;
    }
    std::array<strErrInfTab, 3> tabs;
    CErrNameMap names;
    db.LoadLanguageAndFaultTexts(1, tabs.data(), &names);
    CLiftDataStore store;
    store.ResetLiftRecords();
    store.ResetLiftPages();
    store.ResetLiftCmds();
    store.ResetLiftFaults();
    strLiftInf& lift = store.m_pLiftInf[0];
    lift.nKind = 1;
    lift.nMaxFloor = kFloors;
    lift.nMinFloor = 1;
    db.SaveLiftSetup(store.m_pLiftInf);
    store.ResetLiftRecords();
    db.LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage);

    PacedSimulator sim;
    if (!sim.Start({"--lift", "1:8:1", "--pace", "--baud", "9600", "--speed", "150", "--door", "400"})) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    qputenv("LIFT_COM1", QByteArray::fromStdString(sim.Port()));
    CLiftComm comm;
    if (!comm.OpenComm(1, kBaudIndex)) {
        std::fprintf(stderr, "cannot open %s\n", sim.Port().c_str());
        return 1;
    }

    CLiftPainter painter;
    int viewMode = CShowOneDlg::kViewMode;
    CShowOneDlg page;
    page.m_bPortOpen = 1;
    page.m_pViewMode = &viewMode;
    page.m_pTexts = &texts;
    page.m_pPainter = &painter;
    page.m_pComm = &comm;
    page.m_pLiftCmd = store.m_pLiftCmd;
    page.m_pLiftInf = store.m_pLiftInf;
    page.m_pLiftPage = store.m_pLiftPage;
    page.m_pDB = &db;
    page.m_nLanguageKind = 1;
    page.m_nLiftIndex = 0;
    page.OnInitDialog();
    page.resize(1280, 700);
    page.LayoutLiftView();
    page.show();
    StartPollThread(PollOneThreadProc, &comm, &page, [&store](CLiftComm& c) {
        c.m_pLiftCmd = &store.m_pLiftCmd[0];
        c.m_pLiftInf = &store.m_pLiftInf[0];
        c.m_pLiftPage = &store.m_pLiftPage[0];
    });
    page.SetRefreshTimer(80);
    if (!WaitFor([&] { return page.m_bLiftOnline == 1; }, 10000)) {
        std::fprintf(stderr, "the page never saw the lift\n");
        StopPollThread();
        return 1;
    }

    std::vector<double> toLine, toLamp;
    for (int i = 0; i < presses; ++i) {
        // A floor away from the car, so that the call lights a lamp.
        const int current = lift.nCurFloor;
        const int floor = current <= kFloors / 2 ? kFloors - i % 3 : 1 + i % 3;
        CButShape* button = page.m_pCarBtn[std::size_t(floor - 1)];
        const QPointF centre(button->width() / 2.0, button->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        const Clock::time_point t0 = Clock::now();
        QCoreApplication::sendEvent(button, &press);

        Clock::time_point tLine{};
        Clock::time_point tLamp{};
        const bool lit = WaitFor([&] {
            if (tLamp == Clock::time_point{} && button->m_bLamp)
                tLamp = Clock::now();
            return tLamp != Clock::time_point{};
        }, 5000);
        if (!lit || !sim.FirstCarrying(t0, 1, 1 << (floor - 1), &tLine)) {
            std::fprintf(stderr, "press %d (floor %d): no lamp or no request\n", i + 1, floor);
            break;
        }
        toLine.push_back(Ms(tLine - t0));
        toLamp.push_back(Ms(tLamp - t0));
        // Served, doors shut: the next press starts from a standing car.
        WaitFor([&] { return !button->m_bLamp && lift.nCurFloor == floor && lift.nDoorState == 4; }, 15000);
    }
    StopPollThread();

    if (toLine.empty())
        return 1;
    std::printf("car call on the single-lift page, liftsim paced at 9600 baud, reply wait %d ms, %d floors\n",
                comm.m_nReplyWait, kFloors);
    Print("press -> first page request carrying it:", toLine);
    Print("press -> lamp shown lit on the page:", toLamp);
    std::vector<double> afterPause;
    for (double v : toLine)
        afterPause.push_back(v - CButShape::kPauseMs);
    Print("  of which after the 500 ms pause, to line:", afterPause);
    return 0;
}
