#include "views/ButState.h"

#include <QPainter>

#include "platform/ColorRef.h"
#include "platform/MessageBox.h"
#include "platform/UiText.h"
#include "views/ShowOneMessages.h"

ButState::ButState(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &ButState::OnClicked);
}

void ButState::SetCaption(const QString& caption)
{
    m_strCaption = caption;
    update();
}

void ButState::SetOnValue(int on)
{
    m_nOnValue = on ? 1 : 0;
    update();
}

void ButState::OnClicked()
{
    // The lock period (kinds 3 and up) may be edited without a link.
    if (!m_bPermitted && m_nKind < 3) {
        AfxMessageBox(UiText(m_pTexts, 99));
        return;
    }
    PostMessage(m_hTarget, WM_BUTSTATE_CLICK, WPARAM(m_nOnValue), m_nKind);
}

void ButState::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int penWidth = m_nKind < 2 ? 1 : 4;
    QPen pen(FromColorRef(m_nOnValue == 1 ? 0x0000FA : 0xB4B4B4), penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int half = penWidth / 2;
    painter.drawRect(rect().adjusted(half, half, -half - 1, -half - 1));
    painter.setFont(m_font);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(FromColorRef(m_nOnValue == 1 ? 0x0000FF : 0xDCDCDC));
    painter.drawText(rect().adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextWordWrap, m_strCaption);
}
