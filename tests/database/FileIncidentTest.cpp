// What the operator is told around the file's incidents, and how the
// connection comes back after a compaction another program stood beside.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>


#include <sqlite3.h>

#include "DbTestSupport.h"
#include "FrozenFolder.h"
#include "LogTruncateFault.h"

namespace {

using Program = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

class FileIncidentTest : public DbTest {
protected:
    // Another program on the file, having run sql.
    Program Other(const char* sql)
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, (QByteArray("PRAGMA key = '") + kDbPassword + "';" + sql).constData(), nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        return Program(db, sqlite3_close);
    }
    QStringList Faults() { return Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")); }
    QString Boxes() const { return m_boxes.texts().join(QLatin1Char('\n')); }
};

} // namespace

TEST_F(FileIncidentTest, ALiftDeletionBesideAnotherProgramsWriteLockIsOneBoxSayingTheLiftStays)
{
    SetUpLift(7, 10, QStringLiteral("Seven"));
    const QStringList before = Column(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name"));
    {
        auto writer = Other("BEGIN IMMEDIATE;");
        EXPECT_FALSE(m_db.DeleteLift(&Lift(7), nullptr));
        ASSERT_EQ(m_boxes.count(), 1) << Boxes().toStdString();
        EXPECT_TRUE(Boxes().contains(QStringLiteral("电梯 7 没有删除")) && Boxes().contains(QStringLiteral("数据库被另一个程序锁定")))
            << Boxes().toStdString();
        ExpectBoxes(1);
    }
    EXPECT_EQ(Column(QStringLiteral("SELECT name FROM sqlite_master ORDER BY name")), before);
    EXPECT_EQ(Lift(7).nKind, 1);
}

TEST_F(FileIncidentTest, BoxesNameTheFileConcernedAndGiveTheRealReasonInTheStationsLanguage)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    // A refused start is told in the station's language.
    {
        CAdoConnection conn;
        EXPECT_FALSE(conn.OpenDatabase(false, m_dir.filePath(QStringLiteral("missing.mdb"))));
        EXPECT_TRUE(Boxes().contains(QStringLiteral("无法打开数据库")) && Boxes().contains(QStringLiteral("文件不存在")))
            << Boxes().toStdString();
        ExpectBoxes(1);
    }
    // The saved copy the station records into is replaced: the box names the copy.
    ASSERT_TRUE(MakeOtherFile());
    ASSERT_TRUE(PutOtherAtPath());
    RaiseFault(1, 12);
    const QString copy = m_db.m_pAdo->DataFile();
    ASSERT_NE(copy, m_path);
    ExpectBoxes(1);
    ASSERT_TRUE(MakeOtherFile());
    ASSERT_EQ(std::rename(QFile::encodeName(OtherFile()).constData(), QFile::encodeName(copy).constData()), 0);
    RaiseFault(1, 13);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(Boxes().startsWith(QStringLiteral("数据库文件 %1 在运行中被另一个文件替换").arg(copy))) << Boxes().toStdString();
    EXPECT_TRUE(Boxes().contains(m_db.m_pAdo->DataFile()) && m_db.m_pAdo->DataFile() != copy);
    ExpectBoxes(1);
    m_db.CloseDatabase();
    ExpectBoxes(1);
    QFile::remove(m_path);
    ASSERT_TRUE(QFile::rename(m_db.m_pAdo->DataFile(), m_path));

    // The folder is moved away while the station runs: every row is in the
    // moved file, and the boxes say where, not that the database is lost.
    OpenDb();
    RaiseFault(1, 14);
    const QString folder = QFileInfo(m_path).path();
    const QString moved = folder + QStringLiteral("-moved");
    ASSERT_TRUE(QDir().rename(folder, moved));
    RaiseFault(1, 15);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(Boxes().contains(moved + QStringLiteral("/DBServer.mdb")) && !Boxes().contains(QStringLiteral("丢失")))
        << Boxes().toStdString();
    ExpectBoxes(1);
    m_db.CloseDatabase();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(Boxes().contains(moved + QStringLiteral("/DBServer.mdb")) && !Boxes().contains(QStringLiteral("丢失")))
        << Boxes().toStdString();
    ExpectBoxes(1);
    ASSERT_TRUE(QDir().rename(moved, folder));
    OpenDb();
    EXPECT_EQ(Faults(), QStringList({"11", "12", "13", "14", "15"}));

    // A folder the station may not write: the permission, not "cannot open".
    CloseDb();
    if (FrozenFolder frozen(folder); frozen.IsOn()) {
        CAdoConnection conn;
        EXPECT_FALSE(conn.OpenDatabase(false, m_path));
        frozen.Thaw();
        EXPECT_TRUE(Boxes().contains(QStringLiteral("没有访问权限")) && Boxes().contains(folder)) << Boxes().toStdString();
        EXPECT_FALSE(Boxes().contains(QStringLiteral("无法打开数据库文件")));
        ExpectBoxes(1);
    }
    OpenDb();
    // A compaction whose temporary name is taken says which name, in the station's language.
    const QString temp = CAdoConnection::CompactTempName(m_path);
    ASSERT_TRUE(QDir().mkdir(temp));
    QString why;
    EXPECT_EQ(m_db.CompactDatabase(&why), QString());
    EXPECT_TRUE(why.contains(temp + QStringLiteral(" 无法删除"))) << why.toStdString();
    ASSERT_TRUE(QDir().rmdir(temp));
}

TEST_F(FileIncidentTest, ACompactionOnAFullDiskGivesTheFullDiskAsItsReason)
{
    std::string skip;
    const auto disk = MoveOntoSmallDisk("size=4m", &skip);
    if (!disk)
        GTEST_SKIP() << skip;
    ASSERT_NO_FATAL_FAILURE(Grow(1500));
    CloseDb();
    OpenDb();
    QFile filler(QFileInfo(m_path).path() + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    filler.close();
    ASSERT_TRUE(filler.resize(filler.size() - 64 * 1024));  // room for the log, not for a copy

    QString why;
    EXPECT_EQ(m_db.CompactDatabase(&why), QString());
    EXPECT_TRUE(why.contains(QStringLiteral("数据库或磁盘已满"))) << why.toStdString();
    EXPECT_FALSE(why.contains(QLatin1String("not an error")));
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(m_path)));
    CloseDb();
}

TEST_F(FileIncidentTest, AfterACompactionBesideAnotherProgramTheFileOpensSharedAndTheRecordingStartsOnceItIsOpen)
{
    SetUpLift(1, 8);
    m_db.m_pAdo->m_nLanguageKind = 1;
    // Reopened alone where it can, shared where another program reads.
    CloseDb();
    {
        auto reader = Other("BEGIN; SELECT count(*) FROM KALOR_SoftInf;");
        EXPECT_TRUE(m_db.m_pAdo->Reopen(true));
        EXPECT_FALSE(m_db.m_pAdo->IsExclusive());
    }
    EXPECT_EQ(Count(QStringLiteral("KALOR_SoftInf")), 1);

    // Another program holds the file alone through the compaction: the lift's
    // recording is not set up against a file that is not open, and starts
    // once the file opens again.
    Page(1).nPageCount = 1;
    CloseDb();
    {
        auto holder = Other("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;");
        EXPECT_EQ(m_db.CompactDatabase(), QString());
        ASSERT_TRUE(m_db.m_pAdo->ReopenPending());
        ExpectBoxes(1);  // cannot be opened yet
        Page(1).nCarLamp[0] = 1;
        m_db.SaveLiftRecords(&Lift(1), &Page(1));
        EXPECT_EQ(Lift(1).bRecInit, 0);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_db.m_pAdo->IsOpen(); }, 4 * CAdoConnection::kFileWatchMs));
    m_db.SaveLiftRecords(&Lift(1), &Page(1));
    Page(1).nCarLamp[0] = 1 | 4;
    Page(1).nCarLampOld[0] = 1;
    m_db.SaveLiftRecords(&Lift(1), &Page(1));
    EXPECT_EQ(Column(QStringLiteral("SELECT CallNum FROM KALOR_LiftData_1_1 ORDER BY rowid")).value(-1 + Count(QStringLiteral("KALOR_LiftData_1_1"))),
              QStringLiteral("3"));
    ExpectBoxes(0);
}

TEST_F(FileIncidentTest, AReadOnlyRefusalIsToldInTheStationsLanguage)
{
    ASSERT_TRUE(Exec(QStringLiteral("PRAGMA query_only = 1")));
    EXPECT_FALSE(Exec(QStringLiteral("UPDATE KALOR_SoftInf SET LanguageKind = LanguageKind")));
    ASSERT_EQ(m_boxes.count(), 2);
    EXPECT_TRUE(m_boxes.texts()[0].contains(QStringLiteral("数据库为只读，无法写入")) && m_boxes.texts()[1].contains(QStringLiteral("数据库为只读，无法写入")))
        << Boxes().toStdString();
    EXPECT_FALSE(Boxes().contains(QLatin1String("readonly")));
    ExpectBoxes(2);
}

TEST_F(FileIncidentTest, ACompactionWhoseLogCannotBeEmptiedIsRefusedAndLeavesTheFileInUse)
{
    SetUpLift(1, 8);
    RaiseFault(1, 11);
    CloseDb();
    // From here every connection opens through the layer: the old file's log
    // could not be emptied before the compacted file took its place.
    LogTruncateFault fault;
    ASSERT_TRUE(fault.IsInstalled());
    OpenDb();
    QString why;
    EXPECT_EQ(m_db.CompactDatabase(&why), QString());
    EXPECT_GT(LogTruncateFault::Refused(), 0);
    EXPECT_TRUE(why.contains(QStringLiteral("磁盘读写错误")) && why.contains(QStringLiteral("未改动"))) << why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(CAdoConnection::CompactTempName(m_path)));
    EXPECT_TRUE(m_db.m_pAdo->IsOpen());
    RaiseFault(1, 12);
    EXPECT_EQ(Faults(), QStringList({"11", "12"}));
    CloseDb();
}
