// Cost of the all-lifts page with 64 live lifts: the page shown with its
// 80 ms refresh and door animation, the poll-all worker on the bus simulator,
// new faults recorded into a copy of the shipped database. Every car runs for
// the whole time, some doors open, faults come and go and one station falls
// silent now and then. Prints the process's CPU time per second of wall time
// and its peak memory.
//   bench_AllLiftsBench [seconds]   (60 by default)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>

#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "platform/AppFolder.h"
#include "platform/FontSetup.h"
#include "platform/MessageBox.h"
#include "views/ShowAllDlg.h"
#include "views/StaA.h"

namespace {

constexpr int kLifts = 64;
constexpr int kGroups = 8;
constexpr int kMinFloors = 20;
constexpr int kMaxFloors = 56;  // floor calls reach 56 floors at most
constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;
constexpr int kPageTop = 115;  // banner and button bar of the main window

int FloorsOf(int n)
{
    return kMinFloors + (n * 7) % (kMaxFloors - kMinFloors + 1);
}

bool CopyTree(const QString& from, const QString& to)
{
    QDir src(from);
    if (!src.exists() || !QDir().mkpath(to))
        return false;
    for (const QFileInfo& info : src.entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        const QString target = to + QLatin1Char('/') + info.fileName();
        if (info.isDir() ? !CopyTree(info.filePath(), target) : !QFile::copy(info.filePath(), target))
            return false;
    }
    return true;
}

double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long PeakKb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// The simulator as a child process, fed commands on its stdin.
class Simulator {
public:
    bool Start(const QStringList& args)
    {
        m_proc.setProgram(QStringLiteral(LIFTSIM_PATH));
        m_proc.setArguments(args);
        m_proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_proc.start();
        if (!m_proc.waitForStarted(5000))
            return false;
        while (m_port.isEmpty() && m_proc.waitForReadyRead(5000)) {
            while (m_proc.canReadLine()) {
                const QString line = QString::fromLatin1(m_proc.readLine()).trimmed();
                if (line.startsWith(QLatin1String("PORT ")))
                    m_port = line.mid(5);
            }
        }
        // Its request lines are of no interest here.
        QObject::connect(&m_proc, &QProcess::readyReadStandardOutput, [this] { m_proc.readAllStandardOutput(); });
        return !m_port.isEmpty();
    }
    void Command(const QString& line) { m_proc.write((line + QLatin1Char('\n')).toLatin1()); }
    QString Port() const { return m_port; }
    ~Simulator()
    {
        if (m_proc.state() != QProcess::NotRunning) {
            m_proc.closeWriteChannel();
            if (!m_proc.waitForFinished(3000))
                m_proc.kill();
        }
    }

private:
    QProcess m_proc;
    QString m_port;
};

// Counts the paints the tiles get.
class PaintCounter : public QObject {
public:
    long m_nTilePaints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<CStaA*>(watched))
            ++m_nTilePaints;
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "usage: %s [seconds 1..3600]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    SetupFonts();
    QApplication app(argc, argv);
    MessageBoxRecorder boxes;  // a database message must not block the run

    // A private copy of the shipped data folder with 64 lifts in 8 groups.
    QTemporaryDir dir;
    if (!dir.isValid() || !CopyTree(QStringLiteral(LIFT_BINARY_DIR "/bin/SoftResoure"), dir.path() + "/SoftResoure")) {
        std::fprintf(stderr, "cannot copy %s/bin/SoftResoure (build the station first)\n", LIFT_BINARY_DIR);
        return 1;
    }
    SetAppFolder(dir.path());
    CDBServer db;
    db.m_strAppFolder = dir.path() + QLatin1Char('/');
    QStringList texts;
    db.m_pLanText = &texts;
    db.m_pAdo->m_pLanText = &texts;
    db.m_pAdo->InitConnection();
    db.BuildDBPath();
    if (!db.m_pAdo->OpenDatabase(false, db.m_strDBPath)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(db.m_strDBPath));
        return 1;
    }
    CLiftDataStore store;
    store.ResetLiftRecords();
    for (int n = 1; n <= kLifts; ++n) {
        strLiftInf& rec = store.m_pLiftInf[n - 1];
        rec.nKind = 1;
        rec.nMaxFloor = FloorsOf(n);
        rec.nMinFloor = 1;
        rec.strName = QStringLiteral("%1#").arg(n);
    }
    db.SaveLiftSetup(store.m_pLiftInf);
    db.m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_SoftInf Set GroupNum=%1").arg(kGroups));
    db.m_pAdo->ExecuteSql(QStringLiteral("Delete From KALOR_GroupInf"));
    for (int g = 1; g <= kGroups; ++g) {
        db.m_pAdo->ExecuteSql(QStringLiteral("Insert Into KALOR_GroupInf Values (?, ?, ?)"),
                              {g, kLifts / kGroups, QStringLiteral("%1号楼").arg(g)});
    }
    for (int n = 1; n <= kLifts; ++n)
        db.m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_LiftInf Set GroupNum=? Where RealAddr=?"),
                              {(n - 1) / (kLifts / kGroups) + 1, n});

    // Loaded as the main window loads it at login.
    std::array<strErrInfTab, 3> tabs;
    CErrNameMap names;
    db.LoadLanguageAndFaultTexts(db.GetLanguageKind(), tabs.data(), &names);
    store.ResetLiftRecords();
    store.ResetLiftPages();
    store.ResetLiftCmds();
    store.ResetLiftFaults();
    int color = 0, groupCount = 0, port = 0, baud = 0;
    std::array<QStringList, 2> floorShow;
    db.LoadSoftInfo(&color, &groupCount, &port, &baud, floorShow.data());
    db.LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage);
    std::vector<strGroupInf> groups(std::size_t(std::max(0, groupCount)));
    for (std::size_t g = 0; g < groups.size(); ++g)
        groups[g].nGroupNum = int(g + 1);
    if (!groups.empty())
        db.LoadGroupInfo(int(groups.size()), groups.data());
    for (strGroupInf& group : groups) {
        int count = 0;
        group.byLiftNum.fill(0);
        for (int k = 0; k < kLifts; ++k)
            if (store.m_pLiftInf[k].nGroupNum == group.nGroupNum && store.m_pLiftInf[k].nKind != 0)
                group.byLiftNum[std::size_t(count++)] = std::uint8_t(k + 1);
        group.nLiftCount = count;
    }

    // Every car needs the whole run to reach its top floor.
    const int speedMs = seconds * 1000 / (kMinFloors - 1) + 1;
    QStringList args{QStringLiteral("--speed"), QString::number(speedMs), QStringLiteral("--door"),
                     QStringLiteral("3000")};
    for (int n = 1; n <= kLifts; ++n)
        args << QStringLiteral("--lift") << QStringLiteral("%1:%2:%3").arg(n).arg(FloorsOf(n)).arg(n % 3 + 1);
    Simulator sim;
    if (!sim.Start(args)) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    qputenv("LIFT_COM1", sim.Port().toLocal8Bit());
    CLiftComm comm;
    if (!comm.OpenComm(1, 2)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(sim.Port()));
        return 1;
    }
    // Cars up to their top floors; every eighth lift opens its doors first.
    for (int n = 1; n <= kLifts; ++n) {
        strLiftInf& lift = store.m_pLiftInf[n - 1];
        comm.SendFloorCall(lift, n % 8 == 0 ? 1 : int(lift.nMaxFloor));
    }

    QWidget window;
    window.resize(kWindowWidth, kWindowHeight);
    CShowAllDlg* page = new CShowAllDlg(&window);
    int viewMode = CShowAllDlg::kViewMode;
    page->OnInitDialog();
    page->m_bPortOpen = 1;
    page->m_pLiftFault = store.m_pLiftFault;
    page->m_pGroupTable = groups.empty() ? nullptr : groups.data();
    page->m_pLiftInf = store.m_pLiftInf;
    page->m_pDB = &db;
    page->m_nGroupCount = int(groups.size());
    page->CreateGroupCells();
    page->m_pTexts = &texts;
    page->m_pViewMode = &viewMode;
    // One column per group of eight, so that all 64 tiles are on the screen.
    page->m_nLiftsPerColumn = kLifts / kGroups;
    window.show();
    page->setGeometry(0, kPageTop, kWindowWidth, kWindowHeight - kPageTop);
    page->LayoutCells();
    page->show();

    int visible = 0;
    for (int k = 0; k < kLifts; ++k)
        visible += page->Tile(k)->isVisible() && page->Tile(k)->geometry().right() < kWindowWidth;
    PaintCounter paints;
    app.installEventFilter(&paints);

    db.m_tmToday = QDateTime::currentDateTime();
    StartPollThread(PollAllThreadProc, &comm, page, [&store](CLiftComm& c) {
        c.UseWholeTables(store);
        c.BuildStationTable(store.m_pLiftInf);
    });
    page->SetRefreshTimer(80);

    // A fault comes and goes every 2 s; station 5 is silent 3 s out of 10.
    int tick = 0;
    QTimer events;
    QObject::connect(&events, &QTimer::timeout, [&] {
        ++tick;
        const int lift = (tick * 13) % kLifts + 1;
        sim.Command(QStringLiteral("fault %1 %2").arg(lift).arg(tick % 2 ? 10 + tick % 40 : 0));
        if (tick % 10 == 3)
            sim.Command(QStringLiteral("silent 5 1"));
        if (tick % 10 == 6)
            sim.Command(QStringLiteral("silent 5 0"));
    });
    events.start(1000);

    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = CpuSeconds() - cpu0;
    const double wallSec = double(wall.nsecsElapsed()) / 1e9;
    StopPollThread();
    comm.m_Port.ClosePort();

    int online = 0, moving = 0;
    for (int k = 0; k < kLifts; ++k) {
        online += store.m_pLiftInf[k].bOffline == 0;
        moving += store.m_pLiftInf[k].nRunState == 1 || store.m_pLiftInf[k].nRunState == 2;
    }
    int faultRows = 0;
    for (int n = 1; n <= kLifts; ++n) {
        if (auto rs = db.m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1_Err").arg(n)))
            faultRows += rs->GetRecordCount();
    }
    std::printf("all-lifts page, 64 live lifts, %.1f s (%s platform)\n", wallSec,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  cpu time per wall second : %.2f %% of one core\n", 100.0 * cpu / wallSec);
    std::printf("  peak memory (max RSS)    : %.1f MB\n", double(PeakKb()) / 1024.0);
    std::printf("  tiles on the screen      : %d, %.0f tile paints per second\n", visible,
                double(paints.m_nTilePaints) / wallSec);
    std::printf("  at the end: %d lifts online, %d moving; %d fault rows recorded\n", online, moving, faultRows);
    return 0;
}
