// The all-lifts page live against the bus simulator and a real database copy
// (the station's store, groups and texts loaded as the main window loads
// them, the poll-all worker and the 80 ms refresh): faults shown and recorded
// once with the alarm raised, a silent station going offline and back, the
// faults of one refresh written together and never after a wait for a lock.
#include <QImage>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sqlite3.h>

#include "PageStation.h"
#include "database/DbPassword.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "platform/UiText.h"
#include "views/AlarmWatch.h"
#include "views/ShowAllDlg.h"
#include "views/StaA.h"
#include "views/ViewMessages.h"
#include "views/ViewTestSupport.h"

using view_test::CountPixels;

namespace {

class ShowAllLiveTest : public view_test::PageStation {
protected:
    static constexpr int kWindowHeight = 900;

    void TearDown() override
    {
        StopPollThread();
        page.reset();
        PageStation::TearDown();
    }

    // Twelve lifts on stations 1 to 3 (1 to 7 in "North", 8 to 12 in
    // "South"), the page on the loaded configuration, polled live.
    void Start()
    {
        std::vector<view_test::GroupSpec> spec(2);
        spec[0].name = QStringLiteral("North");
        spec[1].name = QStringLiteral("South");
        for (int n = 1; n <= 12; ++n)
            spec[n <= 7 ? 0 : 1].lifts.push_back({n, 8 + n, 0, QStringLiteral("L%1").arg(n)});
        StartStation(spec, {}, true, kWindowHeight);
        if (HasFatalFailure())
            return;
        page = std::make_unique<CShowAllDlg>(window.get());
        page->OnInitDialog();
        page->m_bPortOpen = 1;
        page->m_pLiftFault = store.m_pLiftFault;
        page->m_pGroupTable = groups.data();
        page->m_pLiftInf = store.m_pLiftInf;
        page->m_pDB = db.get();
        page->m_nGroupCount = int(groups.size());
        page->CreateGroupCells();
        page->m_pTexts = &texts;
        page->m_hMainWnd = &mainWnd;
        alarms.m_pLiftInf = store.m_pLiftInf;
        alarms.m_hMainWnd = &mainWnd;
        page->m_pAlarmWatch = &alarms;
        page->m_pViewMode = &viewMode;
        page->setGeometry(0, kPageTop, kWindowWidth, kWindowHeight - kPageTop);
        page->LayoutCells();
        page->show();

        db->m_tmToday = QDateTime::currentDateTime();
        CLiftDataStore& s = store;
        StartPollThread(PollAllThreadProc, &comm, page.get(), [&s](CLiftComm& c) {
            c.UseWholeTables(s);
            c.BuildStationTable(s.m_pLiftInf);
        });
        page->SetRefreshTimer(80);
    }

    // Waits until every lift of the list reports online (or offline).
    bool WaitOnline(std::initializer_list<int> lifts, bool online, int ms = 5000)
    {
        return WaitFor([&] {
            for (int n : lifts)
                if ((Lift(n).bOffline == 0) != online)
                    return false;
            return true;
        }, ms);
    }

    // The status line the tile of lift n shows now.
    QString StatusText(int n) { return CStaA::TileStatus(Lift(n), &texts).strText; }

    // Pixels of the tile's 5-pixel status frame that are drawn in the colour.
    int FramePixels(int n, const QColor& c)
    {
        const QImage img = page->Tile(n - 1)->grab().toImage();
        const QRect inner = img.rect().adjusted(8, 8, -8, -8);
        return CountPixels(img, img.rect(), [&](QRgb px) { return view_test::Near(px, c, 8); })
               - CountPixels(img, inner, [&](QRgb px) { return view_test::Near(px, c, 8); });
    }

    std::vector<int> FaultRows(int n) { return view_test::FaultRows(*db, n); }

    // Sets the faults at the simulator and waits until the store holds them all.
    bool Faults(const std::vector<std::pair<int, int>>& faults)
    {
        for (const auto& [n, code] : faults)
            if (!sim->command(QStringLiteral("fault %1 %2").arg(n).arg(code)))
                return false;
        return WaitFor([&] {
            for (const auto& [n, code] : faults)
                if (Lift(n).nFaultCode != code || store.m_pLiftFault[n - 1].nFaultCode != code)
                    return false;
            return true;
        });
    }

    int viewMode = CShowAllDlg::kViewMode;
    view_test::MessageSink mainWnd;
    CAlarmWatch alarms;
    std::unique_ptr<CShowAllDlg> page;
};

} // namespace

TEST_F(ShowAllLiveTest, AFaultIsShownRecordedOnceAndRaisesTheAlarmAndASilentStationGoesOfflineAndBack)
{
    Start();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitOnline({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, true));
    QTest::qWait(300);
    EXPECT_TRUE(FaultRows(3).empty());

    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 12")));
    const QString shown = UiText(&texts, 256) + QStringLiteral(":Err12");
    ASSERT_TRUE(WaitFor([&] { return StatusText(3) == shown; })) << StatusText(3).toStdString();
    EXPECT_GT(FramePixels(3, QColor(239, 245, 160)), 100);
    EXPECT_EQ(FramePixels(4, QColor(239, 245, 160)), 0);

    // Many status replies and refreshes later the fault is still one row.
    QTest::qWait(1500);
    EXPECT_EQ(FaultRows(3), std::vector<int>{12});
    // The alarm is raised once; only a lift that drops off the line meanwhile
    // (a loaded machine) lowers and raises it again.
    const auto alarmEndsAt = [&](LPARAM code) {
        const auto m = mainWnd.Take(WM_FAULT_ALARM);
        bool ok = !m.empty() && m.back() == view_test::RecordedMessage{WM_FAULT_ALARM, 0, code};
        for (std::size_t i = 1; i < m.size(); ++i)
            ok = ok && m[i].lParam != m[i - 1].lParam;
        return ok;
    };
    EXPECT_TRUE(alarmEndsAt(12));

    // Cleared: no row, the alarm goes down. A later fault is a second row.
    mainWnd.messages.clear();
    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 0")));
    ASSERT_TRUE(WaitFor([&] { return Lift(3).nFaultCode == 0; }));
    QTest::qWait(300);
    EXPECT_EQ(FaultRows(3), std::vector<int>{12});
    EXPECT_TRUE(alarmEndsAt(0));

    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 7")));
    ASSERT_TRUE(WaitFor([&] { return FaultRows(3).size() == 2; }));
    QTest::qWait(800);
    EXPECT_EQ(FaultRows(3), (std::vector<int>{12, 7}));

    // A database that takes no writes is reported once, without a modal box
    // inside the refresh, and the faults seen meanwhile are written later.
    const int before = boxes.count();
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("PRAGMA query_only = 1")));
    for (int code : {40, 41}) {
        ASSERT_TRUE(sim->command(QStringLiteral("fault 3 %1").arg(code)));
        ASSERT_TRUE(WaitFor([&] { return db->PendingFaults() == code - 39; }));
    }
    EXPECT_EQ(boxes.count(), before + 1) << boxes.texts().join(QLatin1Char(10)).toStdString();
    EXPECT_EQ(boxes.modalCount(), 0);
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("PRAGMA query_only = 0")));
    EXPECT_TRUE(WaitFor([&] { return FaultRows(3) == std::vector<int>{12, 7, 40, 41}; }));

    // A silent station: its four tiles go offline with the red frame, the
    // others stay, and all come back.
    ASSERT_TRUE(sim->command(QStringLiteral("silent 3 1")));
    ASSERT_TRUE(WaitOnline({9, 10, 11, 12}, false));
    QTest::qWait(400);
    EXPECT_TRUE(WaitOnline({1, 2, 3, 4, 5, 6, 7, 8}, true, 0));
    const QString offline = QStringLiteral("Err:") + UiText(&texts, 74);
    for (int n = 9; n <= 12; ++n) {
        EXPECT_EQ(StatusText(n), offline) << "lift " << n;
        EXPECT_GT(FramePixels(n, QColor(255, 0, 0)), 100) << "lift " << n;
    }
    EXPECT_EQ(FramePixels(8, QColor(255, 0, 0)), 0);

    ASSERT_TRUE(sim->command(QStringLiteral("silent 3 0")));
    ASSERT_TRUE(WaitOnline({9, 10, 11, 12}, true));
    for (int n = 9; n <= 12; ++n) {
        EXPECT_TRUE(WaitFor([&] { return StatusText(n) != offline && FramePixels(n, QColor(255, 0, 0)) == 0; }))
            << "lift " << n << " " << StatusText(n).toStdString();
    }
}

TEST_F(ShowAllLiveTest, OneRefreshWritesTheFaultsOfAllLiftsTogetherAndNeverWaitsForAnotherProgramsLock)
{
    Start();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(WaitOnline({2, 6, 11}, true));
    // The refreshes are run by hand from here; the timer ends at its next tick.
    viewMode = 0;
    ASSERT_TRUE(WaitFor([&] { return !page->IsRefreshTimerActive(); }));
    page->RefreshLifts();  // every lift's first save of the run is behind it

    // New faults on lifts of three stations: one refresh, one transaction.
    ASSERT_TRUE(Faults({{2, 21}, {6, 22}, {11, 23}}));
    const int commits = db->m_pAdo->CommitCount();
    page->RefreshLifts();
    EXPECT_EQ(db->m_pAdo->CommitCount(), commits + 1);
    EXPECT_EQ(FaultRows(2), std::vector<int>{21});
    EXPECT_EQ(FaultRows(6), std::vector<int>{22});
    EXPECT_EQ(FaultRows(11), std::vector<int>{23});

    // Another program writes to the file and holds its lock; it lets go when
    // told, or a second after the refresh began: a refresh that waited for
    // the lock would have it then and write the rows.
    struct LockHolder {
        std::mutex mutex;
        std::condition_variable changed;
        bool ready = false, held = false, refreshing = false, letGo = false;
        std::thread thread;
        void Set(bool& flag)
        {
            std::lock_guard lock(mutex);
            flag = true;
            changed.notify_all();
        }
        ~LockHolder()
        {
            Set(letGo);
            if (thread.joinable())
                thread.join();
        }
    } holder;
    holder.thread = std::thread([&holder, path = QFile::encodeName(db->m_strDBPath)] {
        sqlite3* other = nullptr;
        sqlite3_open_v2(path.constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(other, (QByteArray("PRAGMA key = '") + kDbPassword + "'").constData(), nullptr, nullptr, nullptr);
        const bool locked = sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        std::unique_lock lock(holder.mutex);
        holder.ready = true;
        holder.held = locked;
        holder.changed.notify_all();
        if (locked && holder.changed.wait_for(lock, std::chrono::seconds(30), [&] { return holder.refreshing || holder.letGo; }))
            holder.changed.wait_for(lock, std::chrono::seconds(1), [&] { return holder.letGo; });
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
    });
    {
        std::unique_lock lock(holder.mutex);
        ASSERT_TRUE(holder.changed.wait_for(lock, std::chrono::seconds(30), [&] { return holder.ready; }) && holder.held);
    }
    ASSERT_TRUE(Faults({{2, 31}, {6, 32}, {11, 33}}));
    holder.Set(holder.refreshing);
    page->RefreshLifts();
    // Kept, not waited for; told once, without a box that waits.
    EXPECT_EQ(db->PendingFaults(), 3);
    holder.Set(holder.letGo);
    holder.thread.join();
    EXPECT_EQ(boxes.modalCount(), 0);
    EXPECT_EQ(boxes.count(), 1) << boxes.texts().join(QLatin1Char(10)).toStdString();
    // The engine's reason in the station's language.
    EXPECT_TRUE(boxes.texts().value(0).contains(QStringLiteral("数据库被另一个程序锁定"))) << boxes.texts().value(0).toStdString();

    // The lock gone, the rows arrive with the next refreshes.
    viewMode = CShowAllDlg::kViewMode;
    page->SetRefreshTimer(80);
    EXPECT_TRUE(WaitFor([&] { return FaultRows(2) == std::vector<int>{21, 31} && FaultRows(11) == std::vector<int>{23, 33}; }));
    EXPECT_EQ(FaultRows(6), (std::vector<int>{22, 32}));
    EXPECT_EQ(db->PendingWrites(), 0);
}
