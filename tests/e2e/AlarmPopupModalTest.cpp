// The alarm pop-up must take the operator's click while the main window runs
// its modal loop. The click goes through the window system path (not straight
// to the widget), where a window blocked by a modal one drops it.
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "mainwnd/ShowAlarmDlg.h"
#include "support/StationFixture.h"
#include "views/ViewMessages.h"

using namespace station_test;

TEST(AlarmPopupModalTest, OkClickReachesThePopupWhileTheMainWindowIsModal)
{
    PrivateSettings();
    MessageBoxRecorder boxes;
    StationData data;
    ASSERT_TRUE(data.ok());

    // Each step waits for the state before it, inside the main window's modal
    // loop; the window is closed when all are done or time is up.
    enum { Alarm, Click, Hidden, Done } step = Alarm;
    {
        CKALORDlg dlg;
        CShowAlarmDlg* popup = dlg.m_pAlarmDlg[0].get();
        const QDeadlineTimer deadline(20000);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (step == Alarm && QApplication::activeModalWidget() == &dlg) {
                PostMessage(&dlg, WM_FAULT_ALARM, 0, 12);
                step = Click;
            } else if (step == Click && popup->isVisible() && popup->windowHandle()
                       && popup->windowHandle()->isExposed()) {
                QPushButton* ok = popup->m_pOk;
                QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, ok->mapTo(popup, ok->rect().center()));
                step = Hidden;
            } else if (step == Hidden && !popup->isVisible()) {
                step = Done;
            }
            if (step == Done || deadline.hasExpired()) {
                poll.stop();
                dlg.m_btExit->click();
            }
        });
        poll.start(10);
        dlg.DoModal();
    }
    EXPECT_EQ(step, Done) << "stopped waiting for " << (step == Alarm ? "the modal loop"
                                                       : step == Click ? "the pop-up's window"
                                                                       : "the pop-up to close on OK");
}
