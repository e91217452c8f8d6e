// Reading the fault rows back, all or by date range.
#include <numeric>

#include "DbTestSupport.h"

namespace {

class FaultQueryTest : public DbTest {
protected:
    void AddFault(int n, int code, const QString& when, int state = 7, const QString& id1 = QStringLiteral("0"))
    {
        ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_LiftData_%1_Err VALUES (%2, ?, %3, ?, 0, 0, 0, 0, 0, 0, 8)")
                             .arg(n).arg(code).arg(state),
                         {when, id1}));
    }
    void Query(bool bByDate = false, const QDate& start = {}, const QDate& end = {})
    {
        m_db.QueryFaultRecords(bByDate, start, end, m_stats.data());
    }
    std::array<strLiftFaultStat, 64> m_stats;
};

} // namespace

TEST_F(FaultQueryTest, DateRangeIncludesMidnightOfTheFirstDayAndEndsBeforeTheEndDay)
{
    for (int n : {4, 5, 6})
        SetUpLift(n, 8);
    int code = 0;
    for (const char* when : {"2024-02-29 23:59:59", "2024-03-01 00:00:00", "2024-03-01 12:00:00", "2024-03-03 23:59:59",
                             "2024-03-04 00:00:00"})
        AddFault(4, ++code, QLatin1String(when));
    // The analysis page passes the day after the last picked day as the end.
    Query(true, QDate(2024, 3, 1), QDate(2024, 3, 4));
    EXPECT_EQ(m_stats[0].nRealAddr, 4);
    EXPECT_EQ(m_stats[0].nErrTotal, 3);
    EXPECT_EQ(m_stats[0].lstErrCode, QList<int>({4, 3, 2}));  // newest first
    EXPECT_EQ(m_stats[0].arrErrTime, QStringList({"2024-03-03 23:59:59", "2024-03-01 12:00:00", "2024-03-01 00:00:00"}));
    Query(true, QDate(2024, 3, 1), QDate(2024, 3, 2));
    EXPECT_EQ(m_stats[0].lstErrCode, QList<int>({3, 2}));
    // An invalid date is refused by the query of every lift, with one message.
    Query(true, QDate(), QDate(2024, 3, 2));
    ExpectBoxes(1);
    EXPECT_EQ(QList<int>({m_stats[0].nRealAddr, m_stats[0].nErrTotal}), QList<int>({4, 0}));
}

TEST_F(FaultQueryTest, AllRowsAreCountedPerCodeAndSpreadOverTheFourLists)
{
    SetUpLift(1, 8);
    SetUpLift(9, 8, QStringLiteral("O'Brien"));
    SetUpLift(40, 8);
    AddFault(9, 12, QStringLiteral("2024-01-01 10:00:00"), 225, QStringLiteral("2.6"));
    AddFault(9, 3, QStringLiteral("2024-01-02 10:00:00"), 226);
    AddFault(9, 200, QStringLiteral("2024-01-04 10:00:00"));  // beyond the counters, still listed
    AddFault(40, 1, QStringLiteral("2023-12-31 23:00:00"));
    m_stats[5].nRealAddr = 77;
    m_stats[5].lstErrCode = {1, 2};
    // A lift whose fault table is missing is reported; the others still count.
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_LiftData_1_Err")));
    Query();
    ExpectBoxes(1);
    // The configured lifts fill the records in table order, not at their slots.
    EXPECT_EQ(QList<int>({m_stats[0].nRealAddr, m_stats[1].nRealAddr, m_stats[2].nRealAddr, m_stats[5].nRealAddr}),
              QList<int>({1, 9, 40, 0}));
    EXPECT_EQ(QList<int>({m_stats[0].nErrTotal, m_stats[2].nErrTotal}), QList<int>({0, 1}));
    EXPECT_TRUE(m_stats[5].lstErrCode.isEmpty());
    const strLiftFaultStat& s = m_stats[1];
    EXPECT_EQ(s.strName, QStringLiteral("O'Brien"));
    EXPECT_EQ(QList<int>({s.nKind, s.nErrTotal, s.nCodeCount[12], s.nCodeCount[3]}), QList<int>({1, 3, 1, 1}));
    EXPECT_EQ(std::accumulate(s.nCodeCount.begin(), s.nCodeCount.end(), 0), 2);
    EXPECT_EQ(s.lstErrCode, QList<int>({200, 3, 12}));
    EXPECT_EQ(s.lstLiftState, QList<int>({7, 226, 225}));
    ASSERT_EQ(s.lstErrID.size(), 3);
    // 2.6 to the nearest integer.
    EXPECT_EQ(QList<int>({s.lstErrID[2].nID[0], s.lstErrID[2].nID[7], s.lstErrID[2].nErrCount}), QList<int>({3, 8, 12}));
    EXPECT_EQ(s.arrErrTime[2], QStringLiteral("2024-01-01 10:00:00"));
    // A second query over another range leaves nothing of the first.
    Query(true, QDate(2024, 1, 2), QDate(2024, 1, 3));
    ExpectBoxes(1);
    EXPECT_EQ(m_stats[1].lstErrCode, QList<int>{3});
    EXPECT_EQ(QList<int>({int(m_stats[1].arrErrTime.size()), m_stats[1].nCodeCount[12], m_stats[2].nErrTotal}), QList<int>({1, 0, 0}));
}
