#pragma once
// Entry n of the UI text table of the language in force. Every lookup goes
// through here so that a missing table or an index beyond its end gives an
// empty text instead of a read outside the list.
#include <QString>
#include <QStringList>

inline QString UiText(const QStringList* table, int n)
{
    if (!table || n < 0 || n >= table->size())
        return QString();
    return table->at(n);
}
