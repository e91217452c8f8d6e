#pragma once
// The busy cursor over every window of the station while a long piece of work
// runs on the user-interface thread, put back however the work ends.
#include <QApplication>
#include <QCursor>

class CBusyCursor {
public:
    CBusyCursor()
        : m_bShown(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_bShown)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~CBusyCursor()
    {
        if (m_bShown)
            QApplication::restoreOverrideCursor();
    }
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;

private:
    bool m_bShown;  // only a widget application has a cursor
};
