#include "views/ButShape.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTimer>
#include <chrono>

#include "platform/ColorRef.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"
#include "views/ShowOneMessages.h"

namespace {

constexpr COLORREF kArrowNormal = 0x0B7C53;
constexpr COLORREF kArrowLit = 0x0000FF;
constexpr COLORREF kAbsent = 0x323232;

} // namespace

CButShape::CButShape(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

std::uint32_t CButShape::TickNow()
{
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CButShape::SetState(int state)
{
    if (state == m_nState)
        return;
    m_nState = state;
    update();
}

void CButShape::SetCaption(const QString& caption)
{
    if (caption == m_strCaption)
        return;
    m_strCaption = caption;
    update();
}

void CButShape::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    event->accept();
    OnLButtonDown();
}

void CButShape::mouseReleaseEvent(QMouseEvent* event)
{
    // The press has done all there is to do.
    event->accept();
}

void CButShape::leaveEvent(QEvent* event)
{
    update();
    QAbstractButton::leaveEvent(event);
}

void CButShape::OnLButtonDown()
{
    ++m_nClicksWaiting;
    QTimer::singleShot(kPauseMs, this, [this] {
        TakeClick();
        --m_nClicksWaiting;
    });
}

void CButShape::TakeClick()
{
    if (IsAbsentState(m_nState))
        return;
    if (!m_bPermitted) {
        AfxMessageBox(UiText(m_pTexts, 99));
        return;
    }
    m_nStateBefore = m_nState;
    m_bPressedBefore = m_bPressedLocally;
    m_dwPressTickBefore = m_dwPressTick;
    m_dwPressTick = TickNow();
    m_bPressedLocally = 1;
    m_bClickPending = 1;
    switch (m_nState) {
    case 1: case 2: case 3:
        SetState(3);
        PostMessage(m_hTarget, WM_CAR_CALL, 1, m_nCarFloor);
        break;
    case 4: case 5:
        SetState(5);
        PostMessage(m_hTarget, WM_HALL_CALL, 2, m_nHallFloor);
        break;
    case 7: case 8:
        SetState(8);
        PostMessage(m_hTarget, WM_HALL_CALL, 3, m_nHallFloor);
        break;
    default:
        break;
    }
}

void CButShape::RestoreAfterRefusal()
{
    if (m_bClickPending) {
        m_bClickPending = 0;
        SetState(m_nStateBefore);
        m_bPressedLocally = m_bPressedBefore;
        m_dwPressTick = m_dwPressTickBefore;
        return;
    }
    if (!IsAbsentState(m_nState))
        SetState(m_nState <= 3 ? 1 : m_nState <= 6 ? 4 : 7);
    m_bPressedLocally = 0;
}

void CButShape::DrawFrame(QPainter& painter, const QColor& colour, int penWidth, int inset) const
{
    QPen pen(colour, penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // A wide pen is centred on the outline, as the frame of a filled cell is.
    const int half = penWidth / 2;
    painter.drawRect(QRect(inset + half, inset + half, width() - 2 * (inset + half) - 1,
                           height() - 2 * (inset + half) - 1));
}

void CButShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();

    if (m_nState >= 4 && m_nState <= 9) {
        const bool up = m_nState <= 6;
        QPolygon outline;
        if (up)
            outline << QPoint(0, h - 1) << QPoint(w - 1, h - 1) << QPoint(w / 2, 0);
        else
            outline << QPoint(0, 0) << QPoint(w - 1, 0) << QPoint(w / 2, h - 1);
        const int look = up ? m_nState - 4 : m_nState - 7;  // 0 normal, 1 lit, 2 absent
        const COLORREF fill = look == 0 ? kArrowNormal : look == 1 ? kArrowLit : kAbsent;
        painter.setPen(Qt::NoPen);
        painter.setBrush(FromColorRef(fill));
        painter.drawPolygon(outline, Qt::WindingFill);
        return;
    }

    COLORREF caption = 0xDCDCDC;
    switch (m_nState) {
    case 0:
        DrawFrame(painter, FromColorRef(kAbsent), 3, 1);
        caption = kAbsent;
        break;
    case 2:
        DrawFrame(painter, FromColorRef(0xFF0000), 3, 1);
        caption = 0xFF0000;
        break;
    case 3:
        DrawFrame(painter, FromColorRef(0x0000FF), 3, 1);
        caption = 0x0000FF;
        break;
    default:
        DrawFrame(painter, FromColorRef(0x127133), 1, 0);
        DrawFrame(painter, FromColorRef(0x028264), 1, 1);
        DrawFrame(painter, FromColorRef(0x1E511E), 1, 2);
        break;
    }
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(FromColorRef(caption));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_strCaption);
}
