#pragma once
// The all-lifts page as the station runs it, without the rest of the main
// window: a private copy of the shipped data folder with lifts and groups
// installed, the store, groups and UI texts loaded from it the way the main
// window loads them, the line opened on the bus simulator, the poll-all
// worker and the 80 ms refresh. A message sink stands in for the main window.
#include <functional>
#include <memory>
#include <vector>

#include "PageStation.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "views/ShowAllDlg.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/ViewTestSupport.h"

namespace showall_test {

using station_test::StationData;
using view_test::GroupSpec;

class ShowAllStation : public view_test::PageStation {
protected:
    static constexpr int kWindowHeight = 900;

    void TearDown() override
    {
        StopPolling();
        page.reset();
        PageStation::TearDown();
    }

    // Installs the groups in the data copy, starts the simulator with their
    // lifts (plus simArgs) and builds the page on the loaded configuration.
    void Start(const std::vector<GroupSpec>& spec, QStringList simArgs = {}, bool openLine = true)
    {
        ASSERT_TRUE(InstallGroupsAndSim(spec, simArgs));
        LoadLikeTheMainWindow();
        if (HasFatalFailure())
            return;
        if (openLine) {
            ASSERT_TRUE(OpenLine());
        }

        MakeWindow(kWindowHeight);
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

    // This page's tests look every 20 ms.
    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000) { return PageStation::WaitFor(cond, ms, 20); }

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

    int viewMode = CShowAllDlg::kViewMode;
    view_test::MessageSink mainWnd;
    std::unique_ptr<CShowAllDlg> page;
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
