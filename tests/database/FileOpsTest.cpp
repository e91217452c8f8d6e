// Where the file lives, its size, compaction through the database object.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "DbTestSupport.h"
#include "link/LiftDataStore.h"

TEST(DBServerPath, DatabaseLivesBesideTheExecutable)
{
    CDBServer db;
    db.BuildDBPath();
    EXPECT_EQ(db.m_strDBPath, QCoreApplication::applicationDirPath() + QStringLiteral("/SoftResoure/DB/DBServer.mdb"));
    db.m_strAppFolder = QStringLiteral("/a/b/");
    db.BuildDBPath();
    EXPECT_EQ(db.m_strDBPath, QStringLiteral("/a/b/SoftResoure/DB/DBServer.mdb"));
}

TEST_F(DbTest, SizeTextHasOneDecimal)
{
    const QString sized = m_dir.filePath(QStringLiteral("sized.bin"));
    QFile f(sized);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(5242880));
    f.close();
    m_db.m_strDBPath = sized;
    EXPECT_EQ(m_db.GetDBSizeText(), QStringLiteral("5.0MB"));
    ASSERT_TRUE(QFile::resize(sized, 1572864 + 52429));
    EXPECT_EQ(m_db.GetDBSizeText(), QStringLiteral("1.6MB"));
    m_db.m_strDBPath = m_dir.filePath(QStringLiteral("none"));
    EXPECT_EQ(m_db.GetDBSizeText(), QString());
}

TEST_F(DbTest, CompactionReopensExclusivelyWithThePassword)
{
    SetUpLift(1, 8);
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE filler (x text)")));
    ASSERT_TRUE(Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
                                    " INSERT INTO filler SELECT printf('%0200d', i) FROM n")));
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE filler")));
    const qint64 before = QFileInfo(m_path).size();

    const QString size = m_db.CompactDatabase();
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d+\.\d\dMB$)")).match(size).hasMatch()) << size.toStdString();
    EXPECT_LT(QFileInfo(m_path).size(), before);
    EXPECT_EQ(m_db.m_strDBPath, m_path);
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();
    // The copy was keyed already: no rekey rewrote the whole file into the log.
    EXPECT_LT(QFileInfo(m_path + QStringLiteral("-wal")).size(), QFileInfo(m_path).size() / 4);

    // The next operations work on the reopened connection, which holds the file alone.
    int limit = 0;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 0);
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_FloorName")));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(other, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr);
    EXPECT_EQ(sqlite3_exec(other, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr), SQLITE_BUSY);
    sqlite3_close(other);

    // And the file still wants the password.
    CloseDb();
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &other, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr), SQLITE_NOTADB);
    sqlite3_close(other);
}

TEST_F(DbTest, DatabaseRemovedWhileRunningIsWrittenBackWithEveryRow)
{
    SetUpLift(1, 8);
    CLiftDataStore store;
    store.ResetLiftRecords();
    strLiftInf& lift = store.m_pLiftInf[0];
    lift.nLiftNum = 1;
    auto fault = [&](int code) {
        lift.nFaultCode = code;
        store.m_pLiftFault[0].nFaultCode = code;
        m_db.SaveLiftFault(&lift, &store.m_pLiftFault[0]);
    };
    fault(11);
    ASSERT_TRUE(QFile::remove(m_path));
    fault(12);
    fault(13);
    EXPECT_TRUE(QFileInfo::exists(m_path));
    ASSERT_EQ(m_boxes.count(), 1) << m_boxes.texts().join('\n').toStdString();
    EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String("removed")));
    EXPECT_EQ(m_boxes.modalCount(), 0);

    // A new start finds every row, also those written after the removal.
    CloseDb();
    OpenDb();
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid"), QStringLiteral("ErrCount")),
              QStringList({"11", "12", "13"}));
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_FloorName")));
}

TEST_F(DbTest, FailedCompactionStillReopensTheFileExclusively)
{
    ASSERT_TRUE(QDir().mkdir(CAdoConnection::CompactTempName(m_path)));
    EXPECT_EQ(m_db.CompactDatabase(), QString());
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();
    int limit = 0;
    EXPECT_EQ(m_db.CheckLogin(QStringLiteral("admin"), QStringLiteral("1234"), &limit), 0);
}
