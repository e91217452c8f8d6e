#pragma once
// A window the window system shows, and a click that goes the way the operator's does: through the window system to
// the button's window, where a window blocked by a modal one would drop it.
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace station_test {

// Shown, and its window exposed: the window system delivers input to it.
inline bool Exposed(const QWidget* w)
{
    return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

inline void ClickThroughWindow(QWidget* button)
{
    QWidget* top = button->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, button->mapTo(top, button->rect().center()));
}

} // namespace station_test
