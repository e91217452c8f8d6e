#include "controls/HeadCtrlX.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "controls/CellFont.h"

CHeadCtrlX::CHeadCtrlX(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
}

void CHeadCtrlX::SetHeightFactor(float fFactor)
{
    if (!std::isfinite(fFactor) || fFactor <= 0.0f)
        return;
    m_fHeightFactor = fFactor;
    updateGeometry();
    emit geometriesChanged();
    viewport()->update();
}

QSize CHeadCtrlX::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(int(float(size.height()) * m_fHeightFactor));
    return size;
}

QString CHeadCtrlX::BreakCaption(const QString& caption, const QFontMetrics& fm, int nWidth)
{
    QString text = caption;
    int from = 0;
    for (;;) {
        const int blank = text.indexOf(QLatin1Char(' '), from);
        if (blank < 0)
            return text;
        text[blank] = QLatin1Char('\n');
        const int firstBreak = text.indexOf(QLatin1Char('\n'));
        if (fm.horizontalAdvance(text.left(firstBreak)) <= nWidth)
            return text;
        from = blank + 1;
    }
}

void CHeadCtrlX::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    OnPaint(painter);
}

void CHeadCtrlX::OnPaint(QPainter& painter)
{
    QWidget* area = viewport();
    // What the cells leave (the one-pixel seams) shows the window colour.
    painter.fillRect(area->rect(), palette().color(QPalette::Window));

    const QColor fill = FromColorRef(m_byAltFill ? m_crFill2 : m_crFill);
    const QFont font = MakeCellFont(QStringLiteral("宋体"), m_nFontHeight, m_nFontWidth);
    painter.setFont(font);
    painter.setPen(FromColorRef(m_crText));
    const QFontMetrics fm(font);
    const int flags = Qt::AlignLeft | Qt::AlignTop;

    int nRightmost = 0;
    for (int visual = 0; visual < count(); ++visual) {
        const int i = logicalIndex(visual);
        if (i < 0 || isSectionHidden(i))
            continue;
        const QRect item(sectionViewportPosition(i), 0, sectionSize(i), area->height());
        nRightmost = std::max(nRightmost, item.right() + 1);
        painter.fillRect(item.adjusted(1, 0, 0, 0), fill);

        const QChar code = i < m_strAlign.size() ? m_strAlign.at(i) : QLatin1Char('1');
        QRect textRect(item.left() + 5, item.top(), item.width() - 5 + 15, item.height());
        int nFitWidth = item.width() - 5;
        if (code == QLatin1Char('0'))
            textRect.translate(3, 0);
        else if (code == QLatin1Char('2'))
            nFitWidth -= 3;

        const QString caption = i < m_strCaptions.size() ? m_strCaptions.at(i) : QString();
        if (fm.horizontalAdvance(caption) <= nFitWidth) {
            textRect.translate(0, (item.height() - fm.height()) / 2);
            painter.drawText(textRect, flags, caption);
            continue;
        }
        const QString lines = BreakCaption(caption, fm, nFitWidth);
        if (lines == caption)
            textRect.translate(0, (item.height() - fm.height()) / 2);
        else
            textRect.translate(0, 1);
        painter.drawText(textRect, flags, lines);
    }
    if (nRightmost < area->width())
        painter.fillRect(QRect(nRightmost, 0, area->width() - nRightmost, area->height()), fill);
}
