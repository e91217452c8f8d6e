// The call and mode buttons on their own: what a press posts and when, what
// the operator is asked.
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "ShowOneFixture.h"

using namespace showone_test;

namespace {

// Stands in for the page: keeps every window message it is sent.
using view_test::MessageSink;
using view_test::RecordedMessage;

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
    QStringList m_texts = view_test::MakeTexts();

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

TEST_F(CallButtonsTest, PressTakesEffectAfterThePauseAndAbsentFloorsPostNothing)
{
    BoxLog boxes;
    CButShape* car = Button(1, 5);
    CButShape* up = Button(4, 9);
    CButShape* down = Button(8, 12);  // lit already: pressed again
    CButShape* absent = Button(6, 30);
    CButShape* absentCar = Button(0, 31);
    auto* reset = new CButShapeState(&m_parent);  // the remote reset
    reset->m_nKind = 1;
    reset->m_hTarget = &m_sink;
    reset->m_pTexts = &m_texts;
    reset->m_bPermitted = 1;
    QTest::mouseClick(car, Qt::LeftButton);
    reset->OnLButtonDown();
    // The click handlers returned at once: nothing has happened yet.
    EXPECT_EQ(car->GetState(), 1);
    EXPECT_EQ(car->m_bPressedLocally, 0);
    EXPECT_TRUE(m_sink.messages.empty());
    for (CButShape* b : {up, down, absent, absentCar})
        b->OnLButtonDown();
    WaitPause();
    EXPECT_EQ(car->GetState(), 3);
    EXPECT_EQ(car->m_bPressedLocally, 1);
    EXPECT_EQ(up->GetState(), 5);
    EXPECT_EQ(down->GetState(), 8);
    EXPECT_EQ(absent->GetState(), 6);
    EXPECT_EQ(absentCar->GetState(), 0);
    std::vector<RecordedMessage> calls;
    std::copy_if(m_sink.messages.begin(), m_sink.messages.end(), std::back_inserter(calls),
                 [](const RecordedMessage& m) { return m.msg != WM_STATE_SWITCH; });
    EXPECT_EQ(calls, (std::vector<RecordedMessage>{{WM_CAR_CALL, 1, 5}, {WM_HALL_CALL, 2, 9}, {WM_HALL_CALL, 3, 12}}));
    // The remote reset posts its switch, then asks and posts the one-shot.
    EXPECT_EQ(m_sink.Take(WM_STATE_SWITCH), (std::vector<RecordedMessage>{{WM_STATE_SWITCH, 1, 1}, {WM_STATE_SWITCH, 3, 1}}));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("T177")});
}
