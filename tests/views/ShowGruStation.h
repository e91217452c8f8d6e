#pragma once
// The group page as the station runs it, without the rest of the main window:
// a private copy of the shipped data folder with lifts and groups installed,
// the store, groups and UI texts loaded from it the way the main window loads
// them, the line opened on the bus simulator, and the page's two threads
// started and stopped as the main window does it.
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "database/DBServer.h"
#include "database/ErrInfTab.h"
#include "link/GroupInf.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "mainwnd/StationFixture.h"
#include "platform/MessageBox.h"
#include "support/LiftSim.h"
#include "views/AnimRunEvent.h"
#include "views/CarAnimThread.h"
#include "views/ShowGruDlg.h"
#include "views/StaGrp.h"

namespace showgru_test {

using station_test::StationData;

struct GroupSpec {
    QString name;
    std::vector<StationData::Lift> lifts;  // Lift::group is set from the group's place
};

class ShowGruStation : public ::testing::Test {
protected:
    static constexpr int kWindowWidth = 1280;
    static constexpr int kPageTop = 115;  // banner 80 + button bar 35
    static constexpr int kMmPerFloor = 3000;  // the simulator's default storey

    void TearDown() override
    {
        StopThreads();
        page.reset();
        window.reset();
        comm.m_Port.ClosePort();
        sim.reset();
        qunsetenv("LIFT_COM1");
    }

    // Installs the groups in the data copy (each lift's height as the
    // simulator's shaft), starts the simulator with their lifts (plus
    // simArgs) and shows the page of group 0 in a window of that height.
    void Start(const std::vector<GroupSpec>& spec, QStringList simArgs = {}, bool openLine = true,
               int windowHeight = 1000)
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
        for (const StationData::Lift& l : lifts)
            ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight=? Where RealAddr=?"),
                                  {l.floors * kMmPerFloor, l.n}));

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
        window->resize(kWindowWidth, windowHeight);
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, Qt::black);
        window->setPalette(pal);
        window->setAutoFillBackground(true);
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
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
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

    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!cond()) {
            if (clock.elapsed() > ms)
                return false;
            QTest::qWait(10);
        }
        return true;
    }

    strLiftInf& Lift(int n) { return store.m_pLiftInf[n - 1]; }
    CStaGrp* Cell(int k) const { return page->Cell(k); }

    // Call rows of lift n in all its day tables, as (CallSign, CallNum).
    std::vector<std::pair<int, int>> CallRows(int n)
    {
        std::vector<std::pair<int, int>> rows;
        auto index = db->m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1 Order by CountNum").arg(n));
        if (!index)
            return rows;
        for (index->MoveFirst(); !index->IsEOF(); index->MoveNext()) {
            auto rs = db->m_pAdo->GetRecordSet(QStringLiteral("Select * From ") + index->GetText(QStringLiteral("TabName")));
            if (!rs)
                continue;
            for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
                rows.emplace_back(rs->GetInt(QStringLiteral("CallSign")), rs->GetInt(QStringLiteral("CallNum")));
        }
        return rows;
    }

    // Rows of lift n's day-table index: one per day table the recorder opened.
    int DayTables(int n)
    {
        auto index = db->m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1").arg(n));
        return index ? index->GetRecordCount() : -1;
    }

    StationData data;
    MessageBoxRecorder boxes;
    std::unique_ptr<CLiftSim> sim;
    CLiftDataStore store;
    std::vector<strGroupInf> groups;
    QStringList texts;
    std::unique_ptr<CDBServer> db;
    CLiftComm comm;
    CAnimRunEvent animRun;
    std::array<strCarAnimSlot, kCarAnimSlots> animSlots{};
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CShowGruDlg> page;

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
        ASSERT_GT(texts.size(), 155);

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

} // namespace showgru_test
