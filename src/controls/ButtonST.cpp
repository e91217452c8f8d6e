#include "controls/ButtonST.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>

CButtonST::CButtonST(QWidget* parent, int nStyle)
    : QAbstractButton(parent)
{
    setMouseTracking(true);  // hover is followed without a button held
    setFocusPolicy(Qt::StrongFocus);
    SetDefaultColors();
    PreSubclassWindow(nStyle);
    // Connected first, so the button's own work is done before any owner's
    // handler of the same click runs.
    connect(this, &QAbstractButton::clicked, this, &CButtonST::OnClicked);
}

void CButtonST::PreSubclassWindow(int nStyle)
{
    m_nButtonStyle = nStyle & 0xF;
    m_bIsCheckBox = (m_nButtonStyle & 0x2) != 0;
    if (m_nButtonStyle == BS_DEFPUSHBUTTON) {
        m_bIsDefault = true;
        m_nButtonStyle = BS_PUSHBUTTON;
    }
}

void CButtonST::OnSetStyle(int nStyle)
{
    m_bIsDefault = (nStyle & 0xF) == BS_DEFPUSHBUTTON;
    update();
}

void CButtonST::OnSetCheck(int nCheck)
{
    if (!m_bIsCheckBox)
        return;
    m_nCheck = (nCheck == 1 || nCheck == 2) ? 1 : 0;
    update();
}

void CButtonST::SetFlat(bool bFlat)
{
    m_bIsFlat = bFlat;
    if (!bFlat)
        m_bMouseOnButton = false;
    update();
}

void CButtonST::SetColor(int nIndex, COLORREF crColor)
{
    if (nIndex < 0 || nIndex >= COLOR_COUNT)
        return;
    m_crColors[std::size_t(nIndex)] = crColor;
    update();
}

COLORREF CButtonST::GetColor(int nIndex) const
{
    if (nIndex < 0 || nIndex >= COLOR_COUNT)
        return 0;
    return m_crColors[std::size_t(nIndex)];
}

void CButtonST::SetDefaultColors()
{
    const QPalette pal = QApplication::palette();
    const COLORREF face = ToColorRef(pal.color(QPalette::Button));
    const COLORREF text = ToColorRef(pal.color(QPalette::ButtonText));
    for (int i = 0; i < COLOR_COUNT; ++i)
        m_crColors[std::size_t(i)] = (i % 2 == 0) ? face : text;
    m_crBkInUse = m_crColors[COLOR_BK_NORMAL];
    update();
}

void CButtonST::SetTransparent(bool bTransparent)
{
    m_bDrawTransparent = bTransparent;
    update();
}

void CButtonST::SetFlatFocus(bool bDrawFlatFocus)
{
    m_bDrawFlatFocus = bDrawFlatFocus;
    update();
}

QSize CButtonST::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return QSize(text.width() + 16, std::max(text.height() + 10, 23));
}

void CButtonST::DrawItem(QPainter& painter)
{
    m_bIsPressed = m_bIsCheckBox ? (isDown() || m_nCheck == 1) : isDown();
    m_bIsFocused = hasFocus();
    m_bIsDisabled = !isEnabled();

    if (m_bIsPressed || m_bMouseOnButton)
        m_crBkInUse = m_crColors[COLOR_BK_PRESSED];
    else if (m_bIsFocused)
        m_crBkInUse = m_crColors[COLOR_BK_FOCUS];
    else
        m_crBkInUse = m_crColors[COLOR_BK_NORMAL];

    const QRect itemRect = rect();
    // A transparent button leaves the parent's painting underneath.
    if (!m_bDrawTransparent)
        FillBackground(painter, itemRect);

    const QString caption = text();
    if (!caption.isEmpty())
        DrawCaption(painter, caption, itemRect, itemRect, m_bIsPressed, m_bIsDisabled);

    if (m_bIsFocused && (!m_bIsFlat || m_bDrawFlatFocus)) {
        painter.save();
        painter.setPen(QPen(FromColorRef(m_crColors[COLOR_FG_FOCUS]), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(itemRect.adjusted(3, 3, -4, -4));
        painter.restore();
    }
}

void CButtonST::FillBackground(QPainter& painter, const QRect& rect)
{
    QRect fill = rect;
    if (!m_bIsFlat && (m_bIsFocused || m_bIsDefault)) {
        painter.save();
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(fill.adjusted(0, 0, -1, -1));
        painter.restore();
        fill.adjust(1, 1, -1, -1);
    }
    painter.fillRect(fill, FromColorRef(m_crBkInUse));
}

void CButtonST::DrawCaption(QPainter& painter, const QString& text, const QRect& /*itemRect*/,
                            QRect captionRect, bool bPressed, bool bDisabled)
{
    if (bPressed && !m_bIsCheckBox)
        captionRect.translate(m_ptPressedShift);

    QColor colour;
    if (bDisabled)
        colour = palette().color(QPalette::Disabled, QPalette::ButtonText);
    else if (bPressed || m_bMouseOnButton)
        colour = FromColorRef(m_crColors[COLOR_FG_PRESSED]);
    else if (m_bIsFocused)
        colour = FromColorRef(m_crColors[COLOR_FG_FOCUS]);
    else
        colour = FromColorRef(m_crColors[COLOR_FG_NORMAL]);

    painter.save();
    painter.setPen(colour);
    painter.drawText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, text);
    painter.restore();
}

void CButtonST::OnMouseMove(const QPoint& point, Qt::MouseButtons buttons)
{
    if (!m_bIsFlat)
        return;
    // Dragging in from outside with the button held does not light it.
    if ((buttons & Qt::LeftButton) && !m_bMouseOnButton)
        return;

    const bool bOver = rect().contains(point) && isVisible();
    if (bOver && (m_bAlwaysTrack || QApplication::activeWindow() != nullptr)) {
        if (!m_bMouseOnButton) {
            m_bMouseOnButton = true;
            update();
        }
    } else {
        LoseHover();
    }
}

void CButtonST::LoseHover()
{
    if (m_bIsFlat && m_bMouseOnButton) {
        m_bMouseOnButton = false;
        update();
    }
}

void CButtonST::OnMouseLeave() { LoseHover(); }
void CButtonST::OnKillFocus() { LoseHover(); }
void CButtonST::OnCancelMode() { LoseHover(); }

void CButtonST::OnActivate(bool bActive)
{
    if (!bActive)
        LoseHover();
}

void CButtonST::OnEnable(bool bEnable)
{
    if (bEnable)
        return;
    // Qt moves the focus on from a widget that is disabled; what is left is
    // the hover look, which a disabled button must not keep.
    LoseHover();
}

void CButtonST::OnSysColorChange()
{
    SetDefaultColors();
}

void CButtonST::OnClicked()
{
    setFocus(Qt::MouseFocusReason);
    if (m_bIsCheckBox) {
        m_nCheck = m_nCheck ? 0 : 1;
        update();
    }
}

void CButtonST::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    DrawItem(painter);
}

void CButtonST::enterEvent(QEnterEvent* event)
{
    QAbstractButton::enterEvent(event);
    OnMouseMove(event->position().toPoint(), QApplication::mouseButtons());
}

void CButtonST::leaveEvent(QEvent* event)
{
    QAbstractButton::leaveEvent(event);
    OnMouseLeave();
}

void CButtonST::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractButton::mouseMoveEvent(event);
    OnMouseMove(event->position().toPoint(), event->buttons());
}

// A fast second click arrives as a double click; it is taken as a press so
// that two clicks reach the owner.
void CButtonST::mouseDoubleClickEvent(QMouseEvent* event)
{
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(),
                      event->modifiers(), event->pointingDevice());
    mousePressEvent(&press);
    event->setAccepted(press.isAccepted());
}

void CButtonST::focusOutEvent(QFocusEvent* event)
{
    QAbstractButton::focusOutEvent(event);
    OnKillFocus();
}

void CButtonST::hideEvent(QHideEvent* event)
{
    QAbstractButton::hideEvent(event);
    OnCancelMode();
}

void CButtonST::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        OnEnable(isEnabled());
        break;
    case QEvent::ActivationChange:
        OnActivate(isActiveWindow());
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        OnSysColorChange();
        break;
    default:
        break;
    }
}
