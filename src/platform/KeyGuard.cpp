#include "platform/KeyGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
// Marks a widget that has a guard: the walk up from a control stops there.
constexpr char kGuardProperty[] = "keyGuard";
} // namespace

void CKeyGuard::Install(QWidget* window, Keys keys)
{
    new CKeyGuard(window, keys);  // owned by the window
}

CKeyGuard::CKeyGuard(QWidget* window, Keys keys)
    : QObject(window)
    , m_pWindow(window)
    , m_keys(keys)
{
    window->setProperty(kGuardProperty, true);
    // On the application, so that controls made later are covered too.
    qApp->installEventFilter(this);
}

bool CKeyGuard::Holds(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property(kGuardProperty).toBool())
            return w == m_pWindow;
        if (w->isWindow())
            return false;  // a dialog or box of its own, not guarded
    }
    return false;
}

bool CKeyGuard::Swallows(int key) const
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        return true;
    return key == Qt::Key_Space && m_keys == Keys::ReturnEscapeSpace;
}

bool CKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride)
        && watched->isWidgetType() && Swallows(static_cast<QKeyEvent*>(event)->key())
        && Holds(static_cast<QWidget*>(watched)))
        return true;
    return QObject::eventFilter(watched, event);
}
