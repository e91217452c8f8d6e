// The single-lift page against the bus simulator, end to end: a press on the
// page goes out in the page requests, the simulated lift serves it, the page
// shows lamp and car, and the recorder writes the call; a silent lift turns
// the buttons off and back on.
#include "ShowOneFixture.h"

using namespace showone_test;

namespace {

constexpr int kWaitMs = 10000;

int PageOf(const Frame& f) { return f[2] >> 5; }

} // namespace

class ShowOneLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_rig.ok());
        m_rig.Start();
        ASSERT_TRUE(m_rig.WaitOnline()) << "the page never saw the lift";
        ASSERT_EQ(int(m_rig.lift().nCurFloor), 1);
    }
    bool WaitFor(const std::function<bool()>& pred, int ms = kWaitMs) { return QTest::qWaitFor(pred, ms); }

    BoxLog m_boxes{MsgBoxResult::Ok};
    ShowOneRig m_rig;
};

TEST_F(ShowOneLive, CallsGoOutFiveTimesAreServedShownAndRecorded)
{
    CShowOneDlg& page = m_rig.page();
    CButShape* car5 = page.m_pCarBtn[4];       // page 0, car byte bit 4
    CButShape* up7 = page.m_pUpBtn[6];         // page 0, high byte bit 4
    CButShape* down11 = page.m_pDownBtn[10];   // page 1, low byte bit 5
    m_rig.sim().clearRequests();
    QTest::mouseClick(car5, Qt::LeftButton);
    EXPECT_EQ(m_rig.cmd().nCarCall[0], 0) << "the call must wait for the pause";
    QTest::mouseClick(up7, Qt::LeftButton);
    QTest::mouseClick(down11, Qt::LeftButton);

    // The controller's lamps come back lit and the page shows them.
    ASSERT_TRUE(WaitFor([&] { return car5->m_bLamp == 1 && up7->m_bLamp == 1 && down11->m_bLamp == 1; }));
    EXPECT_EQ(car5->GetState(), 3);
    EXPECT_EQ(up7->GetState(), 5);
    EXPECT_EQ(down11->GetState(), 8);

    // The car calls at 5, then 7 and 11: the page shows floor 11 and every
    // lamp dark; the buttons go back once their hold has passed.
    ASSERT_TRUE(WaitFor([&] { return page.m_pFloorCell[10]->GetState() == 2; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return car5->m_bLamp == 0 && up7->m_bLamp == 0 && down11->m_bLamp == 0; }));
    ASSERT_TRUE(WaitFor([&] { return car5->GetState() == 1 && up7->GetState() == 4 && down11->GetState() == 7; }));
    EXPECT_EQ(page.m_pFloorCell[0]->GetState(), 1);
    EXPECT_GT(page.m_fCarOffset, 0.0f);

    // Exactly five page requests carried each call.
    EXPECT_EQ(m_rig.CountRequests([](const Frame& f) { return PageOf(f) == 0 && (f[4] & 0x10); }), 5);
    EXPECT_EQ(m_rig.CountRequests([](const Frame& f) { return PageOf(f) == 0 && (f[6] & 0x10); }), 5);
    EXPECT_EQ(m_rig.CountRequests([](const Frame& f) { return PageOf(f) == 1 && (f[5] & 0x20); }), 5);
    EXPECT_EQ(m_rig.CountRequests([](const Frame& f) { return f[4] & ~0x10; }), 0);

    auto rows = m_rig.CallRows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{1, 5}, {2, 7}, {3, 11}}));
}

TEST_F(ShowOneLive, SilentLiftDisablesTheButtonsAndComesBack)
{
    CShowOneDlg& page = m_rig.page();
    CStaShape* comm = page.m_pStatusCell[4];
    ASSERT_EQ(page.m_pCarBtn[3]->m_bPermitted, 1);
    // A failure left by a stopped worker for another lift changes nothing.
    SendMessage(&page, WM_LIFT_COMM_FAILED, 1, 9);
    EXPECT_EQ(comm->GetState(), 4);
    EXPECT_EQ(page.m_pCarBtn[3]->m_bPermitted, 1);
    ASSERT_TRUE(m_rig.sim().command(QStringLiteral("silent 1 1")));
    ASSERT_TRUE(WaitFor([&] { return page.m_pCarBtn[3]->m_bPermitted == 0; }));
    EXPECT_EQ(comm->GetState(), 5);
    EXPECT_EQ(comm->m_strSecond, m_rig.Text(74));
    EXPECT_EQ(page.m_bLiftOnline, 0);
    EXPECT_EQ(page.m_pModeBtn[1]->m_bPermitted, 0);
    // Still silent a while later: nothing flips back on its own.
    QTest::qWait(500);
    EXPECT_EQ(page.m_pCarBtn[3]->m_bPermitted, 0);

    // A press while silent is refused by the button itself.
    QTest::mouseClick(page.m_pCarBtn[3], Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_boxes.texts().isEmpty(); }, 2000));
    EXPECT_EQ(m_boxes.texts(), QStringList{m_rig.Text(99)});
    EXPECT_EQ(m_rig.cmd().nCarCall[0], 0);

    ASSERT_TRUE(m_rig.sim().command(QStringLiteral("silent 1 0")));
    ASSERT_TRUE(WaitFor([&] { return page.m_pCarBtn[3]->m_bPermitted == 1; }));
    EXPECT_EQ(comm->GetState(), 4);
    EXPECT_TRUE(comm->m_strSecond.isEmpty());
    EXPECT_EQ(page.m_pModeBtn[1]->m_bPermitted, 1);
}
