#include "platform/ToolkitBoxGuard.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

namespace {

bool InFileDialog(const QWidget* widget)
{
    for (const QWidget* w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<const QFileDialog*>(w))
            return true;
    }
    return false;
}

void MakePlain(QMessageBox* box)
{
    if (box->textFormat() != Qt::PlainText)
        box->setTextFormat(Qt::PlainText);
    // The label's own format too: a text set later keeps to it.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->textFormat() != Qt::PlainText)
            label->setTextFormat(Qt::PlainText);
    }
}

// No wider or taller than the screen it opens on: the box sizes itself as it
// is shown, so this follows each of its resizes.
void BoundSize(QMessageBox* box)
{
    const QScreen* screen = box->screen() ? box->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QSize most(std::max(200, room.width() * 9 / 10), std::max(120, room.height() * 9 / 10));
    if (box->width() > most.width() || box->height() > most.height())
        box->setFixedSize(box->size().boundedTo(most));
}

} // namespace

CToolkitBoxGuard::CToolkitBoxGuard()
{
    qApp->installEventFilter(this);
}

CToolkitBoxGuard::~CToolkitBoxGuard()
{
    qApp->removeEventFilter(this);
}

bool CToolkitBoxGuard::eventFilter(QObject* watched, QEvent* event)
{
    // Polish comes before the box is laid out for its first showing, Show
    // before it is seen; a box shown again is caught again.
    const QEvent::Type type = event->type();
    if (type != QEvent::Polish && type != QEvent::Show && type != QEvent::Resize)
        return QObject::eventFilter(watched, event);
    if (auto* box = qobject_cast<QMessageBox*>(watched); box && InFileDialog(box)) {
        if (type == QEvent::Resize)
            BoundSize(box);
        else
            MakePlain(box);
    }
    return QObject::eventFilter(watched, event);
}
