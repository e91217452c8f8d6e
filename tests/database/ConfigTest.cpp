// Loading the configuration and storing the configuration page's changes.
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "link/LiftDataStore.h"

namespace {

class ConfigTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        m_store.ResetLiftRecords();
        m_store.ResetLiftPages();
    }
    QStringList LiftTables(int n)
    {
        return Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                                     " AND (name = 'KALOR_LiftData_%1' OR name LIKE 'KALOR_LiftData_%1!_%' ESCAPE '!')"
                                     " ORDER BY name").arg(n),
                      QStringLiteral("name"));
    }
    QString LiftValue(int n, const char* column)
    {
        const QStringList v = Column(QStringLiteral("SELECT %1 AS v FROM KALOR_LiftInf WHERE RealAddr = %2")
                                         .arg(QLatin1String(column)).arg(n),
                                     QStringLiteral("v"));
        return v.value(0);
    }

    CLiftDataStore m_store;
};

} // namespace

TEST_F(ConfigTest, SettingsAndFloorShowCodesLoad)
{
    int color = -1, groups = -1, port = -1, baud = -1;
    QStringList show[2];
    ASSERT_TRUE(m_db.LoadSoftInfo(&color, &groups, &port, &baud, show));
    EXPECT_EQ(color, 16777215);
    EXPECT_EQ(groups, 4);
    EXPECT_EQ(port, 1);
    EXPECT_EQ(baud, 2);
    EXPECT_EQ(m_db.m_nGroupCount, 4);
    EXPECT_EQ(show[0], QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(show[1], QStringList{QStringLiteral("M")});

    // A damaged count is clamped to a group per lift slot, both ways.
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_SoftInf SET GroupNum = 2000000000")));
    ASSERT_TRUE(m_db.LoadSoftInfo(nullptr, &groups, nullptr, nullptr, nullptr));
    EXPECT_EQ(groups, 64);
    EXPECT_EQ(m_db.m_nGroupCount, 64);
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_SoftInf SET GroupNum = -5")));
    ASSERT_TRUE(m_db.LoadSoftInfo(nullptr, &groups, nullptr, nullptr, nullptr));
    EXPECT_EQ(groups, 0);

    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftInf")));
    color = -1;
    EXPECT_FALSE(m_db.LoadSoftInfo(&color, &groups, &port, &baud, show));
    EXPECT_EQ(color, -1);
}

TEST_F(ConfigTest, LiftsLoadIntoTheirSlotsWithPagesHeightsNamesAndFloorTexts)
{
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 9, MinFloor = -1, LiftHight = 4000,"
                                    " GroupNum = 2, strName_1 = 'O''Brien' WHERE RealAddr = 6")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 8 WHERE RealAddr = 7")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 17, strName_1 = NULL WHERE RealAddr = 64")));
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_6_FloorName (FloorNum byte, FloorNameHi nvarchar(10),"
                                    " FloorNameLo nvarchar(10))")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_LiftData_6_FloorName VALUES (2, NULL, 'G'), (1, '-', '1')")));
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_7_FloorName (FloorNum byte, FloorNameHi nvarchar(10),"
                                    " FloorNameLo nvarchar(10))")));
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TABLE KALOR_LiftData_64_FloorName (FloorNum byte, FloorNameHi nvarchar(10),"
                                    " FloorNameLo nvarchar(10))")));
    m_store.m_pLiftInf[4].nMaxFloor = 33;  // a free slot keeps what the reset left

    strLiftInf* inf = m_store.m_pLiftInf;
    strLiftPage* page = m_store.m_pLiftPage;
    ASSERT_TRUE(m_db.LoadLiftInfo(inf, page));
    EXPECT_EQ(inf[4].nKind, 0);
    EXPECT_EQ(inf[4].nMaxFloor, 33);
    EXPECT_EQ(inf[5].nKind, 1);
    EXPECT_EQ(inf[5].nLiftNum, 6);
    EXPECT_EQ(inf[5].nRealAddr, 6);
    EXPECT_EQ(inf[5].nGroupNum, 2);
    EXPECT_EQ(inf[5].nMinFloor, -1);
    EXPECT_EQ(inf[5].nHeight, 4000);
    EXPECT_EQ(inf[5].bHeightKnown, 1);
    EXPECT_EQ(inf[5].strName, QStringLiteral("O'Brien"));
    EXPECT_EQ(page[5].nPageCount, 2);  // 9 floors
    EXPECT_EQ(page[6].nPageCount, 1);  // 8 floors
    EXPECT_EQ(page[63].nPageCount, 3);  // 17 floors
    EXPECT_EQ(page[4].nPageCount, 0);   // a free slot keeps none
    EXPECT_EQ(inf[6].bHeightKnown, 0);
    EXPECT_EQ(inf[63].strName, QString());
    EXPECT_EQ(inf[5].arrFloorNameHi, QStringList({QStringLiteral("-"), QString()}));
    EXPECT_EQ(inf[5].arrFloorNameLo, QStringList({QStringLiteral("1"), QStringLiteral("G")}));
    EXPECT_TRUE(inf[6].arrFloorNameHi.isEmpty());

    // A second login loads the floor texts afresh instead of doubling them.
    ASSERT_TRUE(m_db.LoadLiftInfo(inf, page));
    EXPECT_EQ(inf[5].arrFloorNameLo.size(), 2);
    EXPECT_EQ(m_boxes.count(), 0);

    // Every slot free: FALSE. Only the last slot holding a lift: TRUE.
    CLiftDataStore fresh;
    fresh.ResetLiftRecords();
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 0 WHERE RealAddr < 64")));
    EXPECT_TRUE(m_db.LoadLiftInfo(fresh.m_pLiftInf, fresh.m_pLiftPage));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 0")));
    CLiftDataStore none;
    none.ResetLiftRecords();
    EXPECT_FALSE(m_db.LoadLiftInfo(none.m_pLiftInf, none.m_pLiftPage));
}

TEST_F(ConfigTest, GroupsLoadInGroupOrderUpToTheCount)
{
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_GroupInf SET GroupCount = GroupNum * 2")));
    strGroupInf groups[4];
    groups[3].strGroupName = QStringLiteral("untouched");
    EXPECT_TRUE(m_db.LoadGroupInfo(3, groups));
    EXPECT_EQ(groups[1].nGroupNum, 1);
    EXPECT_EQ(groups[2].nLiftCount, 4);
    EXPECT_EQ(groups[2].strGroupName, QStringLiteral("West"));
    EXPECT_EQ(groups[3].strGroupName, QStringLiteral("untouched"));
    EXPECT_TRUE(m_db.LoadGroupInfo(0, groups));
    EXPECT_EQ(m_db.m_pRecordset, nullptr);
}

TEST_F(ConfigTest, NewLiftGetsItsFourTablesFiftySixFloorRowsAndHeight)
{
    strLiftInf& rec = m_store.m_pLiftInf[2];
    rec.nKind = 1;
    rec.nMaxFloor = 12;
    rec.nMinFloor = 1;
    rec.nHeight = 100;
    rec.strName = QStringLiteral("O'Brien");
    m_store.m_pLiftInf[3].nKind = 2;  // not a lift the page stores
    m_store.m_pLiftInf[3].nMaxFloor = 5;
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();

    EXPECT_EQ(LiftTables(3), QStringList({QStringLiteral("KALOR_LiftData_3"), QStringLiteral("KALOR_LiftData_3_1"),
                                          QStringLiteral("KALOR_LiftData_3_Err"), QStringLiteral("KALOR_LiftData_3_FloorName")}));
    EXPECT_TRUE(LiftTables(4).isEmpty());
    EXPECT_EQ(LiftValue(4, "Kind"), QStringLiteral("0"));
    EXPECT_EQ(Column(QStringLiteral("SELECT CountNum || '|' || RecDate || '|' || TabName AS r FROM KALOR_LiftData_3"),
                     QStringLiteral("r")),
              QStringList{QStringLiteral("1|2024-03-10 10:00:00|KALOR_LiftData_3_1")});
    const QStringList floors = Column(QStringLiteral("SELECT FloorNum || ':' || FloorNameHi || ':' || FloorNameLo AS f"
                                                     " FROM KALOR_LiftData_3_FloorName ORDER BY FloorNum"),
                                      QStringLiteral("f"));
    ASSERT_EQ(floors.size(), 56);
    EXPECT_EQ(floors[0], QStringLiteral("1::1"));
    EXPECT_EQ(floors[8], QStringLiteral("9::9"));
    EXPECT_EQ(floors[9], QStringLiteral("10:1:0"));
    EXPECT_EQ(floors[55], QStringLiteral("56:5:6"));
    EXPECT_EQ(rec.arrFloorNameHi.size(), 56);
    EXPECT_EQ(rec.arrFloorNameLo[55], QStringLiteral("6"));
    EXPECT_EQ(rec.nHeight, 400);
    EXPECT_EQ(LiftValue(3, "LiftHight"), QStringLiteral("400"));
    EXPECT_EQ(LiftValue(3, "MaxFloor"), QStringLiteral("12"));
    EXPECT_EQ(LiftValue(3, "strName_1"), QStringLiteral("O'Brien"));

    // Stored again: only its row changes; tables, floor rows and height stay.
    rec.nMaxFloor = 14;
    rec.strName = QStringLiteral("Renamed");
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_3_FloorName")), 56);
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_3")), 1);
    EXPECT_EQ(LiftValue(3, "LiftHight"), QStringLiteral("400"));
    EXPECT_EQ(LiftValue(3, "MaxFloor"), QStringLiteral("14"));
    EXPECT_EQ(LiftValue(3, "strName_1"), QStringLiteral("Renamed"));
}

TEST_F(ConfigTest, UpdateModesStoreNamesGroupsFloorTextsAndCounts)
{
    SetUpLift(5, 3);
    m_db.m_nGroupCount = 3;
    strGroupInf groups[4];
    for (int g = 0; g < 4; ++g) {
        groups[g].nGroupNum = g;
        groups[g].nLiftCount = 10 + g;
        groups[g].strGroupName = QStringLiteral("G'%1").arg(g);
    }
    strLiftInf& rec = m_store.m_pLiftInf[4];
    rec.nKind = 1;
    rec.nGroupNum = 2;
    rec.strName = QStringLiteral("x'); DELETE FROM KALOR_LiftInf; --");

    EXPECT_TRUE(m_db.UpdateLiftConfig(1, 0, &rec, groups));
    EXPECT_EQ(LiftValue(5, "strName_1"), rec.strName);
    EXPECT_EQ(LiftValue(5, "GroupNum"), QStringLiteral("2"));
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftInf")), 64);
    // Mode 1 stores the counts of m_nGroupCount groups, not of the argument.
    EXPECT_EQ(Column(QStringLiteral("SELECT GroupCount FROM KALOR_GroupInf ORDER BY GroupNum"), QStringLiteral("GroupCount")),
              QStringList({"10", "11", "12", "0"}));

    // Mode 1 on a free slot changes no lift row, only the counts.
    strLiftInf& free = m_store.m_pLiftInf[9];
    free.strName = QStringLiteral("ghost");
    m_db.UpdateLiftConfig(1, 0, &free, groups);
    EXPECT_EQ(LiftValue(10, "strName_1"), QString());

    rec.arrFloorNameHi = QStringList({QStringLiteral("'"), QStringLiteral(""), QStringLiteral("B")});
    rec.arrFloorNameLo = QStringList({QStringLiteral("G"), QStringLiteral("1\""), QStringLiteral("2")});
    rec.nMaxFloor = 3;
    m_db.UpdateLiftConfig(2, 0, &rec, nullptr);
    EXPECT_EQ(Column(QStringLiteral("SELECT FloorNameHi || '|' || FloorNameLo AS f FROM KALOR_LiftData_5_FloorName"
                                    " WHERE FloorNum <= 4 ORDER BY FloorNum"),
                     QStringLiteral("f")),
              QStringList({"'|G", "|1\"", "B|2", "|4"}));

    // Floors beyond the lists, or none at all, send nothing.
    rec.nMaxFloor = 0;
    m_db.UpdateLiftConfig(2, 0, &rec, nullptr);
    rec.nMaxFloor = 200;
    m_db.UpdateLiftConfig(2, 0, &rec, nullptr);
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_5_FloorName")), 56);

    m_db.UpdateLiftConfig(3, 4, nullptr, groups);
    EXPECT_EQ(Column(QStringLiteral("SELECT strGroupName FROM KALOR_GroupInf ORDER BY GroupNum"), QStringLiteral("strGroupName")),
              QStringList({"G'0", "G'1", "G'2", "G'3"}));
    groups[3].nLiftCount = 7;
    m_db.UpdateLiftConfig(4, 4, nullptr, groups);
    EXPECT_EQ(Column(QStringLiteral("SELECT GroupCount FROM KALOR_GroupInf WHERE GroupNum = 3"), QStringLiteral("GroupCount")),
              QStringList{"7"});
    groups[0].strGroupName = QStringLiteral("other");
    m_db.UpdateLiftConfig(5, 4, &rec, groups);
    EXPECT_EQ(Column(QStringLiteral("SELECT strGroupName FROM KALOR_GroupInf WHERE GroupNum = 0"), QStringLiteral("strGroupName")),
              QStringList{"G'0"});
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();

    // A statement the file refuses makes the update FALSE and takes the others back,
    // so the page can keep its records as the file has them.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER no_west BEFORE UPDATE ON KALOR_GroupInf WHEN NEW.GroupNum = 2"
                                    " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    groups[3].strGroupName = QStringLiteral("Last");
    EXPECT_FALSE(m_db.UpdateLiftConfig(3, 4, nullptr, groups));
    EXPECT_EQ(Column(QStringLiteral("SELECT strGroupName FROM KALOR_GroupInf WHERE GroupNum = 3"), QStringLiteral("strGroupName")),
              QStringList{"G'3"});
    EXPECT_EQ(m_boxes.count(), 2);

    rec.nHeight = 3210;
    EXPECT_TRUE(m_db.SaveLiftHeight(&rec));
    EXPECT_EQ(LiftValue(5, "LiftHight"), QStringLiteral("3210"));
    EXPECT_EQ(LiftValue(5, "bLiftHight"), QStringLiteral("1"));
}

TEST_F(ConfigTest, DeletingALiftDropsEveryTableOfItAndClearsItsRow)
{
    SetUpLift(7, 10, QStringLiteral("Seven"));
    SetUpLift(8, 10, QStringLiteral("Eight"));
    // Three days of recording give lift 7 three day tables.
    strLiftInf& rec = m_store.m_pLiftInf[6];
    rec.nKind = 1;
    m_store.m_pLiftPage[6].nPageCount = 2;
    for (int day = 0; day < 3; ++day) {
        SetTime(QDate(2024, 3, 10).addDays(day), QTime(9, 0));
        m_db.SaveLiftRecords(&rec, &m_store.m_pLiftPage[6]);
    }
    ASSERT_EQ(LiftTables(7).size(), 6);
    // An index row naming a table that is not one of the lift's day tables.
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_LiftData_7 VALUES (99, '2024-01-01 00:00:00', 'KALOR_UserInf')")));

    m_db.m_nGroupCount = 2;
    strGroupInf groups[2];
    groups[0].nGroupNum = 0;
    groups[0].nLiftCount = 5;
    groups[1].nGroupNum = 1;
    groups[1].nLiftCount = 6;
    EXPECT_TRUE(m_db.DeleteLift(&rec, groups));
    EXPECT_TRUE(LiftTables(7).isEmpty());
    EXPECT_EQ(LiftTables(8).size(), 4);
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_UserInf")));
    for (const char* column : {"Kind", "MaxFloor", "MinFloor", "LiftHight", "bLiftHight", "GroupNum"})
        EXPECT_EQ(LiftValue(7, column), QStringLiteral("0")) << column;
    EXPECT_EQ(LiftValue(7, "strName_1"), QString());
    EXPECT_EQ(LiftValue(8, "strName_1"), QStringLiteral("Eight"));
    EXPECT_EQ(Column(QStringLiteral("SELECT GroupCount FROM KALOR_GroupInf ORDER BY GroupNum"), QStringLiteral("GroupCount")),
              QStringList({"5", "6", "0", "0"}));
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();

    // Installed again later, the lift starts a fresh history.
    rec.nMaxFloor = 10;
    EXPECT_TRUE(m_db.SaveLiftSetup(m_store.m_pLiftInf));
    m_store.m_pLiftPage[6].nCarLamp[0] = 1;
    m_store.m_pLiftPage[6].nCarLampOld[0] = 0;
    m_db.SaveLiftRecords(&rec, &m_store.m_pLiftPage[6]);
    // Not into the day table the old history had reached (its third), which is gone.
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_7_1")), 1);
    EXPECT_EQ(LiftTables(7).size(), 4);
    EXPECT_EQ(m_boxes.count(), 0) << m_boxes.texts().join('\n').toStdString();

    // An empty index still lets the other three tables go.
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_LiftData_8")));
    EXPECT_TRUE(m_db.DeleteLift(&m_store.m_pLiftInf[7], groups));
    EXPECT_EQ(LiftTables(8), QStringList{QStringLiteral("KALOR_LiftData_8_1")});
}

TEST_F(ConfigTest, LiftsAboveSixtyFourFloorsLoadWithThePagesTheLinkExchanges)
{
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 80 WHERE RealAddr = 2")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 255 WHERE RealAddr = 3")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_LiftInf SET Kind = 1, MaxFloor = 56 WHERE RealAddr = 4")));
    ASSERT_TRUE(m_db.LoadLiftInfo(m_store.m_pLiftInf, m_store.m_pLiftPage));
    EXPECT_EQ(m_store.m_pLiftPage[1].nPageCount, 7);
    EXPECT_EQ(m_store.m_pLiftPage[2].nPageCount, 7);
    EXPECT_EQ(m_store.m_pLiftPage[3].nPageCount, 7);
    EXPECT_EQ(m_store.m_pLiftInf[1].nMaxFloor, 80);
}

TEST_F(ConfigTest, RefusedStatementsUndoTheStoreAndReportFalse)
{
    SetUpLift(7, 10, QStringLiteral("Seven"));
    ASSERT_EQ(LiftTables(7).size(), 4);
    const int boxes = m_boxes.count();
    CLiftDataStore again;
    again.ResetLiftRecords();
    strLiftInf& rec = again.m_pLiftInf[6];

    // Deleting: the row is cleared first, a later drop is refused.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER keep_err BEFORE UPDATE OF GroupCount ON KALOR_GroupInf"
                                    " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    m_db.m_nGroupCount = 1;
    strGroupInf groups[1];
    groups[0].nGroupNum = 0;
    EXPECT_FALSE(m_db.DeleteLift(&rec, groups));
    EXPECT_EQ(LiftValue(7, "Kind"), QStringLiteral("1"));
    EXPECT_EQ(LiftValue(7, "strName_1"), QStringLiteral("Seven"));
    EXPECT_EQ(LiftTables(7).size(), 4);
    EXPECT_GT(m_boxes.count(), boxes);
    ASSERT_TRUE(Exec(QStringLiteral("DROP TRIGGER keep_err")));

    // The height: the flag would be set alone.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER keep_height BEFORE UPDATE OF bLiftHight ON KALOR_LiftInf"
                                    " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    const QString height = LiftValue(7, "LiftHight");
    rec.nHeight = 9999;
    EXPECT_FALSE(m_db.SaveLiftHeight(&rec));
    EXPECT_EQ(LiftValue(7, "LiftHight"), height);
    ASSERT_TRUE(Exec(QStringLiteral("DROP TRIGGER keep_height")));

    // A new lift: no table of it is left, and its record is as it was.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER keep_height BEFORE UPDATE OF LiftHight ON KALOR_LiftInf"
                                    " WHEN NEW.RealAddr = 9 BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    strLiftInf& fresh = again.m_pLiftInf[8];
    fresh.nKind = 1;
    fresh.nMaxFloor = 12;
    fresh.nHeight = 100;
    fresh.strName = QStringLiteral("Nine");
    EXPECT_FALSE(m_db.SaveLiftSetup(again.m_pLiftInf));
    EXPECT_TRUE(LiftTables(9).isEmpty());
    EXPECT_EQ(LiftValue(9, "Kind"), QStringLiteral("0"));
    EXPECT_EQ(LiftValue(9, "strName_1"), QString());
    EXPECT_TRUE(fresh.arrFloorNameHi.isEmpty());
    EXPECT_EQ(fresh.nHeight, 100);
    ASSERT_TRUE(Exec(QStringLiteral("DROP TRIGGER keep_height")));

    // Nothing refused: the same calls store and say so.
    EXPECT_TRUE(m_db.SaveLiftSetup(again.m_pLiftInf));
    EXPECT_EQ(LiftTables(9).size(), 4);
    EXPECT_EQ(fresh.nHeight, 400);
    EXPECT_TRUE(m_db.SaveLiftHeight(&rec));
    EXPECT_EQ(LiftValue(7, "LiftHight"), QStringLiteral("9999"));
    EXPECT_TRUE(m_db.DeleteLift(&rec, groups));
    EXPECT_TRUE(LiftTables(7).isEmpty());
}
