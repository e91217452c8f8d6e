// The group page live against the bus simulator and a real database copy: the
// group worker and the animation thread run, a car call carried by the
// worker's page requests moves the car on screen through in-between places,
// the doors open and close on arrival, and the call is recorded once.
#include <set>

#include "link/CallRegistry.h"
#include "link/LiftCmd.h"
#include "views/ShowGruStation.h"

using namespace showgru_test;

namespace {

class ShowGruLiveTest : public ShowGruStation {
protected:
    // Page requests the simulator saw for lift n.
    int PageRequestsTo(int n) const
    {
        int count = 0;
        for (const auto& f : sim->requests())
            count += f.size() >= 2 && f[0] == n && f[1] == 0x00;
        return count;
    }

    struct Sample {
        int drawn;     // drawn car position
        int reported;  // position of the last report the cell took
        int carTop;
        int door;
    };
};

} // namespace

TEST_F(ShowGruLiveTest, ACarCallMovesTheCarSmoothlyOpensItsDoorsAndIsRecordedOnce)
{
    Start(TwoGroups(), {QStringLiteral("--speed"), QStringLiteral("700"), QStringLiteral("--door"),
                     QStringLiteral("2400")});
    ASSERT_FALSE(HasFatalFailure());
    sim->clearRequests();
    page->StartViewThreads();
    ASSERT_NE(g_pPollThread, nullptr);
    ASSERT_NE(g_pAnimThread, nullptr);

    // Every member reports; the cars stand at floor 1.
    ASSERT_TRUE(WaitFor([&] {
        for (int k = 0; k < 3; ++k)
            if (!Cell(k)->m_bStarted || Lift(k + 1).nCurFloor != 1 || Lift(k + 1).bOffline)
                return false;
        return true;
    })) << "the group worker did not report every member";
    CStaGrp* cell = Cell(0);
    ASSERT_TRUE(WaitFor([&] { return cell->m_nDrawPos == 0 && cell->m_nCarPos == 0; }));
    const int bottomTop = cell->CarTop();

    // A car call to floor 9 of lift 1, as the single-lift page registers it;
    // the group worker's page requests carry it to the controller.
    ASSERT_TRUE(RegisterCall(store.m_pLiftCmd[0], 9, CallKind::Car, 4));
    const int target = 8 * 30000 / 9;  // the simulator's level of floor 9 of 10
    std::vector<Sample> samples;
    bool arrived = false, opened = false, closed = false;
    ASSERT_TRUE(WaitFor([&] {
        samples.push_back({cell->m_nDrawPos, cell->m_nCarPos, cell->CarTop(), cell->m_nDoorStep});
        arrived = arrived || (Lift(1).nCurFloor == 9 && cell->m_nDrawPos == target);
        opened = opened || (arrived && cell->m_nDoorStep == CStaGrp::kLastDoorStep);
        closed = opened && cell->m_nDoorStep == 0;
        return closed;
    }, 20000)) << "floor " << Lift(1).nCurFloor << " drawn " << cell->m_nDrawPos << " door " << cell->m_nDoorStep;
    StopThreads();
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);

    // The car only rose, and most places it was drawn at were between two
    // reports: the animation, not the reports, moved it.
    std::set<int> drawn, reported, doorSteps;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        drawn.insert(samples[i].drawn);
        reported.insert(samples[i].reported);
        doorSteps.insert(samples[i].door);
        if (i > 0) {
            EXPECT_GE(samples[i].drawn, samples[i - 1].drawn) << i;
        }
    }
    int between = 0;
    for (int d : drawn)
        between += reported.count(d) == 0;
    EXPECT_GE(between, 10) << drawn.size() << " drawn places, " << reported.size() << " reports";
    EXPECT_EQ(samples.back().drawn, target);
    // On screen the car went up by the travel of 8 floors.
    EXPECT_NEAR(bottomTop - samples.back().carTop, int(target * cell->m_fPixelsPerUnit), 1);

    // The doors went through their frames both ways.
    EXPECT_GE(doorSteps.size(), 6u);

    // One call row for the one call, whatever the number of reports since.
    EXPECT_EQ(CallRows(1), (std::vector<std::pair<int, int>>{{1, 9}}));
    EXPECT_TRUE(CallRows(2).empty());
    // The lift of the other group was neither polled nor recorded.
    EXPECT_EQ(PageRequestsTo(5), 0);
    EXPECT_EQ(Lift(5).bRecInit, 0);
    EXPECT_GT(PageRequestsTo(3), 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

