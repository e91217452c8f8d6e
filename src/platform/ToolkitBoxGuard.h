#pragma once
// While it lives, the boxes that the toolkit's own dialogs open (a file
// dialog's "file not found", its delete confirmation) show their text as
// plain text and stay on the screen: they quote file names, and a name may
// hold markup that the toolkit would otherwise render, images and all.
#include <QObject>

class CToolkitBoxGuard : public QObject {
public:
    CToolkitBoxGuard();
    ~CToolkitBoxGuard() override;
    CToolkitBoxGuard(const CToolkitBoxGuard&) = delete;
    CToolkitBoxGuard& operator=(const CToolkitBoxGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
