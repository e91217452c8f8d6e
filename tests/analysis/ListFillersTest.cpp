// Columns per list kind and rows per filler and mode, on real lists.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "analysis/ListFillers.h"
#include "controls/HeadCtrlX.h"
#include "controls/ListCtrlX.h"
#include "database/ErrInfTab.h"
#include "database/LiftFaultStat.h"
#include "link/GroupInf.h"
#include "link/LiftDataStore.h"

namespace {

class ListFillersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 300; ++i)
            texts << QStringLiteral("T%1").arg(i);
        list.m_pLanText = &texts;
        // Fault texts of the enhanced model, without code 5: rows are found by code, not position.
        for (int c : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13}) {
            tabs[2].strErrCount << QStringLiteral("ERR%1").arg(c);
            tabs[2].strErrName << QStringLiteral("name%1").arg(c);
        }
    }

    QStringList Row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c)
            cells << list.GetItemText(r, c);
        return cells;
    }

    // A lift's fault records, newest first.
    static void AddRecord(strLiftFaultStat& stat, const QString& time, int code, int state)
    {
        stat.arrErrTime << time;
        stat.lstErrCode << code;
        stat.lstLiftState << state;
        stat.lstErrID << strErrIDInf{};
        ++stat.nErrTotal;
        ++stat.nCodeCount[std::size_t(code)];
    }

    QStringList texts;
    ClistCtrlX list;
    std::array<strErrInfTab, 3> tabs;
    std::unique_ptr<std::array<strLiftFaultStat, 64>> stats = std::make_unique<std::array<strLiftFaultStat, 64>>();
};

} // namespace

TEST_F(ListFillersTest, EachKindGetsItsColumnsAndOnlyThose)
{
    // Twice, after another kind: exactly the kind's columns remain.
    for (int kind : {1, 14}) {
        SetupListColumns(&list, 10);
        SetupListColumns(&list, kind);
        EXPECT_EQ(SetupListColumns(&list, kind), kind == 1 ? 2 : 0);
        EXPECT_EQ(list.GetHeaderCtrl()->m_strCaptions, kind == 1 ? QStringList({"T25", "T24"}) : QStringList());
        EXPECT_EQ(list.columnCount() == 2 ? list.columnWidth(1) : 0, kind == 1 ? 210 : 0);
    }
    // The user list numbers from 1 and is filled afresh.
    SetupListColumns(&list, 20);
    FillUserList(&list, {QStringLiteral("op"), QStringLiteral("管理员")});
    FillUserList(&list, {QStringLiteral("op"), QStringLiteral("管理员")});
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(Row(1), (QStringList{"2", "管理员"}));
}

TEST_F(ListFillersTest, LiftListShowsInstalledLiftsWithGroupFloorsAndState)
{
    SetupListColumns(&list, 0);
    CLiftDataStore store;
    store.ResetLiftRecords();
    std::array<strGroupInf, 2> groups;
    groups[0].strGroupName = QStringLiteral("A座");
    groups[1].nGroupNum = 1;
    groups[1].strGroupName = QStringLiteral("B座");
    // Lift 40 is in a group the table does not have.
    for (auto [n, floors, group, offline, name] : {std::tuple{3, 12, 1, 0, "三号"}, {1, 0, 0, 1, "一号"}, {40, 56, 7, 0, "无组"}}) {
        strLiftInf& l = store.m_pLiftInf[n - 1];
        l.nKind = 1;
        l.nMaxFloor = floors;
        l.nGroupNum = group;
        l.bOffline = offline;
        l.strName = QString::fromUtf8(name);
    }

    FillLiftList(&list, store.m_pLiftInf, groups.data(), 2);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(Row(0), (QStringList{"1", "一号", "0:A座", "T257", "T19"}));
    EXPECT_EQ(Row(1), (QStringList{"3", "三号", "1:B座", "12", "T18"}));
    EXPECT_EQ(Row(2), (QStringList{"40", "无组", "7:", "56", "T18"}));

    FillGroupList(&list, groups.data(), 2);
    ASSERT_EQ(list.GetItemCount(), 5);  // rows are added, not replaced
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("B座"));
}

TEST_F(ListFillersTest, FaultListsPerLiftAndPerCode)
{
    strLiftFaultStat& a = (*stats)[0];
    strLiftFaultStat& b = (*stats)[1];
    for (auto [stat, addr, name] : {std::tuple{&a, 3, "三号"}, {&b, 9, "九号"}, {&(*stats)[2], 20, "二十号"}}) {
        stat->nRealAddr = addr;
        stat->strName = QString::fromUtf8(name);
    }
    for (auto [day, code, state] : {std::array{10, 12, 1}, {9, 3, 0}, {8, 12, 2}, {7, 12, 3}})
        AddRecord(a, QStringLiteral("2024-03-%1 %2:00:00").arg(day, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0')), code, state);
    AddRecord(b, QStringLiteral("2024-03-10 11:00:00"), 12, 0);

    SetupListColumns(&list, 10);
    FillFaultStatList(&list, 6, 0, stats->data(), tabs.data());
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(Row(0), (QStringList{"2024-03-10 10:00:00", "Err12:name12", "T29"}));
    EXPECT_EQ(Row(1), (QStringList{"2024-03-09 09:00:00", "Err03:name3", "T28"}));

    SetupListColumns(&list, 11);
    FillFaultStatList(&list, 7, 12, stats->data(), tabs.data());
    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(Row(3), (QStringList{"2024-03-10 11:00:00", "九号", "T28"}));

    SetupListColumns(&list, 12);
    FillFaultStatList(&list, 8, 0, stats->data(), tabs.data());
    EXPECT_EQ(Row(1), (QStringList{"ERR12: name12", "3", "75.00%"}));
    FillFaultStatList(&list, 8, 2, stats->data(), tabs.data());
    EXPECT_EQ(list.GetItemCount(), 0);  // no records, no rows

    SetupListColumns(&list, 13);
    FillFaultStatList(&list, 9, 12, stats->data(), tabs.data());
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(Row(0), (QStringList{"三号", "3", "75.00%"}));
    EXPECT_EQ(Row(2), (QStringList{"二十号", "0", "0.00%"}));

    // A code no lift has: every share is 0.00%, never nan.
    FillFaultStatList(&list, 9, 44, stats->data(), tabs.data());
    ASSERT_EQ(list.GetItemCount(), 3);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(list.GetItemText(r, 2), QStringLiteral("0.00%"));

    // Selections outside the tables give no rows and read nothing outside them.
    for (int sel : {-1, 64, 1000}) {
        for (int mode : {6, 8}) {
            FillFaultStatList(&list, mode, sel, stats->data(), tabs.data());
            EXPECT_EQ(list.GetItemCount(), 0);
        }
    }
    // A code without a text shows its code alone.
    AddRecord(b, QStringLiteral("2024-03-11 11:00:00"), 140, 0);
    AddRecord(b, QStringLiteral("2024-03-12 11:00:00"), 5, 0);
    FillFaultStatList(&list, 6, 1, stats->data(), tabs.data());
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("Err140:"));
    EXPECT_EQ(list.GetItemText(2, 1), QStringLiteral("Err05:"));
    FillFaultStatList(&list, 8, 1, stats->data(), tabs.data());
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("ERR05: "));
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("ERR12: name12"));
}

