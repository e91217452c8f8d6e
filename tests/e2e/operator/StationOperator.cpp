#include "StationOperator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <cstdio>

namespace {

void Say(const QString& line)
{
    const QByteArray bytes = (QStringLiteral("operator: ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QWidget* MainWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("KALORDlg") && w->isVisible())
            return w;
    return nullptr;
}

// A press of the control, from the event loop: the handlers it runs may open
// dialogs of their own, which this operator answers on its next look.
void Press(QWidget* within, const char* id, const QString& done = QString())
{
    auto* button = within ? within->findChild<QAbstractButton*>(QLatin1String(id)) : nullptr;
    if (!button)
        return;
    QMetaObject::invokeMethod(button, [button, done] {
        button->click();
        if (!done.isEmpty())
            Say(done);
    }, Qt::QueuedConnection);
}

} // namespace

CStationOperator::CStationOperator(QString user, QString password)
    : m_strUser(std::move(user))
    , m_strPassword(std::move(password))
{
    m_timer.start(20, this);
}

void CStationOperator::timerEvent(QTimerEvent*)
{
    ReportNewBoxes();
    Step();
}

void CStationOperator::ReportNewBoxes()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible() || box->property("operatorSaw").toBool())
            continue;
        box->setProperty("operatorSaw", true);
        Say(QStringLiteral("box: ") + box->text().simplified());
    }
}

void CStationOperator::Step()
{
    QWidget* main = MainWindow();
    QWidget* modal = QApplication::activeModalWidget();
    switch (m_stage) {
    case Stage::Login: {
        auto* user = main ? main->findChild<QLineEdit*>(QStringLiteral("1013")) : nullptr;
        auto* password = main ? main->findChild<QLineEdit*>(QStringLiteral("1014")) : nullptr;
        if (!user || !password || !user->isVisible() || modal != main)
            return;
        user->setText(m_strUser);
        password->setText(m_strPassword);
        Press(main, "1017");
        m_stage = Stage::SerialSettings;
        return;
    }
    case Stage::SerialSettings: {
        // The dialog itself: the window holds it (and a button "1" of its own) while it is hidden.
        auto* port = modal && modal != main ? modal->findChild<QComboBox*>(QStringLiteral("1054")) : nullptr;
        auto* baud = port ? modal->findChild<QComboBox*>(QStringLiteral("1055")) : nullptr;
        if (!port || !baud)
            return;
        port->setCurrentIndex(0);
        baud->setCurrentIndex(2);
        Press(modal, "1", QStringLiteral("logged in"));
        m_stage = Stage::AllLifts;
        return;
    }
    case Stage::AllLifts: {
        auto* user = main ? main->findChild<QLineEdit*>(QStringLiteral("1013")) : nullptr;
        if (!user || user->isVisible() || modal != main)
            return;
        Press(main, "1001", QStringLiteral("all lifts shown"));
        m_stage = Stage::Watching;
        return;
    }
    case Stage::Watching: return;
    }
}
