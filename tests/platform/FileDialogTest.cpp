// The real file dialog, driven offscreen by a timer inside its own modal
// loop: the boxes the toolkit's dialog opens itself quote a file name that
// holds markup as plain text and stay on the screen; and the station's own
// quoting keeps a name's text direction to the name.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/FileDialog.h"
#include "platform/QuoteText.h"

namespace {

struct SeenBox {
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    bool onScreen = false;
};

} // namespace

TEST(FileDialogTest, TheDialogsOwnBoxesShowAMarkupNameAsTextOnTheScreen)
{
    QTemporaryDir dir;
    const QString missing = QStringLiteral("<img src=x.png width=3000 height=3000><h1>big.xlsx");
    const QString present = QStringLiteral("<img src=y.png width=3000 height=3000><b>present.xlsx");
    QFile file(dir.filePath(present));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const FileDialogHook previous = SetFileDialogHook({});

    // "File not found" for a typed name, then the delete question for a listed
    // one; each step waits for its state, all within one bound.
    std::vector<SeenBox> seen;
    const QDeadlineTimer bound(60000);
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QFileDialog* dlg = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            dlg = w->isVisible() && qobject_cast<QFileDialog*>(w) ? qobject_cast<QFileDialog*>(w) : dlg;
        if (!dlg)
            return;
        QMessageBox* box = nullptr;
        for (QMessageBox* b : dlg->findChildren<QMessageBox*>())
            box = b->isVisible() ? b : box;
        auto* list = dlg->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        auto* remove = dlg->findChild<QAction*>(QStringLiteral("qt_delete_action"));
        if (box) {
            seen.push_back({box->textFormat(), box->text(), box->screen()->availableGeometry().contains(box->frameGeometry())});
            box->button(seen.size() == 1 ? QMessageBox::Ok : QMessageBox::No)->click();
        } else if (bound.hasExpired() || seen.size() == 2) {
            dlg->reject();
        } else if (seen.empty() && dlg->property("typed").isNull()) {
            dlg->setProperty("typed", true);
            dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(missing);
            QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
        } else if (seen.size() == 1 && !list->selectionModel()->hasSelection()) {
            // The folder's listing comes from another thread: ask again until it has the file.
            dlg->selectFile(dir.filePath(present));
        } else if (seen.size() == 1 && remove && dlg->property("asked").isNull()) {
            dlg->setProperty("asked", true);
            remove->setEnabled(true);  // as the context menu sets it for a file in a writable folder
            QTimer::singleShot(0, remove, &QAction::trigger);
        }
    });
    driver.start(20);
    FileDialogRequest request;
    request.filters = {QStringLiteral("All Files(*.*)"), QStringLiteral("*.*")};
    request.defaultName = dir.filePath(QStringLiteral("a.xlsx"));
    EXPECT_FALSE(AskFilePath(request).has_value());
    driver.stop();
    SetFileDialogHook(previous);

    ASSERT_EQ(seen.size(), 2u);
    for (const SeenBox& box : seen) {
        EXPECT_EQ(box.format, Qt::PlainText) << box.text.toStdString();
        EXPECT_TRUE(box.onScreen) << box.text.toStdString();
    }
    EXPECT_TRUE(seen[0].text.contains(missing)) << seen[0].text.toStdString();
    EXPECT_TRUE(seen[1].text.contains(present)) << seen[1].text.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(present)));  // answered no
}

// A quoted name is isolated: its own direction marks end with it.
TEST(FileDialogTest, QuotedNamesAreIsolatedAndCut)
{
    const QString reversing = QStringLiteral("abc") + QChar(0x202E) + QStringLiteral("xlsx.exe");
    EXPECT_EQ(QuoteText(reversing), QChar(0x2068) + reversing + QChar(0x2069));
    // Isolate marks of its own cannot close the quote early or leave it open.
    const QString closing = QStringLiteral("a") + QChar(0x2069) + QChar(0x2067) + QStringLiteral("b");
    EXPECT_EQ(QuoteText(closing), QChar(0x2068) + QStringLiteral("ab") + QChar(0x2069));
    const QString path = QStringLiteral("/tmp/") + QString(300, u'p') + QChar(0x202E) + QStringLiteral(".xlsx");
    EXPECT_EQ(IsolateText(path), QChar(0x2068) + path + QChar(0x2069));
    // Cut texts keep whole characters and end in "…" within their bound.
    EXPECT_EQ(CutText(QString(10, u'a'), 10), QString(10, u'a'));
    EXPECT_EQ(CutText(QString(8, u'a') + QStringLiteral("😀b"), 10), QString(8, u'a') + QChar(0x2026));
}
