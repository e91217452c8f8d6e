#include "views/StaShape.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QString kPad14(14, QLatin1Char(' '));
const QString kBlank11(11, QLatin1Char(' '));

// The rectangle whose outline covers columns l..r-1 and rows t..b-1; a
// stroked QRect runs one pixel right of and below its last column and row.
QRect Outline(int l, int t, int r, int b)
{
    return QRect(l, t, r - l - 1, b - t - 1);
}

} // namespace

CStaShape::CStaShape(QWidget* parent)
    : QWidget(parent)
{
    m_pens = {QPen(QColor(51, 113, 18), 1), QPen(QColor(100, 130, 2), 1), QPen(QColor(30, 81, 30), 1),
              QPen(QColor(255, 0, 0), 2),   QPen(QColor(0, 0, 255), 2),   QPen(QColor(50, 50, 50), 2),
              QPen(QColor(180, 180, 180), 1), QPen(QColor(255, 0, 0), 1)};
    for (QPen& pen : m_pens)
        pen.setJoinStyle(Qt::MiterJoin);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor CStaShape::StateTextColor(int state)
{
    switch (state) {
    case 1: return QColor(0, 200, 0);
    case 2: return QColor(0, 0, 255);
    case 3: return QColor(255, 0, 0);
    case 4: case 5: case 7: return QColor(210, 210, 210);
    case 6: return QColor(255, 0, 0);
    default: return QColor(50, 50, 50);
    }
}

void CStaShape::ForgetDrawnLines()
{
    m_line1.clear();
    m_line2.clear();
}

void CStaShape::SetState(int state)
{
    if (state != m_nState)
        ForgetDrawnLines();
    m_nState = state;
    update();
}

void CStaShape::SetCaption(const QString& caption)
{
    if (caption != m_strCaption)
        m_line1.clear();
    m_strCaption = caption;
    update();
}

void CStaShape::hideEvent(QHideEvent* event)
{
    ForgetDrawnLines();
    QWidget::hideEvent(event);
}

void CStaShape::SetCellText(int bWithFirst, const QColor& colour, const QString& second, const QString& first)
{
    m_crText = colour;
    QRect rc = rect().adjusted(2, 4, -2, 0);
    if (bWithFirst == 1) {
        m_strFirstPadded = kPad14 + first + kPad14;
        m_line1 = {{rc, m_strFirstPadded, colour}};
    }
    rc.setTop(rc.top() + 15);
    m_strSecondPadded = kPad14 + second + kPad14;
    m_line2 = {{rc, m_strSecondPadded, colour}};
    m_strSecond = second;
    update();
}

void CStaShape::ClearCellText(const QColor& colour, const QString& text)
{
    m_crText = colour;
    const QRect rc = rect().adjusted(4, 4, -4, 0);
    m_line1 = {{rc, kBlank11, colour}, {rc, text, colour}};
    update();
}

void CStaShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawCell(painter);
}

void CStaShape::DrawOpaque(QPainter& painter, const strDrawnText& t) const
{
    const QFontMetrics fm(painter.font());
    const int adv = fm.horizontalAdvance(t.text);
    const QRect box(t.rc.left() + (t.rc.width() - adv) / 2, t.rc.top(), adv, fm.height());
    painter.fillRect(box.intersected(t.rc), m_crBack);
    painter.setPen(t.colour);
    painter.drawText(t.rc, Qt::AlignHCenter | Qt::AlignTop, t.text);
}

void CStaShape::DrawCell(QPainter& painter)
{
    m_bInit = 1;
    m_rcClient = rect();
    m_rcText = m_rcClient.adjusted(0, 4, 0, 0);
    const int w = m_rcClient.width();
    const int h = m_rcClient.height();

    painter.fillRect(m_rcClient, m_crBack);
    painter.setBrush(Qt::NoBrush);
    switch (m_nState) {
    case 0:
        painter.setPen(m_pens[5]);
        painter.drawRect(Outline(1, 1, w - 2, h - 2));
        break;
    case 1: case 2: case 3:
        for (int k = 0; k < 3; ++k) {
            painter.setPen(m_pens[k]);
            painter.drawRect(Outline(k, k, w - k - 1, h - k - 1));
        }
        break;
    default:
        painter.setPen(m_pens[6]);
        painter.drawRect(Outline(1, 1, w - 1, h - 1));
        break;
    }

    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(StateTextColor(m_nState));
    painter.drawText(m_rcText, Qt::AlignHCenter | Qt::AlignTop, m_strCaption);
    if (m_nState >= 4 && m_nState <= 7) {
        if (m_nState == 5)
            painter.setPen(QColor(255, 0, 0));
        painter.drawText(m_rcText.adjusted(0, 15, 0, 0), Qt::AlignHCenter | Qt::AlignTop, m_strFirstPadded);
    }

    for (const strDrawnText& t : m_line1)
        DrawOpaque(painter, t);
    for (const strDrawnText& t : m_line2)
        DrawOpaque(painter, t);
}
