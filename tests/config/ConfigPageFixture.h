#pragma once
// The configuration page as the station shows it: a private copy of the shipped
// data folder, the main window started on it with an operator logged in (no
// line yet), and the page shown. Its configuration is loaded by the window's
// own login code, so a "restart" is that code run again.

#include <QComboBox>
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/WaitDlg.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "support/LiftSim.h"
#include "support/StationFixture.h"

namespace config_test {

// Hands every event that reaches the watched objects to one function.
class Watcher : public QObject {
public:
    explicit Watcher(std::function<void(QObject*, QEvent*)> fn) : m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        m_fn(watched, e);
        return false;
    }

private:
    std::function<void(QObject*, QEvent*)> m_fn;
};

using station_test::ClickRow;
using station_test::StationData;

class ConfigPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.ok());
        station_test::PrivateSettings();
        ASSERT_TRUE(station_test::ShowMainWindow(station, 900));
        station.m_bLoggedIn = 1;
        LoadConfig();
        station.OnBnClickedGroupSetup();
        ASSERT_TRUE(page->isVisible());
        boxes.clear();
    }
    void TearDown() override { qunsetenv("LIFT_COM1"); }

    // What the window does at login (and so after a restart).
    void LoadConfig()
    {
        station.LoadLiftConfig();
        station.ShareWithViews();
    }

    // Opens COM1 on the simulator, as the serial-settings dialog would.
    void Connect(CLiftSim& sim, int baudIndex = 4)
    {
        ASSERT_FALSE(sim.port().isEmpty());
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        ASSERT_TRUE(comm.OpenComm(1, baudIndex));
        station.m_bPortOpen = page->m_bPortOpen = 1;
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
    bool TableExists(const QString& name) { return Tables().contains(name); }
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
    MessageBoxRecorder boxes;
    CKALORDlg station;
    CBuildDlg* page = station.m_pBuildDlg.get();
    std::unique_ptr<CDBServer>& db = station.m_pDB;
    QStringList& texts = *station.m_pLanText;
    CLiftDataStore& store = station.m_Store;
    std::vector<strGroupInf>& groups = station.m_pGroupTable;
    int& groupCount = station.m_nGroupCount;
    CLiftComm& comm = *station.m_pComm;
};

} // namespace config_test
