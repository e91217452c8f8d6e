// What a question answers when nobody pressed one of its buttons: a box ended
// by the station's close on a signal, by Escape or by its window's close
// button, and every box once nobody may be there to answer, is a refusal.
#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/BusyCursor.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"

namespace {
// Asks with the real box; end runs on it once it is showing.
MsgBoxResult AskAndEnd(MsgBoxKind kind, bool bDefaultSecond, const std::function<void(QMessageBox*)>& end)
{
    const MessageBoxHook previous = SetMessageBoxHook({});
    auto* look = new QTimer;
    QObject::connect(look, &QTimer::timeout, [look, end] {
        auto* box = qobject_cast<CMessageBoxDlg*>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        look->deleteLater();
        look->stop();
        end(box);
    });
    look->start(10);
    const MsgBoxResult result = AfxMessageBox(QStringLiteral("确定要删除所选电梯及其全部记录吗？"), QString(), kind, bDefaultSecond);
    SetMessageBoxHook(previous);
    return result;
}
} // namespace

TEST(MessageBoxAnswerTest, AQuestionEndedWithoutItsButtonsIsRefused)
{
    const std::vector<std::pair<const char*, std::function<void(QMessageBox*)>>> ends{
        {"closed as on a signal", [](QMessageBox* box) { box->done(QDialog::Rejected); }},
        {"Escape", [](QMessageBox* box) { QTest::keyClick(box->windowHandle(), Qt::Key_Escape); }},
        {"window closed", [](QMessageBox* box) { box->close(); }},
    };
    for (const auto& [how, end] : ends) {
        SCOPED_TRACE(how);
        for (bool bDefaultSecond : {true, false}) {
            EXPECT_EQ(AskAndEnd(MsgBoxKind::OkCancel, bDefaultSecond, end), MsgBoxResult::Cancel);
            EXPECT_EQ(AskAndEnd(MsgBoxKind::YesNo, bDefaultSecond, end), MsgBoxResult::No);
        }
        EXPECT_EQ(AskAndEnd(MsgBoxKind::Ok, false, end), MsgBoxResult::Ok);
    }
    // Its buttons still answer as pressed.
    const auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox* box) { box->button(which)->click(); };
    };
    EXPECT_EQ(AskAndEnd(MsgBoxKind::OkCancel, true, press(QMessageBox::Ok)), MsgBoxResult::Ok);
    EXPECT_EQ(AskAndEnd(MsgBoxKind::YesNo, true, press(QMessageBox::Yes)), MsgBoxResult::Yes);
    // Enter takes the default button: Cancel where Cancel is the default.
    const auto enter = [](QMessageBox* box) { QTest::keyClick(box->windowHandle(), Qt::Key_Return); };
    EXPECT_EQ(AskAndEnd(MsgBoxKind::OkCancel, true, enter), MsgBoxResult::Cancel);
    EXPECT_EQ(AskAndEnd(MsgBoxKind::YesNo, true, enter), MsgBoxResult::No);
}

// Unattended, every question is refused whatever a hook would answer, and
// nothing waits.
TEST(MessageBoxAnswerTest, UnattendedQuestionsAreRefusedWithoutWaiting)
{
    MessageBoxRecorder boxes(MsgBoxResult::Yes);
    SetMessageBoxesUnattended(true);
    const MsgBoxResult yesNo = AfxMessageBox(QStringLiteral("覆盖文件？"), QString(), MsgBoxKind::YesNo);
    boxes.setAnswer(MsgBoxResult::Ok);
    const MsgBoxResult okCancel = AfxMessageBox(QStringLiteral("删除电梯？"), QString(), MsgBoxKind::OkCancel);
    const MsgBoxResult ok = AfxMessageBox(QStringLiteral("已关闭"));
    SetMessageBoxesUnattended(false);

    EXPECT_EQ(yesNo, MsgBoxResult::No);
    EXPECT_EQ(okCancel, MsgBoxResult::Cancel);
    EXPECT_EQ(ok, MsgBoxResult::Ok);
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_EQ(boxes.modalCount(), 0);
    // Attended again, the hook answers.
    EXPECT_EQ(AfxMessageBox(QStringLiteral("删除电梯？"), QString(), MsgBoxKind::OkCancel), MsgBoxResult::Ok);
}

// During long work the busy cursor shows; a box that waits for the operator
// shows the arrow over it, and the busy cursor comes back after it.
TEST(MessageBoxAnswerTest, AWaitingBoxShowsTheArrowDuringBusyWork)
{
    const CBusyCursor busy;
    Qt::CursorShape overBox = Qt::BlankCursor;
    AskAndEnd(MsgBoxKind::OkCancel, true, [&overBox](QMessageBox* box) {
        overBox = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::BlankCursor;
        box->done(QDialog::Rejected);
    });
    EXPECT_EQ(overBox, Qt::ArrowCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
}
