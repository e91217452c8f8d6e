// The alarm pop-up must take the operator's click while the main window runs
// its modal loop. The click goes through the window system path (not straight
// to the widget), where a window blocked by a modal one drops it.
#include <QPushButton>
#include <QTimer>

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

    bool shown = false, hiddenAfterOk = false;
    {
        CKALORDlg dlg;
        QTimer::singleShot(100, [&] { PostMessage(&dlg, WM_FAULT_ALARM, 0, 12); });
        QTimer::singleShot(400, [&] {
            CShowAlarmDlg* popup = dlg.m_pAlarmDlg[0].get();
            shown = popup->isVisible();
            QPushButton* ok = popup->m_pOk;
            QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, ok->mapTo(popup, ok->rect().center()));
        });
        QTimer::singleShot(700, [&] {
            hiddenAfterOk = !dlg.m_pAlarmDlg[0]->isVisible();
            dlg.m_btExit->click();
        });
        dlg.DoModal();
    }
    EXPECT_TRUE(shown);
    EXPECT_TRUE(hiddenAfterOk);
}
