#include "mainwnd/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap DrawIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    p.setBrush(QColor(208, 157, 1));
    p.drawRect(QRectF(5, 3, 2, 26));
    p.drawRect(QRectF(25, 3, 2, 26));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(9, 9, 14, 16));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(15.5, 10, 1, 14));
    p.setBrush(QColor(0, 200, 0));
    p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(12, 7), QPointF(20, 7)}));
    return pm;
}
} // namespace

QIcon LiftStationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
