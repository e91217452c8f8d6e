// A signal while dialogs are open over the station's window: each open dialog
// and box is cancelled in turn, from the innermost, and the window closes
// only once its own modal loop is back, never under a dialog still running.
#include <QDialog>
#include <csignal>

#include "platform/MessageBoxDlg.h"
#include "platform/QuitSignals.h"
#include "support/StationFixture.h"

using namespace station_test;

TEST(QuitSignalTest, OpenDialogsAreCancelledBeforeTheWindowCloses)
{
    PrivateSettings();
    StationData data;
    ASSERT_TRUE(data.ok());
    const MessageBoxHook previous = SetMessageBoxHook({});  // the real box
    MsgBoxResult answer = MsgBoxResult::Ok;
    int dialogResult = -1;
    bool windowOpenAfterBox = false;
    bool windowOpenAfterDialog = false;
    int result = -1;
    {
        CKALORDlg dlg;
        CQuitSignals quit([&dlg](int signal) { dlg.OnQuitSignal(signal); });
        QDialog dialog;
        Operator op;
        op.When([&] { return QApplication::activeModalWidget() == &dlg; }, [&] {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, [&] {
                    answer = AfxMessageBox(QStringLiteral("确定要删除所选电梯及其全部记录吗？"), QString(), MsgBoxKind::OkCancel);
                    windowOpenAfterBox = dlg.isVisible();
                });
                dialogResult = dialog.exec();
                windowOpenAfterDialog = dlg.isVisible();
            });
        });
        op.When([&] {
            auto* box = qobject_cast<CMessageBoxDlg*>(QApplication::activeModalWidget());
            return box && box->windowHandle() && box->windowHandle()->isExposed() && dialog.isVisible();
        }, [&] {
            std::raise(SIGTERM);
            // Should the window close under the dialog, the dialog would wait on
            // for ever: the test's bound ends it.
            QTimer::singleShot(30000, &dialog, [&dialog] {
                ADD_FAILURE() << "the dialog was left open";
                dialog.reject();
            });
        });
        op.Start();
        result = dlg.DoModal();
        EXPECT_TRUE(op.Finished());
    }
    SetMessageBoxesUnattended(false);
    SetMessageBoxHook(previous);

    EXPECT_EQ(answer, MsgBoxResult::Cancel);
    EXPECT_EQ(dialogResult, QDialog::Rejected);
    EXPECT_TRUE(windowOpenAfterBox);
    EXPECT_TRUE(windowOpenAfterDialog);
    EXPECT_EQ(result, QDialog::Accepted);  // closed as its exit button closes it
}
