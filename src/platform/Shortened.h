#pragma once
// A text from outside (a workbook, the database, the line) quoted in a
// message is cut to its first characters, so that however long it is the
// reason around it can still be read.
#include <QChar>
#include <QString>

constexpr qsizetype kQuotedChars = 64;

inline QString Shortened(const QString& text)
{
    if (text.size() <= kQuotedChars)
        return text;
    const qsizetype n = text[kQuotedChars - 1].isHighSurrogate() ? kQuotedChars - 1 : kQuotedChars;  // never half a character
    return text.left(n) + QChar(0x2026);
}
