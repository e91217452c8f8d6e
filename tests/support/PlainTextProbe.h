#pragma once
// Whether a label shows its text as the characters it is: drawn the same as
// once it is told outright that its text is plain. A label that reads markup
// from its text (a heading, a picture, bold) draws something else.
#include <QImage>
#include <QLabel>

namespace view_test {

// Markup as a text from outside (a fault name, an imported caption) may carry it.
inline QString MarkupText()
{
    return QStringLiteral("<h1>门锁</h1><b>回路</b><img src=\"x\" width=\"60\" height=\"40\">");
}

inline bool DrawsAsPlainText(QLabel* label)
{
    const Qt::TextFormat format = label->textFormat();
    const QImage shown = label->grab().toImage();
    label->setTextFormat(Qt::PlainText);
    const QImage plain = label->grab().toImage();
    label->setTextFormat(format);
    return !shown.isNull() && shown == plain;
}

} // namespace view_test
