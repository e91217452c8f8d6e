// Speed of the station's database with a full year of history: 64 lifts, 365
// day tables each with 200 calls a day, and 10,000 fault rows per lift.
// Prints the time to open and load all texts, one recording save with new
// calls, the first saves after midnight, a refresh while another connection
// holds the write lock, the fault query over all lifts (one month, all rows;
// the latter also through the bare engine API, the two run alternately), and
// the size.
//   bench_DatabaseBench [folder]   (a temporary folder by default; in a given
//                                  folder the year is kept as year.mdb and
//                                  every later run starts from a copy of it)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <numeric>
#include <cstdio>
#include <vector>

#include <sqlite3.h>

#include "database/DBServer.h"
#include "database/DbPassword.h"
#include "database/RecordingBatch.h"
#include "link/LiftDataStore.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kLifts = 64;
constexpr int kDays = 365;
constexpr int kCallsPerDay = 200;
constexpr int kFaultsPerLift = 10000;
const QDate kToday(2024, 12, 31);

double Ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return 0.0;
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

// Runs of each side of the all-rows comparison.
constexpr int kQueryRuns = 5;

bool Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        return false;
    }
    return true;
}

bool MakeSeededFile(const QString& path)
{
    QDir seed(QStringLiteral(LIFT_SOURCE_DIR "/res/seed"));
    const QStringList scripts = seed.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    if (scripts.isEmpty()) {
        std::fprintf(stderr, "no seed scripts in %s\n", qPrintable(seed.path()));
        return false;
    }
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    bool ok = Check(sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr), db, "key");
    for (const QString& name : scripts) {
        QFile f(seed.filePath(name));
        ok = ok && f.open(QIODevice::ReadOnly)
             && Check(sqlite3_exec(db, f.readAll().constData(), nullptr, nullptr, nullptr), db, qPrintable(name));
    }
    sqlite3_close(db);
    return ok;
}

// The year of history, written straight into the file in one transaction.
bool FillHistory(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    bool ok = Check(sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "'; BEGIN").constData(), nullptr,
                                 nullptr, nullptr),
                    db, "begin");
    QRandomGenerator rng(20241231);
    const QDate first = kToday.addDays(-(kDays - 1));
    for (int n = 1; ok && n <= kLifts; ++n) {
        const QByteArray index = "KALOR_LiftData_" + QByteArray::number(n);
        ok = Check(sqlite3_exec(db, ("DELETE FROM " + index).constData(), nullptr, nullptr, nullptr), db, "index");
        sqlite3_stmt* idx = nullptr;
        sqlite3_prepare_v2(db, ("INSERT INTO " + index + " VALUES (?, ?, ?)").constData(), -1, &idx, nullptr);
        for (int c = 1; ok && c <= kDays; ++c) {
            const QDate day = first.addDays(c - 1);
            const QByteArray table = index + "_" + QByteArray::number(c);
            if (c > 1)
                ok = Check(sqlite3_exec(db, ("CREATE TABLE " + table + " ( RecDateTm datetime, CallSign byte,CallNum byte)").constData(),
                                        nullptr, nullptr, nullptr),
                           db, "day table");
            const QByteArray opened = day.toString(QStringLiteral("yyyy-MM-dd 00:00:05")).toUtf8();
            sqlite3_bind_int(idx, 1, c);
            sqlite3_bind_text(idx, 2, opened.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(idx, 3, table.constData(), -1, SQLITE_TRANSIENT);
            ok = ok && Check(sqlite3_step(idx), db, "index row");
            sqlite3_reset(idx);
            sqlite3_stmt* call = nullptr;
            sqlite3_prepare_v2(db, ("INSERT INTO " + table + " VALUES (?, ?, ?)").constData(), -1, &call, nullptr);
            for (int k = 0; ok && k < kCallsPerDay; ++k) {
                const int sec = int(qint64(k) * 86000 / kCallsPerDay) + int(rng.bounded(300));
                const QByteArray when = QDateTime(day, QTime(0, 0).addSecs(sec)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
                sqlite3_bind_text(call, 1, when.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(call, 2, 1 + int(rng.bounded(3)));
                sqlite3_bind_int(call, 3, 1 + int(rng.bounded(20)));
                ok = Check(sqlite3_step(call), db, "call row");
                sqlite3_reset(call);
            }
            sqlite3_finalize(call);
        }
        sqlite3_finalize(idx);
        sqlite3_stmt* fault = nullptr;
        sqlite3_prepare_v2(db, ("INSERT INTO " + index + "_Err VALUES (?, ?, ?, 0,0,0,0,0,0,0,0)").constData(), -1, &fault, nullptr);
        for (int k = 0; ok && k < kFaultsPerLift; ++k) {
            const qint64 secs = qint64(k) * (qint64(kDays) * 86400 - 1) / kFaultsPerLift;
            const QByteArray when =
                QDateTime(first, QTime(0, 0)).addSecs(secs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            sqlite3_bind_int(fault, 1, 1 + int(rng.bounded(60)));
            sqlite3_bind_text(fault, 2, when.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(fault, 3, 7);
            ok = Check(sqlite3_step(fault), db, "fault row");
            sqlite3_reset(fault);
        }
        sqlite3_finalize(fault);
    }
    ok = ok && Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
    return ok;
}

sqlite3* OpenBare(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "'; PRAGMA cache_size = -16384").constData(), nullptr,
                 nullptr, nullptr);
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    return db;
}

QString Text(sqlite3_stmt* st, int col)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, col)), sqlite3_column_bytes(st, col));
}

// The all-rows fault query through the bare engine API, doing per row what
// ours does: the configured lifts, then each lift's fault rows newest first,
// every column read into the same kind of value and kept in the same records.
// On a connection opened as the station opens its own (password, no lock per
// call, the same cache) and kept open between runs, as the station's is.
double BareAllRows(sqlite3* db, strLiftFaultStat* pStats, long* pRows)
{
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < kLifts; ++k)
        pStats[k].Clear();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "Select * From KALOR_LiftInf Where Kind <> 0", -1, &st, nullptr);
    int used = 0;
    while (used < kLifts && sqlite3_step(st) == SQLITE_ROW) {
        pStats[used].nRealAddr = sqlite3_column_int(st, 0);
        pStats[used].nKind = sqlite3_column_int(st, 1);
        pStats[used].strName = Text(st, 7);
        ++used;
    }
    sqlite3_finalize(st);
    long rows = 0;
    for (int k = 0; k < used; ++k) {
        strLiftFaultStat& s = pStats[k];
        const QByteArray sql = "Select * From KALOR_LiftData_" + QByteArray::number(s.nRealAddr) + "_Err ORDER BY ErrDate DESC";
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++s.nErrTotal;
            const int code = sqlite3_column_int(st, 0);
            if (code >= 0 && code < kFaultCodeCounts)
                ++s.nCodeCount[std::size_t(code)];
            s.lstErrCode << code;
            s.lstLiftState << sqlite3_column_int(st, 2);
            strErrIDInf id;
            for (std::size_t p = 0; p < 8; ++p)
                id.nID[p] = sqlite3_column_int(st, 3 + int(p));
            id.nErrCount = code;
            s.lstErrID << id;
            s.arrErrTime << Text(st, 1);
        }
        sqlite3_finalize(st);
        rows += s.nErrTotal;
    }
    *pRows = rows;
    return Ms(t);
}

struct Station {
    CDBServer db;
    QStringList texts;
    strErrInfTab tabs[3];
    CErrNameMap names;
    CLiftDataStore store;
    std::vector<strGroupInf> groups;
};

// What the station does at start and login: open, UI and fault texts, configuration.
bool OpenAndLoad(Station& s, const QString& folder, double* pOpenMs, double* pLoadMs)
{
    QElapsedTimer t;
    t.start();
    s.db.m_strAppFolder = folder;
    s.db.m_pAdo->InitConnection();
    s.db.BuildDBPath();
    if (!s.db.m_pAdo->OpenDatabase(false, s.db.m_strDBPath))
        return false;
    *pOpenMs = Ms(t);
    t.restart();
    s.db.m_pLanText = &s.texts;
    s.db.m_pAdo->m_pLanText = &s.texts;
    if (!s.db.LoadLanguageAndFaultTexts(s.db.GetLanguageKind(), s.tabs, &s.names))
        return false;
    int color = 0, groups = 0, port = 0, baud = 0;
    QStringList show[2];
    s.store.ResetLiftRecords();
    s.store.ResetLiftPages();
    s.store.ResetLiftCmds();
    s.store.ResetLiftFaults();
    if (!s.db.LoadSoftInfo(&color, &groups, &port, &baud, show) || !s.db.LoadLiftInfo(s.store.m_pLiftInf, s.store.m_pLiftPage))
        return false;
    s.groups.resize(std::size_t(groups));
    s.db.LoadGroupInfo(groups, s.groups.data());
    *pLoadMs = Ms(t);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    MessageBoxRecorder boxes;
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    const QString path = folder + QStringLiteral("/SoftResoure/DB/DBServer.mdb");
    const QString year = folder + QStringLiteral("/year.mdb");
    QDir().mkpath(QFileInfo(path).path());
    for (const char* extra : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(extra));
    if (argc > 1 && QFileInfo::exists(year)) {
        std::printf("Starting from the year of history in %s\n\n", qPrintable(year));
        if (!QFile::copy(year, path))
            return 1;
    } else {
    QFile::remove(path);

    std::printf("Building a year of history: %d lifts x %d day tables x %d calls, %d faults per lift...\n", kLifts, kDays,
                kCallsPerDay, kFaultsPerLift);
    std::fflush(stdout);
    QElapsedTimer build;
    build.start();
    if (!MakeSeededFile(path))
        return 1;
    {
        Station s;
        s.db.SetClock([] { return QDateTime(kToday.addDays(-(kDays - 1)), QTime(0, 0, 5)); });
        s.db.m_strAppFolder = folder;
        s.db.BuildDBPath();
        if (!s.db.m_pAdo->OpenDatabase(false, s.db.m_strDBPath)) {
            std::fprintf(stderr, "cannot open the new file\n");
            return 1;
        }
        s.store.ResetLiftRecords();
        for (int i = 0; i < kLifts; ++i) {
            strLiftInf& r = s.store.m_pLiftInf[i];
            r.nKind = 1;
            r.nMaxFloor = 20;
            r.nMinFloor = 1;
            r.strName = QStringLiteral("Lift %1").arg(i + 1);
        }
        s.db.SaveLiftSetup(s.store.m_pLiftInf);
    }
    if (!FillHistory(path))
        return 1;
    std::printf("  built in %.1f s\n\n", double(build.elapsed()) / 1000.0);
    if (argc > 1)
        QFile::copy(path, year);
    }

    // Open and load, as at start and login; the first run meets a cold cache of the engine.
    std::vector<double> opens, loads, totals;
    for (int run = 0; run < 5; ++run) {
        Station s;
        double o = 0, l = 0;
        if (!OpenAndLoad(s, folder, &o, &l)) {
            std::fprintf(stderr, "open or load failed: %s\n", qPrintable(boxes.texts().join(QLatin1Char('\n'))));
            return 1;
        }
        std::printf("  run %d: open %.1f ms, load texts and configuration %.1f ms (%lld UI texts)\n", run + 1, o, l,
                    qlonglong(s.texts.size()));
        opens.push_back(o);
        loads.push_back(l);
        totals.push_back(o + l);
    }

    Station s;
    double o = 0, l = 0;
    if (!OpenAndLoad(s, folder, &o, &l))
        return 1;
    QDateTime now(kToday, QTime(12, 0));
    s.db.SetClock([&now] { return now; });
    // The first save of each lift in a run reads its index; it is measured apart.
    std::vector<double> firstSaves, saves;
    for (int i = 0; i < kLifts; ++i) {
        s.store.m_pLiftPage[i].nPageCount = 3;
        QElapsedTimer t;
        t.start();
        s.db.SaveLiftRecords(&s.store.m_pLiftInf[i], &s.store.m_pLiftPage[i]);
        firstSaves.push_back(Ms(t));
    }
    for (int k = 0; k < 200; ++k) {
        const int i = k % kLifts;
        strLiftPage& p = s.store.m_pLiftPage[i];
        // Three new calls: a car call and two hall calls.
        p.nCarLamp[k % 3] = p.nCarLamp[k % 3] ^ (1 << (k % 8));
        p.nCarLampOld[k % 3] = p.nCarLamp[k % 3] & ~(1 << (k % 8));
        p.nHallLampLo[1] = 0x01 << (k % 8);
        p.nHallLampLoOld[1] = 0;
        p.nHallLampHi[2] = 0x02;
        p.nHallLampHiOld[2] = 0;
        QElapsedTimer t;
        t.start();
        s.db.SaveLiftRecords(&s.store.m_pLiftInf[i], &p);
        saves.push_back(Ms(t));
    }
    std::vector<double> quiet;
    for (int k = 0; k < 200; ++k) {
        QElapsedTimer t;
        t.start();
        s.db.SaveLiftRecords(&s.store.m_pLiftInf[k % kLifts], &s.store.m_pLiftPage[k % kLifts]);
        quiet.push_back(Ms(t));
    }
    // After midnight every lift opens a new day table and drops its oldest,
    // all in one refresh of the all-lifts page (one recording batch).
    now = QDateTime(kToday.addDays(1), QTime(0, 0, 30));
    // The day tables not opened by the first refresh follow with the next ones.
    std::vector<double> refreshes;
    do {
        QElapsedTimer t;
        t.start();
        {
            CRecordingBatch batch(&s.db);
            for (int i = 0; i < kLifts; ++i)
                s.db.SaveLiftFault(&s.store.m_pLiftInf[i], &s.store.m_pLiftFault[i]);
        }
        refreshes.push_back(Ms(t));
    } while (s.db.PendingWrites() > 0 && refreshes.size() < 100);
    const double midnightMs = refreshes.front();
    const double midnightMax = *std::max_element(refreshes.begin(), refreshes.end());
    const double midnightAll = std::accumulate(refreshes.begin(), refreshes.end(), 0.0);
    // The single-lift view saves one lift at a time: its first save of the day alone.
    now = QDateTime(kToday.addDays(2), QTime(0, 0, 30));
    std::vector<double> rollover;
    for (int i = 0; i < 8; ++i) {
        QElapsedTimer t;
        t.start();
        s.db.SaveLiftRecords(&s.store.m_pLiftInf[i], &s.store.m_pLiftPage[i]);
        rollover.push_back(Ms(t));
    }

    // Another connection holds the write lock while the all-lifts page
    // refreshes every 80 ms with a new fault on every lift: the refreshes keep
    // the rows and never wait for the lock; they write them once it goes.
    auto refreshWithNewFaults = [&](int k) {
        for (int i = 0; i < kLifts; ++i) {
            s.store.m_pLiftInf[i].nFaultCode = 1 + k % 2;
            s.store.m_pLiftFault[i].nFaultCode = 1 + k % 2;
        }
        QElapsedTimer t;
        t.start();
        {
            CRecordingBatch batch(&s.db);
            for (int i = 0; i < kLifts; ++i)
                s.db.SaveLiftFault(&s.store.m_pLiftInf[i], &s.store.m_pLiftFault[i]);
        }
        return Ms(t);
    };
    // The day tables of the rollover are all opened first.
    for (int k = 0; k == 0 || (k < 100 && s.db.PendingWrites() > 0); ++k)
        refreshWithNewFaults(k);
    std::vector<double> lockedRefreshes;
    int keptUnderLock = 0, refreshesAfterLock = 0;
    {
        sqlite3* other = OpenBare(path);
        sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int k = 0; k < 25; ++k) {
            lockedRefreshes.push_back(refreshWithNewFaults(k));
            QThread::msleep(80);
        }
        keptUnderLock = s.db.PendingFaults();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        while (s.db.PendingWrites() > 0 && refreshesAfterLock < 100) {
            refreshWithNewFaults(++refreshesAfterLock);
            QThread::msleep(80);
        }
    }

    std::vector<strLiftFaultStat> stats(kLifts);
    QElapsedTimer q;
    q.start();
    s.db.QueryFaultRecords(true, kToday.addDays(-30), kToday.addDays(1), stats.data());
    const double monthMs = Ms(q);
    long monthRows = 0;
    for (const auto& st : stats)
        monthRows += st.nErrTotal;
    // Ours and the bare API alternately (ours, bare, bare, ours, ...): whichever
    // runs second after the other meets a different cache and load, so each
    // goes first as often as second.
    std::vector<double> ours, bare;
    long allRows = 0, bareRows = 0;
    {
        sqlite3* bareDb = OpenBare(path);
        std::vector<strLiftFaultStat> bareStats(kLifts);
        for (int run = 0; run < 2 * kQueryRuns; ++run) {
            if ((run % 4 == 0) || (run % 4 == 3)) {
                q.restart();
                s.db.QueryFaultRecords(false, QDate(), QDate(), stats.data());
                ours.push_back(Ms(q));
                allRows = 0;
                for (const auto& st : stats)
                    allRows += st.nErrTotal;
            } else {
                bare.push_back(BareAllRows(bareDb, bareStats.data(), &bareRows));
            }
        }
        sqlite3_close(bareDb);
    }
    const double allMs = Median(ours), bareMs = Median(bare);
    s.db.m_pAdo->CloseConnection();
    const double sizeMb = double(QFileInfo(path).size()) / 1048576.0;

    // After a killed run the log is left beside the file and the open checks every page.
    double uncleanOpen = 0, uncleanLoad = 0;
    {
        QFile log(path + QStringLiteral("-wal"));
        log.open(QIODevice::WriteOnly);
        log.close();
        Station u;
        if (!OpenAndLoad(u, folder, &uncleanOpen, &uncleanLoad))
            return 1;
    }
    // Compaction with the reopening and the password statement.
    double compactMs = 0, walMb = 0;
    QString compacted;
    {
        Station c;
        double co = 0, cl = 0;
        if (!OpenAndLoad(c, folder, &co, &cl))
            return 1;
        QElapsedTimer t;
        t.start();
        compacted = c.db.CompactDatabase();
        compactMs = Ms(t);
        walMb = double(QFileInfo(path + QStringLiteral("-wal")).size()) / 1048576.0;
    }

    std::printf("\nopen + load all texts:  median %.1f ms (open %.1f ms, load %.1f ms); target < 500 ms\n",
                Median(totals), Median(opens), Median(loads));
    std::printf("recording save, 3 new calls: median %.2f ms, max %.2f ms; target < 5 ms\n", Median(saves),
                *std::max_element(saves.begin(), saves.end()));
    std::printf("recording save, nothing new: median %.3f ms\n", Median(quiet));
    std::printf("first save of a lift in a run (reads its index): median %.2f ms\n", Median(firstSaves));
    std::printf("first save after midnight, 64 lifts in one refresh (new day tables, oldest dropped): %.1f ms; target < 100 ms\n"
                "  all 64 day tables opened after %zu refreshes: at most %.1f ms a refresh, %.1f ms in all\n",
                midnightMs, refreshes.size(), midnightMax, midnightAll);
    std::printf("first save after midnight, one lift alone: median %.2f ms\n", Median(rollover));
    std::printf("all-lifts refresh with 64 new faults while another connection holds the write lock: median %.2f ms, max %.2f ms\n"
                "  over %zu refreshes 80 ms apart (target 100 ms); %d faults kept, all written %d refreshes after the lock went\n",
                Median(lockedRefreshes), *std::max_element(lockedRefreshes.begin(), lockedRefreshes.end()),
                lockedRefreshes.size(), keptUnderLock, refreshesAfterLock);
    std::printf("fault query, all lifts, one month: %.1f ms (%ld rows)\n", monthMs, monthRows);
    std::printf("fault query, all lifts, all rows:  median %.1f ms of %d runs (%ld rows); target < 1000 ms\n", allMs,
                kQueryRuns, allRows);
    std::printf("  the same through the bare engine API: median %.1f ms of %d runs (%ld rows), run alternately with ours\n",
                bareMs, kQueryRuns, bareRows);
    std::printf("  ours / bare (ratio of medians) = %.2f; target <= 1.2\n", bareMs > 0 ? allMs / bareMs : 0.0);
    std::printf("  runs, ours:");
    for (double v : ours)
        std::printf(" %.0f", v);
    std::printf(" ms; bare:");
    for (double v : bare)
        std::printf(" %.0f", v);
    std::printf(" ms\n");
    std::printf("file size: %.1f MB\n", sizeMb);
    std::printf("open after a killed run (every page checked): %.1f ms\n", uncleanOpen);
    std::printf("compaction with reopening: %.1f s (%s), log left beside it %.1f MB\n", compactMs / 1000.0,
                qPrintable(compacted), walMb);
    if (boxes.count())
        std::printf("messages shown: %s\n", qPrintable(boxes.texts().join(QLatin1String(" | "))));
    return 0;
}
