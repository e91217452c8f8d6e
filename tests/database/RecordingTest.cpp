// Day tables and the recording of calls and faults.
#include <QFile>
#include <QFileInfo>


#include <sqlite3.h>

#include "DbTestSupport.h"
#include "database/RecordingBatch.h"

namespace {

class RecordingTest : public DbTest {
protected:
    void Save(int n) { m_db.SaveLiftRecords(&Lift(n), &Page(n)); }
    // Lights a car call the recorder has not seen yet.
    void NewCarCall(int n, int floor)
    {
        const int w = (floor - 1) / 8, bit = (floor - 1) % 8;
        Page(n).nCarLamp[w] = Page(n).nCarLamp[w] | (1 << bit);
        Page(n).nCarLampOld[w] = Page(n).nCarLampOld[w] & ~(1 << bit);
    }
    QStringList Calls(int n, int table)
    {
        return Column(QStringLiteral("SELECT CallSign || ':' || CallNum FROM KALOR_LiftData_%1_%2 ORDER BY rowid").arg(n).arg(table));
    }
    QStringList Index(int n)
    {
        return Column(QStringLiteral("SELECT CountNum || '|' || substr(RecDate, 1, 10) || '|' || TabName"
                                     " FROM KALOR_LiftData_%1 ORDER BY CountNum").arg(n));
    }
};

} // namespace

TEST_F(RecordingTest, EachNewlyLitLampGivesOneRowOnEveryPageOfTheLamps)
{
    // Above 64 floors: a page count beyond the lamp pages reads all eight.
    SetUpLift(1, 80);
    Page(1).nPageCount = 10;
    Save(1);  // first save: the lamps already lit are the baseline
    Page(1).nCarLamp[0] = 0x01;     // car call floor 1
    Page(1).nHallLampLo[0] = 0x02;  // down call floor 1
    Page(1).nHallLampHi[0] = 0x80;  // down call floor 8
    Page(1).nHallLampLo[2] = 0x04;  // up call floor 18
    Page(1).nCarLamp[7] = 0x80;     // car call floor 64
    Save(1);
    EXPECT_EQ(Calls(1, 1), QStringList({"1:1", "3:1", "3:8", "2:18", "1:64"}));
    // Lamps that stay lit give no further row; one that goes dark and lights again does.
    Save(1);
    Page(1).nCarLamp[0] = 0;
    Save(1);
    Page(1).nCarLamp[0] = 1;
    Save(1);
    EXPECT_EQ(Calls(1, 1).size(), 6);
    EXPECT_EQ(Column(QStringLiteral("SELECT RecDateTm FROM KALOR_LiftData_1_1")).value(0), QStringLiteral("2024-03-10 10:00:00"));
}

TEST_F(RecordingTest, EachNewFaultIsRecordedOnceByEitherRecorder)
{
    SetUpLift(3, 24);
    Page(3).nPageCount = -3;  // reads no page, yet records faults
    Save(3);
    // Page replies overwrite the previous code between saves; refreshes come
    // often. The row keeps the controller mode of the save before.
    for (int code : {12, 0, 12, 7})
        for (int refresh = 0; refresh < 5; ++refresh) {
            Lift(3).nFaultCode = code;
            Lift(3).nFaultCodePrev = code;
            Lift(3).nCtrlMode = 4;
            Save(3);
        }
    // The status recorder shares what was recorded (the standing 7); its
    // new-fault flag may last many refreshes or be missed altogether; the
    // lift state is coded from the status bits.
    const std::tuple<int, int, int> faults[] = {{7, 1, 2}, {20, 1, 2}, {21, 0, 4}, {0, 0, 4}, {21, 0, 8}, {22, 1, 3}};
    for (const auto& [code, flag, bits] : faults)
        for (int refresh = 0; refresh < 5; ++refresh) {
            Lift(3).nFaultCode = code;
            Fault(3).nFaultCode = code;
            Fault(3).bNewFault = flag;
            Lift(3).nStatusBitsPrev = bits;
            Lift(3).nStatusBits = bits;
            m_db.SaveLiftFault(&Lift(3), &Fault(3));
        }
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount || '/' || LiftState FROM KALOR_LiftData_3_Err ORDER BY rowid")),
              QStringList({"12/0", "12/4", "7/4", "20/225", "21/226", "21/227", "22/7"}));
    EXPECT_EQ(Column(QStringLiteral("SELECT ID1 || '/' || ID8 || '/' || ErrDate FROM KALOR_LiftData_3_Err")).value(6),
              QStringLiteral("0.0/0.0/2024-03-10 10:00:00"));
}

TEST_F(RecordingTest, IndexKeepsAtMost365DayTablesAcrossChangingDates)
{
    SetUpLift(5, 8);
    Page(5).nPageCount = 1;
    const QDate first(2024, 3, 10);
    const int days = 372;
    for (int d = 0; d < days; ++d) {
        for (int hour : {8, 20}) {  // a second save the same day uses the same table
            SetTime(first.addDays(d), QTime(hour, 0));
            NewCarCall(5, 1 + (d + hour) % 8);
            Save(5);
        }
    }
    // Numbers run on without reuse; the oldest went first.
    auto row = [&](int c, int day) { return QStringLiteral("%1|%2|KALOR_LiftData_5_%1").arg(c).arg(first.addDays(day).toString(Qt::ISODate)); };
    EXPECT_EQ(Index(5).size(), 365);
    EXPECT_EQ(QStringList({Index(5).first(), Index(5).last()}), QStringList({row(days - 364, days - 365), row(days, days - 1)}));
    EXPECT_EQ(Count(QStringLiteral("sqlite_master"), QStringLiteral("type = 'table' AND name GLOB 'KALOR_LiftData_5_[0-9]*'")), 365);

    // A new run on the next day finds the full index and still keeps 365,
    // also when the oldest table is gone already.
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_LiftData_5_%1").arg(days - 364)));
    SetTime(first.addDays(days), QTime(7, 0));
    Lift(5).bRecInit = 0;
    NewCarCall(5, 3);
    Save(5);
    EXPECT_EQ(Index(5).size(), 365);
    EXPECT_EQ(Calls(5, days + 1), QStringList{QStringLiteral("1:3")});
    EXPECT_FALSE(TableExists(QStringLiteral("KALOR_LiftData_5_%1").arg(days - 364)));
}

TEST_F(RecordingTest, EveryLiftOpensItsNewDayTableAfterMidnight)
{
    // More lifts than one write opens day tables for: the others follow.
    const int lifts = CDBServer::kNewDayTablesPerWrite + 2;
    SetTime(QDate(2024, 3, 10), QTime(23, 59, 30));
    for (int n = 1; n <= lifts; ++n) {
        SetUpLift(n, 8);
        Page(n).nPageCount = 1;
        NewCarCall(n, 1);
        Save(n);
    }
    SetTime(QDate(2024, 3, 11), QTime(0, 0, 10));
    {
        // One refresh's saves reach the file together when the refresh ends.
        CRecordingBatch batch(&m_db);
        for (int n = 1; n <= lifts; ++n) {
            NewCarCall(n, 2);
            Save(n);
        }
        EXPECT_FALSE(TableExists(QStringLiteral("KALOR_LiftData_1_2")));
    }
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_2")));
    EXPECT_FALSE(TableExists(QStringLiteral("KALOR_LiftData_%1_2").arg(lifts)));
    EXPECT_TRUE(m_db.FlushRecords());
    for (int n = 1; n <= lifts; ++n) {
        EXPECT_EQ(Calls(n, 2), QStringList{"1:2"}) << n;
        EXPECT_EQ(Index(n).last(), QStringLiteral("2|2024-03-11|KALOR_LiftData_%1_2").arg(n));
    }
}

TEST_F(RecordingTest, FirstSaveOfARunContinuesTodaysTableStartsAnEmptyIndexOrReportsAMissingOne)
{
    // An index without rows: the first save makes table 1 and writes into it.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_9 (CountNum int, RecDate datetime,TabName nvarchar(50))")));
    Page(9).nPageCount = 1;
    for (int floor : {4, 5, 6, 7}) {
        // A new run on the same day goes on in the newest table. A newest row
        // without a date stops the first save without writing; the lift then
        // counts as started, and its lamp is written with the next save.
        if (floor == 6) {
            ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftData_9 SET RecDate = NULL")));
        }
        if (floor != 7)
            Lift(9).bRecInit = 0;
        NewCarCall(9, floor);
        Save(9);
        EXPECT_EQ(Calls(9, 1).size(), floor == 6 ? 2 : floor - 3);
    }
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_9")), 1);
    EXPECT_EQ(Calls(9, 1), QStringList({"1:4", "1:5", "1:6", "1:7"}));

    // A lift without tables is reported once and never written.
    Page(11).nPageCount = 1;
    for (int k = 0; k < 20; ++k) {
        NewCarCall(11, 1 + k % 8);
        Lift(11).nFaultCode = 1 + k;
        Save(11);
        m_db.SaveLiftFault(&Lift(11), &Fault(11));
    }
    ExpectBoxes(1);
    EXPECT_EQ(Count(QStringLiteral("sqlite_master"), QStringLiteral("name LIKE 'KALOR_LiftData_11%'")), 0);
    // Out-of-range lift numbers are refused without touching anything.
    const int objects = Count(QStringLiteral("sqlite_master"));
    Page(12).nPageCount = 1;
    NewCarCall(12, 2);
    Lift(12).nFaultCode = 9;
    Fault(12).nFaultCode = 9;
    Lift(12).nLiftNum = 65;
    Save(12);
    Lift(12).nLiftNum = 0;
    m_db.SaveLiftFault(&Lift(12), &Fault(12));
    EXPECT_EQ(Lift(12).bRecInit, 0);
    EXPECT_EQ(Lift(12).nFaultCodePrev, 0);
    EXPECT_EQ(Page(12).nCarLampOld[0], 0);
    EXPECT_EQ(m_db.PendingWrites(), 0);
    EXPECT_EQ(Count(QStringLiteral("sqlite_master")), objects);
}

TEST_F(RecordingTest, FullDiskKeepsTheRowsAndWritesThemOnceThereIsRoomAgain)
{
    // The database moves onto a 2 MB file system.
    std::string skip;
    const auto disk = MoveOntoSmallDisk("size=2m", &skip);
    if (!disk)
        GTEST_SKIP() << skip;
    SetUpLift(1, 8);
    Page(1).nPageCount = 1;
    Save(1);

    QFile filler(QFileInfo(m_path).path() + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    filler.close();
    for (int k = 0; k < 30; ++k) {
        NewCarCall(1, 1 + k % 8);
        Lift(1).nFaultCode = 40 + k;
        Save(1);
    }
    // Reported once, never waited on; nothing is lost meanwhile.
    EXPECT_EQ(m_boxes.modalCount(), 0);
    ExpectBoxes(1);
    EXPECT_GT(m_db.PendingFaults(), 20);
    EXPECT_EQ(m_db.PendingCalls(), m_db.PendingFaults());

    ASSERT_TRUE(filler.remove());
    EXPECT_TRUE(m_db.FlushRecords());
    QStringList codes;
    for (int k = 0; k < 30; ++k)
        codes << QString::number(40 + k);
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")), codes);
    EXPECT_EQ(Calls(1, 1).size(), 30);
    CloseDb();
}

TEST_F(RecordingTest, AStatementRefusedInsideTheWriteKeepsItsRowsQueuedUntilTheFaultGoes)
{
    SetUpLift(1, 8);
    Page(1).nPageCount = 1;
    Save(1);
    // Another program puts a trigger on the file that refuses lift 1's faults:
    // the write begins and commits, a statement inside it fails.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    auto run = [other](const char* sql) { return sqlite3_exec(other, sql, nullptr, nullptr, nullptr) == SQLITE_OK; };
    ASSERT_TRUE(run((QByteArray("PRAGMA key = '") + kDbPassword + "'").constData()));
    ASSERT_TRUE(run("CREATE TRIGGER refuse BEFORE INSERT ON KALOR_LiftData_1_Err BEGIN SELECT RAISE(ABORT, 'not now'); END"));
    for (int k = 0; k < 4; ++k) {
        NewCarCall(1, 1 + k);
        Lift(1).nFaultCode = 50 + k;
        Save(1);
    }
    // The calls go, the faults stay queued in their order.
    EXPECT_FALSE(m_db.FlushRecords());
    EXPECT_EQ(Calls(1, 1).size(), 4);
    EXPECT_EQ(m_db.PendingFaults(), 4);
    EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String("not now"))) << m_boxes.texts().value(0).toStdString();
    ExpectBoxes(1);

    // The file fills up inside the write: nothing of it stays, nothing is lost.
    ASSERT_TRUE(run("DROP TRIGGER refuse"));
    ASSERT_TRUE(run("CREATE TABLE spill (b blob);"
                    "CREATE TRIGGER grow BEFORE INSERT ON KALOR_LiftData_1_Err BEGIN INSERT INTO spill VALUES (zeroblob(400000)); END"));
    ASSERT_TRUE(Exec(QStringLiteral("PRAGMA max_page_count = %1").arg(Column(QStringLiteral("PRAGMA page_count")).value(0).toInt() + 8)));
    NewCarCall(1, 6);
    Lift(1).nFaultCode = 60;
    Save(1);
    EXPECT_FALSE(m_db.FlushRecords());
    EXPECT_EQ(m_db.m_pAdo->LastErrorCode() & 0xff, SQLITE_FULL);
    EXPECT_EQ(Calls(1, 1).size(), 4);
    EXPECT_EQ(m_db.PendingCalls(), 1);
    EXPECT_EQ(m_db.PendingFaults(), 5);

    // Once the fault goes every row arrives, once and in order.
    ASSERT_TRUE(run("DROP TRIGGER grow"));
    sqlite3_close(other);
    EXPECT_TRUE(m_db.FlushRecords());
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount FROM KALOR_LiftData_1_Err ORDER BY rowid")), QStringList({"50", "51", "52", "53", "60"}));
    EXPECT_EQ(Calls(1, 1), QStringList({"1:1", "1:2", "1:3", "1:4", "1:6"}));
    EXPECT_EQ(m_db.PendingWrites(), 0);
}

TEST_F(RecordingTest, RowsLeftWaitingAreWrittenAtTheCloseOrCountedToTheOperatorInTheLanguageInForce)
{
    SetUpLift(1, 8);
    SetUpLift(2, 8);
    for (int n : {1, 2}) {
        Page(n).nPageCount = 1;
        Save(n);
    }
    m_db.m_nLanguageKind = 2;
    auto refused = [&](bool bRefused) { ASSERT_TRUE(Exec(QStringLiteral("PRAGMA query_only = %1").arg(bRefused ? 1 : 0))); };
    // Rows waiting after an outage that has just ended: the close writes them.
    refused(true);
    NewCarCall(1, 8);
    Save(1);
    refused(false);
    ExpectBoxes(1);
    m_db.CloseDatabase();
    ExpectBoxes(0);
    OpenDb();
    EXPECT_EQ(Calls(1, 1), QStringList{"1:8"});

    // A lift deleted while its rows wait takes them along, and says so.
    refused(true);
    for (int k = 0; k < 3; ++k) {
        NewCarCall(1, 1 + k);
        Lift(1).nFaultCode = 30 + std::min(k, 1);
        Save(1);
        NewCarCall(2, 1 + k);
        Lift(2).nFaultCode = 40 + k;
        Save(2);
    }
    ExpectBoxes(1);
    refused(false);
    EXPECT_TRUE(m_db.DeleteLift(&Lift(2), nullptr));
    EXPECT_EQ(m_boxes.texts().value(0), QStringLiteral("Lift 2 was deleted: its 3 calls and 3 faults not yet written to the database were dropped with it."));
    ExpectBoxes(1);
    EXPECT_EQ(m_db.PendingCalls(), 3);
    EXPECT_EQ(m_db.PendingFaults(), 2);

    // Still refused at the close: counted, in a box that waits, before they go.
    refused(true);
    m_db.CloseDatabase();
    EXPECT_TRUE(m_boxes.texts().value(0).startsWith(QLatin1String("3 calls and 2 faults could not be written to the database and are lost.")))
        << m_boxes.texts().value(0).toStdString();
    EXPECT_EQ(m_boxes.modalCount(), 1);
    ExpectBoxes(1);
    EXPECT_EQ(m_db.PendingWrites(), 0);
    EXPECT_FALSE(m_db.m_pAdo->IsOpen());
    OpenDb();
    EXPECT_EQ(Calls(1, 1), QStringList{"1:8"});
    EXPECT_EQ(Count(QStringLiteral("sqlite_master"), QStringLiteral("name LIKE 'KALOR_LiftData_2%'")), 0);

    // Past the bound in memory the oldest rows go for want of room: they
    // are counted at the close all the same.
    refused(true);
    for (int k = 0; k < CDBServer::kMaxPendingCalls + 3; ++k) {
        NewCarCall(1, 1 + k % 8);
        Lift(1).nFaultCode = 30 + k % 2;
        Save(1);
    }
    EXPECT_EQ(m_db.PendingCalls(), CDBServer::kMaxPendingCalls);
    EXPECT_EQ(m_db.PendingFaults(), CDBServer::kMaxPendingFaults);
    m_boxes.clear();
    m_db.CloseDatabase();
    EXPECT_TRUE(m_boxes.texts().value(0).startsWith(QLatin1String("20003 calls and 20003 faults could not be written")))
        << m_boxes.texts().value(0).toStdString();
    ExpectBoxes(1);
}
