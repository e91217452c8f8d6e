// The real file dialog, driven offscreen by a timer inside its own modal
// loop: the boxes that the toolkit's dialog opens itself quote a file name
// that holds markup as plain text and stay on the screen; and the station's
// own quoting keeps a name's text direction to the name.
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
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/FileDialog.h"
#include "platform/QuoteText.h"

namespace {

QFileDialog* ShownFileDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dlg = qobject_cast<QFileDialog*>(w); dlg && dlg->isVisible())
            return dlg;
    }
    return nullptr;
}

QMessageBox* BoxOf(QFileDialog* dlg)
{
    for (QMessageBox* box : dlg->findChildren<QMessageBox*>()) {
        if (box->isVisible())
            return box;
    }
    return nullptr;
}

struct SeenBox {
    bool seen = false;
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    QRect frame;
    QRect screen;
};

// Keeps what the box shows, then answers it with that button.
void RecordAndAnswer(QMessageBox* box, SeenBox* seen, QMessageBox::StandardButton answer)
{
    seen->seen = true;
    seen->format = box->textFormat();
    seen->text = box->text();
    seen->frame = box->frameGeometry();
    seen->screen = box->screen()->availableGeometry();
    if (QAbstractButton* button = box->button(answer))
        button->click();
    else
        box->reject();
}

} // namespace

TEST(FileDialogTest, TheDialogsOwnBoxesShowAMarkupNameAsTextOnTheScreen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = QStringLiteral("<img src=x.png width=3000 height=3000><h1>big.xlsx");
    const QString present = QStringLiteral("<img src=y.png width=3000 height=3000><b>present.xlsx");
    {
        QFile file(dir.filePath(present));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const FileDialogHook previous = SetFileDialogHook({});

    // Each step waits for its state, all of them within one bound.
    SeenBox notFound;
    SeenBox deleting;
    int step = 0;
    const QDeadlineTimer bound(60000);
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QFileDialog* dlg = ShownFileDialog();
        if (bound.hasExpired()) {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            if (dlg)
                dlg->reject();
            return;
        }
        if (!dlg)
            return;
        QMessageBox* box = BoxOf(dlg);
        auto* nameBox = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* list = dlg->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        switch (step) {
        case 0:  // a name typed that no file has
            if (!nameBox)
                return;
            nameBox->setText(missing);
            QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
            ++step;
            break;
        case 1:
            if (!box)
                return;
            RecordAndAnswer(box, &notFound, QMessageBox::Ok);
            dlg->selectFile(dir.filePath(present));
            ++step;
            break;
        case 2:  // the file listed and selected, then its delete asked for
            if (box || !list || !list->selectionModel() || list->selectionModel()->selectedRows().isEmpty())
                return;
            if (auto* remove = dlg->findChild<QAction*>(QStringLiteral("qt_delete_action"))) {
                remove->setEnabled(true);  // as the context menu sets it for a file in a writable folder
                QTimer::singleShot(0, remove, &QAction::trigger);
                ++step;
            }
            break;
        case 3:
            if (box) {
                RecordAndAnswer(box, &deleting, QMessageBox::No);
                ++step;
            }
            break;
        default:
            if (!box)
                dlg->reject();
            break;
        }
    });
    driver.start();

    FileDialogRequest request;
    request.title = QStringLiteral("导入");
    request.filters = {QStringLiteral("All Files(*.*)"), QStringLiteral("*.*")};
    request.defaultName = dir.filePath(QStringLiteral("a.xlsx"));
    const std::optional<QString> chosen = AskFilePath(request);
    driver.stop();
    SetFileDialogHook(previous);

    EXPECT_FALSE(bound.hasExpired()) << "stopped at step " << step;
    EXPECT_FALSE(chosen.has_value());
    for (const SeenBox* seen : {&notFound, &deleting}) {
        ASSERT_TRUE(seen->seen) << "stopped at step " << step;
        EXPECT_EQ(seen->format, Qt::PlainText) << seen->text.toStdString();
        EXPECT_TRUE(seen->screen.contains(seen->frame)) << seen->frame.width() << "x" << seen->frame.height();
    }
    EXPECT_TRUE(notFound.text.contains(missing)) << notFound.text.toStdString();
    EXPECT_TRUE(deleting.text.contains(present)) << deleting.text.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath(present)));  // answered no
}

// A quoted name is isolated: its own direction marks end with it.
TEST(FileDialogTest, QuotedNamesAreIsolatedAndCut)
{
    const QString reversing = QStringLiteral("abc") + QChar(0x202E) + QStringLiteral("xlsx.exe");
    const QString quoted = QuoteText(reversing);
    EXPECT_EQ(quoted, QChar(0x2068) + reversing + QChar(0x2069));
    // Isolate marks of its own cannot close the quote early or leave it open.
    const QString closing = QStringLiteral("a") + QChar(0x2069) + QChar(0x2067) + QStringLiteral("b");
    EXPECT_EQ(QuoteText(closing), QChar(0x2068) + QStringLiteral("ab") + QChar(0x2069));
    // A path is isolated whole.
    const QString path = QStringLiteral("/tmp/") + QString(300, u'p') + QChar(0x202E) + QStringLiteral(".xlsx");
    EXPECT_EQ(IsolateText(path), QChar(0x2068) + path + QChar(0x2069));
    // Cut texts keep whole characters and end in "…" within their bound.
    EXPECT_EQ(CutText(QString(10, u'a'), 10), QString(10, u'a'));
    EXPECT_EQ(CutText(QString(8, u'a') + QStringLiteral("😀b"), 10), QString(8, u'a') + QChar(0x2026));
    EXPECT_EQ(CutText(QString(100000, u'a'), 1024).size(), 1024);
}
