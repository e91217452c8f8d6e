#pragma once
// Texts from outside (workbooks, the database, file names, controller data)
// quoted inside a message of the station's own: a long one is cut, so that
// the message around it stays short enough to read.
#include <QString>

// The end of a cut of text at nAt characters or just before, never between
// the two halves of a surrogate pair.
inline qsizetype CutPoint(const QString& text, qsizetype nAt)
{
    if (nAt > 0 && nAt < text.size() && text.at(nAt).isLowSurrogate())
        --nAt;
    return nAt;
}

// text itself when it has at most nMax characters, else its first nMax and "…".
inline QString QuoteText(const QString& text, qsizetype nMax = 64)
{
    if (text.size() <= nMax)
        return text;
    return text.left(CutPoint(text, nMax)) + QChar(0x2026);
}
