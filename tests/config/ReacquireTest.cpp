// Re-acquiring the installed lifts from the simulator over a pseudo-terminal
// into a real database file: what is found, what is stored, how the progress
// box moves while the scan holds the user-interface thread, a bus that stays
// silent, a store that is refused, and the height run of one lift.

#include <QProgressBar>
#include "ConfigPageFixture.h"

using namespace config_test;

namespace {

// Lift number and floors, as the simulator is given them.
const std::vector<std::pair<int, int>> kInstalled = {{1, 10}, {2, 12}, {5, 8}, {12, 20}, {33, 56}};

QStringList SimArgs()
{
    QStringList args;
    for (auto [n, floors] : kInstalled)
        args << QStringLiteral("--lift") << QStringLiteral("%1:%2:%3").arg(n).arg(floors).arg(n == 5 ? 2 : n > 5 ? 3 : 1);
    return args;
}

class ReacquireTest : public ConfigPageTest {
protected:
    // Runs the re-acquire and keeps what the progress box and the page saw meanwhile.
    void Reacquire()
    {
        percents.clear();
        stations.clear();
        heldDuringScan = true;
        barPaints = 0;
        finished = 0;
        QObject* bar = page->m_pWaitDlg->m_pProgress;
        Watcher watch([&](QObject* watched, QEvent* e) {
            auto* m = dynamic_cast<CWindowMessage*>(e);
            if (watched == bar && e->type() == QEvent::Paint && page->m_bBusy)
                ++barPaints;
            else if (m && m->message() == WM_SET_PERCENT)
                percents << int(m->lParam());
            else if (m && m->message() == WM_READ_PROGRESS && m->wParam() == 1) {
                stations << int(m->lParam());
                heldDuringScan = heldDuringScan && page->m_bBusy == 1 && page->m_pWaitDlg->isVisible();
                if (onStation)
                    onStation(int(m->lParam()));
            } else if (m && m->message() == WM_READ_FINISHED)
                ++finished;
        });
        for (QObject* o : {static_cast<QObject*>(page), static_cast<QObject*>(page->m_pWaitDlg), bar})
            o->installEventFilter(&watch);
        page->m_btGetLiftData->click();
    }
    QString LiftColumn(int n, const char* column)
    {
        return Value(QStringLiteral("Select %1 From KALOR_LiftInf Where RealAddr = ?").arg(QLatin1String(column)),
                     QLatin1String(column), {n});
    }
    QString GroupCounts()
    {
        return Column(QStringLiteral("Select GroupCount From KALOR_GroupInf Order by GroupNum"),
                      QStringLiteral("GroupCount"))
            .join(QLatin1Char(','));
    }

    CLiftSim sim{SimArgs()};
    QList<int> percents;
    QList<int> stations;
    bool heldDuringScan = true;
    int barPaints = 0;
    int finished = 0;
    std::function<void(int)> onStation;
};

} // namespace

TEST_F(ReacquireTest, FindsTheInstalledLiftsAndStoresThemWithTheirTables)
{
    Connect(sim);
    Reacquire();
    EXPECT_FALSE(page->m_bBusy || page->m_pWaitDlg->isVisible());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    // The box ran through the 16 stations, 6 % each, and was painted while
    // the scan held the thread.
    QList<int> expected{0};
    for (int s = 1; s <= 16; ++s)
        expected << s * 6;
    EXPECT_EQ(percents, expected);
    EXPECT_TRUE(heldDuringScan);
    EXPECT_GE(barPaints, 8);

    // Exactly the simulator's lifts, stored with their four tables and 56
    // floor rows; unnamed lifts named by number and UI text 192.
    std::vector<std::pair<int, int>> found;
    for (int k = 0; k < kLiftSlots; ++k)
        if (store.m_pLiftInf[k].nKind != 0)
            found.emplace_back(k + 1, store.m_pLiftInf[k].nMaxFloor);
    EXPECT_EQ(found, kInstalled);
    for (auto [n, floors] : kInstalled) {
        SCOPED_TRACE(n);
        EXPECT_EQ(LiftColumn(n, "MaxFloor").toInt(), floors);
        EXPECT_EQ(LiftColumn(n, "strName_1"), QString::number(n) + T(192));
        for (const char* suffix : {"", "_1", "_Err"})
            EXPECT_TRUE(TableExists(QStringLiteral("KALOR_LiftData_%1").arg(n) + QLatin1String(suffix)));
        EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_%1_FloorName").arg(n)), 56);
    }
    // Free slots are not marked as measured.
    EXPECT_EQ(Value(QStringLiteral("Select count(*) AS n From KALOR_LiftInf Where Kind = 0 And (bLiftHight <> 0 Or LiftHight <> 0)"),
                    QStringLiteral("n")),
              QStringLiteral("0"));
    // All went into group 0, in memory and in the file, and carry its name at once.
    EXPECT_EQ(groups[0].nLiftCount, 5);
    EXPECT_EQ(GroupCounts().section(QLatin1Char(','), 0, 0), QStringLiteral("5"));
    EXPECT_EQ(Lift(12).strGroupName, groups[0].strGroupName);
    // The lift list shows them online.
    ASSERT_EQ(page->m_lstLift->GetItemCount(), 5);
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(12), 4), T(18));
    // What was stored comes back after a restart.
    LoadConfig();
    EXPECT_EQ(Lift(33).nMaxFloor, 56);
}

TEST_F(ReacquireTest, EveryHandlerIsTurnedAwayWhileTheScanRuns)
{
    Connect(sim);
    int boxesDuringScan = -1;
    onStation = [&](int station) {
        if (station != 8)
            return;
        const int before = boxes.count();
        page->OnBnClickedGetLiftData();  // no second scan inside the first
        page->OnBnClickedSaveLift();
        page->OnBnClickedSaveGroup();
        page->OnBnClickedDeleteLift();
        page->OnBnClickedModifyFloorShow();
        page->OnBnClickedGetLiftHeight();
        page->OnBnClickedGetAllHeights();
        page->OnBnClickedShowNum();
        boxesDuringScan = boxes.count() - before;
    };
    Reacquire();
    EXPECT_EQ(boxesDuringScan, 0);
    EXPECT_EQ(stations.size(), 16);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(ReacquireTest, ASecondReacquireChangesOnlyTheRowsAndASilentBusNothing)
{
    Connect(sim);
    Reacquire();
    // A floor text set between the two must survive: the tables are not made again.
    SelectLift(2);
    ClickRow(page->m_lstFloor, 2);
    page->m_cbFloorHi->setCurrentText(QStringLiteral("B"));
    page->m_cbFloorLo->setCurrentText(QStringLiteral("1"));
    page->OnBnClickedModifyFloorShow();
    const QStringList tables = Tables();
    ASSERT_TRUE(sim.command(QStringLiteral("absent 5 1")));
    Reacquire();
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_2_FloorName")), 56);
    EXPECT_EQ(Value(QStringLiteral("Select FloorNameHi || FloorNameLo AS t From KALOR_LiftData_2_FloorName Where FloorNum = 3"),
                    QStringLiteral("t")),
              QStringLiteral("B1"));
    // The absent lift is offline but stays installed.
    EXPECT_EQ(Lift(5).bOffline, 1);
    EXPECT_EQ(LiftColumn(5, "Kind"), QStringLiteral("1"));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(5), 4), T(19));

    // After a restart, a bus that stays silent marks everything offline and
    // stores nothing.
    LoadConfig();
    page->RefreshPage();
    const QStringList rows = LiftRows();
    const QString counts = GroupCounts();
    for (int s : {1, 2, 3, 9})
        ASSERT_TRUE(sim.command(QStringLiteral("silent %1 1").arg(s)));
    Reacquire();
    EXPECT_EQ(percents.last(), 96);  // to the end, though nobody answered
    for (int k = 0; k < kLiftSlots; ++k)
        EXPECT_EQ(store.m_pLiftInf[k].bOffline, 1) << "lift " << k + 1;
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(GroupCounts(), counts);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(page->m_lstLift->GetItemText(r, 4), T(19));
}

TEST_F(ReacquireTest, ARefusedStoreKeepsTheFileAndThePageAsTheyWere)
{
    // The last statement of the set, the group counts, is refused.
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("CREATE TRIGGER keep_counts BEFORE UPDATE OF GroupCount ON KALOR_GroupInf"
                                                      " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    Connect(sim);
    const QStringList rows = LiftRows();
    const QStringList tables = Tables();
    const QStringList names = Lift(33).arrFloorNameHi;
    Reacquire();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(boxes.texts().isEmpty());
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(Tables(), tables);
    for (auto [n, floors] : kInstalled)
        EXPECT_TRUE(Lift(n).nKind == 0 && Lift(n).strName.isEmpty()) << n;
    EXPECT_EQ(Lift(33).arrFloorNameHi, names);
    EXPECT_EQ(page->m_lstLift->GetItemCount(), 0);
    for (int g = 0; g < groupCount; ++g)
        EXPECT_EQ(groups[std::size_t(g)].nLiftCount, 0) << g;
}

TEST_F(ReacquireTest, HeightRunOfOneLiftReportsThroughTheBoxAndEnds)
{
    // A fast car, so the run to the top floor is short.
    CLiftSim fast{{QStringLiteral("--lift"), QStringLiteral("3:6:1"), QStringLiteral("--speed"), QStringLiteral("40"),
                   QStringLiteral("--door"), QStringLiteral("200")}};
    Connect(fast);
    Reacquire();
    ASSERT_EQ(Lift(3).nKind, 1);
    SelectLift(3);
    std::pair<int, int> last;
    int lastPercent = -1;
    Watcher watch([&](QObject*, QEvent* e) {
        auto* m = dynamic_cast<CWindowMessage*>(e);
        if (m && (m->message() == WM_READ_FINISHED || m->message() == WM_READ_FAILED))
            last = {m->message(), int(m->wParam())};
        else if (m && m->message() == WM_SET_PERCENT)
            lastPercent = int(m->lParam());
    });
    page->installEventFilter(&watch);
    page->m_pWaitDlg->installEventFilter(&watch);
    boxes.clear();
    page->OnBnClickedGetLiftHeight();
    EXPECT_EQ(boxes.texts(), QStringList{T(94)});
    EXPECT_TRUE(page->m_bBusy == 1 && page->m_pWaitDlg->isVisible());
    ASSERT_NE(g_pPollThread, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->m_bBusy == 0; }, 20000));
    QCoreApplication::processEvents();  // what the last progress message posted to the box
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
    EXPECT_EQ(last, std::make_pair(int(WM_READ_FINISHED), 2));
    EXPECT_EQ(Lift(3).nCurFloor, 6);
    // The box followed the car, within its range.
    EXPECT_TRUE(lastPercent >= 0 && lastPercent <= 100) << lastPercent;
}

// The height run's question closed without an answer (the station's close on
// a signal, Escape, its window's close button) starts no run.
TEST_F(ReacquireTest, AHeightRunQuestionClosedWithoutAnAnswerStartsNothing)
{
    CLiftSim fast{{QStringLiteral("--lift"), QStringLiteral("3:6:1"), QStringLiteral("--speed"), QStringLiteral("40")}};
    Connect(fast);
    Reacquire();
    ASSERT_EQ(Lift(3).nKind, 1);
    SelectLift(3);
    const MessageBoxHook previous = SetMessageBoxHook({});  // the real box
    int asked = 0;
    for (station_test::Unanswered how : station_test::kUnansweredWays) {
        for (bool oneLift : {true, false}) {
            SCOPED_TRACE(int(how) * 10 + int(oneLift));
            station_test::EndNextBoxUnanswered(how, &asked);
            if (oneLift)
                page->OnBnClickedGetLiftHeight();
            else
                page->OnBnClickedGetAllHeights();
            EXPECT_EQ(g_pPollThread, nullptr);
            EXPECT_EQ(page->m_bBusy, 0);
            EXPECT_FALSE(page->m_pWaitDlg->isVisible());
            // A run that started all the same ends before the next question.
            EXPECT_TRUE(QTest::qWaitFor([&] { return page->m_bBusy == 0; }, 20000));
        }
    }
    SetMessageBoxHook(previous);
    EXPECT_EQ(asked, 6);
}
