// The group page on a real database copy, fed by hand: cells laid out for the
// group and the view height, members outside the installation left out and
// their reports ignored, the car stepped between two reports, doors on their
// timers, the status block and indicator from the record.

#include "platform/UiText.h"
#include "views/ShowGruStation.h"
#include "views/ViewTestSupport.h"

using namespace showgru_test;

namespace {

class ShowGruPageTest : public ShowGruStation {
protected:
    // Runs the animation thread's passes by hand, one a millisecond from
    // `from` to `to`, and lets the page take every step they post. Returns
    // the drawn positions of cell k after each step and the steps' ticks.
    std::pair<std::vector<int>, std::vector<std::uint32_t>> Animate(int k, std::uint32_t from, std::uint32_t to)
    {
        std::vector<int> drawn;
        std::vector<std::uint32_t> ticks;
        for (std::uint32_t t = from; t <= to; ++t) {
            if (CarAnimPass(animSlots.data(), t)) {
                page->OnCarAnimStep(0, reinterpret_cast<LPARAM>(animSlots.data()));
                drawn.push_back(Cell(k)->m_nDrawPos);
                ticks.push_back(t);
            }
        }
        return {drawn, ticks};
    }
};

} // namespace

TEST_F(ShowGruPageTest, CellsFollowTheGroupTheViewHeightAndTheLine)
{
    Start(TwoGroups(), {}, true, 1000);
    ASSERT_FALSE(HasFatalFailure());

    // A view of 885 pixels: large cells, one per member, in member order.
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(Cell(k)->isVisible());
        EXPECT_EQ(Cell(k)->geometry(), QRect(45 + k * 150, 30, 135, 770));
        EXPECT_EQ(Cell(k)->m_pLiftInf, &Lift(k + 1));
    }
    for (int k = 3; k < CShowGruDlg::kCellCount; ++k)
        EXPECT_FALSE(Cell(k)->isVisible()) << k;
    // Lift 2's shaft of 36 m spread over the travel of 628 - 66 - 50 pixels.
    EXPECT_FLOAT_EQ(Cell(1)->m_fPixelsPerUnit, 512.0f / 36000.0f);
    EXPECT_EQ(page->Caption()->text(), QStringLiteral("当前组：North"));

    // A lower window: 645 pixels give small cells; the other group.
    window->resize(kWindowWidth, 760);
    ShowPage(1);
    EXPECT_EQ(Cell(0)->geometry(), QRect(20, 25, 108, 540));
    EXPECT_EQ(Cell(0)->m_pLiftInf, &Lift(5));
    EXPECT_FALSE(Cell(1)->isVisible());
    EXPECT_EQ(page->Caption()->text(), QStringLiteral("当前组：South"));

    // Without a line the caption says so, in red, and no thread starts.
    page->m_bPortOpen = 0;
    ShowPage(0);
    EXPECT_EQ(page->Caption()->text(), QStringLiteral("当前组：North        ") + UiText(&texts, 155));
    EXPECT_EQ(page->Caption()->GetTextColor(), RGB(255, 0, 0));
    page->StartViewThreads();
    EXPECT_EQ(g_pPollThread, nullptr);

    // A group index beyond the table shows no cell and starts nothing.
    page->m_bPortOpen = 1;
    ShowPage(7);
    for (int k = 0; k < CShowGruDlg::kCellCount; ++k)
        EXPECT_FALSE(Cell(k)->isVisible()) << k;
    EXPECT_EQ(page->Caption()->text(), QStringLiteral("当前组："));
    page->StartViewThreads();
    EXPECT_TRUE(g_pPollThread == nullptr && g_pAnimThread == nullptr);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(ShowGruPageTest, MembersOutsideTheInstallationAreLeftOut)
{
    Start(TwoGroups(), {}, false);
    ASSERT_FALSE(HasFatalFailure());
    // Member numbers as a damaged group record might hold them.
    strGroupInf& north = groups[0];
    north.byLiftNum.fill(0);
    const std::array<std::uint8_t, 6> members{0, 2, 65, 255, 1, 64};
    std::copy(members.begin(), members.end(), north.byLiftNum.begin());
    north.nLiftCount = int(members.size());
    ShowPage(0);
    EXPECT_EQ(Cell(1)->m_pLiftInf, &Lift(2));
    EXPECT_EQ(Cell(4)->m_pLiftInf, &Lift(1));
    // Lift 64 exists as a slot, installed or not.
    EXPECT_TRUE(Cell(1)->isVisible() && Cell(4)->isVisible() && Cell(5)->isVisible());
    for (int k : {0, 2, 3}) {
        EXPECT_FALSE(Cell(k)->isVisible()) << k;
        EXPECT_EQ(Cell(k)->m_pLiftInf, nullptr) << k;
    }
    // Reports of every index, and some no worker sends, touch only real members.
    for (int i = -3; i < 70; ++i)
        page->TakeLiftReport(i, 5000);
    page->OnLiftStatus(WPARAM(-1), 0);
    page->OnLiftStatus(200, 0);
    EXPECT_TRUE(Cell(4)->m_bStarted && Cell(1)->m_bStarted);
    EXPECT_FALSE(Cell(0)->m_bStarted);
    EXPECT_EQ(Lift(1).bRecInit, 1);
    EXPECT_EQ(Lift(3).bRecInit, 0);  // no longer a member
    // A member count beyond the record is held to it.
    north.nLiftCount = 1000;
    ShowPage(0);
    page->TakeLiftReport(0, 6000);
    north.nLiftCount = -4;
    ShowPage(0);
    for (int k = 0; k < CShowGruDlg::kCellCount; ++k)
        EXPECT_FALSE(Cell(k)->isVisible()) << k;
    page->TakeLiftReport(0, 7000);
    (void)page->grab();
}

TEST_F(ShowGruPageTest, TheCarStepsFromOneReportToTheNext)
{
    Start(TwoGroups(), {}, false);
    ASSERT_FALSE(HasFatalFailure());
    CStaGrp* cell = Cell(0);

    // The first report only takes the position: the car stays at 0.
    Lift(1).nCarPos = 1000;
    page->TakeLiftReport(0, 10000);
    EXPECT_TRUE(cell->m_bStarted);
    EXPECT_EQ(cell->m_nDrawPos, 0);
    EXPECT_FALSE(animSlots[0].bActive);

    // 400 ms later at 1200: ten steps of 20, 41 ms apart, the first at once.
    Lift(1).nCarPos = 1200;
    page->TakeLiftReport(0, 10400);
    EXPECT_TRUE(animSlots[0].bActive);
    EXPECT_EQ(animSlots[0].nStepsTotal, 10u);
    EXPECT_FLOAT_EQ(cell->m_fStep, 20.0f);
    auto [drawn, ticks] = Animate(0, 10400, 11000);
    EXPECT_EQ(drawn, (std::vector<int>{1020, 1040, 1060, 1080, 1100, 1120, 1140, 1160, 1180, 1200}));
    ASSERT_EQ(ticks.size(), 10u);
    EXPECT_EQ(ticks.front(), 10400u);
    for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i] - ticks[i - 1], 41u);
    EXPECT_FALSE(animSlots[0].bActive);

    // Down again over 130 ms: three steps of -100 / 3, each product truncated.
    Lift(1).nCarPos = 1100;
    page->TakeLiftReport(0, 10530);
    std::tie(drawn, ticks) = Animate(0, 10530, 10700);
    EXPECT_EQ(drawn, (std::vector<int>{1167, 1134, 1100}));

    // Reports 30 ms apart leave nothing to smooth: the car is at once where
    // the controller says, and a step message from another cell cannot pull
    // it back.
    Lift(1).nCarPos = 1500;
    page->TakeLiftReport(0, 10560);
    EXPECT_EQ(cell->m_nDrawPos, 1500);
    std::tie(drawn, ticks) = Animate(0, 10560, 10700);
    EXPECT_TRUE(drawn.empty());
    EXPECT_FALSE(animSlots[0].bActive);
    animSlots[0].bStepped = 1;
    page->OnCarAnimStep(0, 0);
    EXPECT_EQ(cell->m_nDrawPos, 1500);

    // One step's worth of time: the single step is also the last, and drawn.
    Lift(1).nCarPos = 1800;
    page->TakeLiftReport(0, 10605);
    EXPECT_EQ(animSlots[0].nStepsTotal, 1u);
    std::tie(drawn, ticks) = Animate(0, 10605, 10700);
    EXPECT_EQ(drawn, std::vector<int>{1800});

    // The car is never drawn above the travel; a lift without a height has
    // no scale and its car stays at the bottom.
    cell->m_nDrawPos = 65535;
    EXPECT_EQ(cell->CarTop(), 50 + 66);
    Lift(1).nHeight = 0;
    cell->UpdatePixelScale();
    EXPECT_EQ(cell->CarTop(), 628);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(ShowGruPageTest, DoorsOpenAndCloseOnTheirTimers)
{
    Start(TwoGroups(), {}, false);
    ASSERT_FALSE(HasFatalFailure());
    CStaGrp* cell = Cell(2);
    const int open = CShowGruDlg::IDT_DOOR_OPEN_BASE + 2;
    const int close = CShowGruDlg::IDT_DOOR_CLOSE_BASE + 2;
    auto report = [&](int doorState) {
        Lift(3).nDoorState = doorState;
        page->TakeLiftReport(2, GetTickCount32());
    };
    report(4);  // the first report starts nothing
    report(4);
    EXPECT_FALSE(page->IsDoorTimerActive(open));
    EXPECT_FALSE(page->IsDoorTimerActive(close));

    // Opening: one frame a tick up to the open car, then the timer ends.
    report(1);
    EXPECT_TRUE(page->IsDoorTimerActive(open));
    std::vector<int> seen;
    ASSERT_TRUE(WaitFor([&] {
        if (seen.empty() || seen.back() != cell->m_nDoorStep)
            seen.push_back(cell->m_nDoorStep);
        return cell->m_nDoorStep == 11 && !page->IsDoorTimerActive(open);
    }));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GE(seen.size(), 4u);  // frames in between, not a jump

    // Closing down to the closed car.
    report(3);
    EXPECT_TRUE(page->IsDoorTimerActive(close));
    ASSERT_TRUE(WaitFor([&] { return cell->m_nDoorStep == 0 && !page->IsDoorTimerActive(close); }));

    // A new layout stops the opening half way; the next report moves the
    // door on from there instead of leaving it half open for good.
    report(1);
    ASSERT_TRUE(WaitFor([&] { return cell->m_nDoorStep >= 4; }));
    ShowPage(0);
    EXPECT_FALSE(page->IsDoorTimerActive(open));
    EXPECT_LT(cell->m_nDoorStep, 11);
    report(2);
    ASSERT_TRUE(WaitFor([&] { return cell->m_nDoorStep == 11 && !page->IsDoorTimerActive(open); }));

    // Closing ordered while the opening timer has not had its last tick:
    // only one direction runs, and the door stays closed afterwards.
    cell->m_nDoorStep = 10;
    report(1);
    page->OnTimer(open);
    ASSERT_EQ(cell->m_nDoorStep, 11);
    ASSERT_TRUE(page->IsDoorTimerActive(open));
    report(4);
    EXPECT_FALSE(page->IsDoorTimerActive(open));
    EXPECT_TRUE(page->IsDoorTimerActive(close));
    ASSERT_TRUE(WaitFor([&] { return cell->m_nDoorStep == 0 && !page->IsDoorTimerActive(close); }));
    QTest::qWait(150);
    EXPECT_EQ(cell->m_nDoorStep, 0);
}

TEST_F(ShowGruPageTest, StatusLinesAndIndicatorFollowTheRecord)
{
    Start(TwoGroups(), {}, false);
    ASSERT_FALSE(HasFatalFailure());
    strLiftInf& lift = Lift(1);
    lift.bOffline = 0;
    lift.nCtrlMode = 7;
    const QString no = QStringLiteral(" No   "), yes = QStringLiteral(" Yes  ");

    // Online: the three lines; a fault adds to the mode line and turns it
    // red; a mode without a text leaves only the fault.
    auto block = CStaGrp::StatusBlock(lift, &texts);
    EXPECT_EQ(block.strLine, (std::array<QString, 3>{UiText(&texts, 103), UiText(&texts, 35),
                                                     UiText(&texts, 44) + no + UiText(&texts, 45) + no}));
    EXPECT_EQ(block.bRed, (std::array<bool, 3>{false, false, false}));
    lift.nFaultCode = 12;
    lift.bFlagA = 1;
    block = CStaGrp::StatusBlock(lift, &texts);
    EXPECT_EQ(block.strLine[1], UiText(&texts, 35) + QStringLiteral("  Err12"));
    EXPECT_EQ(block.bRed, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(block.strLine[2], UiText(&texts, 44) + yes + UiText(&texts, 45) + no);
    lift.nCtrlMode = 500;
    EXPECT_EQ(CStaGrp::StatusBlock(lift, &texts).strLine[1], QStringLiteral("  Err12"));
    // Offline: two lines in red.
    lift.bOffline = 1;
    block = CStaGrp::StatusBlock(lift, &texts);
    EXPECT_EQ(block.strLine[0], UiText(&texts, 73));
    EXPECT_EQ(block.strLine[1], UiText(&texts, 74));
    EXPECT_TRUE(block.bRed[0] && block.bRed[1]);

    using I = CStaGrp::Indicator;
    struct Case { int run; int mode; int flagB; int offline; I expected; };
    for (const Case& c : {Case{0, 7, 0, 0, I::StopGreen}, Case{3, 7, 0, 0, I::StopGreen}, Case{0, 5, 0, 0, I::StopRed},
                          Case{3, 7, 1, 0, I::StopRed}, Case{0, 7, 0, 1, I::StopRed}, Case{1, 7, 0, 0, I::UpGreen},
                          Case{1, 5, 1, 0, I::UpRed}, Case{2, 7, 0, 1, I::DownGreen}, Case{2, 7, 1, 0, I::DownRed},
                          Case{4, 7, 0, 0, I::None}, Case{-1, 7, 0, 0, I::None}}) {
        lift.nRunState = c.run;
        lift.nCtrlMode = c.mode;
        lift.bFlagB = std::uint8_t(c.flagB);
        lift.bOffline = std::uint8_t(c.offline);
        EXPECT_EQ(CStaGrp::RunIndicator(lift), c.expected) << c.run << " " << c.mode << " " << c.flagB << " " << c.offline;
    }
}

TEST_F(ShowGruPageTest, ARestartTakesTheNextReportAsAFirstOne)
{
    Start(TwoGroups());
    ASSERT_FALSE(HasFatalFailure());
    Lift(1).nCarPos = 3000;
    page->TakeLiftReport(0, 1000);
    page->TakeLiftReport(0, 1010);  // close reports place the car at once
    ASSERT_EQ(Cell(0)->m_nDrawPos, 3000);
    // The page is left and shown again much later: the time between the two
    // runs is not a report interval to animate over.
    page->StartViewThreads();
    ASSERT_NE(g_pAnimThread, nullptr);
    // Started once more without a stop: the earlier threads end first.
    page->StartViewThreads();
    StopThreads();
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_FALSE(Cell(0)->m_bStarted);
    Lift(1).nCarPos = 9000;
    page->TakeLiftReport(0, 600000);
    EXPECT_EQ(Cell(0)->m_nCarPosPrev, 9000);
    EXPECT_EQ(Cell(0)->m_nDrawPos, 0) << "not where the car of the last run was";
    EXPECT_FALSE(animSlots[0].bActive);
    Lift(1).nCarPos = 9400;
    page->TakeLiftReport(0, 600200);
    EXPECT_EQ(animSlots[0].nStepsTotal, 5u);
}
