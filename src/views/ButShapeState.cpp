#include "views/ButShapeState.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/ColorRef.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"
#include "views/ShowOneMessages.h"

CButShapeState::CButShapeState(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void CButShapeState::SetCaption(const QString& caption)
{
    if (caption == m_strCaption)
        return;
    m_strCaption = caption;
    update();
}

void CButShapeState::SetOn(bool on)
{
    if (std::uint8_t(on) == m_bOn)
        return;
    m_bOn = on ? 1 : 0;
    update();
}

void CButShapeState::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    event->accept();
    OnLButtonDown();
}

void CButShapeState::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void CButShapeState::leaveEvent(QEvent* event)
{
    update();
    QAbstractButton::leaveEvent(event);
}

void CButShapeState::OnLButtonDown()
{
    ++m_nClicksWaiting;
    QTimer::singleShot(kPauseMs, this, [this] {
        TakeClick();
        --m_nClicksWaiting;
    });
}

bool CButShapeState::Confirm(int text) const
{
    // Cancel is the default answer: a stray Enter switches nothing.
    return AfxMessageBox(UiText(m_pTexts, text), QString(), MsgBoxKind::OkCancel, true) == MsgBoxResult::Ok;
}

void CButShapeState::TakeClick()
{
    if (!m_bPermitted) {
        AfxMessageBox(UiText(m_pTexts, 99));
        return;
    }
    m_bPressedBefore = m_bPressed;
    if (!m_bOn) {
        if (m_nKind == 2 || m_nKind == 3) {
            if (!Confirm(m_nKind == 2 ? 174 : 173)) {
                m_bPressed = 0;
                return;
            }
            m_bPressed = 1;
        }
        PostMessage(m_hTarget, WM_STATE_SWITCH, 1, m_nKind);
    } else {
        if (m_nKind == 2 || m_nKind == 3) {
            if (!Confirm(m_nKind == 2 ? 176 : 175)) {
                m_bPressed = 1;
                return;
            }
            m_bPressed = 0;
        }
        PostMessage(m_hTarget, WM_STATE_SWITCH, 2, m_nKind);
    }
    if (m_nKind == 1) {
        if (!Confirm(177)) {
            m_bPressed = 0;
            return;
        }
        m_bPressed = 1;
        PostMessage(m_hTarget, WM_STATE_SWITCH, 3, 1);
    }
}

void CButShapeState::RestoreAfterRefusal()
{
    m_bPressed = m_bPressedBefore;
    update();
}

void CButShapeState::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor colour = FromColorRef(m_bOn ? 0x0000FF : 0xB4B4B4);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(m_font);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(FromColorRef(m_bOn ? 0x0000FF : 0xDCDCDC));
    painter.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, m_strCaption);
}
