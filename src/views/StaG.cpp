#include "views/StaG.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "pics/BitmapResource.h"
#include "views/TileGeometry.h"
#include "views/ViewMessages.h"

CStaG::CStaG(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaG::SetHeaderSize(int w, int h)
{
    m_nWidth = w;
    m_nHeight = h;
    m_bResized = 1;
    resize(w, h);
}

void CStaG::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_nWidth = width();
    m_nHeight = height();
}

QString CStaG::HeaderText(const QString& name, int width, const QFont& font)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(name) > width - 8)
        return name.left(4) + QLatin1Char('\n') + name.mid(4);
    return name;
}

void CStaG::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawHeader(painter);
}

void CStaG::DrawHeader(QPainter& painter)
{
    const int w = m_nWidth;
    const int h = m_nHeight;
    if (w <= 0 || h <= 0)
        return;
    m_bInit = 1;
    m_bResized = 0;

    const QImage band = LoadScaledBitmap(kBandBitmap, QSize(w, h));
    if (band.isNull())
        painter.fillRect(0, 0, w, h, QColor(16, 28, 48));
    else
        painter.drawImage(0, 0, band);

    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(PointTenthsToPixels(HeaderFontTenths(h)));
    painter.setFont(font);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(QColor(0, 255, 255));

    m_strShowText = HeaderText(m_strGroupName, w, font);
    // The text starts 6 pixels above the middle; a two-line name that would
    // run past the bottom is lifted just enough to stay whole.
    const QFontMetrics fm(font);
    m_rcMeasure = fm.boundingRect(QRect(4, 0, std::max(0, w - 8), h), Qt::AlignHCenter | Qt::AlignTop,
                                  m_strShowText);
    const int top = std::max(0, std::min(h / 2 - 6, h - m_rcMeasure.height()));
    painter.drawText(QRect(QPoint(4, top), QPoint(w - 5, h - 1)), Qt::AlignHCenter | Qt::AlignTop,
                     m_strShowText);
}

void CStaG::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    PostMessage(m_hMainWnd, WM_SHOW_GROUP, 0, m_nGroupIndex);
    event->accept();
}

void CStaG::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_bDrag) {
        m_bDrag = 0;
        SendMessage(m_hView, WM_CELL_DRAG_END, 0, 0);
    }
    QWidget::mouseReleaseEvent(event);
}
