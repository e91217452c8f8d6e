// The file itself: its size, compaction through the database object, and a
// file removed while the station runs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cstdio>
#include <memory>

#include <sqlite3.h>

#include "DbTestSupport.h"

TEST_F(DbTest, CompactionKeepsTheRowsAndReopensExclusivelyWhetherOrNotItSucceeded)
{
    // Failed: the temporary name is taken by something that cannot be removed.
    // The file is left as it was.
    ASSERT_TRUE(QDir().mkdir(CAdoConnection::CompactTempName(m_path)));
    CloseDb();
    const QByteArray original = FileBytes(m_path);
    EXPECT_EQ(m_db.CompactDatabase(), QString());
    EXPECT_EQ(FileBytes(m_path), original);
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    ASSERT_TRUE(QDir().rmdir(CAdoConnection::CompactTempName(m_path)));

    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE t AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                                    " WHERE i < 20000) SELECT i AS a, printf('%0100d', i) AS b FROM n")));
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM t WHERE a > 100")));
    const qint64 before = QFileInfo(m_path).size();
    const QString size = m_db.CompactDatabase();
    const qint64 after = QFileInfo(m_path).size();
    EXPECT_LT(after * 10, before);
    // The compaction's text has two decimals, the size text one.
    EXPECT_EQ(size, QString::asprintf("%.2fMB", double(after) / 1048576.0));
    ASSERT_TRUE(QFile::resize(m_path, 5242880));
    EXPECT_EQ(m_db.GetDBSizeText(), QStringLiteral("5.0MB"));
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(m_path)));
    EXPECT_EQ(m_db.m_strDBPath, m_path);
    // The copy was keyed already: no rekey rewrote the whole file into the log.
    EXPECT_LT(QFileInfo(m_path + QStringLiteral("-wal")).size(), after / 4);

    EXPECT_EQ(Column(QStringLiteral("SELECT count(*) || '/' || max(b) FROM t")), QStringList{"100/" + QString::asprintf("%0100d", 100)});
    int limit = 0;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 0);
    // The reopened connection holds the file alone; the file still wants the password.
    CAdoConnection other;
    EXPECT_FALSE(other.OpenDatabase(false, m_path));
    ExpectBoxes(1);
    CloseDb();
    EXPECT_NE(FileBytes(m_path).left(15), QByteArray("SQLite format 3"));
    EXPECT_TRUE(other.OpenDatabase(false, m_path));
}

TEST_F(DbTest, DatabaseRemovedWhileRunningIsWrittenBackWithEveryRowAtTheNextStatementWhileIdleAndAtTheClose)
{
    SetUpLift(1, 8);
    auto toldOnce = [&](bool bModal) {
        EXPECT_TRUE(QFileInfo::exists(m_path));
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("removed"))) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(m_boxes.modalCount(), bModal ? 1 : 0);
        ExpectBoxes(1);
    };
    RaiseFault(1, 11);
    m_db.m_pAdo->m_nLanguageKind = 2;  // told in the language in force
    // The next statement finds it gone.
    ASSERT_TRUE(QFile::remove(m_path));
    RaiseFault(1, 12);
    RaiseFault(1, 13);
    toldOnce(false);
    // An idle station: no statement runs, the connection's own look finds it.
    ASSERT_TRUE(QFile::remove(m_path));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(m_path); }, 4 * CAdoConnection::kFileWatchMs));
    toldOnce(false);
    // Removed just before the close: written back by the close, with a box
    // that waits, as the station is about to go.
    ASSERT_TRUE(QFile::remove(m_path));
    CloseDb();
    toldOnce(true);

    // A new start finds every row, also those written after the removal.
    OpenDb();
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")), QStringList({"11", "12", "13"}));
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_FloorName")));
}

TEST_F(DbTest, CompactionBesideAnotherProgramNeverLeavesTheStationWithoutItsDatabase)
{
    SetUpLift(1, 8);
    auto other = [&](const char* sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "';" + sql).constData(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        return std::unique_ptr<sqlite3, int (*)(sqlite3*)>(db, sqlite3_close);
    };
    RaiseFault(1, 11);
    m_db.m_nLanguageKind = m_db.m_pAdo->m_nLanguageKind = 1;

    // Another program reads through the compaction and the reopening: the
    // compaction cannot have the file, the connection stays as it was.
    {
        auto reader = other("BEGIN; SELECT count(*) FROM KALOR_SoftInf;");
        QString why;
        EXPECT_EQ(m_db.CompactDatabase(&why), QString());
        EXPECT_TRUE(why.contains(QStringLiteral("数据库被另一个程序锁定")) && why.contains(QStringLiteral("未改动"))) << why.toStdString();
        EXPECT_FALSE(why.contains(QLatin1String("locked")));
        ASSERT_TRUE(m_db.m_pAdo->IsOpen());
        RaiseFault(1, 12);
        EXPECT_EQ(m_db.PendingFaults(), 0);
    }

    // Another program holds the file alone: not even the reopening has it.
    // The rows wait, the operator is told once, and the file is opened again
    // as soon as the other program has gone.
    CloseDb();
    {
        auto holder = other("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;");
        EXPECT_EQ(m_db.CompactDatabase(), QString());
        EXPECT_FALSE(m_db.m_pAdo->IsOpen());
        RaiseFault(1, 13);
        RaiseFault(1, 14);
        EXPECT_EQ(m_db.PendingFaults(), 2);
        ASSERT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts()[0].contains(QStringLiteral("数据库被另一个程序锁定")) && m_boxes.modalCount() == 0)
            << m_boxes.texts()[0].toStdString();
        ExpectBoxes(1);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_db.m_pAdo->IsOpen(); }, 4 * CAdoConnection::kFileWatchMs));
    RaiseFault(1, 15);
    EXPECT_EQ(m_db.PendingFaults(), 0);
    // The same compaction, now that it has the file, holds it alone.
    EXPECT_NE(m_db.CompactDatabase(), QString());
    EXPECT_TRUE(m_db.m_pAdo->IsExclusive());
    RaiseFault(1, 16);
    m_db.CloseDatabase();
    OpenDb();
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")),
              QStringList({"11", "12", "13", "14", "15", "16"}));
}

TEST_F(DbTest, EverySavedCopyKeepsANameOfItsOwnAndIsNamedWhenSavedAndAtExit)
{
    SetUpLift(1, 8);
    // Another station's file is put in the place of the open one, twice in
    // the same second: each incident saves the open database beside it under
    // a name of its own, and no saved copy is ever touched again.
    auto replace = [&] {
        EXPECT_TRUE(MakeOtherFile());
        EXPECT_TRUE(PutOtherAtPath());
    };
    const QString first = m_path + QStringLiteral("-restore-20240310-100000");
    const QString second = first + QStringLiteral("-2");
    auto toldAt = [&](const QString& copy, const char* when) {
        for (const QString& text : m_boxes.texts())
            EXPECT_TRUE(text.contains(copy) && text.contains(QLatin1String(when))) << text.toStdString();
    };
    RaiseFault(1, 11);
    m_db.m_pAdo->m_nLanguageKind = m_db.m_nLanguageKind = 2;
    replace();
    RaiseFault(1, 12);
    EXPECT_TRUE(QFileInfo::exists(first));
    toldAt(first, "replaced by another file");
    EXPECT_EQ(m_boxes.modalCount(), 0);
    ExpectBoxes(1);
    RaiseFault(1, 13);
    m_db.CloseDatabase();
    toldAt(first, "The next start opens");
    ExpectBoxes(1);
    const QByteArray saved = FileBytes(first);

    OpenDb();
    replace();
    EXPECT_EQ(Count(QStringLiteral("KALOR_SoftInf")), 0);
    toldAt(second, "replaced by another file");
    ExpectBoxes(1);
    m_db.CloseDatabase();
    toldAt(second, "The next start opens");
    ExpectBoxes(1);
    EXPECT_EQ(FileBytes(first), saved);
    EXPECT_TRUE(QFileInfo::exists(second));

    // The first copy holds every row of its run.
    CAdoConnection copy;
    ASSERT_TRUE(copy.OpenDatabase(false, first));
    auto rs = copy.GetRecordSet(QStringLiteral("SELECT group_concat(ErrCount) FROM KALOR_LiftData_1_Err"));
    EXPECT_EQ(rs ? (rs->MoveFirst(), rs->GetText(0)) : QString(), QStringLiteral("11,12,13"));
}

TEST_F(DbTest, AWriteBackThatFailsSaysTheWholeDatabaseIsLostWithItsReasonInTheLanguageInForce)
{
    SetUpLift(1, 8);
    // The folder of the file goes, and a plain file takes its name: nothing
    // can be saved there.
    const QString folder = QFileInfo(m_path).path();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(WriteFile(folder, "not a folder"));
    RaiseFault(1, 12);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.modalCount(), 0);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QStringLiteral("暂时无法保存：文件夹不存在"))) << m_boxes.texts()[0].toStdString();
    ExpectBoxes(1);
    m_db.CloseDatabase();
    ASSERT_EQ(m_boxes.count(), 1);
    const QString text = m_boxes.texts()[0];
    EXPECT_TRUE(text.contains(QStringLiteral("无法保存：文件夹不存在")) && text.contains(QStringLiteral("整个数据库已丢失"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String("directory")));
    ExpectBoxes(1);
}
