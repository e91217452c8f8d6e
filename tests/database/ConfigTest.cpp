// Loading the configuration and storing the configuration page's changes.

#include "DbTestSupport.h"

namespace {

class ConfigTest : public DbTest {
protected:
    QStringList LiftTables(int n)
    {
        return Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND (name = 'KALOR_LiftData_%1'"
                                     " OR name LIKE 'KALOR_LiftData_%1!_%' ESCAPE '!') ORDER BY name").arg(n));
    }
    // The lift's row: Kind/MaxFloor/MinFloor/LiftHight/bLiftHight/GroupNum/strName_1.
    QString LiftRow(int n)
    {
        return Column(QStringLiteral("SELECT Kind || '/' || MaxFloor || '/' || MinFloor || '/' || LiftHight || '/' || bLiftHight"
                                     " || '/' || GroupNum || '/' || coalesce(strName_1, '') FROM KALOR_LiftInf WHERE RealAddr = %1")
                          .arg(n))
            .value(0);
    }
    QStringList GroupColumn(const char* column)
    {
        return Column(QStringLiteral("SELECT %1 FROM KALOR_GroupInf ORDER BY GroupNum").arg(QLatin1String(column)));
    }
    bool Refuse(const QString& name, const QString& when)
    {
        return Exec(QStringLiteral("CREATE TRIGGER %1 %2 BEGIN SELECT RAISE(ABORT, 'refused'); END").arg(name, when));
    }
};

} // namespace

TEST_F(ConfigTest, SettingsAndFloorShowCodesLoadWithTheGroupCountClamped)
{
    int color = -1, groups = -1, port = -1, baud = -1;
    QStringList show[2];
    ASSERT_TRUE(m_db.LoadSoftInfo(&color, &groups, &port, &baud, show));
    EXPECT_EQ(QList<int>({color, groups, port, baud, m_db.m_nGroupCount}), QList<int>({16777215, 4, 1, 2, 4}));
    EXPECT_EQ(show[0] + show[1], QStringList({"A", "B", "M"}));
    // A damaged count is clamped to a group per lift slot, both ways.
    for (const auto& [stored, loaded] : {std::pair{2000000000, 64}, std::pair{-5, 0}}) {
        ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_SoftInf SET GroupNum = %1").arg(stored)));
        ASSERT_TRUE(m_db.LoadSoftInfo(nullptr, &groups, nullptr, nullptr, nullptr));
        EXPECT_EQ(QList<int>({groups, m_db.m_nGroupCount}), QList<int>({loaded, loaded}));
    }
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftInf")));
    EXPECT_FALSE(m_db.LoadSoftInfo(&color, &groups, &port, &baud, show));
}

TEST_F(ConfigTest, LiftsLoadIntoTheirSlotsWithPagesHeightsNamesAndFloorTexts)
{
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 9, MinFloor = -1, LiftHight = 4000,"
                                    " GroupNum = 2, strName_1 = 'O''Brien' WHERE RealAddr = 6")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 8 WHERE RealAddr = 7")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 80, strName_1 = NULL WHERE RealAddr = 64")));
    for (int n : {6, 7, 64})
        ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_%1_FloorName (FloorNum byte, FloorNameHi nvarchar(10),"
                                        " FloorNameLo nvarchar(10))").arg(n)));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_LiftData_6_FloorName VALUES (2, NULL, 'G'), (1, '-', '1')")));
    Lift(5).nMaxFloor = 33;  // a free slot keeps what the reset left
    for (int login = 0; login < 2; ++login) {  // a second login loads the floor texts afresh
        ASSERT_TRUE(m_db.LoadLiftInfo(m_store.m_pLiftInf, m_store.m_pLiftPage));
        EXPECT_EQ(Lift(6).arrFloorNameHi + Lift(6).arrFloorNameLo, QStringList({"-", "", "1", "G"}));
    }
    const strLiftInf& six = Lift(6);
    EXPECT_EQ(QList<int>({six.nKind, six.nLiftNum, six.nRealAddr, six.nGroupNum, six.nMinFloor, six.nHeight, six.bHeightKnown}),
              QList<int>({1, 6, 6, 2, -1, 4000, 1}));
    EXPECT_EQ(six.strName + Lift(64).strName, QStringLiteral("O'Brien"));
    EXPECT_EQ(QList<int>({Lift(5).nKind, Lift(5).nMaxFloor, Lift(7).bHeightKnown, Lift(64).nMaxFloor}), QList<int>({0, 33, 0, 80}));
    EXPECT_TRUE(Lift(7).arrFloorNameHi.isEmpty());
    // Pages of 8 floors, at most the 7 the link exchanges; a free slot keeps none.
    EXPECT_EQ(QList<int>({Page(6).nPageCount, Page(7).nPageCount, Page(64).nPageCount, Page(5).nPageCount}), QList<int>({2, 1, 7, 0}));
    // Every slot free: FALSE.
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 0")));
    EXPECT_FALSE(m_db.LoadLiftInfo(m_store.m_pLiftInf, m_store.m_pLiftPage));
}

TEST_F(ConfigTest, UpdateModesStoreNamesGroupsAndFloorTextsOrNothingAtAll)
{
    SetUpLift(5, 3);
    m_db.m_nGroupCount = 3;
    strGroupInf groups[4];
    for (int g = 0; g < 4; ++g) {
        groups[g].nGroupNum = g;
        groups[g].nLiftCount = 10 + g;
        groups[g].strGroupName = QStringLiteral("G'%1").arg(g);
    }
    strLiftInf& rec = Lift(5);
    rec.nGroupNum = 2;
    rec.strName = QStringLiteral("x'); DELETE FROM KALOR_LiftInf; --");
    EXPECT_TRUE(m_db.UpdateLiftConfig(1, 0, &rec, groups));
    EXPECT_TRUE(LiftRow(5).endsWith(QStringLiteral("/2/") + rec.strName));
    // Mode 1 stores the counts of m_nGroupCount groups, not of the argument.
    EXPECT_EQ(GroupColumn("GroupCount"), QStringList({"10", "11", "12", "0"}));
    // Floor texts; floors beyond the lists, or none at all, send nothing.
    rec.arrFloorNameHi = QStringList({QStringLiteral("'"), QStringLiteral(""), QStringLiteral("B")});
    rec.arrFloorNameLo = QStringList({QStringLiteral("G"), QStringLiteral("1\""), QStringLiteral("2")});
    for (int floors : {3, 0, 200}) {
        rec.nMaxFloor = floors;
        m_db.UpdateLiftConfig(2, 0, &rec, nullptr);
    }
    EXPECT_EQ(Column(QStringLiteral("SELECT FloorNameHi || '|' || FloorNameLo FROM KALOR_LiftData_5_FloorName"
                                    " WHERE FloorNum <= 4 ORDER BY FloorNum")),
              QStringList({"'|G", "|1\"", "B|2", "|4"}));
    // A statement the file refuses makes the update FALSE and takes the others back,
    // so the page can keep its records as the file has them.
    ASSERT_TRUE(Refuse(QStringLiteral("no_west"), QStringLiteral("BEFORE UPDATE ON KALOR_GroupInf WHEN NEW.GroupNum = 2")));
    EXPECT_FALSE(m_db.UpdateLiftConfig(3, 4, nullptr, groups));
    EXPECT_EQ(GroupColumn("strGroupName"), QStringList({"No group", "East", "West", "North"}));
    ExpectBoxes(2);
    ASSERT_TRUE(Exec(QStringLiteral("DROP TRIGGER no_west")));
    EXPECT_TRUE(m_db.UpdateLiftConfig(3, 4, nullptr, groups));
    EXPECT_EQ(GroupColumn("strGroupName"), QStringList({"G'0", "G'1", "G'2", "G'3"}));
}

TEST_F(ConfigTest, DeletingALiftDropsEveryTableOfItAndClearsItsRow)
{
    SetUpLift(7, 10, QStringLiteral("Seven"));
    SetUpLift(8, 10, QStringLiteral("Eight"));
    // Three days of recording give lift 7 three day tables.
    Page(7).nPageCount = 2;
    for (int day = 0; day < 3; ++day) {
        SetTime(QDate(2024, 3, 10).addDays(day), QTime(9, 0));
        m_db.SaveLiftRecords(&Lift(7), &Page(7));
    }
    ASSERT_EQ(LiftTables(7).size(), 6);
    // A day table already gone, and an index row naming a table that is not
    // one of the lift's day tables.
    ASSERT_TRUE(Exec(QStringLiteral("DROP TABLE KALOR_LiftData_7_2")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_LiftData_7 VALUES (99, '2024-01-01 00:00:00', 'KALOR_UserInf')")));
    m_db.m_nGroupCount = 2;
    strGroupInf groups[2];
    groups[1].nGroupNum = 1;
    groups[0].nLiftCount = 5;
    groups[1].nLiftCount = 6;
    EXPECT_TRUE(m_db.DeleteLift(&Lift(7), groups));
    EXPECT_TRUE(LiftTables(7).isEmpty());
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_UserInf")));
    EXPECT_EQ(LiftRow(7), QStringLiteral("0/0/0/0/0/0/"));
    EXPECT_EQ(GroupColumn("GroupCount"), QStringList({"5", "6", "0", "0"}));
    // Installed again later, the lift starts a fresh history: not in the day
    // table the old one had reached (its third), which is gone.
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    Page(7).nCarLamp[0] = 1;
    Page(7).nCarLampOld[0] = 0;
    m_db.SaveLiftRecords(&Lift(7), &Page(7));
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_7_1")), 1);
    EXPECT_EQ(LiftTables(7).size(), 4);
    // An empty index still lets the other three tables go.
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_LiftData_8")));
    EXPECT_TRUE(m_db.DeleteLift(&Lift(8), groups));
    EXPECT_EQ(LiftTables(8), QStringList{QStringLiteral("KALOR_LiftData_8_1")});
}

TEST_F(ConfigTest, StoresOfANewLiftItsHeightOrItsDeletionAreWholeOrUndoneAndFalse)
{
    SetUpLift(7, 10, QStringLiteral("Seven"));
    const QString seven = LiftRow(7);
    m_db.m_nGroupCount = 1;
    strGroupInf groups[1];
    Lift(7).nHeight = 9999;
    strLiftInf& rec = Lift(9);
    rec.nKind = 1;
    rec.nMaxFloor = 12;
    rec.nMinFloor = 1;
    rec.nHeight = 100;
    rec.strName = QStringLiteral("O'Brien");
    Lift(4).nKind = 2;  // not a lift the page stores
    Page(9).nPageCount = 1;
    m_db.SaveLiftRecords(&Lift(9), &Page(9));  // before its tables exist: reported, nothing recorded
    // Deleting: the row is cleared first, the later group count is refused.
    // The height: the flag would be set alone. A new lift: its height is refused last.
    ASSERT_TRUE(Refuse(QStringLiteral("r1"), QStringLiteral("BEFORE UPDATE OF GroupCount ON KALOR_GroupInf")));
    ASSERT_TRUE(Refuse(QStringLiteral("r2"), QStringLiteral("BEFORE UPDATE OF bLiftHight ON KALOR_LiftInf")));
    ASSERT_TRUE(Refuse(QStringLiteral("r3"), QStringLiteral("BEFORE UPDATE OF LiftHight ON KALOR_LiftInf WHEN NEW.RealAddr = 9")));
    EXPECT_FALSE(m_db.DeleteLift(&Lift(7), groups));
    EXPECT_FALSE(m_db.SaveLiftHeight(&Lift(7)));
    EXPECT_FALSE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    EXPECT_EQ(LiftRow(7), seven);
    EXPECT_EQ(LiftTables(7).size(), 4);
    EXPECT_TRUE(LiftTables(9).isEmpty());
    EXPECT_EQ(LiftRow(9), QStringLiteral("0/0/0/0/0/0/"));
    EXPECT_TRUE(rec.arrFloorNameHi.isEmpty());
    EXPECT_EQ(rec.nHeight, 100);
    // The deletion is refused in one box that says the lift stays, and why.
    EXPECT_EQ(m_boxes.texts().filter(QStringLiteral("电梯 7 没有删除：refused")).size(), 1) << m_boxes.texts().join('\n').toStdString();
    ExpectBoxes(6);

    // Nothing refused: the same calls store and say so. A new lift gets its
    // four tables, 56 named floors and the height of its floors.
    for (const char* t : {"r1", "r2", "r3"})
        ASSERT_TRUE(Exec(QStringLiteral("DROP TRIGGER ") + QLatin1String(t)));
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    EXPECT_EQ(LiftTables(9), QStringList({"KALOR_LiftData_9", "KALOR_LiftData_9_1", "KALOR_LiftData_9_Err", "KALOR_LiftData_9_FloorName"}));
    EXPECT_TRUE(LiftTables(4).isEmpty());
    EXPECT_EQ(Column(QStringLiteral("SELECT CountNum || '|' || RecDate || '|' || TabName FROM KALOR_LiftData_9")),
              QStringList{QStringLiteral("1|2024-03-10 10:00:00|KALOR_LiftData_9_1")});
    const QStringList floors = Column(QStringLiteral("SELECT FloorNum || ':' || FloorNameHi || ':' || FloorNameLo"
                                                     " FROM KALOR_LiftData_9_FloorName ORDER BY FloorNum"));
    ASSERT_EQ(floors.size(), 56);
    EXPECT_EQ(QStringList({floors[0], floors[8], floors[9], floors[55]}), QStringList({"1::1", "9::9", "10:1:0", "56:5:6"}));
    EXPECT_EQ(QList<int>({int(rec.arrFloorNameHi.size()), rec.arrFloorNameLo.value(55).toInt(), rec.nHeight}), QList<int>({56, 6, 400}));
    EXPECT_EQ(LiftRow(9), QStringLiteral("1/12/1/400/0/0/O'Brien"));
    // Its recording starts afresh in its first day table.
    Page(9).nCarLamp[0] = 1;
    m_db.SaveLiftRecords(&Lift(9), &Page(9));
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_9_1")), 1);
    // Stored again: only its row changes; tables, floor rows and height stay.
    rec.nMaxFloor = 14;
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_9_FloorName")) + Count(QStringLiteral("KALOR_LiftData_9")), 57);
    EXPECT_EQ(LiftRow(9), QStringLiteral("1/14/1/400/0/0/O'Brien"));
    EXPECT_TRUE(m_db.SaveLiftHeight(&Lift(7)));
    EXPECT_TRUE(LiftRow(7).contains(QLatin1String("/9999/1/")));
    // Every statement of a deletion taken, its commit refused (a rule the
    // file checks only then): nothing of it stays, and it says so.
    const QString stored = LiftRow(7);
    ASSERT_TRUE(Exec(QStringLiteral("CREATE UNIQUE INDEX lift_key ON KALOR_LiftInf (RealAddr, Kind)")));
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE keeps (a int, k int, FOREIGN KEY (a, k) REFERENCES KALOR_LiftInf (RealAddr, Kind)"
                                    " DEFERRABLE INITIALLY DEFERRED)")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO keeps VALUES (7, 1)")));
    ASSERT_TRUE(Exec(QStringLiteral("PRAGMA foreign_keys = ON")));
    Lift(7).bRecInit = 1;
    EXPECT_FALSE(m_db.DeleteLift(&Lift(7), groups));
    EXPECT_EQ(LiftRow(7), stored);
    EXPECT_EQ(LiftTables(7).size(), 4);
    EXPECT_EQ(Lift(7).bRecInit, 1);
    ExpectBoxes(1);
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM keeps")));
    EXPECT_TRUE(m_db.DeleteLift(&Lift(7), groups));
    EXPECT_TRUE(LiftTables(7).isEmpty());
}
