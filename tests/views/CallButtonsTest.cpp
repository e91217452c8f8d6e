// The call and mode buttons on their own: what a press posts and when, what
// the operator is asked, and the colours each state paints.
#include <QEvent>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <vector>
#include <gtest/gtest.h>

#include "ShowOneFixture.h"
#include "views/ViewTestSupport.h"

using namespace showone_test;

namespace {

// Stands in for the page: keeps every window message it is sent.
using view_test::MessageSink;
using view_test::RecordedMessage;

QStringList Texts()
{
    QStringList t;
    for (int i = 0; i < 300; ++i)
        t << QStringLiteral("T%1").arg(i);
    return t;
}

} // namespace

class CallButtonsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent.resize(200, 200);
        m_parent.setStyleSheet(QStringLiteral("background: black"));
        m_parent.show();
    }
    CButShape* Button(int state, int floor)
    {
        auto* b = new CButShape(&m_parent);
        b->setGeometry(10, 10, 40, 40);
        b->SetState(state);
        b->m_nCarFloor = floor;
        b->m_nHallFloor = floor;
        b->m_hTarget = &m_sink;
        b->m_pTexts = &m_texts;
        b->m_bPermitted = 1;
        b->show();
        return b;
    }

    QWidget m_parent;
    MessageSink m_sink;
    QStringList m_texts = Texts();

    // Until every button's press has run out its pause, then delivers what
    // the presses posted.
    void WaitPause()
    {
        const auto waiting = [this] {
            const auto calls = m_parent.findChildren<CButShape*>();
            const auto modes = m_parent.findChildren<CButShapeState*>();
            return std::any_of(calls.begin(), calls.end(), [](CButShape* b) { return b->ClickWaiting(); })
                   || std::any_of(modes.begin(), modes.end(), [](CButShapeState* b) { return b->ClickWaiting(); });
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return !waiting(); }, 10000));
        QCoreApplication::processEvents();
    }
};

TEST_F(CallButtonsTest, PressTakesEffectAfterThePauseWithoutHoldingTheWindow)
{
    BoxLog boxes;
    CButShape* car = Button(1, 5);
    QTest::mouseClick(car, Qt::LeftButton);
    // The click handler returned at once: nothing has happened yet.
    EXPECT_EQ(car->GetState(), 1);
    EXPECT_EQ(car->m_bPressedLocally, 0);
    EXPECT_TRUE(m_sink.messages.empty());
    WaitPause();
    EXPECT_EQ(car->GetState(), 3);
    EXPECT_EQ(car->m_bPressedLocally, 1);
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_CAR_CALL, 1, 5}}));
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(CallButtonsTest, HallButtonsPostTheirDirectionAndAbsentFloorsNothing)
{
    BoxLog boxes;
    CButShape* up = Button(4, 9);
    CButShape* down = Button(8, 12);  // lit already: pressed again
    CButShape* absent = Button(6, 30);
    CButShape* absentCar = Button(0, 31);
    for (CButShape* b : {up, down, absent, absentCar})
        b->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(up->GetState(), 5);
    EXPECT_EQ(down->GetState(), 8);
    EXPECT_EQ(absent->GetState(), 6);
    EXPECT_EQ(absentCar->GetState(), 0);
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_HALL_CALL, 2, 9}, {WM_HALL_CALL, 3, 12}}));
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(CallButtonsTest, RefusalPutsBackWhatTheClickChanged)
{
    CButShape* car = Button(2, 4);  // the car's floor
    car->OnLButtonDown();
    WaitPause();
    ASSERT_EQ(car->GetState(), 3);
    car->RestoreAfterRefusal();
    EXPECT_EQ(car->GetState(), 2);
    EXPECT_EQ(car->m_bPressedLocally, 0);
    // A refusal without a click of this button gives the normal look.
    CButShape* up = Button(5, 6);
    up->RestoreAfterRefusal();
    EXPECT_EQ(up->GetState(), 4);
}

TEST_F(CallButtonsTest, StatesPaintTheirColours)
{
    CButShape* b = Button(0, 1);
    auto centre = [&] { return b->grab().toImage().pixelColor(20, 20); };
    auto edge = [&] { return b->grab().toImage().pixelColor(2, 20); };
    b->SetState(3);
    EXPECT_EQ(edge(), QColor(255, 0, 0));
    b->SetState(1);
    EXPECT_EQ(b->grab().toImage().pixelColor(0, 20), QColor(51, 113, 18));
    b->SetState(5);
    EXPECT_EQ(centre(), QColor(255, 0, 0));
    b->SetState(9);
    EXPECT_EQ(centre(), QColor(50, 50, 50));
    // An up triangle has its point at the top, a down triangle at the bottom.
    b->SetState(4);
    EXPECT_EQ(b->grab().toImage().pixelColor(20, 37), QColor(83, 124, 11));
    EXPECT_NE(b->grab().toImage().pixelColor(3, 3), QColor(83, 124, 11));
    b->SetState(7);
    EXPECT_EQ(b->grab().toImage().pixelColor(20, 2), QColor(83, 124, 11));
    EXPECT_NE(b->grab().toImage().pixelColor(3, 37), QColor(83, 124, 11));
}

class ModeButtonTest : public CallButtonsTest {
protected:
    CButShapeState* Mode(int kind)
    {
        auto* b = new CButShapeState(&m_parent);
        b->setGeometry(10, 60, 100, 30);
        b->m_nKind = kind;
        b->m_hTarget = &m_sink;
        b->m_pTexts = &m_texts;
        b->m_bPermitted = 1;
        b->show();
        return b;
    }
};

TEST_F(ModeButtonTest, RemoteResetPostsOnThenOneShotOnlyWhenConfirmed)
{
    BoxLog boxes(MsgBoxResult::Ok);
    CButShapeState* reset = Mode(1);
    QTest::mouseClick(reset, Qt::LeftButton);
    EXPECT_TRUE(m_sink.messages.empty());
    WaitPause();
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_STATE_SWITCH, 1, 1}, {WM_STATE_SWITCH, 3, 1}}));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("T177"));
    EXPECT_TRUE(boxes.boxes()[0].bDefaultSecond);

    m_sink.messages.clear();
    boxes.setAnswer(MsgBoxResult::Cancel);
    reset->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_STATE_SWITCH, 1, 1}}));
    EXPECT_EQ(reset->m_bPressed, 0);
}

TEST_F(ModeButtonTest, ParkingAsksOnAndOffAndOtherKindsAskNothing)
{
    BoxLog boxes(MsgBoxResult::Ok);
    CButShapeState* park = Mode(3);
    park->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(park->m_bPressed, 1);
    park->SetOn(true);
    park->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(park->m_bPressed, 0);
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("T173"), QStringLiteral("T175")}));
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_STATE_SWITCH, 1, 3}, {WM_STATE_SWITCH, 2, 3}}));

    boxes.clear();
    m_sink.messages.clear();
    CButShapeState* vip = Mode(6);
    vip->OnLButtonDown();
    WaitPause();
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(m_sink.messages, (std::vector<RecordedMessage>{{WM_STATE_SWITCH, 1, 6}}));

    // Unpermitted: the refusal text, nothing asked or posted.
    m_sink.messages.clear();
    park->m_bPermitted = 0;
    park->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("T99")});
    EXPECT_TRUE(m_sink.messages.empty());
}

TEST_F(ModeButtonTest, OnAndOffLooks)
{
    CButShapeState* b = Mode(2);
    b->SetOn(true);
    EXPECT_EQ(b->grab().toImage().pixelColor(0, 15), QColor(255, 0, 0));
    b->SetOn(false);
    EXPECT_EQ(b->grab().toImage().pixelColor(0, 15), QColor(180, 180, 180));
}
