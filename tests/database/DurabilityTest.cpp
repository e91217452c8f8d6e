// What survives outside the station: a killed recorder and a foreign reader.
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include "DbTestSupport.h"
#include "link/LiftDataStore.h"

namespace {

// Writer of the killed process: one new car call a save, each save reported
// through the pipe once it has returned (and so is committed).
[[noreturn]] void RecordUntilKilled(const QString& folder, const QDateTime& now, int fd)
{
    CDBServer db;
    db.m_strAppFolder = folder;
    db.SetClock([now] { return now; });
    db.m_pAdo->InitConnection();
    db.BuildDBPath();
    if (!db.m_pAdo->OpenDatabase(false, db.m_strDBPath))
        _exit(3);
    CLiftDataStore store;
    store.ResetLiftRecords();
    store.ResetLiftPages();
    strLiftInf& lift = store.m_pLiftInf[0];
    strLiftPage& page = store.m_pLiftPage[0];
    lift.nKind = 1;
    page.nPageCount = 7;
    for (int k = 0;; ++k) {
        const int w = k % 7, bit = (k / 7) % 8;
        page.nCarLamp[w] = 1 << bit;
        page.nCarLampOld[w] = 0;
        db.SaveLiftRecords(&lift, &page);
        const int rows = k + 1;
        if (write(fd, &rows, sizeof rows) != sizeof rows)
            _exit(4);
    }
}

int ExpectedFloor(int k) { return 8 * (k % 7) + (k / 7) % 8 + 1; }

} // namespace

TEST_F(DbTest, KilledRecorderLeavesASoundFileWithEveryCommittedRow)
{
    SetUpLift(1, 56);
    CloseDb();

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        RecordUntilKilled(m_dir.path(), m_now, fds[1]);
    }
    close(fds[1]);
    int reported = 0, value = 0;
    while (reported < 400 && read(fds[0], &value, sizeof value) == sizeof value)
        reported = value;
    ASSERT_EQ(reported, 400) << "the recorder stopped early";
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    while (read(fds[0], &value, sizeof value) == sizeof value)
        reported = value;
    close(fds[0]);

    m_boxes.clear();
    OpenDb();  // checks the file's integrity on the way
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();
    const QStringList floors = Column(QStringLiteral("SELECT CallNum FROM KALOR_LiftData_1_1 ORDER BY rowid"),
                                      QStringLiteral("CallNum"));
    // Every reported row is there; at most the one save in flight is extra.
    EXPECT_GE(floors.size(), reported);
    EXPECT_LE(floors.size(), reported + 1);
    for (int k = 0; k < floors.size(); ++k)
        ASSERT_EQ(floors[k].toInt(), ExpectedFloor(k)) << "row " << k;
}

TEST_F(DbTest, PlainSqliteClientCannotReadTheFile)
{
    CloseDb();
    QFile f(m_path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(4096);
    EXPECT_NE(head.left(15), QByteArray("SQLite format 3"));
    EXPECT_FALSE(head.contains("KALOR_"));

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    EXPECT_EQ(rc, SQLITE_NOTADB);
    EXPECT_NE(std::string(sqlite3_errmsg(db)).find("not a database"), std::string::npos) << sqlite3_errmsg(db);
    sqlite3_close(db);
}
