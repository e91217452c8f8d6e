// Reading the fault rows back by date range.
#include <QRegularExpression>
#include <numeric>
#include <gtest/gtest.h>

#include "DbTestSupport.h"

namespace {

class FaultQueryTest : public DbTest {
protected:
    void AddFault(int n, int code, const QString& when, int state = 7, const QString& id1 = QStringLiteral("0"))
    {
        ASSERT_TRUE(m_db.m_pAdo->ExecuteSql(
            QStringLiteral("INSERT INTO KALOR_LiftData_%1_Err VALUES (%2, ?, %3, ?, 0, 0, 0, 0, 0, 0, 8)").arg(n).arg(code).arg(state),
            {when, id1}));
    }
    std::array<strLiftFaultStat, 64> m_stats;
};

} // namespace

TEST_F(FaultQueryTest, DateRangeIncludesMidnightOfTheFirstDayAndEndsBeforeTheEndDay)
{
    SetUpLift(4, 8);
    AddFault(4, 1, QStringLiteral("2024-02-29 23:59:59"));
    AddFault(4, 2, QStringLiteral("2024-03-01 00:00:00"));
    AddFault(4, 3, QStringLiteral("2024-03-01 12:00:00"));
    AddFault(4, 4, QStringLiteral("2024-03-03 23:59:59"));
    AddFault(4, 5, QStringLiteral("2024-03-04 00:00:00"));
    // The analysis page passes the day after the last picked day as the end.
    m_db.QueryFaultRecords(true, QDate(2024, 3, 1), QDate(2024, 3, 4), m_stats.data());
    const strLiftFaultStat& s = m_stats[0];
    EXPECT_EQ(s.nRealAddr, 4);
    EXPECT_EQ(s.nErrTotal, 3);
    EXPECT_EQ(s.lstErrCode, QList<int>({4, 3, 2}));  // newest first
    EXPECT_EQ(s.arrErrTime,
              QStringList({"2024-03-03 23:59:59", "2024-03-01 12:00:00", "2024-03-01 00:00:00"}));

    // The same range picked as a single day around the first one.
    m_db.QueryFaultRecords(true, QDate(2024, 3, 1), QDate(2024, 3, 2), m_stats.data());
    EXPECT_EQ(m_stats[0].lstErrCode, QList<int>({3, 2}));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(FaultQueryTest, AllRowsAreCountedPerCodeAndSpreadOverTheFourLists)
{
    SetUpLift(2, 8);
    SetUpLift(9, 8, QStringLiteral("O'Brien"));
    SetUpLift(40, 8);
    AddFault(9, 12, QStringLiteral("2024-01-01 10:00:00"), 225, QStringLiteral("2.6"));
    AddFault(9, 3, QStringLiteral("2024-01-02 10:00:00"), 226);
    AddFault(9, 12, QStringLiteral("2024-01-03 10:00:00"), 227);
    AddFault(9, 200, QStringLiteral("2024-01-04 10:00:00"));  // beyond the counters, still listed
    AddFault(40, 1, QStringLiteral("2023-12-31 23:00:00"));
    m_stats[5].strName = QStringLiteral("stale");
    m_stats[5].nRealAddr = 77;
    m_stats[5].lstErrCode = {1, 2};

    m_db.QueryFaultRecords(false, QDate(), QDate(), m_stats.data());
    EXPECT_EQ(m_stats[0].nRealAddr, 2);
    EXPECT_EQ(m_stats[0].nErrTotal, 0);
    const strLiftFaultStat& s = m_stats[1];
    EXPECT_EQ(s.nRealAddr, 9);
    EXPECT_EQ(s.nKind, 1);
    EXPECT_EQ(s.strName, QStringLiteral("O'Brien"));
    EXPECT_EQ(s.nErrTotal, 4);
    EXPECT_EQ(s.nCodeCount[12], 2);
    EXPECT_EQ(s.nCodeCount[3], 1);
    EXPECT_EQ(std::accumulate(s.nCodeCount.begin(), s.nCodeCount.end(), 0), 3);
    EXPECT_EQ(s.lstErrCode, QList<int>({200, 12, 3, 12}));
    EXPECT_EQ(s.lstLiftState, QList<int>({7, 227, 226, 225}));
    ASSERT_EQ(s.lstErrID.size(), 4);
    EXPECT_EQ(s.lstErrID[3].nID[0], 3);  // 2.6 to the nearest integer
    EXPECT_EQ(s.lstErrID[3].nID[7], 8);
    EXPECT_EQ(s.lstErrID[3].nErrCount, 12);
    for (const QString& t : s.arrErrTime)
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)")).match(t).hasMatch());
    EXPECT_EQ(m_stats[2].nRealAddr, 40);
    EXPECT_EQ(m_stats[2].nErrTotal, 1);
    for (int k = 3; k < 64; ++k)
        EXPECT_EQ(m_stats[std::size_t(k)].nRealAddr, 0) << k;
    EXPECT_TRUE(m_stats[5].lstErrCode.isEmpty());

    // A second query over another range leaves nothing of the first.
    m_db.QueryFaultRecords(true, QDate(2024, 1, 2), QDate(2024, 1, 3), m_stats.data());
    EXPECT_EQ(m_stats[1].nErrTotal, 1);
    EXPECT_EQ(m_stats[1].lstErrCode, QList<int>{3});
    EXPECT_EQ(m_stats[1].arrErrTime.size(), 1);
    EXPECT_EQ(m_stats[1].nCodeCount[12], 0);
    EXPECT_EQ(m_stats[2].nErrTotal, 0);
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(FaultQueryTest, MissingTablesAndInvalidDatesAreReportedAndTheOtherLiftsStillCount)
{
    // No configured lift: every record cleared.
    m_stats[0].nRealAddr = 3;
    m_db.QueryFaultRecords(false, QDate(), QDate(), m_stats.data());
    EXPECT_EQ(m_stats[0].nRealAddr, 0);

    SetUpLift(1, 8);
    SetUpLift(2, 8);
    AddFault(2, 9, QStringLiteral("2024-03-01 08:00:00"));
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_LiftData_1_Err")));
    m_db.QueryFaultRecords(false, QDate(), QDate(), m_stats.data());
    EXPECT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_stats[0].nErrTotal, 0);
    EXPECT_EQ(m_stats[1].nErrTotal, 1);

    m_boxes.clear();
    m_db.QueryFaultRecords(true, QDate(), QDate(2024, 3, 2), m_stats.data());
    EXPECT_EQ(m_boxes.count(), 2);  // each lift's query refuses the invalid date
    EXPECT_EQ(m_stats[1].nErrTotal, 0);
    EXPECT_EQ(m_stats[1].nRealAddr, 2);
}
