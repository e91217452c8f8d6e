#include "analysis/ButAnaly.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/ColorRef.h"

namespace {
constexpr COLORREF kCaptionGrey = 0x4D4D4D;
} // namespace

CButAnaly::CButAnaly(QWidget* parent)
    : QAbstractButton(parent)
    , m_penNormal(FromColorRef(0x007EFF), 1)
    , m_penSelected(FromColorRef(0x001E6E), 1)
    , m_penStrong(FromColorRef(0x007EFF), 2)
{
    setFocusPolicy(Qt::NoFocus);
    ApplyFont();
}

void CButAnaly::ApplyFont()
{
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSizeF(m_nFontSize / 10.0);
    m_font.setWeight(QFont::Weight(500));
    setFont(m_font);
    update();
}

void CButAnaly::SetCaption(const QString& caption)
{
    m_strCaption = caption;
    setText(caption);
    update();
}

void CButAnaly::DrawItem(QPainter& painter)
{
    m_rcItem = rect();
    const QPen& frame = m_nState >= kGroupHeader ? m_penStrong : m_bSelected ? m_penSelected : m_penNormal;
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    // The frame runs one pixel inside the item rectangle.
    painter.drawRect(m_rcItem.adjusted(1, 1, -2, -2));

    painter.setFont(m_font);
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    m_rcText = painter.boundingRect(m_rcItem, flags, m_strCaption);
    const int dx = m_rcItem.left() + (m_rcItem.width() - m_rcText.width()) / 2;
    const int dy = m_rcItem.top() + (m_rcItem.height() - m_rcText.height()) / 2;
    m_rcText.moveTo(dx, dy);
    painter.setPen(FromColorRef(kCaptionGrey));
    painter.drawText(m_rcText, flags, m_strCaption);
}

void CButAnaly::OnLButtonDown()
{
    m_bSelected = 1;
    update();
}

void CButAnaly::OnLButtonUp()
{
    if (m_nState == kActionButton) {
        m_bSelected = 0;
        update();
    }
}

void CButAnaly::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawItem(painter);
}

void CButAnaly::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown();
    QAbstractButton::mousePressEvent(event);
}

void CButAnaly::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
    QAbstractButton::mouseReleaseEvent(event);
}
