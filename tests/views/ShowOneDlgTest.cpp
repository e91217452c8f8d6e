// The single-lift page on its own records, without a worker: layout, the
// refresh from the records (bounded against values from the line), the car
// picture, and the refusals of calls and modes.
#include "ShowOneFixture.h"
#include "support/StationFixture.h"

using namespace showone_test;

namespace {

strRigOptions Offline(int floors = 20, QSize size = {1280, 700})
{
    strRigOptions o;
    o.withSim = false;
    o.floors = floors;
    o.size = size;
    return o;
}

// The records of a lift standing at floor `floor` with closed doors.
void Standing(ShowOneRig& rig, int floor)
{
    rig.lift().bOffline = 0;
    rig.lift().nCurFloor = floor;
    rig.lift().nDoorState = 4;
    rig.lift().nCtrlMode = 7;
}

// One tick of the page's refresh on the rig's records: 1 when it took them in.
int Refresh(ShowOneRig& rig)
{
    return rig.page().RefreshLiftView(rig.lift(), rig.pages());
}

// The refresh, then the car picture drawn from the same records.
int RefreshAndDraw(ShowOneRig& rig)
{
    const int taken = Refresh(rig);
    rig.page().UpdateCarPicture(rig.lift(), rig.pages());
    return taken;
}

// Presses a button with the mouse, waits until its pause has run out and
// delivers what the press posted to the page.
void Press(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    const auto* call = qobject_cast<CButShape*>(button);
    const auto* mode = qobject_cast<CButShapeState*>(button);
    ASSERT_TRUE(call || mode);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(call ? call->ClickWaiting() : mode->ClickWaiting()); }, 10000));
    QCoreApplication::processEvents();
}

// A 12-floor lift on the page without a line, its records those of a lift
// standing at floor 1 with closed doors.
class ShowOneOffline : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rig.ok());
        Standing(rig, 1);
    }
    BoxLog boxes;
    ShowOneRig rig{Offline(12)};
    CShowOneDlg& page = rig.page();
};
using ShowOneRefresh = ShowOneOffline;
using ShowOneCalls = ShowOneOffline;
using ShowOneModes = ShowOneOffline;

} // namespace

TEST(ShowOneLayout, SmallBelow800PixelsLargeFrom800WhateverTheWidth)
{
    for (const auto& [size, large] : {std::pair{QSize(2000, 799), false}, std::pair{QSize(900, 800), true}}) {
        strRigOptions o = Offline(20, size);
        o.portOpen = large;  // the notice shows only while the port is closed
        ShowOneRig rig(o);
        ASSERT_TRUE(rig.ok());
        CShowOneDlg& page = rig.page();
        EXPECT_EQ(page.m_stNotice->isVisible(), !large);
        EXPECT_EQ(page.m_stNotice->text(), large ? QString() : rig.Text(155));
        EXPECT_EQ(page.m_layout.bLarge, large);
        // Floor 15 starts the second row of 14.
        const int step = large ? 48 : 38;
        EXPECT_EQ(page.m_pCarBtn[14]->pos() - page.m_pCarBtn[0]->pos(), QPoint(0, step));
        // The arrows lie inside their floor cell.
        EXPECT_TRUE(page.m_pFloorCell[6]->geometry().contains(page.m_pUpBtn[6]->geometry()));
        EXPECT_TRUE(page.m_pFloorCell[6]->geometry().contains(page.m_pDownBtn[6]->geometry()));
        EXPECT_EQ(page.m_nCellFont, large ? 90 : 80);
    }
}

TEST(ShowOneLayout, PresentFloorsTitleAndCaptions)
{
    strRigOptions o = Offline(20);
    // Floor 1 named "B1"; floor 3 without a name shows its number.
    o.beforeLoad = [](CDBServer& db) {
        db.m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_LiftData_1_FloorName Set FloorNameHi='B', FloorNameLo='1' Where FloorNum=1"));
        db.m_pAdo->ExecuteSql(QStringLiteral("Update KALOR_LiftData_1_FloorName Set FloorNameHi='', FloorNameLo='' Where FloorNum=3"));
    };
    ShowOneRig rig(o);
    ASSERT_TRUE(rig.ok());
    CShowOneDlg& page = rig.page();

    EXPECT_EQ(page.m_pTitle[1]->m_strText, QStringLiteral("A座  ------  1号梯  ------  VELA-M/VELA-M+"));
    EXPECT_EQ(page.m_pCarBtn[0]->GetCaption(), QStringLiteral("B1"));
    EXPECT_EQ(page.m_pFloorCell[0]->GetCaption(), QStringLiteral("B1"));
    EXPECT_EQ(page.m_pCarBtn[2]->GetCaption(), QStringLiteral("3"));
    // The last present floor is live, the first absent one is off.
    EXPECT_EQ(page.m_pCarBtn[19]->GetState(), 1);
    EXPECT_EQ(page.m_pDownBtn[19]->GetState(), 7);
    EXPECT_EQ(page.m_pCarBtn[20]->GetState(), 0);
    EXPECT_EQ(page.m_pUpBtn[20]->GetState(), 6);
    EXPECT_EQ(page.m_pFloorCell[kShowOneFloors - 1]->GetState(), 0);
    EXPECT_FALSE(page.m_pDownBtn[0]->isVisible());
    EXPECT_FALSE(page.m_pUpBtn[19]->isVisible());
    // Modes 1..3 and the three lock buttons in the rows of the hidden modes.
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(page.m_pModeBtn[k]->isVisible(), k < 3) << k;
}

TEST_F(ShowOneRefresh, ValuesFromTheLineAreBounded)
{
    rig.lift().nCurFloor = 255;
    rig.lift().nMaxFloor = 200;
    rig.lift().nFaultCode = 255;
    rig.lift().nDoorState = 7;
    rig.lift().nCtrlMode = 15;
    rig.pages().nPageCount = 32;
    for (int p = 0; p < kLampPages; ++p) {
        rig.pages().nCarLamp[p] = 0xFF;
        rig.pages().nHallLampLo[p] = 0xFF;
        rig.pages().nHallLampHi[p] = 0xFF;
    }
    ASSERT_EQ(RefreshAndDraw(rig), 1);
    // No cell is the current floor; the car stops at the top of the shaft.
    for (int i = 0; i < kShowOneFloors; ++i)
        EXPECT_NE(page.m_pFloorCell[i]->GetState(), 2) << i;
    EXPECT_NEAR(page.m_fCarOffset, float(page.m_layout.nShaftBottom - page.m_layout.nShaftTop), 0.01);
    // The 12 floors laid out take the lamps; the others stay absent.
    EXPECT_EQ(page.m_pCarBtn[11]->GetState(), 3);
    EXPECT_EQ(page.m_pCarBtn[12]->GetState(), 0);
    EXPECT_EQ(page.m_pStatusCell[5]->m_strSecond, QStringLiteral("Err--255"));
    EXPECT_TRUE(page.m_pStatusCell[2]->m_strSecond.isEmpty());
    EXPECT_TRUE(page.m_pStatusCell[3]->m_strSecond.isEmpty());

    // Floor 0 after a reset: nothing is taken in.
    rig.lift().nCurFloor = 0;
    EXPECT_EQ(Refresh(rig), 0);
    EXPECT_EQ(page.m_bLiftOnline, 0);
}

TEST(ShowOneLayout, OneFloorLiftDrawsTheCarAtTheBottom)
{
    ShowOneRig rig(Offline(1));
    ASSERT_TRUE(rig.ok());
    CShowOneDlg& page = rig.page();
    EXPECT_FLOAT_EQ(page.m_fPxPerFloor, 0.0f);
    Standing(rig, 1);
    ASSERT_EQ(RefreshAndDraw(rig), 1);
    EXPECT_FLOAT_EQ(page.m_fCarOffset, 0.0f);
    EXPECT_FALSE(page.m_pUpBtn[0]->isVisible());
    EXPECT_FALSE(page.m_pDownBtn[0]->isVisible());
}

TEST_F(ShowOneRefresh, CurrentFloorStatusCellsAndDoors)
{
    rig.lift().nCurFloor = 5;
    rig.lift().bFlagA = 1;
    rig.lift().nFaultCode = 17;
    rig.lift().nDoorState = 2;
    rig.lift().nCtrlMode = 5;
    ASSERT_EQ(RefreshAndDraw(rig), 1);
    EXPECT_EQ(page.m_pCarBtn[4]->GetState(), 2);
    EXPECT_EQ(page.m_pFloorCell[4]->GetState(), 2);
    EXPECT_EQ(page.m_pStatusCell[0]->m_strSecond, rig.Text(172));
    EXPECT_EQ(page.m_pStatusCell[3]->m_strSecond, rig.Text(33));
    EXPECT_EQ(page.m_pStatusCell[3]->m_crText, QColor(255, 0, 0));
    EXPECT_EQ(page.m_pStatusCell[5]->m_strSecond, QStringLiteral("Err--17"));
    EXPECT_EQ(page.m_pStatusCell[5]->GetState(), 6);
    // Doors open: fully open at once, no animation.
    EXPECT_EQ(page.m_nDoorFrame, 11);
    EXPECT_FLOAT_EQ(page.m_fCarOffset, 4 * page.m_fPxPerFloor);

    // Moving on to floor 6 hands the highlight over; doors closed at once.
    rig.lift().nCurFloor = 6;
    rig.lift().nDoorState = 4;
    rig.lift().nFaultCode = 0;
    ASSERT_EQ(RefreshAndDraw(rig), 1);
    EXPECT_EQ(page.m_pCarBtn[4]->GetState(), 1);
    EXPECT_EQ(page.m_pFloorCell[4]->GetState(), 1);
    EXPECT_EQ(page.m_pCarBtn[5]->GetState(), 2);
    EXPECT_EQ(page.m_nDoorFrame, 0);
    EXPECT_EQ(page.m_pStatusCell[5]->GetState(), 7);
    EXPECT_EQ(page.m_pStatusCell[5]->m_strSecond, rig.Text(72));

    // Opening: the frames run up on the 50 ms timer.
    rig.lift().nDoorState = 1;
    ASSERT_EQ(RefreshAndDraw(rig), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_nDoorFrame >= 5; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_nDoorFrame == 11; }, 2000));
}

TEST_F(ShowOneRefresh, LocalPressStaysLitForTheHoldThenGoesOut)
{
    ASSERT_EQ(Refresh(rig), 1);
    CButShape* car = page.m_pCarBtn[7];
    Press(car);
    ASSERT_EQ(car->GetState(), 3);
    ASSERT_EQ(car->m_bPressedLocally, 1);

    // No lamp from the controller yet: still lit within the hold.
    car->m_dwPressTick = CButShape::TickNow() - 4000;
    Refresh(rig);
    EXPECT_EQ(car->GetState(), 3);
    car->m_dwPressTick = CButShape::TickNow() - 5100;
    Refresh(rig);
    EXPECT_EQ(car->GetState(), 1);
    EXPECT_EQ(car->m_bPressedLocally, 0);
    // The tick difference is taken unsigned, across the counter's wrap.
    car->m_dwPressTick = 0xFFFFF000u;
    EXPECT_FALSE(car->HoldExpired(0x00000100u));  // 4352 ms after the press
    EXPECT_TRUE(car->HoldExpired(0x00000400u));   // 5120 ms

    // Hall lamps: page 1 low byte bit 2 is the up call of floor 10, high byte
    // bit 3 the down call of floor 14 (above this lift: not lit).
    rig.pages().nHallLampLo[1] = 0x04;
    rig.pages().nHallLampHi[1] = 0x08;
    Refresh(rig);
    EXPECT_EQ(page.m_pUpBtn[9]->GetState(), 5);
    EXPECT_EQ(page.m_pDownBtn[13]->GetState(), 9);
}

TEST_F(ShowOneCalls, RefusedCallsRestoreTheirButtonAndSayWhy)
{
    ASSERT_EQ(Refresh(rig), 1);

    // Port closed: the car's own floor goes back to its current-floor look.
    page.m_bPortOpen = 0;
    Press(page.m_pCarBtn[0]);
    EXPECT_EQ(boxes.texts(), QStringList{rig.Text(99)});
    EXPECT_EQ(page.m_pCarBtn[0]->GetState(), 2);
    EXPECT_EQ(page.m_pCarBtn[0]->m_bPressedLocally, 0);
    Press(page.m_pUpBtn[4]);
    EXPECT_EQ(page.m_pUpBtn[4]->GetState(), 4);

    // Lift offline.
    boxes.clear();
    page.m_bPortOpen = 1;
    rig.lift().bOffline = 1;
    Press(page.m_pDownBtn[6]);
    EXPECT_EQ(boxes.texts(), QStringList{rig.Text(98)});
    EXPECT_EQ(page.m_pDownBtn[6]->GetState(), 7);
    EXPECT_EQ(page.m_pDownBtn[6]->m_bPressedLocally, 0);
    EXPECT_EQ(rig.cmd().nHallCallHi[0], 0);

    // Online and open: the call is registered with its resends.
    boxes.clear();
    rig.lift().bOffline = 0;
    Press(page.m_pDownBtn[6]);
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(page.m_pDownBtn[6]->GetState(), 8);
    EXPECT_EQ(rig.cmd().nHallCallHi[0], 0x20);  // floor 7: page 0, high byte, down bit of its pair
    EXPECT_NE(rig.cmd().nDownCallCnt[6], 0);

    // Floors outside the command block are not registered.
    PostMessage(&page, WM_CAR_CALL, 1, 57);
    PostMessage(&page, WM_HALL_CALL, 2, 0);
    PostMessage(&page, WM_HALL_CALL, 4, 3);
    QTest::qWait(20);
    EXPECT_EQ(rig.cmd().nCarCall[0], 0);
    EXPECT_EQ(rig.cmd().nHallCallLo[0], 0);
}

TEST_F(ShowOneModes, RefusalsInterlockAndSwitchOff)
{
    ASSERT_EQ(Refresh(rig), 1);
    CButShapeState* fire = page.m_pModeBtn[1];
    CButShapeState* park = page.m_pModeBtn[2];

    // Port closed, then lift offline: refused with its message, the pressed
    // flag put back, no mode.
    for (const auto& [button, portOpen, asked, refusal] : {std::tuple{park, 0, 173, 99}, std::tuple{fire, 1, 174, 98}}) {
        boxes.clear();
        page.m_bPortOpen = std::uint8_t(portOpen);
        rig.lift().bOffline = std::uint8_t(portOpen);
        Press(button);
        EXPECT_EQ(boxes.texts(), (QStringList{rig.Text(asked), rig.Text(refusal)}));
        EXPECT_EQ(button->m_bPressed, 0);
        EXPECT_EQ(rig.cmd().nMode, 0);
    }
    rig.lift().bOffline = 0;
    boxes.clear();

    // Fire service on, then parking is refused.
    // The confirmation defaults to Cancel.
    bool defaultCancel = false;
    MessageBoxHook recorder = SetMessageBoxHook([&](const MsgBoxRequest& r) {
        defaultCancel = r.kind == MsgBoxKind::OkCancel && r.bDefaultSecond;
        return MsgBoxResult::Ok;
    });
    Press(fire);
    SetMessageBoxHook(recorder);
    EXPECT_TRUE(defaultCancel);
    EXPECT_EQ(rig.cmd().nMode, 2);
    EXPECT_EQ(rig.lift().nCmdMode, 2);
    EXPECT_EQ(fire->m_bPressed, 1);
    boxes.clear();
    Press(park);
    EXPECT_EQ(boxes.texts(), (QStringList{rig.Text(173), rig.Text(259)}));
    EXPECT_EQ(park->m_bPressed, 0);
    EXPECT_EQ(rig.cmd().nMode, 2);
    // Laid out again (a resize, the lift shown anew), fire service is on but
    // not pressed: parking is still refused.
    fire->m_bPressed = 0;
    fire->m_bOn = 1;
    Press(park);
    EXPECT_EQ(rig.cmd().nMode, 2);
    fire->m_bPressed = 1;

    // The controller reports fire service: parking switched off keeps mode 2.
    rig.lift().nCtrlMode = 3;
    Refresh(rig);
    EXPECT_EQ(fire->m_bOn, 1);
    PostMessage(&page, WM_STATE_SWITCH, 2, 3);
    QTest::qWait(20);
    EXPECT_EQ(rig.cmd().nMode, 2);

    // A cancelled confirmation posts nothing.
    boxes.clear();
    boxes.setAnswer(MsgBoxResult::Cancel);
    Press(fire);
    EXPECT_EQ(boxes.texts(), QStringList{rig.Text(176)});
    EXPECT_EQ(fire->m_bPressed, 1);
    EXPECT_EQ(rig.cmd().nMode, 2);
    // Confirmed, fire service ends.
    boxes.setAnswer(MsgBoxResult::Ok);
    Press(fire);
    EXPECT_EQ(fire->m_bPressed, 0);
    EXPECT_EQ(rig.cmd().nMode, 0);

    // Parking pressed, then fire service overrides it.
    rig.lift().nCtrlMode = 7;
    Refresh(rig);
    Press(park);
    EXPECT_EQ(rig.cmd().nMode, 3);
    EXPECT_EQ(park->m_bPressed, 1);
    Press(fire);
    EXPECT_EQ(rig.cmd().nMode, 2);
    EXPECT_EQ(park->m_bPressed, 0);

    // The remote reset: its own mode word, then the one-shot.
    Press(page.m_pModeBtn[0]);
    EXPECT_EQ(rig.lift().nCmdMode, 1);
    EXPECT_EQ(rig.cmd().bOneShot, 1);
}


// A confirmation that nobody answers (closed by the station's close on a
// signal, by Escape or by its window's close button) switches nothing: the
// real box, ended without a button, at each of the page's questions.
TEST_F(ShowOneModes, AConfirmationClosedWithoutAnAnswerSwitchesNothing)
{
    ASSERT_EQ(Refresh(rig), 1);
    CButShapeState* reset = page.m_pModeBtn[0];
    CButShapeState* fire = page.m_pModeBtn[1];
    CButShapeState* park = page.m_pModeBtn[2];
    const MessageBoxHook previous = SetMessageBoxHook({});
    int asked = 0;
    for (station_test::Unanswered how : station_test::kUnansweredWays) {
        SCOPED_TRACE(int(how));
        // Off, switching on is not confirmed; on, switching off is not either.
        for (const auto& [button, on] : {std::pair{fire, 0}, std::pair{park, 0}, std::pair{fire, 1}}) {
            button->m_bOn = std::uint8_t(on);
            button->m_bPressed = std::uint8_t(on);
            rig.cmd().nMode = on ? 2 : 0;
            station_test::EndNextBoxUnanswered(how, &asked);
            Press(button);
            EXPECT_EQ(button->m_bPressed, on);
            EXPECT_EQ(rig.cmd().nMode, on ? 2 : 0);
            EXPECT_EQ(rig.lift().nCmdMode, 0);
        }
        fire->m_bOn = 0;
        fire->m_bPressed = 0;
        rig.cmd().nMode = 0;
        // The remote reset's one-shot is not sent.
        station_test::EndNextBoxUnanswered(how, &asked);
        Press(reset);
        EXPECT_EQ(rig.cmd().bOneShot, 0);
        EXPECT_EQ(reset->m_bPressed, 0);
        rig.lift().nCmdMode = 0;
    }
    SetMessageBoxHook(previous);
    EXPECT_EQ(asked, 12);
}
