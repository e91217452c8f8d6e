// The station's two alarms over the lift store: what each look posts to the
// main window as faults and fire service come and go on several lifts.
#include <gtest/gtest.h>

#include "link/LiftDataStore.h"
#include "support/MessageSink.h"
#include "views/AlarmWatch.h"
#include "views/ViewMessages.h"

namespace {

using view_test::RecordedMessage;

class AlarmWatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int n : {3, 5, 9}) {
            Lift(n).nKind = 1;
            Lift(n).bOffline = 0;
            Lift(n).nCtrlMode = 7;
        }
        watch.m_pLiftInf = store.m_pLiftInf;
        watch.m_hMainWnd = &mainWnd;
    }
    strLiftInf& Lift(int n) { return store.m_pLiftInf[n - 1]; }
    // One look; what it posted.
    std::vector<RecordedMessage> Look()
    {
        mainWnd.messages.clear();
        watch.Check();
        QCoreApplication::sendPostedEvents(&mainWnd);
        return mainWnd.messages;
    }
    static RecordedMessage Fault(LPARAM code) { return {WM_FAULT_ALARM, 0, code}; }
    static RecordedMessage Fire(WPARAM show) { return {WM_ALARM2, show, 0}; }

    CLiftDataStore store;
    view_test::MessageSink mainWnd;
    CAlarmWatch watch;
};

} // namespace

// What the live pages cannot show in a few seconds: several lifts at once,
// a lift dropping off the line, an empty slot, each fire-service source.
TEST_F(AlarmWatchTest, AlarmsStayUpWhileAnyKnownLiftHasOneStanding)
{
    Lift(3).nFaultCode = 33;
    Lift(9).nFaultCode = 12;
    Lift(20).nFaultCode = 5;  // an empty slot never counts
    EXPECT_EQ(Look(), (std::vector{Fault(33), Fault(12)}));
    EXPECT_TRUE(Look().empty()) << "a standing fault is not alarmed again";
    Lift(3).nFaultCode = 0;
    EXPECT_TRUE(Look().empty()) << "lift 9's fault still stands";
    Lift(9).bOffline = 1;
    EXPECT_EQ(Look(), std::vector{Fault(0)});
    Lift(9).bOffline = 0;  // back with its fault: alarmed again
    EXPECT_EQ(Look(), std::vector{Fault(12)});

    // Fire status bit or a fire-service mode (3, 4); inspection and trapped
    // are not fire service. Two lifts going in at once: one show.
    Lift(3).nStatusBits = 0x0A;
    Lift(5).nCtrlMode = 8;
    EXPECT_TRUE(Look().empty());
    Lift(3).nStatusBits = 0x04;
    Lift(5).nCtrlMode = 4;
    EXPECT_EQ(Look(), std::vector{Fire(2)});
    Lift(3).nStatusBits = 0;
    EXPECT_TRUE(Look().empty()) << "lift 5 is still in fire service";
    Lift(5).nCtrlMode = 7;
    EXPECT_EQ(Look(), std::vector{Fire(0)});
}
