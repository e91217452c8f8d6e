#pragma once
// The configuration page on its own, wired as the main window wires it: a
// private copy of the shipped data folder, the database object opened on it,
// the texts of the shipped table, the lift store and the group table loaded
// as at login, and (for the tests that read the bus) a link to the simulator.
#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/WaitDlg.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "link/SerialPort.h"
#include "support/StationFixture.h"
#include "platform/MessageBox.h"
#include "support/LiftSim.h"

namespace config_test {

using station_test::StationData;

class ConfigPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.ok());
        OpenDatabase();
        LoadConfig();
        page = std::make_unique<CBuildDlg>();
        page->OnInitDialog();
        Wire();
        page->resize(1280, 765);
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        page->RefreshPage();
    }

    void TearDown() override
    {
        page.reset();
        StopPollThread();
        comm.m_Port.ClosePort();
        qunsetenv("LIFT_COM1");
    }

    void OpenDatabase()
    {
        db = data.OpenDb();
        db->m_pLanText = &texts;
        db->m_pAdo->m_pLanText = &texts;
        texts.clear();
        ASSERT_TRUE(db->LoadLanguageAndFaultTexts(1, tabs.data(), &faultNames));
    }

    // What the main window does at login: resets, then the stored configuration.
    void LoadConfig()
    {
        store.ResetLiftRecords();
        store.ResetLiftPages();
        store.ResetLiftCmds();
        store.ResetLiftFaults();
        for (int k = 0; k < kLiftSlots; ++k) {
            store.m_pLiftInf[k].strName.clear();
            store.m_pLiftInf[k].strGroupName.clear();
            store.m_pLiftInf[k].arrFloorNameHi.clear();
            store.m_pLiftInf[k].arrFloorNameLo.clear();
        }
        floorShow = {};
        int color = 0, port = 0, baud = 0;
        ASSERT_TRUE(db->LoadSoftInfo(&color, &groupCount, &port, &baud, floorShow.data()));
        db->LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage);
        groups.assign(std::size_t(groupCount), strGroupInf{});
        db->LoadGroupInfo(groupCount, groups.data());
        for (strGroupInf& group : groups) {
            int count = 0;
            for (int k = 0; k < kLiftSlots; ++k) {
                strLiftInf& lift = store.m_pLiftInf[k];
                if (lift.nKind != 0 && lift.nGroupNum == group.nGroupNum) {
                    group.byLiftNum[std::size_t(count++)] = std::uint8_t(lift.nLiftNum);
                    lift.strGroupName = group.strGroupName;
                }
            }
            group.nLiftCount = count;
        }
    }

    void Wire()
    {
        page->m_pLiftInf = store.m_pLiftInf;
        page->m_pLiftPage = store.m_pLiftPage;
        page->m_pLiftCmd = store.m_pLiftCmd;
        page->m_pTexts = &texts;
        page->m_pComm = &comm;
        page->m_pDB = db.get();
        page->m_pGroupTable = groups.empty() ? nullptr : groups.data();
        page->m_nGroupCount = groupCount;
        page->m_pFloorShow = &floorShow;
        page->m_nLanguageKind = 1;
    }

    // Opens COM1 on the simulator, as the serial-settings dialog would.
    void Connect(CLiftSim& sim, int baudIndex = 4)
    {
        ASSERT_FALSE(sim.port().isEmpty());
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        ASSERT_TRUE(comm.OpenComm(1, baudIndex));
        page->m_bPortOpen = 1;
    }

    // Selects row r of a list as a click does.
    static void ClickRow(ClistCtrlX* list, int r)
    {
        list->setCurrentCell(r, 0);
        list->selectRow(r);
        emit list->cellClicked(r, 0);
    }

    int LiftRowOf(int liftNum) const
    {
        for (int r = 0; r < page->m_lstLift->GetItemCount(); ++r)
            if (page->m_lstLift->GetItemText(r, 0).toInt() == liftNum)
                return r;
        return -1;
    }

    void SelectLift(int liftNum)
    {
        const int r = LiftRowOf(liftNum);
        ASSERT_GE(r, 0) << "lift " << liftNum << " is not listed";
        ClickRow(page->m_lstLift, r);
        ASSERT_EQ(page->m_nLiftRow, r);
    }

    QString T(int n) const { return texts.value(n); }
    strLiftInf& Lift(int n) { return store.m_pLiftInf[n - 1]; }

    // Reads through the page's own connection.
    QStringList Column(const QString& sql, const QString& column, const QVariantList& params = {})
    {
        QStringList out;
        auto rs = db->m_pAdo->GetRecordSet(sql, params);
        if (!rs)
            return out;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
            out << rs->GetText(column);
        return out;
    }
    QString Value(const QString& sql, const QString& column, const QVariantList& params = {})
    {
        return Column(sql, column, params).value(0);
    }
    int Count(const QString& table)
    {
        return Value(QStringLiteral("SELECT count(*) AS n FROM ") + table, QStringLiteral("n")).toInt();
    }
    bool TableExists(const QString& name)
    {
        return !Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?"),
                       QStringLiteral("name"), {name})
                    .isEmpty();
    }
    QStringList Tables()
    {
        return Column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
                      QStringLiteral("name"));
    }
    // Every stored lift row as one text per lift, for before/after comparisons.
    QStringList LiftRows()
    {
        return Column(QStringLiteral("SELECT RealAddr || '|' || Kind || '|' || LiftHight || '|' || bLiftHight || '|'"
                                     " || GroupNum || '|' || MaxFloor || '|' || MinFloor || '|' || ifnull(strName_1, '') AS r"
                                     " FROM KALOR_LiftInf ORDER BY RealAddr"),
                      QStringLiteral("r"));
    }

    StationData data;
    std::unique_ptr<CDBServer> db;
    QStringList texts;
    std::array<strErrInfTab, 3> tabs;
    CErrNameMap faultNames;
    CLiftDataStore store;
    std::vector<strGroupInf> groups;
    int groupCount = 0;
    std::array<QStringList, 2> floorShow;
    CLiftComm comm;
    MessageBoxRecorder boxes;
    std::unique_ptr<CBuildDlg> page;
};

} // namespace config_test
