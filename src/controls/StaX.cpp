#include "controls/StaX.h"

#include <QFont>

CStaX::CStaX(QWidget* parent)
    : CStaX(QString(), parent)
{
}

CStaX::CStaX(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    // A static text starts at the top left and wraps its words. It shows
    // names and texts from the database as they are, never as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
}

void CStaX::SetColors(COLORREF crText, COLORREF crBk)
{
    m_crText = crText;
    m_crBk = crBk;
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, FromColorRef(crBk));
        pal.setColor(group, QPalette::WindowText, FromColorRef(crText));
    }
    setPalette(pal);
    setAutoFillBackground(true);
    update();
}

void CStaX::SetFontSize(int nPointSize)
{
    if (nPointSize < 1)
        return;
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setPointSizeF(nPointSize / 10.0);
    font.setWeight(QFont::Weight(500));
    setFont(font);
    update();
}
