// The operator of a station that a test runs as a process of its own, loaded
// into it as an input plugin (QT_QPA_GENERIC_PLUGINS=stationoperator:<name>/<password>[/delete]):
// it logs in, answers the serial settings with COM1, opens the all-lifts page
// (or, with "delete", selects the first lift of the configuration page and
// presses its delete button, leaving the question open), and writes to stderr
// each step it has taken and the text of every box it sees.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>

namespace {

void Say(const QString& line)
{
    std::fputs((QStringLiteral("operator: ") + line + QLatin1Char('\n')).toUtf8().constData(), stderr);
    std::fflush(stderr);
}

// A press from the event loop: the handler may open dialogs, answered on a later look.
void Press(QWidget* within, const char* id, const QString& done = QString())
{
    if (auto* button = within->findChild<QAbstractButton*>(QLatin1String(id)))
        QMetaObject::invokeMethod(button, [button, done] {
            button->click();
            if (!done.isEmpty())
                Say(done);
        }, Qt::QueuedConnection);
}

} // namespace

class CStationOperatorPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "StationOperatorPlugin.json")
public:
    QObject* create(const QString&, const QString& arguments) override
    {
        auto* look = new QTimer;
        const QStringList login = arguments.split(QLatin1Char('/'));
        QObject::connect(look, &QTimer::timeout, [login, stage = 0]() mutable {
            QWidget* main = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible() && !box->property("seen").toBool()) {
                    box->setProperty("seen", true);
                    Say(QStringLiteral("box: ") + box->text().simplified());
                }
                if (w->objectName() == QLatin1String("KALORDlg") && w->isVisible())
                    main = w;
            }
            QWidget* modal = QApplication::activeModalWidget();
            auto* user = main ? main->findChild<QLineEdit*>(QStringLiteral("1013")) : nullptr;
            if (!user)
                return;
            if (stage == 0 && modal == main && user->isVisible()) {
                user->setText(login.value(0));
                main->findChild<QLineEdit*>(QStringLiteral("1014"))->setText(login.value(1));
                Press(main, "1017");
                ++stage;
            } else if (stage == 1 && modal && modal != main && modal->findChild<QComboBox*>(QStringLiteral("1054"))) {
                // The dialog itself: the window holds it, hidden, and a button "1" of its own.
                modal->findChild<QComboBox*>(QStringLiteral("1054"))->setCurrentIndex(0);
                modal->findChild<QComboBox*>(QStringLiteral("1055"))->setCurrentIndex(2);
                Press(modal, "1", QStringLiteral("logged in"));
                ++stage;
            } else if (stage == 2 && modal == main && !user->isVisible()) {
                if (login.value(2) == QLatin1String("delete")) {
                    auto* lifts = main->findChild<QTableWidget*>(QStringLiteral("1027"));
                    if (!lifts || !lifts->isVisible() || lifts->rowCount() == 0)
                        return;
                    lifts->setCurrentCell(0, 0);
                    lifts->selectRow(0);
                    Press(main, "1037", QStringLiteral("delete pressed"));
                } else {
                    Press(main, "1001", QStringLiteral("all lifts shown"));
                }
                ++stage;
            }
        });
        look->start(20);
        return look;
    }
};

#include "StationOperatorPlugin.moc"
