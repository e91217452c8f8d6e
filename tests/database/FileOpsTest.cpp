// The file itself: its size, compaction through the database object, and a
// file removed while the station runs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "DbTestSupport.h"

TEST_F(DbTest, SizeTextHasOneDecimal)
{
    m_db.m_strDBPath = m_dir.filePath(QStringLiteral("sized.bin"));
    for (const auto& [bytes, text] : {std::pair{5242880, "5.0MB"}, std::pair{1572864 + 52429, "1.6MB"}}) {
        ASSERT_TRUE(WriteFile(m_db.m_strDBPath, QByteArray(bytes, 'x')));
        EXPECT_EQ(m_db.GetDBSizeText(), QLatin1String(text));
    }
    m_db.m_strDBPath = m_dir.filePath(QStringLiteral("none"));
    EXPECT_EQ(m_db.GetDBSizeText(), QString());
}

TEST_F(DbTest, CompactionKeepsEveryObjectAndReopensExclusivelyWhetherOrNotItSucceeded)
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

    // Besides tables, whatever else a file may hold comes along.
    for (const char* sql :
         {"CREATE TABLE t AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
          " SELECT i AS a, printf('%0100d', i) AS b FROM n",
          "DELETE FROM t WHERE a > 100", "CREATE TABLE \"odd \"\"name\" (x)", "INSERT INTO \"odd \"\"name\" VALUES ('kept')",
          "CREATE TABLE seq (id INTEGER PRIMARY KEY AUTOINCREMENT, v)", "INSERT INTO seq (v) VALUES (1), (2)", "DELETE FROM seq",
          "CREATE UNIQUE INDEX t_a ON t (a)", "CREATE VIEW big AS SELECT a FROM t WHERE a > 50",
          "CREATE TRIGGER t_log AFTER DELETE ON t BEGIN INSERT INTO seq (v) VALUES (OLD.a); END", "PRAGMA user_version = 7"})
        ASSERT_TRUE(Exec(QLatin1String(sql))) << sql;
    const qint64 before = QFileInfo(m_path).size();
    const QString size = m_db.CompactDatabase();
    const qint64 after = QFileInfo(m_path).size();
    EXPECT_LT(after * 10, before);
    EXPECT_EQ(size, QString::asprintf("%.2fMB", double(after) / 1048576.0));
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(m_path)));
    EXPECT_EQ(m_db.m_strDBPath, m_path);
    // The copy was keyed already: no rekey rewrote the whole file into the log.
    EXPECT_LT(QFileInfo(m_path + QStringLiteral("-wal")).size(), after / 4);

    EXPECT_EQ(Column(QStringLiteral("SELECT count(*) || '/' || max(b) FROM t")), QStringList{"100/" + QString::asprintf("%0100d", 100)});
    EXPECT_EQ(Column(QStringLiteral("SELECT (SELECT x FROM \"odd \"\"name\") || (SELECT count(*) FROM big)"
                                    " || (SELECT count(*) FROM sqlite_master WHERE name = 't_a')")),
              QStringList{QStringLiteral("kept501")});
    int limit = 0;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 0);
    EXPECT_FALSE(Exec(QStringLiteral("INSERT INTO t VALUES (1, 'dup')")));  // the unique index is there
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM t WHERE a = 1")));       // so is the trigger
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO seq (v) VALUES (0)")));  // and the numbering goes on after 2
    EXPECT_EQ(Column(QStringLiteral("SELECT group_concat(id || ':' || v) FROM seq")), QStringList{QStringLiteral("3:1,4:0")});
    EXPECT_EQ(Column(QStringLiteral("PRAGMA user_version")), QStringList{QStringLiteral("7")});

    // The reopened connection holds the file alone; the file still wants the password.
    CAdoConnection other;
    EXPECT_FALSE(other.OpenDatabase(false, m_path));
    ExpectBoxes(3);  // the refused duplicate's two, the refused open's one
    CloseDb();
    EXPECT_NE(FileBytes(m_path).left(15), QByteArray("SQLite format 3"));
    EXPECT_TRUE(other.OpenDatabase(false, m_path));
}

TEST_F(DbTest, DatabaseRemovedWhileRunningIsWrittenBackWithEveryRow)
{
    SetUpLift(1, 8);
    auto fault = [&](int code) {
        Lift(1).nFaultCode = code;
        Fault(1).nFaultCode = code;
        m_db.SaveLiftFault(&Lift(1), &Fault(1));
    };
    fault(11);
    ASSERT_TRUE(QFile::remove(m_path));
    fault(12);
    fault(13);
    EXPECT_TRUE(QFileInfo::exists(m_path));
    EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("removed")));
    EXPECT_EQ(m_boxes.modalCount(), 0);
    ExpectBoxes(1);

    // A new start finds every row, also those written after the removal.
    CloseDb();
    OpenDb();
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")), QStringList({"11", "12", "13"}));
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_FloorName")));
}
