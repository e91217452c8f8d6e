// The file itself: its size, compaction through the database object, and a
// file removed while the station runs.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

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
    auto fault = [&](int code) {
        Lift(1).nFaultCode = code;
        Fault(1).nFaultCode = code;
        m_db.SaveLiftFault(&Lift(1), &Fault(1));
    };
    auto toldOnce = [&](bool bModal) {
        EXPECT_TRUE(QFileInfo::exists(m_path));
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("removed"))) << m_boxes.texts().value(0).toStdString();
        EXPECT_EQ(m_boxes.modalCount(), bModal ? 1 : 0);
        ExpectBoxes(1);
    };
    fault(11);
    m_db.m_pAdo->m_nLanguageKind = 2;  // told in the language in force
    // The next statement finds it gone.
    ASSERT_TRUE(QFile::remove(m_path));
    fault(12);
    fault(13);
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
