#include "views/FloorDlgB.h"

#include <QPainter>

#include "platform/ColorRef.h"

FloorDlgB::FloorDlgB(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void FloorDlgB::SetCaption(const QString& caption)
{
    m_strCaption = caption;
    update();
}

void FloorDlgB::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(FromColorRef(0xB4B4B4), 4);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
    painter.setFont(m_font);
    painter.setPen(FromColorRef(0xDCDCDC));
    painter.drawText(rect(), Qt::AlignCenter, m_strCaption);
}
