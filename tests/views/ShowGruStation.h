#pragma once
// The group page as the station runs it, without the rest of the main window:
// a private copy of the shipped data folder with lifts and groups installed,
// the store, groups and UI texts loaded from it the way the main window loads
// them, the line opened on the bus simulator, and the page's two threads
// started and stopped as the main window does it.
#include <QThread>
#include <array>

#include "PageStation.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "views/AnimRunEvent.h"
#include "views/CarAnimThread.h"
#include "views/ShowGruDlg.h"
#include "views/StaGrp.h"
#include "views/ViewTestSupport.h"

namespace showgru_test {

using view_test::GroupSpec;

class ShowGruStation : public view_test::PageStation {
protected:

    void TearDown() override
    {
        StopThreads();
        page.reset();
        PageStation::TearDown();
    }

    // Installs the groups in the data copy (each lift's height as the
    // simulator's shaft), starts the simulator with their lifts (plus
    // simArgs) and shows the page of group 0 in a window of that height.
    void Start(const std::vector<GroupSpec>& spec, QStringList simArgs = {}, bool openLine = true,
               int windowHeight = 1000)
    {
        StartStation(spec, simArgs, openLine, windowHeight);
        if (HasFatalFailure())
            return;
        page = std::make_unique<CShowGruDlg>(window.get());
        page->OnInitDialog();
        page->m_bPortOpen = openLine ? 1 : 0;
        page->m_pLiftInf = store.m_pLiftInf;
        page->m_pGroupTable = groups.empty() ? nullptr : groups.data();
        page->m_nGroupCount = int(groups.size());
        page->m_pLiftPage = store.m_pLiftPage;
        page->m_pLiftCmd = store.m_pLiftCmd;
        page->m_pComm = &comm;
        page->m_pTexts = &texts;
        page->m_hMainWnd = window.get();
        page->m_pAnimSlots = animSlots.data();
        page->m_pAnimRun = &animRun;
        page->m_pDB = db.get();
        ShowPage();
    }

    // What the main window does when the page is shown (without the threads).
    void ShowPage(int group = 0)
    {
        page->m_nCurGroup = group;
        page->setGeometry(0, kPageTop, kWindowWidth, window->height() - kPageTop);
        page->ShowGroup();
        page->show();
    }

    // What the main window does before any other page is shown.
    void StopThreads()
    {
        StopCarAnimThread();
        StopPollThread();
        QThread::msleep(10);
        if (page) {
            for (int msg : {WM_USER + 30, WM_LIFT_STATUS, WM_USER + 32})
                RemovePostedMessages(page.get(), msg);
        }
    }

    // North: lifts 1 (10 floors), 2 (12) and 3 (8); South: lift 5.
    static std::vector<GroupSpec> TwoGroups()
    {
        return {{QStringLiteral("North"), {{1, 10, 0, QStringLiteral("1号梯")}, {2, 12, 0, QStringLiteral("2号梯")},
                                          {3, 8, 0, QStringLiteral("3号梯")}}},
                {QStringLiteral("South"), {{5, 8, 0, QStringLiteral("5号梯")}}}};
    }

    CStaGrp* Cell(int k) const { return page->Cell(k); }

    std::vector<std::pair<int, int>> CallRows(int n) { return view_test::CallRows(*db, n); }

    CAnimRunEvent animRun;
    std::array<strCarAnimSlot, kCarAnimSlots> animSlots{};
    std::unique_ptr<CShowGruDlg> page;
};

} // namespace showgru_test
