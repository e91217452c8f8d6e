// The alarm pop-up must take the operator's click while the main window runs
// its modal loop. The click goes through the window system path (not straight
// to the widget), where a window blocked by a modal one drops it.
#include <QPushButton>

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
    // The alarm once the window's modal loop runs; OK clicked once the pop-up's
    // window is exposed; the pop-up closes, and the window closes in any case.
    CKALORDlg dlg;
    CShowAlarmDlg* popup = dlg.m_pAlarmDlg[0].get();
    Operator op;
    op.When([&] { return QApplication::activeModalWidget() == &dlg; }, [&] { PostMessage(&dlg, WM_FAULT_ALARM, 0, 12); });
    op.When([&] { return popup->isVisible() && popup->windowHandle() && popup->windowHandle()->isExposed(); }, [&] {
        QPushButton* ok = popup->m_pOk;
        QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, ok->mapTo(popup, ok->rect().center()));
    });
    op.When([&] { return !popup->isVisible(); }, [&] { dlg.m_btExit->click(); });
    op.Start();
    dlg.DoModal();
    EXPECT_TRUE(op.Finished());
}
