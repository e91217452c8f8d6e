#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>
#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"
#include "platform/QuoteText.h"

namespace {
CMessageBoxDlg* ShownBox()
{
    CMessageBoxDlg* found = nullptr;
    (void)QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CMessageBoxDlg*>(w); box && box->isVisible())
                found = box;
        }
        return found != nullptr;
    }, 10000);
    return found;
}
} // namespace

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

// Texts from outside reach the real box: markup shows as the characters it is
// (no picture loaded, no heading drawn), and a text of any length, in the
// usual font or a large one, leaves the box inside the screen with its button
// in reach and the message's beginning and end readable.
TEST(MessageBoxTest, RealBoxShowsOutsideTextsPlainAndStaysInsideTheScreen)
{
    const QString markup = QStringLiteral("<h1 style=\"color:green\">导入成功</h1><img src=\"/etc/passwd\">"
                                          "<img width=20000 height=20000><a href=\"x\">x</a>");
    QString words;
    for (int i = 0; i < 40000; ++i)
        words += QStringLiteral("word ");
    QString lines;
    for (int i = 0; i < 5000; ++i)
        lines += QStringLiteral("line\r\n");
    QString wideLines;  // lines that wrap, each a little longer than the box is wide
    for (int i = 0; i < 40; ++i)
        wideLines += QString(48, QChar(0x5B57)) + QLatin1Char('\n');
    const QFont font = QApplication::font();
    QFont large = font;
    large.setPixelSize(40);
    std::vector<std::pair<QFont, QString>> cases;
    for (const QFont& shown : {font, large}) {
        for (const QString& outside : {markup, words, QString(3'900'000, u'x'), lines, wideLines})
            cases.emplace_back(shown, outside);
    }

    const MessageBoxHook previous = SetMessageBoxHook({});
    for (const auto& [shown, outside] : cases) {
        QApplication::setFont(shown);
        const QString text = QStringLiteral("Refused: ") + outside + QStringLiteral(" is wrong.");
        AfxMessageBoxModeless(text);
        QPointer<CMessageBoxDlg> box = ShownBox();
        ASSERT_FALSE(box.isNull());
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        if (outside == markup) {
            EXPECT_EQ(QString(label->text()).remove(QChar(0x200B)), text);  // unseen places to wrap aside
        }
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("Refused: ")));
        EXPECT_TRUE(label->text().endsWith(QStringLiteral(" is wrong.")));
        // Wrapped at its blanks, the text is as wide as its label: nothing clipped.
        EXPECT_LE(label->fontMetrics().boundingRect(label->contentsRect(), Qt::TextWordWrap, label->text()).width(),
                  label->contentsRect().width());

        const QRect screen = box->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(box->frameGeometry())) << outside.size() << " characters";
        const QAbstractButton* ok = box->button(QMessageBox::Ok);
        EXPECT_TRUE(ok->isVisible());
        EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        box->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 10000));
    }
    QApplication::setFont(font);
    SetMessageBoxHook(previous);

    // Quoted inside a message, an outside text keeps its first 64 characters.
    EXPECT_EQ(QuoteText(QString(64, u'a')), QChar(0x2068) + QString(64, u'a') + QChar(0x2069));
    EXPECT_EQ(QuoteText(QString(63, u'a') + QStringLiteral("😀b")), QChar(0x2068) + QString(63, u'a') + QChar(0x2026) + QChar(0x2069));
}

// A box over a window at the screen's edge (the toolkit centres it on that
// window, not the screen) stays inside the screen, corner by corner; a text
// of many short lines shows no more than twenty of them, its first and its
// last among them.
TEST(MessageBoxTest, BoxOverAWindowAtTheScreensEdgeStaysInsideAndShowsTwentyLines)
{
    QStringList many;
    for (int i = 1; i <= 60; ++i)
        many << QStringLiteral("第 %1 行").arg(i);
    QWidget probe;
    const QRect screen = probe.screen()->availableGeometry();
    const std::vector<QPoint> corners{screen.topLeft(), screen.topRight() - QPoint(39, 0),
                                      screen.bottomLeft() - QPoint(0, 39), screen.bottomRight() - QPoint(39, 39)};
    for (const QPoint& corner : corners) {
        SCOPED_TRACE(corner.x());
        SCOPED_TRACE(corner.y());
        QWidget parent(nullptr, Qt::Window | Qt::FramelessWindowHint);
        parent.setGeometry(QRect(corner, QSize(40, 40)));
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent, 10000));
        CMessageBoxDlg box(&parent);
        box.setStandardButtons(QMessageBox::Ok);
        box.SetBoxText(many.join(QLatin1Char('\n')));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box, 10000));

        EXPECT_TRUE(screen.contains(box.frameGeometry())) << box.frameGeometry().x() << "," << box.frameGeometry().y();
        const QAbstractButton* ok = box.button(QMessageBox::Ok);
        EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        const QStringList shown = box.text().split(QLatin1Char('\n'));
        EXPECT_LE(shown.size(), 20);
        EXPECT_GE(shown.size(), 3);
        EXPECT_EQ(shown.front(), many.front());
        EXPECT_EQ(shown.back(), many.back());
    }
}
