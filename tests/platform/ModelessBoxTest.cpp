// Boxes that do not wait, raised while the station's window runs its modal
// loop: the operator reaches each through the window system, as a real click
// or key does (a window blocked by a modal one drops them), and the same text
// is not stacked twice.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "platform/MessageBoxDlg.h"
#include "support/Operator.h"
#include "support/ShownBoxes.h"
#include "support/WindowClick.h"

using station_test::ClickThroughWindow;
using station_test::Exposed;
using station_test::ShownBoxes;

namespace {
// The operator's steps, each once its state holds (within the bound), all
// inside the modal loop of a dialog standing in for the station's window.
class ModalRun {
public:
    void When(std::function<bool()> ready, std::function<void()> step)
    {
        m_operator.When([ready = std::move(ready)] { return QApplication::activeModalWidget() && ready(); }, std::move(step));
    }
    // Runs the steps inside the window's exec; true when every step ran.
    bool Run()
    {
        QDialog window;
        window.resize(400, 300);
        QPushButton button(QStringLiteral("页面"), &window);
        button.setGeometry(10, 10, 120, 30);
        m_pWindowButton = &button;
        QObject::connect(&button, &QPushButton::clicked, [this] { ++m_nWindowClicks; });
        When([] { return true; }, [&window] { window.done(QDialog::Accepted); });
        m_operator.Start();
        window.exec();  // application-modal, as the station's window
        m_pWindowButton = nullptr;
        return m_operator.Finished();
    }
    // A button of the window, and how often the operator's clicks reached it.
    QPushButton* windowButton() const { return m_pWindowButton; }
    int windowClicks() const { return m_nWindowClicks; }

private:
    station_test::Operator m_operator;
    QPushButton* m_pWindowButton = nullptr;
    int m_nWindowClicks = 0;
};

class RealBoxes {
public:
    RealBoxes() : m_previous(SetMessageBoxHook({})) {}
    ~RealBoxes()
    {
        SetMessageBoxHook(m_previous);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CMessageBoxDlg*>(w))
                w->close();
    }

private:
    MessageBoxHook m_previous;
};
} // namespace

// Each way of closing a box that does not wait works while another window is
// application-modal, and that window takes the operator's clicks meanwhile; a
// text already shown is not shown again, and once its box is closed it may
// come again.
TEST(ModelessBoxTest, ClosedByButtonEnterAndEscapeWhileAnotherWindowIsModal)
{
    RealBoxes real;
    const std::vector<std::pair<const char*, std::function<void(CMessageBoxDlg*)>>> closes{
        {"button", [](CMessageBoxDlg* box) { ClickThroughWindow(box->button(QMessageBox::Ok)); }},
        {"Enter", [](CMessageBoxDlg* box) { QTest::keyClick(box->windowHandle(), Qt::Key_Return); }},
        {"Escape", [](CMessageBoxDlg* box) { QTest::keyClick(box->windowHandle(), Qt::Key_Escape); }},
    };
    for (const auto& [how, close] : closes) {
        SCOPED_TRACE(how);
        const QString text = QStringLiteral("记录无法写入 (%1)").arg(QLatin1String(how));
        QPointer<CMessageBoxDlg> box;
        int shownAtOnce = 0;
        ModalRun run;
        run.When([] { return true; }, [&] {
            AfxMessageBoxModeless(text);
            AfxMessageBoxModeless(text);
        });
        run.When([&] { return ShownBoxes(text).size() == 1 && Exposed(ShownBoxes(text).front()); }, [&] {
            box = ShownBoxes(text).front();
            AfxMessageBoxModeless(text);  // while it is showing
        });
        // Give the third a chance to come: the first box's own queue has run by then.
        run.When([] { return true; }, [] { QCoreApplication::processEvents(); });
        run.When([] { return true; }, [&] {
            shownAtOnce = int(ShownBoxes(text).size());
            // The box holds nothing up: the window under it takes clicks too.
            ClickThroughWindow(run.windowButton());
            close(box);
        });
        run.When([&] { return box.isNull() || !box->isVisible(); }, [] {});
        // Closed, the same text is shown again the next time.
        run.When([] { return true; }, [&] { AfxMessageBoxModeless(text); });
        run.When([&] { return ShownBoxes(text).size() == 1 && ShownBoxes(text).front() != box.data(); },
                 [&] { ShownBoxes(text).front()->close(); });
        EXPECT_TRUE(run.Run());
        EXPECT_EQ(shownAtOnce, 1);
        EXPECT_EQ(run.windowClicks(), 1);
        EXPECT_TRUE(box.isNull() || !box->isVisible());
    }
}

// A box that waits, raised while a box that does not wait is showing, takes
// the operator's OK through the window system and is answered with it; one
// that does not wait, raised while a box waits, comes after the answer
// instead of over the waiting box's OK.
TEST(ModelessBoxTest, AWaitingBoxKeepsItsOkReachable)
{
    RealBoxes real;
    const QString notice = QStringLiteral("数据库文件暂时无法打开");
    const QString question = QStringLiteral("确定要删除所选电梯及其全部记录吗？");
    MsgBoxResult answer = MsgBoxResult::Cancel;
    MsgBoxResult laterAnswer = MsgBoxResult::Cancel;
    const auto asking = [&question] {
        auto boxes = ShownBoxes(question);
        return boxes.size() == 1 && Exposed(boxes.front()) ? boxes.front() : nullptr;
    };
    ModalRun run;
    run.When([] { return true; }, [&] { AfxMessageBoxModeless(notice); });
    run.When([&] { return ShownBoxes(notice).size() == 1 && Exposed(ShownBoxes(notice).front()); }, [&] {
        QTimer::singleShot(0, [&] { answer = AfxMessageBox(question, QString(), MsgBoxKind::OkCancel, true); });
    });
    run.When([&] { return asking() != nullptr; }, [&] { ClickThroughWindow(asking()->button(QMessageBox::Ok)); });
    run.When([&] { return asking() == nullptr; }, [&] {
        // Asked again, and the notice comes once more while the question waits.
        QTimer::singleShot(0, [&] { laterAnswer = AfxMessageBox(question, QString(), MsgBoxKind::OkCancel, true); });
    });
    const QString later = notice + QStringLiteral(" (2)");
    int laterOverQuestion = -1;
    run.When([&] { return asking() != nullptr; }, [&] { AfxMessageBoxModeless(later); });
    run.When([&] { return asking() != nullptr; }, [&] {
        QCoreApplication::processEvents();  // the queued box has its chance to come
        laterOverQuestion = int(ShownBoxes(later).size());
        ClickThroughWindow(asking()->button(QMessageBox::Ok));
    });
    // Once the question is answered, the later box comes.
    run.When([&] { return asking() == nullptr && ShownBoxes(later).size() == 1; },
             [&] { ShownBoxes(later).front()->close(); });
    EXPECT_TRUE(run.Run());
    EXPECT_EQ(answer, MsgBoxResult::Ok);
    EXPECT_EQ(laterAnswer, MsgBoxResult::Ok);
    EXPECT_EQ(laterOverQuestion, 0);
}
