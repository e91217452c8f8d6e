#include "controls/EditX.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

CEditX::CEditX(QWidget* parent, bool bMultiLine)
    : QPlainTextEdit(parent), m_bMultiLine(bMultiLine)
{
    document()->setDocumentMargin(2);
    if (m_bMultiLine) {
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap
    } else {
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setWordWrapMode(QTextOption::NoWrap);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setTabChangesFocus(true);
    }
    CtlColor();
}

bool CEditX::ResetTextColor()
{
    m_crText = 0;
    CtlColor();
    setText(text());
    return true;
}

void CEditX::SetTextColor(COLORREF crText)
{
    m_crText = crText;
    CtlColor();
}

void CEditX::SetBkColor(COLORREF crBk)
{
    m_crBk = crBk;
    CtlColor();
}

void CEditX::setText(const QString& text)
{
    if (m_bMultiLine) {
        setPlainText(text);
        return;
    }
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    setPlainText(line);
}

void CEditX::CtlColor()
{
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, FromColorRef(m_crBk));
        pal.setColor(group, QPalette::Text, FromColorRef(m_crText));
    }
    setPalette(pal);
    viewport()->update();
}

QSize CEditX::sizeHint() const
{
    if (m_bMultiLine)
        return QPlainTextEdit::sizeHint();
    const QFontMetrics fm(font());
    const int frame = 2 * frameWidth();
    return QSize(fm.horizontalAdvance(QLatin1Char('x')) * 17 + frame,
                 fm.height() + 2 * int(document()->documentMargin()) + frame);
}

QSize CEditX::minimumSizeHint() const
{
    if (m_bMultiLine)
        return QPlainTextEdit::minimumSizeHint();
    return QSize(20, sizeHint().height());
}

void CEditX::keyPressEvent(QKeyEvent* event)
{
    // A single-line edit leaves Enter to its dialog.
    if (!m_bMultiLine && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CEditX::insertFromMimeData(const QMimeData* source)
{
    if (m_bMultiLine || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QString line = source->text();
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    insertPlainText(line);
}
