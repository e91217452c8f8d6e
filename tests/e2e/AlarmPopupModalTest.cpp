// The alarm pop-up must take the operator's click while the main window runs
// its modal loop. The click goes through the window system path (not straight
// to the widget), where a window blocked by a modal one drops it.
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "mainwnd/ShowAlarmDlg.h"
#include "support/ShownBoxes.h"
#include "support/StationFixture.h"
#include "support/WindowClick.h"
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
    op.When([&] { return Exposed(popup); }, [&] { ClickThroughWindow(popup->m_pOk); });
    op.When([&] { return !popup->isVisible(); }, [&] { dlg.m_btExit->click(); });
    op.Start();
    dlg.DoModal();
    EXPECT_TRUE(op.Finished());
}

// A box that does not wait is showing (the recording refused, say) when the
// alarm comes: the pop-up still takes the operator's OK, and the box closes
// by its own.
TEST(AlarmPopupModalTest, OkClickReachesThePopupWhileABoxThatDoesNotWaitShows)
{
    PrivateSettings();
    const MessageBoxHook previous = SetMessageBoxHook({});  // the real box
    StationData data;
    ASSERT_TRUE(data.ok());
    const QString notice = QStringLiteral("故障和呼梯记录无法写入数据库");
    const auto shownBox = [&notice]() -> QMessageBox* {
        const auto boxes = ShownBoxes(notice);
        return !boxes.empty() && Exposed(boxes.front()) ? boxes.front() : nullptr;
    };
    CKALORDlg dlg;
    CShowAlarmDlg* popup = dlg.m_pAlarmDlg[0].get();
    Operator op;
    op.When([&] { return QApplication::activeModalWidget() == &dlg; }, [&] { AfxMessageBoxModeless(notice); });
    op.When([&] { return shownBox() != nullptr; }, [&] { PostMessage(&dlg, WM_FAULT_ALARM, 0, 12); });
    op.When([&] { return Exposed(popup); }, [&] { ClickThroughWindow(popup->m_pOk); });
    op.When([&] { return !popup->isVisible(); }, [&] {
        if (QAbstractButton* ok = shownBox() ? shownBox()->button(QMessageBox::Ok) : nullptr)
            ClickThroughWindow(ok);
    });
    op.When([&] { return shownBox() == nullptr; }, [&] { dlg.m_btExit->click(); });
    op.Start();
    dlg.DoModal();
    EXPECT_TRUE(op.Finished());
    SetMessageBoxHook(previous);
}
