#pragma once
// Keeps Return and Escape, and where the window asks for it Space, from one
// window and its controls: Return never presses a default button, Escape never
// closes the window. A control belongs to the nearest window or page above it
// that has a guard of its own, so a page inside the main window keeps its own
// choice (an edit on a page that lets Space through can take a blank).
#include <QObject>

class QWidget;

class CKeyGuard : public QObject {
public:
    enum class Keys { ReturnEscape, ReturnEscapeSpace };

    // The guard belongs to the window and goes with it.
    static void Install(QWidget* window, Keys keys);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CKeyGuard(QWidget* window, Keys keys);
    bool Holds(const QWidget* widget) const;
    bool Swallows(int key) const;

    QWidget* m_pWindow;
    Keys m_keys;
};
