#include "views/FloorB.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/ColorRef.h"
#include "views/LockMessages.h"

namespace {

constexpr COLORREF kInColour = 0x0B7C53;
constexpr COLORREF kOutFrame = 0x0000E1;
constexpr COLORREF kNoneColour = 0x323232;
constexpr COLORREF kCross = 0x0000FF;
constexpr COLORREF kBackground = 0x1E1E1E;
constexpr int kInset = 4;

} // namespace

CFloorB::CFloorB(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void CFloorB::SetState(int state)
{
    if (state == m_nState)
        return;
    m_nState = state;
    update();
}

void CFloorB::SetCaption(const QString& caption)
{
    if (caption == m_strCaption)
        return;
    m_strCaption = caption;
    update();
}

void CFloorB::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    event->accept();
    OnLButtonDown();
}

void CFloorB::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void CFloorB::OnLButtonDown()
{
    if (m_nState == kOut) {
        SetState(kIn);
        PostMessage(m_hTarget, WM_FLOOR_TOGGLED, 2, m_nFloor);
    } else if (m_nState == kIn) {
        SetState(kOut);
        PostMessage(m_hTarget, WM_FLOOR_TOGGLED, 1, m_nFloor);
    }
}

void CFloorB::paintEvent(QPaintEvent*)
{
    COLORREF diagonal = kBackground;
    COLORREF frame = kNoneColour;
    switch (m_nState) {
    case kOut:
        diagonal = kCross;
        frame = kOutFrame;
        break;
    case kIn:
        frame = kInColour;
        break;
    default:
        break;
    }
    QPainter painter(this);
    const QRect box = rect().adjusted(kInset, kInset, -kInset - 1, -kInset - 1);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(FromColorRef(diagonal), 2));
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.topRight());
    QPen framePen(FromColorRef(frame), 5);
    framePen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(framePen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);

    painter.setFont(m_font);
    painter.setPen(FromColorRef(frame));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_strCaption);
}
