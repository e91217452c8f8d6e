#include "views/StaO.h"

#include <QPainter>

#include "pics/BitmapResource.h"
#include "views/TileGeometry.h"

CStaO::CStaO(QWidget* parent)
    : QWidget(parent), m_font(QStringLiteral("Arial"))
{
    m_font.setPixelSize(PointTenthsToPixels(100));
}

void CStaO::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_nWidth = width();
    m_nHeight = height();
}

void CStaO::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawBand(painter);
}

void CStaO::DrawBand(QPainter& painter)
{
    m_bInit = 1;
    if (m_nKind != 1 && m_nKind != 2)
        return;
    const QImage band = LoadScaledBitmap(m_nKind == 1 ? kPlainBand : kTextBand, QSize(m_nWidth, m_nHeight));
    if (!band.isNull())
        painter.drawImage(0, 0, band);
    if (m_nKind == 2) {
        painter.setFont(m_font);
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.setPen(QColor(220, 220, 220));
        const QRect line = m_bLarge ? QRect(QPoint(7, 37), QPoint(399, 59)) : QRect(QPoint(7, 25), QPoint(399, 54));
        painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, m_strText);
    }
}
