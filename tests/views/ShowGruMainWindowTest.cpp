// The group page inside the real main window: shown through the group
// message and left for another page again and again, each time with its
// group worker and animation thread started and stopped again, with no thread
// left behind and the cars still following their reports.
#include <QDir>
#include <QFile>

#include "MainWindowStation.h"
#include "controls/ButX.h"
#include "link/PollThread.h"
#include "views/CarAnimThread.h"
#include "views/ShowGruDlg.h"
#include "views/LockMessages.h"
#include "views/ShowOneDlg.h"
#include "views/StaGrp.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {

// Threads of this process that the program itself started (they carry the
// process's name; Qt's own pool threads are named otherwise).
int OwnThreads()
{
    QFile self(QStringLiteral("/proc/self/comm"));
    if (!self.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = self.readAll();
    int count = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll() == name)
            ++count;
    }
    return count;
}

class ShowGruMainWindowTest : public view_test::MainWindowStation {
protected:
    void SetUp() override
    {
        InstallStation();
        if (HasFatalFailure())
            return;
        for (const StationData::Lift& l : Lifts())
            ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight=? Where RealAddr=?"),
                                  {l.floors * 3000, l.n}));
        StartLoggedIn(1000);
        if (HasFatalFailure())
            return;
        page = dlg->m_pShowGruDlg.get();
    }

    CShowGruDlg* page = nullptr;
};

} // namespace

TEST_F(ShowGruMainWindowTest, ShowAndHideCyclesLeaveNoThreadBehind)
{
    ASSERT_TRUE(sim.command(QStringLiteral("floor 2 7")));
    ASSERT_TRUE(sim.command(QStringLiteral("floor 6 4")));
    const int before = OwnThreads();
    ASSERT_GT(before, 0);
    for (int cycle = 0; cycle < 4; ++cycle) {
        SCOPED_TRACE(cycle);
        const int group = cycle % 2;
        SendMessage(dlg.get(), WM_SHOW_GROUP, 0, group);
        ASSERT_EQ(dlg->m_nViewMode, CKALORDlg::kModeGroup);
        ASSERT_TRUE(page->isVisible());
        ASSERT_NE(g_pPollThread, nullptr);
        ASSERT_NE(g_pAnimThread, nullptr);
        EXPECT_EQ(OwnThreads(), before + 2);
        // Both cells of the group take reports of this run and draw their
        // cars where the controllers say.
        const int second = group == 0 ? 2 : 6;
        ASSERT_TRUE(WaitFor([&] {
            return page->Cell(0)->m_bStarted && page->Cell(1)->m_bStarted &&
                   page->Cell(1)->m_nDrawPos == dlg->m_Store.m_pLiftInf[second - 1].nCarPos &&
                   page->Cell(1)->m_nDrawPos > 0;
        })) << "drawn " << page->Cell(1)->m_nDrawPos;
        EXPECT_EQ(page->Cell(1)->m_pLiftInf, &dlg->m_Store.m_pLiftInf[second - 1]);

        // Another page: both threads end and nothing of them stays queued.
        if (cycle % 4 == 3)
            dlg->m_btShowAll->click();
        else
            dlg->m_btAnalysis->click();
        EXPECT_FALSE(page->isVisible());
        EXPECT_EQ(g_pAnimThread, nullptr);
        EXPECT_TRUE(WaitFor([&] { return OwnThreads() == before + (g_pPollThread ? 1 : 0); }, 2000))
            << OwnThreads() << " threads, " << before << " before";
    }
    dlg->m_btAnalysis->click();
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_TRUE(WaitFor([&] { return OwnThreads() == before; }, 2000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(ShowGruMainWindowTest, ClosingTheWindowWhileTheGroupPageRunsEndsBothThreads)
{
    SendMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    ASSERT_NE(g_pAnimThread, nullptr);
    ASSERT_TRUE(WaitFor([&] { return page->Cell(0)->m_bStarted; }));
    dlg.reset();
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_hAnimThreadRun, nullptr);
}

TEST_F(ShowGruMainWindowTest, ThePeriodsModeStaysOnlyOnTheLiftTheSingleLiftPageShows)
{
    auto reportedMode = [&](int n) { return sim.dump(n).section(QStringLiteral("mode="), 1).section(QLatin1Char(' '), 0, 0); };
    CShowOneDlg& one = *dlg->m_pShowOneDlg;
    one.m_fnNow = [] { return QDateTime(QDate::currentDate(), QTime(12, 0, 0)); };
    PostMessage(dlg.get(), WM_OPEN_LIFT, 0, 6);
    ASSERT_TRUE(WaitFor([&] { return one.m_nLiftIndex == 5 && one.m_bLiftOnline == 1; }));
    one.m_pLockTimeDlg->m_nTime = {11, 0, 0, 13, 0, 0};
    one.m_pLockTimeDlg->m_bEnabled = 1;
    SendMessage(&one, WM_LOCKTIME_SET, 0, 1);
    ASSERT_TRUE(WaitFor([&] { return reportedMode(6) == QStringLiteral("8"); }));

    // Lift 5 shown instead: the period follows the page, and lift 6 is
    // released with the next page request it gets, here from the group worker.
    PostMessage(dlg.get(), WM_OPEN_LIFT, 0, 5);
    ASSERT_TRUE(WaitFor([&] { return one.m_nLiftIndex == 4 && one.m_bLiftOnline == 1; }));
    PostMessage(dlg.get(), WM_SHOW_GROUP, 0, 1);
    EXPECT_TRUE(WaitFor([&] { return reportedMode(5) == QStringLiteral("8") && reportedMode(6) == QStringLiteral("7"); }))
        << reportedMode(5).toStdString() << " " << reportedMode(6).toStdString();
}
