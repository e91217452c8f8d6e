#pragma once
// The all-lifts page as the station runs it, without the rest of the main
// window: a private copy of the shipped data folder with lifts and groups
// installed, the store, groups and UI texts loaded from it the way the main
// window loads them, the line opened on the bus simulator, the poll-all
// worker and the 80 ms refresh. A message sink stands in for the main window.
#include <QTest>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "mainwnd/StationFixture.h"
#include "platform/MessageBox.h"
#include "support/LiftSim.h"
#include "views/ShowAllDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/ViewTestSupport.h"

namespace showall_test {

using station_test::StationData;

struct GroupSpec {
    QString name;
    std::vector<StationData::Lift> lifts;  // Lift::group is set from the group's place
};

class ShowAllStation : public ::testing::Test {
protected:
    static constexpr int kWindowWidth = 1280;
    static constexpr int kWindowHeight = 900;
    static constexpr int kPageTop = 115;  // banner 80 + button bar 35

    void TearDown() override
    {
        StopPolling();
        page.reset();
        window.reset();
        comm.m_Port.ClosePort();
        sim.reset();
        qunsetenv("LIFT_COM1");
    }

    // Installs the groups in the data copy, starts the simulator with their
    // lifts (plus simArgs) and builds the page on the loaded configuration.
    void Start(const std::vector<GroupSpec>& spec, QStringList simArgs = {}, bool openLine = true)
    {
        ASSERT_TRUE(data.ok());
        ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=%1").arg(spec.size())));
        ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_GroupInf")));
        std::vector<StationData::Lift> lifts;
        for (std::size_t g = 0; g < spec.size(); ++g) {
            ASSERT_TRUE(data.Exec(QStringLiteral("Insert Into KALOR_GroupInf Values (?, ?, ?)"),
                                  {int(g + 1), int(spec[g].lifts.size()), spec[g].name}));
            for (StationData::Lift l : spec[g].lifts) {
                l.group = int(g + 1);
                lifts.push_back(l);
                simArgs << QStringLiteral("--lift") << QStringLiteral("%1:%2:%3").arg(l.n).arg(l.floors).arg(l.n % 3 + 1);
            }
        }
        data.InstallLifts(lifts);
        for (const auto& [sql, params] : extraSql)
            ASSERT_TRUE(data.Exec(sql, params));

        sim = std::make_unique<CLiftSim>(simArgs);
        ASSERT_FALSE(sim->port().isEmpty());
        LoadLikeTheMainWindow();
        if (HasFatalFailure())
            return;

        if (openLine) {
            qputenv("LIFT_COM1", sim->port().toLocal8Bit());
            ASSERT_TRUE(comm.OpenComm(1, 2));
        }
        window = std::make_unique<QWidget>();
        window->resize(kWindowWidth, kWindowHeight);
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, Qt::black);
        window->setPalette(pal);
        window->setAutoFillBackground(true);
        page = std::make_unique<CShowAllDlg>(window.get());
        page->OnInitDialog();
        page->m_bPortOpen = openLine ? 1 : 0;
        page->m_pLiftFault = store.m_pLiftFault;
        page->m_pGroupTable = groups.empty() ? nullptr : groups.data();
        page->m_pLiftInf = store.m_pLiftInf;
        page->m_pDB = db.get();
        page->m_nGroupCount = int(groups.size());
        page->CreateGroupCells();
        page->m_pTexts = &texts;
        page->m_hMainWnd = &mainWnd;
        page->m_pViewMode = &viewMode;
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ShowPage();
    }

    // What the main window does when the page is shown.
    void ShowPage()
    {
        page->setGeometry(0, kPageTop, kWindowWidth, kWindowHeight - kPageTop);
        page->LayoutCells();
        page->show();
    }

    void StartPolling()
    {
        db->m_tmToday = QDateTime::currentDateTime();
        CLiftDataStore& s = store;
        StartPollThread(PollAllThreadProc, &comm, page.get(), [&s](CLiftComm& c) {
            c.m_pLiftInf = s.m_pLiftInf;
            c.m_pLiftPage = s.m_pLiftPage;
            c.m_pLiftCmd = s.m_pLiftCmd;
            c.m_pLiftFault = s.m_pLiftFault;
            c.BuildStationTable(s.m_pLiftInf);
        });
        page->SetRefreshTimer(80);
    }

    static void StopPolling() { StopPollThread(); }

    // Runs the event loop until cond holds, at most ms milliseconds.
    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!cond()) {
            if (clock.elapsed() > ms)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

    strLiftInf& Lift(int n) { return store.m_pLiftInf[n - 1]; }
    CStaA* Tile(int n) const { return page->Tile(n - 1); }

    // The status line the tile of lift n shows now.
    QString StatusText(int n) { return CStaA::TileStatus(Lift(n), &texts).strText; }

    // Rows of lift n's fault table, as (fault code) in insertion order.
    std::vector<int> FaultRows(int n)
    {
        std::vector<int> codes;
        auto rs = db->m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1_Err").arg(n));
        if (!rs)
            return codes;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
            codes.push_back(rs->GetInt(QStringLiteral("ErrCount")));
        return codes;
    }

    // Statements run on the data copy after the lifts are installed.
    std::vector<std::pair<QString, QVariantList>> extraSql;

    StationData data;
    MessageBoxRecorder boxes;
    std::unique_ptr<CLiftSim> sim;
    CLiftDataStore store;
    std::vector<strGroupInf> groups;
    QStringList texts;
    std::unique_ptr<CDBServer> db;
    CLiftComm comm;
    int viewMode = CShowAllDlg::kViewMode;
    view_test::MessageSink mainWnd;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CShowAllDlg> page;

private:
    // The main window's start-up and login loading: texts of the database's
    // language, lift records, groups with their members from the records.
    void LoadLikeTheMainWindow()
    {
        db = data.OpenDb();
        db->m_pLanText = &texts;
        db->m_pAdo->m_pLanText = &texts;
        std::array<strErrInfTab, 3> tabs;
        CErrNameMap names;
        ASSERT_TRUE(db->LoadLanguageAndFaultTexts(db->GetLanguageKind(), tabs.data(), &names));

        store.ResetLiftRecords();
        store.ResetLiftPages();
        store.ResetLiftCmds();
        store.ResetLiftFaults();
        int color = 0, groupCount = 0, port = 0, baud = 0;
        std::array<QStringList, 2> floorShow;
        ASSERT_TRUE(db->LoadSoftInfo(&color, &groupCount, &port, &baud, floorShow.data()));
        ASSERT_TRUE(db->LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage));
        groups.resize(std::size_t(groupCount));
        for (int i = 0; i < groupCount; ++i)
            groups[std::size_t(i)].nGroupNum = i + 1;
        if (groupCount > 0)
            db->LoadGroupInfo(groupCount, groups.data());
        for (strGroupInf& group : groups) {
            group.byLiftNum.fill(0);
            int count = 0;
            for (int k = 0; k < kLiftSlots; ++k) {
                strLiftInf& lift = store.m_pLiftInf[k];
                if (lift.nGroupNum == group.nGroupNum && lift.nKind != 0)
                    group.byLiftNum[std::size_t(count++)] = std::uint8_t(lift.nLiftNum);
            }
            group.nLiftCount = count;
        }
    }
};

// Twelve lifts on stations 1 to 3: lifts 1 to 7 in "North", 8 to 12 in "South".
inline std::vector<GroupSpec> TwelveLifts()
{
    std::vector<GroupSpec> spec(2);
    spec[0].name = QStringLiteral("North");
    spec[1].name = QStringLiteral("South");
    for (int n = 1; n <= 12; ++n)
        spec[n <= 7 ? 0 : 1].lifts.push_back({n, 8 + n, 0, QStringLiteral("L%1").arg(n)});
    return spec;
}

} // namespace showall_test
