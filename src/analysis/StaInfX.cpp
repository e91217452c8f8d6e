#include "analysis/StaInfX.h"

#include <QMouseEvent>
#include <QPainter>

#include "analysis/SwatchMessages.h"
#include "platform/ColorPrompt.h"

CStaInfX::CStaInfX(QWidget* parent)
    : QWidget(parent)
    , m_font(QStringLiteral("Microsoft Sans Serif"))
    , m_penHover(FromColorRef(0xFF0000), 1)
    , m_penNormal(FromColorRef(0xFFFFFF), 1)
{
    m_font.setPointSize(8);
    setMouseTracking(true);  // moves are reported without a button held
}

void CStaInfX::Create(int nNumber, QObject* pReceiver)
{
    m_nNumber = nNumber;
    m_hReceiver = pReceiver;
}

void CStaInfX::SetColor(COLORREF crColor)
{
    m_crColor = crColor;
    update();
}

void CStaInfX::SetText(const QString& text)
{
    m_strText = text;
    update();
}

void CStaInfX::OnLButtonDown()
{
    if (const auto chosen = ChooseColorPrompt(0, nullptr)) {
        m_crColor = *chosen;
        update();
        SendMessage(m_hReceiver, WM_COLOR_PICKED, 0, m_nNumber);
    }
}

void CStaInfX::OnMouseMove()
{
    if (!m_bHover)
        m_bHover = 1;
    update();
    SendMessage(m_hReceiver, WM_SWATCH_HOVER, 0, m_nNumber);
}

void CStaInfX::OnMouseLeave()
{
    m_bHover = 0;
    update();
}

void CStaInfX::OnPaint(QPainter& painter)
{
    // The white brush stands under everything, as the control's background.
    painter.fillRect(rect(), m_brWhite);
    painter.setFont(m_bCustomFont ? font() : m_font);
    painter.fillRect(m_rcColor, FromColorRef(m_crColor));
    painter.setPen(Qt::black);
    painter.drawText(m_rcText, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_strText);
    painter.setPen(m_bHover ? m_penHover : m_penNormal);
    const QRect r = m_rcClient;
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
    painter.drawLine(r.left(), r.bottom(), r.left(), r.top());
}

void CStaInfX::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown();
    QWidget::mousePressEvent(event);
}

void CStaInfX::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove();
    QWidget::mouseMoveEvent(event);
}

void CStaInfX::leaveEvent(QEvent* event)
{
    OnMouseLeave();
    QWidget::leaveEvent(event);
}

void CStaInfX::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    OnPaint(painter);
}
