// Day tables and the recording of calls and faults.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include "DbTestSupport.h"
#include "database/RecordingBatch.h"
#include "link/LiftDataStore.h"

namespace {

class RecordingTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        m_store.ResetLiftRecords();
        m_store.ResetLiftPages();
        m_store.ResetLiftFaults();
    }
    strLiftInf& Lift(int n) { return m_store.m_pLiftInf[n - 1]; }
    strLiftPage& Page(int n) { return m_store.m_pLiftPage[n - 1]; }
    void Save(int n) { m_db.SaveLiftRecords(&Lift(n), &Page(n)); }
    // Lights a car call the recorder has not seen yet.
    void NewCarCall(int n, int floor)
    {
        const int w = (floor - 1) / 8, bit = (floor - 1) % 8;
        Page(n).nCarLamp[w] = Page(n).nCarLamp[w] | (1 << bit);
        Page(n).nCarLampOld[w] = Page(n).nCarLampOld[w] & ~(1 << bit);
    }
    QStringList Calls(const QString& table)
    {
        return Column(QStringLiteral("SELECT CallSign || ':' || CallNum AS c FROM %1 ORDER BY rowid").arg(table),
                      QStringLiteral("c"));
    }
    QStringList Index(int n)
    {
        return Column(QStringLiteral("SELECT CountNum || '|' || substr(RecDate, 1, 10) || '|' || TabName AS r"
                                     " FROM KALOR_LiftData_%1 ORDER BY CountNum").arg(n),
                      QStringLiteral("r"));
    }
    QStringList Faults(int n)
    {
        return Column(QStringLiteral("SELECT ErrCount || '/' || LiftState || '/' || ID1 || '/' || ErrDate AS f"
                                     " FROM KALOR_LiftData_%1_Err ORDER BY rowid").arg(n),
                      QStringLiteral("f"));
    }

    CLiftDataStore m_store;
};

} // namespace

TEST_F(RecordingTest, EachNewlyLitLampGivesOneRowWithItsKindAndFloor)
{
    SetUpLift(1, 56);
    Page(1).nPageCount = 7;
    Save(1);  // first save: the lamps already lit are the baseline
    EXPECT_TRUE(Calls(QStringLiteral("KALOR_LiftData_1_1")).isEmpty());

    Page(1).nCarLamp[0] = 0x01;     // car call floor 1
    Page(1).nHallLampLo[0] = 0x02;  // down call floor 1
    Page(1).nHallLampHi[0] = 0x80;  // down call floor 8
    Page(1).nHallLampLo[2] = 0x04;  // up call floor 18
    Page(1).nCarLamp[6] = 0x80;     // car call floor 56
    Save(1);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_1_1")),
              QStringList({"1:1", "3:1", "3:8", "2:18", "1:56"}));
    EXPECT_EQ(Page(1).nCarLampOld[6], 0x80);

    // Lamps that stay lit give no further row; one that goes dark and lights again does.
    for (int k = 0; k < 5; ++k)
        Save(1);
    Page(1).nCarLamp[0] = 0;
    Save(1);
    Page(1).nCarLamp[0] = 1;
    Save(1);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_1_1")).size(), 6);
    const QStringList times = Column(QStringLiteral("SELECT RecDateTm FROM KALOR_LiftData_1_1"), QStringLiteral("RecDateTm"));
    EXPECT_EQ(times.value(0), QStringLiteral("2024-03-10 10:00:00"));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(RecordingTest, PageCountBeyondTheLampPagesStillRecordsCallsAndTheFault)
{
    // A lift above 64 floors: the count is read as the eight lamp pages.
    SetUpLift(2, 80);
    Lift(2).nFaultCode = 5;
    Page(2).nPageCount = 10;
    Page(2).nCarLamp[0] = 1;
    Page(2).nCarLamp[7] = 0x80;
    Save(2);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_2_1")), QStringList({"1:1", "1:64"}));
    EXPECT_EQ(Faults(2), QStringList{QStringLiteral("5/0/0.0/2024-03-10 10:00:00")});
    EXPECT_EQ(Lift(2).nFaultCodePrev, 5);

    // A negative count reads no page, yet the fault part and the bookkeeping go on.
    Page(2).nPageCount = -3;
    Page(2).nCarLamp[0] = 0;
    Lift(2).nFaultCode = 6;
    Lift(2).nCtrlModePrev = 4;
    Lift(2).nCtrlMode = 9;
    Save(2);
    EXPECT_EQ(Page(2).nCarLampOld[0], 1);
    EXPECT_EQ(Faults(2).value(1), QStringLiteral("6/4/0.0/2024-03-10 10:00:00"));
    EXPECT_EQ(Lift(2).nCtrlModePrev, 9);

    // No page at all: no call row, but the fault row and the bookkeeping.
    Page(2).nPageCount = 0;
    Lift(2).nFaultCode = 5;
    Lift(2).nCtrlModePrev = 4;
    Lift(2).nCtrlMode = 6;
    Save(2);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_2_1")).size(), 2);
    EXPECT_EQ(Faults(2).value(2), QStringLiteral("5/4/0.0/2024-03-10 10:00:00"));
    EXPECT_EQ(Lift(2).nFaultCodePrev, 5);
    EXPECT_EQ(Lift(2).nCtrlModePrev, 6);
}

TEST_F(RecordingTest, FaultIsRecordedOnceHoweverOftenPageRepliesAndRefreshesCome)
{
    SetUpLift(3, 24);
    Page(3).nPageCount = 3;
    Save(3);
    for (int code : {12, 0, 12, 7}) {
        // Each of the three page replies between two saves overwrites the previous code.
        for (int refresh = 0; refresh < 10; ++refresh) {
            Lift(3).nFaultCodePrev = Lift(3).nFaultCode.load();
            Lift(3).nFaultCode = code;
            Lift(3).nFaultCodePrev = code;
            Save(3);
        }
    }
    const QStringList faults = Faults(3);
    ASSERT_EQ(faults.size(), 3);
    EXPECT_TRUE(faults[0].startsWith(QLatin1String("12/")));
    EXPECT_TRUE(faults[1].startsWith(QLatin1String("12/")));
    EXPECT_TRUE(faults[2].startsWith(QLatin1String("7/")));

    // The all-lifts view's recorder shares what was recorded: the standing 7 is not written again.
    strLiftFault& fault = m_store.m_pLiftFault[2];
    fault.nFaultCode = 7;
    fault.bNewFault = 1;
    m_db.SaveLiftFault(&Lift(3), &fault);
    EXPECT_EQ(Faults(3).size(), 3);
}

TEST_F(RecordingTest, StatusFaultIsRecordedOnceWithItsCodedLiftState)
{
    SetUpLift(4, 8);
    strLiftFault& fault = m_store.m_pLiftFault[3];
    const std::pair<int, int> states[] = {{2, 225}, {4, 226}, {8, 227}, {3, 7}};
    int code = 20;
    for (const auto& [bits, state] : states) {
        // The new-fault flag stays set over many refreshes until the next status reply.
        Lift(4).nFaultCode = code;
        fault.nFaultCode = code;
        fault.bNewFault = 1;
        for (int refresh = 0; refresh < 8; ++refresh) {
            Lift(4).nStatusBitsPrev = bits;
            Lift(4).nStatusBits = bits;
            m_db.SaveLiftFault(&Lift(4), &fault);
        }
        const QStringList faults = Faults(4);
        ASSERT_FALSE(faults.isEmpty());
        EXPECT_EQ(faults.last(), QStringLiteral("%1/%2/0.0/2024-03-10 10:00:00").arg(code).arg(state));
        ++code;
    }
    EXPECT_EQ(Faults(4).size(), 4);
    // No fault: no row.
    fault.nFaultCode = 0;
    fault.bNewFault = 0;
    m_db.SaveLiftFault(&Lift(4), &fault);
    EXPECT_EQ(Faults(4).size(), 4);
    EXPECT_EQ(Lift(4).nFaultCodePrev, Lift(4).nFaultCode);
}

TEST_F(RecordingTest, StatusFaultIsRecordedEvenWhenTheRefreshMissedItsNewFlag)
{
    SetUpLift(6, 8);
    strLiftFault& fault = m_store.m_pLiftFault[5];
    m_db.SaveLiftFault(&Lift(6), &fault);
    // The flag was set for one status reply and cleared by the next before
    // any refresh came: the fault is still new to the recorder.
    for (int code : {40, 40, 40, 0, 0, 40, 41}) {
        Lift(6).nFaultCode = code;
        fault.nFaultCode = code;
        fault.bNewFault = 0;
        for (int refresh = 0; refresh < 3; ++refresh)
            m_db.SaveLiftFault(&Lift(6), &fault);
    }
    const QStringList faults = Faults(6);
    ASSERT_EQ(faults.size(), 3);
    EXPECT_TRUE(faults[0].startsWith(QLatin1String("40/")));
    EXPECT_TRUE(faults[1].startsWith(QLatin1String("40/")));
    EXPECT_TRUE(faults[2].startsWith(QLatin1String("41/")));
}

TEST_F(RecordingTest, IndexKeepsAtMost365DayTablesAcrossChangingDates)
{
    SetUpLift(5, 8);
    Page(5).nPageCount = 1;
    const QDate first(2024, 3, 10);
    const int days = 372;
    for (int d = 0; d < days; ++d) {
        SetTime(first.addDays(d), QTime(8, 0));
        NewCarCall(5, 1 + d % 8);
        Save(5);
        SetTime(first.addDays(d), QTime(20, 0));  // a second save the same day uses the same table
        NewCarCall(5, 1 + (d + 1) % 8);
        Save(5);
    }
    const QStringList index = Index(5);
    ASSERT_EQ(index.size(), 365);
    // Numbers run on without reuse; the oldest went first.
    EXPECT_EQ(index.first(), QStringLiteral("%1|%2|KALOR_LiftData_5_%1").arg(days - 364).arg(first.addDays(days - 365).toString(Qt::ISODate)));
    EXPECT_EQ(index.last(), QStringLiteral("%1|%2|KALOR_LiftData_5_%1").arg(days).arg(first.addDays(days - 1).toString(Qt::ISODate)));
    const int dayTables = Count(QStringLiteral("sqlite_master"), QStringLiteral("type = 'table' AND name GLOB 'KALOR_LiftData_5_[0-9]*'"));
    EXPECT_EQ(dayTables, 365);
    EXPECT_FALSE(TableExists(QStringLiteral("KALOR_LiftData_5_7")));
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_5_%1").arg(days)).size(), 2);
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();

    // A restart on the next day finds the full index and still keeps 365.
    CDBServer restarted;
    restarted.m_strAppFolder = m_dir.path();
    restarted.SetClock([&] { return QDateTime(first.addDays(days), QTime(7, 0)); });
    CloseDb();
    restarted.BuildDBPath();
    ASSERT_TRUE(restarted.m_pAdo->OpenDatabase(false, restarted.m_strDBPath));
    Lift(5).bRecInit = 0;
    NewCarCall(5, 3);
    restarted.SaveLiftRecords(&Lift(5), &Page(5));
    restarted.m_pAdo->CloseConnection();
    OpenDb();
    EXPECT_EQ(Index(5).size(), 365);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_5_%1").arg(days + 1)), QStringList{QStringLiteral("1:3")});
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
        SCOPED_TRACE(n);
        EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_%1_1").arg(n)), QStringList{"1:1"});
        EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_%1_2").arg(n)), QStringList{"1:2"});
        EXPECT_EQ(Index(n).last(), QStringLiteral("2|2024-03-11|KALOR_LiftData_%1_2").arg(n));
    }
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(RecordingTest, FirstSaveOfARunContinuesTodaysTableOrStartsAnEmptyIndex)
{
    // An index without rows: the first save makes table 1 and writes into it.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_9 (CountNum int, RecDate datetime,TabName nvarchar(50))")));
    Page(9).nPageCount = 1;
    NewCarCall(9, 4);
    Save(9);
    EXPECT_EQ(Index(9), QStringList{QStringLiteral("1|2024-03-10|KALOR_LiftData_9_1")});
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_9_1")), QStringList{"1:4"});

    // A new run on the same day goes on in the newest table.
    Lift(9).bRecInit = 0;
    NewCarCall(9, 5);
    Save(9);
    EXPECT_EQ(Index(9).size(), 1);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_9_1")).size(), 2);

    // A newest row without a date stops the first save without writing; the
    // lift then counts as started and goes on in its table.
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftData_9 SET RecDate = NULL")));
    Lift(9).bRecInit = 0;
    NewCarCall(9, 6);
    Save(9);
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_9_1")).size(), 2);
    EXPECT_EQ(Lift(9).bRecInit, 1);
    NewCarCall(9, 7);
    Save(9);
    // The stopped save left its lamp unrecorded, so the next one writes it too.
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_9_1")), QStringList({"1:4", "1:5", "1:6", "1:7"}));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(RecordingTest, LiftWithoutTablesIsReportedOnceAndNeverWritten)
{
    Page(11).nPageCount = 1;
    for (int k = 0; k < 20; ++k) {
        NewCarCall(11, 1 + k % 8);
        Lift(11).nFaultCode = 1 + k;
        Save(11);
        m_db.SaveLiftFault(&Lift(11), &m_store.m_pLiftFault[10]);
    }
    EXPECT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(Count(QStringLiteral("sqlite_master"), QStringLiteral("name LIKE 'KALOR_LiftData_11%'")), 0);

    // Out-of-range lift numbers are refused without touching anything.
    Lift(12).nLiftNum = 65;
    Save(12);
    Lift(12).nLiftNum = 0;
    m_db.SaveLiftFault(&Lift(12), &m_store.m_pLiftFault[11]);
    EXPECT_EQ(m_boxes.count(), 1);
}

TEST_F(RecordingTest, FullDiskKeepsTheRowsAndWritesThemOnceThereIsRoomAgain)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small file system for the full disk";
    // The database moves onto a 2 MB file system; it goes when the test ends, however it ends.
    const QString folder = QFileInfo(m_path).path();
    CloseDb();
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    ASSERT_EQ(mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=2m"), 0) << strerror(errno);
    struct Unmount {
        QByteArray dir;
        ~Unmount() { umount2(dir.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(folder)};
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    OpenDb();
    SetUpLift(1, 8);
    Page(1).nPageCount = 1;
    Save(1);

    QFile filler(folder + QStringLiteral("/filler"));
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
    EXPECT_EQ(m_boxes.count(), 1) << m_boxes.texts().join('\n').toStdString();
    EXPECT_EQ(m_boxes.modalCount(), 0);
    EXPECT_GT(m_db.PendingFaults(), 20);
    EXPECT_EQ(m_db.PendingCalls(), m_db.PendingFaults());

    ASSERT_TRUE(filler.remove());
    EXPECT_TRUE(m_db.FlushRecords());
    const QStringList faults = Faults(1);
    ASSERT_EQ(faults.size(), 30);
    EXPECT_TRUE(faults[0].startsWith(QLatin1String("40/")));
    EXPECT_TRUE(faults[29].startsWith(QLatin1String("69/")));
    EXPECT_EQ(Calls(QStringLiteral("KALOR_LiftData_1_1")).size(), 30);
    CloseDb();
}
