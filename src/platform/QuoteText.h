#pragma once
// Texts from outside (workbooks, the database, file names, controller data)
// quoted inside a message of the station's own: a long one is cut, so that
// the message around it stays short enough to read, and it is set apart as
// a unit of its own direction, so that right-to-left text or controls in it
// (U+202E) cannot turn the station's words around it.
#include <QString>
#include <algorithm>

// The end of a cut of text at nAt characters or just before, never between
// the two halves of a surrogate pair.
inline qsizetype CutPoint(const QString& text, qsizetype nAt)
{
    if (nAt > 0 && nAt < text.size() && text.at(nAt).isLowSurrogate())
        --nAt;
    return nAt;
}

// text itself when it has at most nMax characters, else as much of it as fits
// in nMax characters with "…" as the last.
inline QString CutText(const QString& text, qsizetype nMax)
{
    if (text.size() <= nMax)
        return text;
    return text.left(CutPoint(text, std::max<qsizetype>(nMax - 1, 0))) + QChar(0x2026);
}

// The isolate marks that set a quoted text apart.
constexpr char16_t kFirstStrongIsolate = 0x2068;
constexpr char16_t kPopDirectionalIsolate = 0x2069;

// The whole text between isolate marks. Isolate marks inside it are dropped:
// one would end the isolation early, or leave it open over the words after it.
inline QString IsolateText(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() >= 0x2066 && c.unicode() <= 0x2069; });
    return QChar(kFirstStrongIsolate) + text + QChar(kPopDirectionalIsolate);
}

// text itself when it has at most nMax characters, else its first nMax and
// "…"; isolated.
inline QString QuoteText(const QString& text, qsizetype nMax = 64)
{
    return IsolateText(text.size() <= nMax ? text : text.left(CutPoint(text, nMax)) + QChar(0x2026));
}
