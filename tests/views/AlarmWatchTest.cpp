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

TEST_F(AlarmWatchTest, AFaultAlarmsOnceAndComesDownOnlyWhenNoLiftHasOneStanding)
{
    EXPECT_TRUE(Look().empty());
    Lift(3).nFaultCode = 33;
    EXPECT_EQ(Look(), std::vector{Fault(33)});
    EXPECT_TRUE(Look().empty()) << "a standing fault is not alarmed again";
    // A second lift's fault and a new code on the first are new alarms.
    Lift(9).nFaultCode = 12;
    EXPECT_EQ(Look(), std::vector{Fault(12)});
    Lift(3).nFaultCode = 34;
    EXPECT_EQ(Look(), std::vector{Fault(34)});
    // One cleared while the other stands: the alarm stays up.
    Lift(3).nFaultCode = 0;
    EXPECT_TRUE(Look().empty());
    // A lift off the line has nothing standing; an empty slot never counts.
    Lift(9).bOffline = 1;
    EXPECT_EQ(Look(), std::vector{Fault(0)});
    EXPECT_TRUE(Look().empty());
    Lift(20).nFaultCode = 5;
    EXPECT_TRUE(Look().empty());
    // Back on the line with its fault still there: alarmed again.
    Lift(9).bOffline = 0;
    EXPECT_EQ(Look(), std::vector{Fault(12)});
}

TEST_F(AlarmWatchTest, FireServiceByItsStatusBitOrByTheControllersMode)
{
    EXPECT_FALSE(CAlarmWatch::InFireService(Lift(3)));
    for (int mode : {3, 4}) {
        Lift(5).nCtrlMode = mode;
        EXPECT_TRUE(CAlarmWatch::InFireService(Lift(5))) << mode;
    }
    for (int mode : {2, 5, 8}) {
        Lift(5).nCtrlMode = mode;
        EXPECT_FALSE(CAlarmWatch::InFireService(Lift(5))) << mode;
    }
    // Inspection (bit 1) and trapped (bit 3) are not fire service.
    Lift(5).nStatusBits = 0x0A;
    EXPECT_FALSE(CAlarmWatch::InFireService(Lift(5)));
    Lift(5).nStatusBits = 0x04;
    EXPECT_TRUE(CAlarmWatch::InFireService(Lift(5)));

    // Two lifts going in at once: one show. The alarm stays up while either is
    // in fire service and comes down with the last.
    Lift(5).nStatusBits = 0;
    EXPECT_TRUE(Look().empty());
    Lift(3).nStatusBits = 0x04;
    Lift(9).nCtrlMode = 3;
    EXPECT_EQ(Look(), std::vector{Fire(2)});
    EXPECT_TRUE(Look().empty());
    Lift(3).nStatusBits = 0;
    EXPECT_TRUE(Look().empty());
    Lift(5).nCtrlMode = 4;  // a third lift going in shows it again
    EXPECT_EQ(Look(), std::vector{Fire(2)});
    Lift(5).nCtrlMode = 7;
    Lift(9).nCtrlMode = 7;
    EXPECT_EQ(Look(), std::vector{Fire(0)});
    EXPECT_TRUE(Look().empty());
    // Fire service and a fault together raise both alarms.
    Lift(3).nStatusBits = 0x14;
    Lift(3).nFaultCode = 7;
    EXPECT_EQ(Look(), (std::vector{Fault(7), Fire(2)}));
}
