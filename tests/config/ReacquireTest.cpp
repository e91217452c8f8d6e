// Re-acquiring the installed lifts from the simulator over a pseudo-terminal
// into a real database file: what is found, what is stored, how the progress
// box moves while the scan holds the user-interface thread, and a bus that
// stays silent.
#include <QProgressBar>
#include <functional>

#include "ConfigPageFixture.h"

using namespace config_test;

namespace {

// Watches what reaches an object while a read runs.
class Watcher : public QObject {
public:
    std::function<void(CWindowMessage&)> onMessage;
    std::function<void(QEvent&)> onEvent;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (auto* m = dynamic_cast<CWindowMessage*>(e)) {
            if (onMessage)
                onMessage(*m);
        } else if (onEvent) {
            onEvent(*e);
        }
        return false;
    }
};

struct Installed {
    int n;
    int floors;
};
const std::vector<Installed> kInstalled = {{1, 10}, {2, 12}, {5, 8}, {12, 20}, {33, 56}};

QStringList SimArgs()
{
    return {QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"), QStringLiteral("2:12:1"),
            QStringLiteral("--lift"), QStringLiteral("5:8:2"),  QStringLiteral("--lift"), QStringLiteral("12:20:3"),
            QStringLiteral("--lift"), QStringLiteral("33:56:3")};
}

class ReacquireTest : public ConfigPageTest {
protected:
    // Runs the re-acquire and keeps what the progress box and the page saw meanwhile.
    void Reacquire()
    {
        percents.clear();
        stations.clear();
        busyDuringScan = true;
        boxShownDuringScan = true;
        barPaints = 0;
        finished = 0;

        Watcher boxWatch;
        boxWatch.onMessage = [this](CWindowMessage& m) {
            if (m.message() == WM_SET_PERCENT)
                percents << int(m.lParam());
        };
        Watcher barWatch;
        barWatch.onEvent = [this](QEvent& e) {
            if (e.type() == QEvent::Paint && page->m_bBusy)
                ++barPaints;
        };
        Watcher pageWatch;
        pageWatch.onMessage = [this](CWindowMessage& m) {
            if (m.message() == WM_READ_PROGRESS && m.wParam() == 1) {
                stations << int(m.lParam());
                busyDuringScan = busyDuringScan && page->m_bBusy == 1;
                boxShownDuringScan = boxShownDuringScan && page->m_pWaitDlg->isVisible();
                if (onStation)
                    onStation(int(m.lParam()));
            } else if (m.message() == WM_READ_FINISHED) {
                ++finished;
            }
        };
        page->m_pWaitDlg->installEventFilter(&boxWatch);
        page->m_pWaitDlg->m_pProgress->installEventFilter(&barWatch);
        page->installEventFilter(&pageWatch);
        page->m_btGetLiftData->click();
        page->removeEventFilter(&pageWatch);
        page->m_pWaitDlg->m_pProgress->removeEventFilter(&barWatch);
        page->m_pWaitDlg->removeEventFilter(&boxWatch);
    }

    void ExpectStoredLift(int n, int floors, const QString& name)
    {
        SCOPED_TRACE("lift " + std::to_string(n));
        const QString where = QStringLiteral(" From KALOR_LiftInf Where RealAddr = %1").arg(n);
        EXPECT_EQ(Value(QStringLiteral("Select Kind") + where, QStringLiteral("Kind")), QStringLiteral("1"));
        EXPECT_EQ(Value(QStringLiteral("Select MaxFloor") + where, QStringLiteral("MaxFloor")).toInt(), floors);
        EXPECT_EQ(Value(QStringLiteral("Select strName_1") + where, QStringLiteral("strName_1")), name);
        EXPECT_EQ(Value(QStringLiteral("Select bLiftHight") + where, QStringLiteral("bLiftHight")), QStringLiteral("1"));
        const QString index = QStringLiteral("KALOR_LiftData_%1").arg(n);
        for (const QString& t : {index, index + QStringLiteral("_1"), index + QStringLiteral("_Err"),
                                 index + QStringLiteral("_FloorName")})
            EXPECT_TRUE(TableExists(t)) << t.toStdString();
        EXPECT_EQ(Count(index + QStringLiteral("_FloorName")), 56);
        EXPECT_EQ(Count(index), 1);
    }

    CLiftSim sim{SimArgs()};
    QList<int> percents;
    QList<int> stations;
    bool busyDuringScan = true;
    bool boxShownDuringScan = true;
    int barPaints = 0;
    int finished = 0;
    std::function<void(int)> onStation;
};

} // namespace

TEST_F(ReacquireTest, FindsTheInstalledLiftsAndStoresThemWithTheirTables)
{
    Connect(sim);
    const QStringList before = Tables();
    Reacquire();

    EXPECT_EQ(page->m_bBusy, 0);
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    // The box ran through the 16 stations, 6 % each, and was painted while
    // the scan held the thread.
    QList<int> expected{0};
    for (int s = 1; s <= 16; ++s)
        expected << s * 6;
    EXPECT_EQ(percents, expected);
    EXPECT_EQ(stations.size(), 16);
    EXPECT_TRUE(busyDuringScan);
    EXPECT_TRUE(boxShownDuringScan);
    EXPECT_GE(barPaints, 8);

    // Exactly the simulator's lifts, with their floor counts.
    std::map<int, int> found;
    for (int k = 0; k < kLiftSlots; ++k) {
        if (store.m_pLiftInf[k].nKind != 0)
            found[k + 1] = store.m_pLiftInf[k].nMaxFloor;
    }
    std::map<int, int> wanted;
    for (const Installed& l : kInstalled)
        wanted[l.n] = l.floors;
    EXPECT_EQ(found, wanted);

    // Stored with their tables; unnamed lifts named by number and UI text 192.
    ASSERT_EQ(T(192), QStringLiteral("号梯"));
    for (const Installed& l : kInstalled)
        ExpectStoredLift(l.n, l.floors, QString::number(l.n) + T(192));
    EXPECT_EQ(Lift(12).strName, QStringLiteral("12号梯"));
    EXPECT_EQ(Column(QStringLiteral("Select RealAddr From KALOR_LiftInf Where Kind <> 0 Order by RealAddr"),
                     QStringLiteral("RealAddr")),
              (QStringList{"1", "2", "5", "12", "33"}));
    EXPECT_EQ(Tables().size(), before.size() + 4 * int(kInstalled.size()));
    // Free slots are not marked as measured.
    EXPECT_EQ(Value(QStringLiteral("Select count(*) AS n From KALOR_LiftInf Where Kind = 0 And (bLiftHight <> 0 Or LiftHight <> 0)"),
                    QStringLiteral("n")),
              QStringLiteral("0"));
    // A new lift's floor rows carry the default display texts.
    EXPECT_EQ(Value(QStringLiteral("Select FloorNameHi || '/' || FloorNameLo AS t From KALOR_LiftData_12_FloorName"
                                   " Where FloorNum = 17"),
                    QStringLiteral("t")),
              QStringLiteral("1/7"));

    // All of them went into group 0, in memory and in the file.
    ASSERT_GE(groupCount, 1);
    EXPECT_EQ(groups[0].nLiftCount, 5);
    EXPECT_EQ(groups[0].byLiftNum[4], 33);
    EXPECT_EQ(Value(QStringLiteral("Select GroupCount From KALOR_GroupInf Where GroupNum = 0"), QStringLiteral("GroupCount")),
              QStringLiteral("5"));

    // The lift list shows them online.
    ASSERT_EQ(page->m_lstLift->GetItemCount(), 5);
    EXPECT_EQ(page->m_lstLift->GetItemText(3, 0), QStringLiteral("12"));
    EXPECT_EQ(page->m_lstLift->GetItemText(3, 1), QStringLiteral("12号梯"));
    EXPECT_EQ(page->m_lstLift->GetItemText(3, 2), QStringLiteral("0:") + groups[0].strGroupName);
    EXPECT_EQ(page->m_lstLift->GetItemText(3, 3), QStringLiteral("20"));
    EXPECT_EQ(page->m_lstLift->GetItemText(3, 4), T(18));
    // The new lifts carry their group's name at once (the single-lift title shows it).
    EXPECT_EQ(Lift(12).strGroupName, groups[0].strGroupName);

    // What was stored comes back after a restart.
    LoadConfig();
    EXPECT_EQ(Lift(33).nKind, 1);
    EXPECT_EQ(Lift(33).nMaxFloor, 56);
    EXPECT_EQ(Lift(33).arrFloorNameLo.size(), 56);
    EXPECT_EQ(Lift(5).strName, QStringLiteral("5号梯"));
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
    boxes.setAnswer(MsgBoxResult::Ok);
    Reacquire();
    EXPECT_EQ(boxesDuringScan, 0);
    EXPECT_EQ(stations.size(), 16);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(ReacquireTest, ASecondReacquireChangesOnlyTheRows)
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

    EXPECT_EQ(stations.size(), 16);
    EXPECT_EQ(Tables(), tables);
    for (const Installed& l : kInstalled) {
        EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_%1_FloorName").arg(l.n)), 56);
        EXPECT_EQ(Count(QStringLiteral("KALOR_LiftData_%1").arg(l.n)), 1);
    }
    EXPECT_EQ(Value(QStringLiteral("Select FloorNameHi || FloorNameLo AS t From KALOR_LiftData_2_FloorName Where FloorNum = 3"),
                    QStringLiteral("t")),
              QStringLiteral("B1"));
    // The absent lift is offline but stays installed.
    EXPECT_EQ(Lift(5).bOffline, 1);
    EXPECT_EQ(Lift(5).nKind, 1);
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(5), 4), T(19));
    EXPECT_EQ(page->m_lstLift->GetItemText(LiftRowOf(1), 4), T(18));
    EXPECT_EQ(Value(QStringLiteral("Select Kind From KALOR_LiftInf Where RealAddr = 5"), QStringLiteral("Kind")),
              QStringLiteral("1"));
}

TEST_F(ReacquireTest, ASilentBusMarksEverythingOfflineAndStoresNothingNew)
{
    Connect(sim);
    Reacquire();
    // As after a restart: the configuration comes from the file.
    LoadConfig();
    page->RefreshPage();
    const QStringList rows = LiftRows();
    const QStringList tables = Tables();
    const QString groupCounts = Column(QStringLiteral("Select GroupCount From KALOR_GroupInf Order by GroupNum"),
                                       QStringLiteral("GroupCount"))
                                    .join(QLatin1Char(','));

    for (int s : {1, 2, 3, 9})
        ASSERT_TRUE(sim.command(QStringLiteral("silent %1 1").arg(s)));
    Reacquire();

    EXPECT_EQ(finished, 1);
    EXPECT_EQ(percents.last(), 96);
    for (int k = 0; k < kLiftSlots; ++k)
        EXPECT_EQ(store.m_pLiftInf[k].bOffline, 1) << "lift " << k + 1;
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(Column(QStringLiteral("Select GroupCount From KALOR_GroupInf Order by GroupNum"), QStringLiteral("GroupCount"))
                  .join(QLatin1Char(',')),
              groupCounts);
    ASSERT_EQ(page->m_lstLift->GetItemCount(), 5);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(page->m_lstLift->GetItemText(r, 4), T(19));
}

TEST_F(ReacquireTest, AClosedPortIsRefusedAndNothingChanges)
{
    const QStringList rows = LiftRows();
    page->m_bPortOpen = 0;
    page->m_btGetLiftData->click();
    EXPECT_EQ(boxes.texts(), QStringList{T(155)});
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
    EXPECT_EQ(page->m_bBusy, 0);
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(page->m_lstLift->GetItemCount(), 0);
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

    std::vector<std::pair<int, int>> messages;
    Watcher pageWatch;
    pageWatch.onMessage = [&](CWindowMessage& m) {
        if (m.message() == WM_READ_PROGRESS || m.message() == WM_READ_FINISHED || m.message() == WM_READ_FAILED)
            messages.emplace_back(m.message(), int(m.wParam()));
    };
    QList<int> shown;
    Watcher boxWatch;
    boxWatch.onMessage = [&](CWindowMessage& m) {
        if (m.message() == WM_SET_PERCENT)
            shown << int(m.lParam());
    };
    page->installEventFilter(&pageWatch);
    page->m_pWaitDlg->installEventFilter(&boxWatch);
    boxes.clear();
    boxes.setAnswer(MsgBoxResult::Ok);
    page->OnBnClickedGetLiftHeight();
    EXPECT_EQ(boxes.texts(), QStringList{T(94)});
    EXPECT_EQ(page->m_bBusy, 1);
    EXPECT_TRUE(page->m_pWaitDlg->isVisible());
    ASSERT_NE(g_pPollThread, nullptr);

    QTRY_COMPARE_WITH_TIMEOUT(int(page->m_bBusy), 0, 20000);
    QCoreApplication::processEvents();  // what the last progress message posted to the box
    page->removeEventFilter(&pageWatch);
    page->m_pWaitDlg->removeEventFilter(&boxWatch);
    EXPECT_FALSE(page->m_pWaitDlg->isVisible());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), std::make_pair(int(WM_READ_FINISHED), 2));
    EXPECT_EQ(Lift(3).nCurFloor, 6);
    // The box starts empty and gets one percentage per progress message; a
    // car on its way up (run state 2) shows 0.
    const auto progress = std::count_if(messages.begin(), messages.end(),
                                        [](auto m) { return m.first == WM_READ_PROGRESS; });
    EXPECT_GT(progress, 0);
    EXPECT_EQ(shown.size(), progress + 1);
    EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](int p) { return p >= 0 && p <= 100; }));
}

TEST_F(ReacquireTest, ARefusedStoreKeepsTheFileAndThePageAsTheyWere)
{
    // The last statement of the set, the group counts, is refused.
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("CREATE TRIGGER keep_counts BEFORE UPDATE OF GroupCount ON KALOR_GroupInf"
                                                      " BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    Connect(sim);
    const QStringList rows = LiftRows();
    const QStringList tables = Tables();
    const int listed = page->m_lstLift->GetItemCount();
    std::vector<QStringList> floorNames;
    for (const Installed& l : kInstalled)
        floorNames.push_back(Lift(l.n).arrFloorNameHi);
    Reacquire();

    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(boxes.texts().isEmpty());
    EXPECT_EQ(LiftRows(), rows);
    EXPECT_EQ(Tables(), tables);
    for (std::size_t k = 0; k < kInstalled.size(); ++k) {
        const int n = kInstalled[k].n;
        SCOPED_TRACE(n);
        EXPECT_EQ(Lift(n).nKind, 0);
        EXPECT_TRUE(Lift(n).strName.isEmpty());
        EXPECT_EQ(Lift(n).arrFloorNameHi, floorNames[k]);
    }
    EXPECT_EQ(page->m_lstLift->GetItemCount(), listed);
    ASSERT_GT(groupCount, 0);
    for (int g = 0; g < groupCount; ++g)
        EXPECT_EQ(groups[std::size_t(g)].nLiftCount, 0) << g;
}
