// The page's store handlers on a real database file: lift names and groups,
// group names, floor display texts and deleting a lift, with their refusals,
// and that memory changes only with a store that went through.
#include <QFile>
#include <cstdio>

#include "ConfigPageFixture.h"

using namespace config_test;

namespace {

class StoreHandlersTest : public ConfigPageTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.ok());
        data.InstallLifts({{1, 10, 0, QStringLiteral("东1")},
                           {2, 12, 0, QStringLiteral("东2")},
                           {5, 8, 1, QStringLiteral("西1")},
                           {7, 60, 2, QStringLiteral("高楼")}});
        ConfigPageTest::SetUp();
        ASSERT_EQ(page->m_lstLift->GetItemCount(), 4);
    }

    // Types a name for lift n, keeps or changes its group entry, and stores.
    void SaveLift(int n, const QString& name, int groupEntry = -1)
    {
        SelectLift(n);
        page->m_edLiftName->setText(name);
        if (groupEntry >= 0)
            page->m_cbGroup->setCurrentIndex(groupEntry);
        boxes.clear();
        page->m_btSaveLift->click();
    }
    // A name stored for lift 1 everywhere it shows, or refused everywhere with why.
    void ExpectLiftOneNamed(const QString& name)
    {
        EXPECT_EQ(StoredName(1), name);
        EXPECT_EQ(Lift(1).strName, name);
        EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 1), name);
    }
    void SaveGroupName(const QString& name)
    {
        page->m_edGroupName->setText(name);
        boxes.clear();
        page->m_btSaveGroup->click();
    }
    QString StoredName(int n)
    {
        return Value(QStringLiteral("Select strName_1 From KALOR_LiftInf Where RealAddr = ?"), QStringLiteral("strName_1"), {n});
    }
    int Stored(const char* sql, int key)
    {
        return Value(QString::fromLatin1(sql), QStringLiteral("v"), {key}).toInt();
    }
    QString StoredFloor(int n, int floor)
    {
        const QString sql = QStringLiteral("Select FloorNameHi || '/' || FloorNameLo AS t From KALOR_LiftData_%1_FloorName");
        return Value(sql.arg(n) + QStringLiteral(" Where FloorNum = ?"), QStringLiteral("t"), {floor});
    }
};

constexpr const char* kGroupOfLift = "Select GroupNum AS v From KALOR_LiftInf Where RealAddr = ?";
constexpr const char* kMembersOfGroup = "Select GroupCount AS v From KALOR_GroupInf Where GroupNum = ?";

} // namespace

TEST_F(StoreHandlersTest, LiftNamesAreCheckedForWidthEmptinessDuplicatesAndSheetCharacters)
{
    const QString wide7 = QStringLiteral("一二三四五六七");
    // Width counts characters above 0xFF twice, one beyond the basic plane once.
    const std::vector<std::pair<QString, QString>> cases = {
        {wide7, QString()},
        {wide7 + QStringLiteral("八"), T(120)},
        {QStringLiteral("ABCDEFGHIJKLMN"), QString()},
        {QStringLiteral("ABCDEFGHIJKLMNO"), T(120)},
        {QStringLiteral("Lift一二三四五6"), T(120)},
        {QStringLiteral("é1234567890123"), QString()},
        {QString::fromUcs4(U"\U00020000\U00020001\U00020002\U00020003\U00020004\U00020005\U00020006"), QString()},
        {QString(), T(162)},
        {QStringLiteral("   "), T(162)},
        {QStringLiteral("高楼"), T(161)},  // lift 7's name
        {QStringLiteral("O'Neil"), QString()},
    };
    for (const auto& [name, why] : cases) {
        SCOPED_TRACE(name.toStdString());
        const QString before = StoredName(1);
        SaveLift(1, name);
        EXPECT_EQ(boxes.texts(), why.isEmpty() ? QStringList() : QStringList{why});
        ExpectLiftOneNamed(why.isEmpty() ? name : before);
    }
    // Keeping its own name is no duplicate.
    SaveLift(1, QStringLiteral("O'Neil"));
    EXPECT_TRUE(boxes.texts().isEmpty());
    // Characters a sheet name cannot hold, refused in the language in force.
    for (int kind : {1, 2}) {
        page->m_nLanguageKind = kind;
        for (const QChar c : QStringLiteral("[]:*?/\\")) {
            SaveLift(1, QStringLiteral("A") + c + QStringLiteral("B"));
            ASSERT_EQ(boxes.count(), 1) << QString(c).toStdString();
            EXPECT_TRUE(boxes.texts()[0].startsWith(kind == 1 ? QStringLiteral("电梯名称") : QStringLiteral("A lift name")));
        }
    }
    ExpectLiftOneNamed(QStringLiteral("O'Neil"));
}

TEST_F(StoreHandlersTest, GroupLimitCountsOnlyForALiftThatChangesGroup)
{
    // Lift 1 sits in group 0; pretend its group is full: it may stay.
    groups[0].nLiftCount = 64;
    SaveLift(1, QStringLiteral("东一"), 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(StoredName(1), QStringLiteral("东一"));
    // Now group 1 is full: lift 1 may not join it.
    groups[1].nLiftCount = 64;
    SaveLift(1, QStringLiteral("东一"), 1);
    EXPECT_EQ(boxes.texts(), QStringList{T(251)});
    EXPECT_EQ(Stored(kGroupOfLift, 1), 0);
    EXPECT_EQ(Lift(1).nGroupNum, 0);

    // Into group 2: file, record, list and member table all follow.
    SaveLift(1, QStringLiteral("东一"), 2);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(Stored(kGroupOfLift, 1), 2);
    EXPECT_EQ(Stored(kMembersOfGroup, 0), 1);
    EXPECT_EQ(Stored(kMembersOfGroup, 2), 2);
    EXPECT_EQ(Lift(1).strGroupName, groups[2].strGroupName);
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 2), QStringLiteral("2:") + groups[2].strGroupName);
    EXPECT_EQ(groups[2].byLiftNum[0], 1);
    // And so it is found again after a restart.
    LoadConfig();
    EXPECT_EQ(Lift(1).nGroupNum, 2);
    EXPECT_EQ(groups[2].nLiftCount, 2);
}

TEST_F(StoreHandlersTest, AStoreThatFailsLeavesMemoryAsItWas)
{
    db->m_pAdo->CloseConnection();
    SaveLift(1, QStringLiteral("新名"), 2);
    EXPECT_FALSE(boxes.texts().isEmpty());  // the connection reported why
    EXPECT_EQ(Lift(1).nGroupNum, 0);
    EXPECT_EQ(groups[0].nLiftCount, 2);
    EXPECT_EQ(groups[2].nLiftCount, 1);
    EXPECT_EQ(Lift(1).strName, QStringLiteral("东1"));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 1), QStringLiteral("东1"));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 2), QStringLiteral("0:") + groups[0].strGroupName);

    ClickRow(page->m_lstGroup, 1);
    SaveGroupName(QStringLiteral("北楼"));
    EXPECT_FALSE(boxes.texts().isEmpty());
    EXPECT_NE(groups[1].strGroupName, QStringLiteral("北楼"));
    EXPECT_NE(page->m_lstGroup->GetItemText(1, 1), QStringLiteral("北楼"));
}

TEST_F(StoreHandlersTest, GroupNamesAreCheckedAndReachListsComboAndLifts)
{
    const QString oldName = groups[1].strGroupName;
    ClickRow(page->m_lstGroup, 1);
    // Empty, another group's and its own name are refused, in the language in force.
    for (const QString& name : {QString(), groups[0].strGroupName, oldName}) {
        SaveGroupName(name);
        ASSERT_EQ(boxes.count(), 1);
        page->m_nLanguageKind = 2;
        SaveGroupName(name);
        EXPECT_TRUE(boxes.texts()[0].startsWith(name.isEmpty() ? QStringLiteral("Enter") : QStringLiteral("Another")));
        page->m_nLanguageKind = 1;
    }
    EXPECT_EQ(Value(QStringLiteral("Select strGroupName From KALOR_GroupInf Where GroupNum = 1"), QStringLiteral("strGroupName")),
              oldName);

    // A name wider than a lift name may be is refused as one, pasted or typed.
    for (const QString& name : {QStringLiteral("北").repeated(8), QString(15, u'n'), QString(1'000'000, u'x')}) {
        SaveGroupName(name);
        EXPECT_EQ(boxes.texts(), QStringList({T(120)})) << name.size();
        EXPECT_EQ(Value(QStringLiteral("Select strGroupName From KALOR_GroupInf Where GroupNum = 1"), QStringLiteral("strGroupName")),
                  oldName);
        EXPECT_EQ(groups[1].strGroupName, oldName);
    }

    SaveGroupName(QStringLiteral("北楼"));
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(page->m_lstGroup->GetItemText(1, 1), QStringLiteral("北楼"));
    EXPECT_EQ(page->m_cbGroup->itemText(1), QStringLiteral("1:北楼"));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(5), 2), QStringLiteral("1:北楼"));
    EXPECT_EQ(Lift(5).strGroupName, QStringLiteral("北楼"));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 2), QStringLiteral("0:") + groups[0].strGroupName);
    LoadConfig();
    EXPECT_EQ(groups[1].strGroupName, QStringLiteral("北楼"));
}

TEST_F(StoreHandlersTest, FloorTextsAreShownChosenAndWrittenForEveryFloor)
{
    SelectLift(2);
    ASSERT_EQ(page->m_lstFloor->GetItemCount(), 12);
    // A click puts the floor's two texts into the combos.
    ClickRow(page->m_lstFloor, 11);
    EXPECT_EQ(page->m_cbFloorHi->currentText() + page->m_cbFloorLo->currentText(), QStringLiteral("12"));
    ClickRow(page->m_lstFloor, 4);
    EXPECT_EQ(page->m_cbFloorHi->currentText(), QString());
    // Floor 3 is changed behind the page's back; storing floor 5 writes every floor.
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_LiftData_2_FloorName Set FloorNameLo = 'X' Where FloorNum = 3")));
    page->m_cbFloorHi->setCurrentText(QStringLiteral("B"));
    page->m_cbFloorLo->setCurrentText(QStringLiteral("2"));
    page->m_btSaveFloor->click();
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(StoredFloor(2, 5), QStringLiteral("B/2"));
    EXPECT_EQ(StoredFloor(2, 3), QStringLiteral("/3"));
    EXPECT_EQ(page->m_lstFloor->GetItemText(4, 1), QStringLiteral("B 2"));
    LoadConfig();
    EXPECT_EQ(Lift(2).arrFloorNameHi.at(4) + Lift(2).arrFloorNameLo.at(4), QStringLiteral("B2"));

    // Sixty floors and texts for 56: the rest show their number and cannot be stored.
    SelectLift(7);
    ASSERT_EQ(page->m_lstFloor->GetItemCount(), 60);
    EXPECT_EQ(page->m_lstFloor->GetItemText(57, 1), QStringLiteral("5 8"));
    ClickRow(page->m_lstFloor, 57);
    page->m_cbFloorHi->setCurrentText(QStringLiteral("B"));
    page->m_btSaveFloor->click();
    EXPECT_EQ(page->m_lstFloor->GetItemText(57, 1), QStringLiteral("5 8"));
    EXPECT_EQ(Lift(7).arrFloorNameHi.size(), 56);
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_7_FloorName")), 56);

    // A lift whose texts were never loaded shows floor numbers; storing one
    // floor fills in the floors below it.
    Lift(1).arrFloorNameHi.clear();
    Lift(1).arrFloorNameLo.clear();
    SelectLift(1);
    EXPECT_EQ(page->m_lstFloor->GetItemText(9, 1), QStringLiteral("1 0"));
    ClickRow(page->m_lstFloor, 2);
    page->m_cbFloorHi->setCurrentText(QStringLiteral("G"));
    page->m_cbFloorLo->setCurrentText(QStringLiteral("0"));
    page->m_btSaveFloor->click();
    EXPECT_EQ(Lift(1).arrFloorNameHi, (QStringList{QString(), QString(), QStringLiteral("G")}));
    EXPECT_EQ(StoredFloor(1, 3), QStringLiteral("G/0"));
    EXPECT_EQ(StoredFloor(1, 2), QStringLiteral("/2"));
}

TEST_F(StoreHandlersTest, DeletingALiftDropsItsTablesClearsItsRowAndCompacts)
{
    // Nothing happens without a selected row.
    const QStringList rows = LiftRows();
    page->m_edLiftName->setText(QStringLiteral("X"));
    for (CButX* button : {page->m_btSaveLift, page->m_btSaveGroup, page->m_btSaveFloor, page->m_btDeleteLift})
        button->click();
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(LiftRows(), rows);

    SelectLift(2);
    boxes.setAnswer(MsgBoxResult::Cancel);
    page->m_btDeleteLift->click();
    EXPECT_EQ(boxes.texts(), QStringList{T(47)});
    EXPECT_EQ(Lift(2).nKind, 1);
    boxes.clear();
    boxes.setAnswer(MsgBoxResult::Ok);
    page->m_btDeleteLift->click();
    EXPECT_EQ(boxes.texts(), QStringList{T(47)});  // no compaction failure
    for (const char* suffix : {"", "_1", "_Err", "_FloorName"})
        EXPECT_FALSE(TableExists(QStringLiteral("KALOR_LiftData_2") + QLatin1String(suffix))) << suffix;
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_1_FloorName")));
    EXPECT_EQ(LiftRows().at(1), QStringLiteral("2|0|0|0|0|0|0|"));
    EXPECT_EQ(Stored(kMembersOfGroup, 0), 1);
    EXPECT_TRUE(Lift(2).nKind == 0 && Lift(2).nMaxFloor == 0 && Lift(2).strName.isEmpty());
    EXPECT_EQ(groups[0].nLiftCount, 1);
    EXPECT_EQ(LiftRowOf(2), -1);
    EXPECT_EQ(page->m_lstFloor->GetItemCount(), 0);
    // Compacted: the dropped tables left no free pages, and the reopened file keeps working.
    EXPECT_EQ(Value(QStringLiteral("PRAGMA freelist_count"), QStringLiteral("freelist_count")), QStringLiteral("0"));
    SaveLift(1, QStringLiteral("仍可保存"));
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(StoredName(1), QStringLiteral("仍可保存"));
}

TEST_F(StoreHandlersTest, ALiftIsNotDeletedWhileTheStationRecordsIntoASavedCopy)
{
    // Another station's file takes the place of the open one: the station
    // saves its own aside and records into it. The deletion would compact,
    // so the lift stays and the box says why.
    const QString other = data.folder() + QStringLiteral("other.mdb");
    ASSERT_TRUE(QFile::copy(data.dbPath(), other));
    ASSERT_EQ(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(data.dbPath()).constData()), 0);
    EXPECT_EQ(StoredName(1), QStringLiteral("东1"));
    const QString copy = db->m_pAdo->DataFile();
    ASSERT_NE(copy, data.dbPath());
    boxes.clear();

    SelectLift(2);
    boxes.setAnswer(MsgBoxResult::Ok);
    page->m_btDeleteLift->click();
    ASSERT_EQ(boxes.texts().size(), 2) << boxes.texts().join('\n').toStdString();
    EXPECT_TRUE(boxes.texts()[1].startsWith(QStringLiteral("电梯 2 没有删除")) && boxes.texts()[1].contains(copy))
        << boxes.texts()[1].toStdString();
    // Its reason is the deletion's own: no word of a compaction the operator did not ask for.
    EXPECT_FALSE(boxes.texts()[1].contains(QStringLiteral("压缩"))) << boxes.texts()[1].toStdString();
    EXPECT_EQ(Lift(2).nKind, 1);
    EXPECT_NE(LiftRowOf(2), -1);
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_2")));
    EXPECT_TRUE(db->m_pAdo->IsOpen());
    EXPECT_EQ(db->m_pAdo->DataFile(), copy);
    boxes.clear();
}
