#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/MessageBox.h"

// The real box, answered by a timer inside its own modal loop: it carries the
// station's title and the captions of the language in force, and reports the
// button pressed.
TEST(MessageBoxTest, RealBoxShowsTheLanguageCaptionsAndReportsTheButton)
{
    const MessageBoxHook previous = SetMessageBoxHook({});
    SetMessageBoxButtonTexts(QStringLiteral("确定"), QStringLiteral("取消"));
    QStringList seen;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen << box->windowTitle() << box->text() << box->button(QMessageBox::Ok)->text()
             << box->button(QMessageBox::Cancel)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    const MsgBoxResult result = AfxMessageBox(QStringLiteral("删除电梯？"), QString(), MsgBoxKind::OkCancel);
    SetMessageBoxButtonTexts(QString(), QString());
    SetMessageBoxHook(previous);

    EXPECT_EQ(result, MsgBoxResult::Cancel);
    // Titled with the station's caption, never the executable's name.
    EXPECT_EQ(seen, (QStringList{StationCaption(), QStringLiteral("删除电梯？"), QStringLiteral("确定"),
                                 QStringLiteral("取消")}));
    EXPECT_FALSE(StationCaption().isEmpty());
}

TEST(MessageBoxTest, RecorderTakesEveryBoxAndAnswersConfirmations)
{
    MessageBoxRecorder boxes(MsgBoxResult::Cancel);
    EXPECT_EQ(AfxMessageBox(QStringLiteral("a")), MsgBoxResult::Ok);
    EXPECT_EQ(AfxMessageBox(QStringLiteral("b"), QString(), MsgBoxKind::OkCancel), MsgBoxResult::Cancel);
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}
