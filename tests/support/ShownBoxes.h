#pragma once
#include <QApplication>
#include <QString>
#include <vector>

#include "platform/MessageBoxDlg.h"

namespace station_test {

// The station's boxes showing this text (the unseen places to wrap that a box adds aside).
inline std::vector<CMessageBoxDlg*> ShownBoxes(const QString& text)
{
    std::vector<CMessageBoxDlg*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<CMessageBoxDlg*>(w); box && box->isVisible() && QString(box->text()).remove(QChar(0x200B)) == text)
            found.push_back(box);
    return found;
}

} // namespace station_test
