#include "controls/ButX.h"

#include <QPainter>
#include <algorithm>
#include <array>

CButX::CButX(QWidget* parent, int nStyle)
    : CButtonST(parent, nStyle)
{
}

void CButX::SetBandHeight(int nHeight)
{
    m_nBandHeight = std::max(nHeight, 0);
    update();
}

void CButX::SetGradient(bool bOn)
{
    m_byGradient = bOn ? 1 : 0;
    update();
}

void CButX::SetStep(int nStep)
{
    m_nStep = nStep;
    update();
}

void CButX::SetBaseColor(COLORREF crBase)
{
    m_crBase = crBase;
    update();
}

void CButX::SetCaptionColor(COLORREF crCaption)
{
    m_crCaption = crCaption;
    update();
}

// Bands 0-9 darken by the step, 10-25 hold, 26-34 brighten again. Each channel
// stays within 0..255 so that a large step saturates instead of wrapping round.
COLORREF CButX::BandColor(COLORREF crBase, int nStep, int nBand)
{
    std::array<int, 3> channel{GetRValue(crBase), GetGValue(crBase), GetBValue(crBase)};
    nBand = std::clamp(nBand, 0, kBandCount - 1);
    for (int i = 0; i <= nBand; ++i) {
        for (int& c : channel) {
            if (i < 10)
                c -= nStep;
            else if (i > 25)
                c += nStep;
            c = std::clamp(c, 0, 255);
        }
    }
    return RGB(channel[0], channel[1], channel[2]);
}

void CButX::FillBackground(QPainter& painter, const QRect& rect)
{
    if (!m_byGradient) {
        painter.fillRect(rect, FromColorRef(m_crBase));
        return;
    }
    // Only the top kBandCount bands are painted: the bar buttons are exactly
    // that high; a taller button leaves the rest of its face to the parent.
    for (int i = 0; i < kBandCount; ++i) {
        const QRect band(rect.left(), rect.top() + i * m_nBandHeight, rect.width(), m_nBandHeight);
        painter.fillRect(band, FromColorRef(BandColor(m_crBase, m_nStep, i)));
    }
}

void CButX::DrawCaption(QPainter& painter, const QString& text, const QRect& /*itemRect*/,
                        QRect captionRect, bool bPressed, bool bDisabled)
{
    if (bPressed && !m_bIsCheckBox)
        captionRect.translate(m_ptPressedShift);

    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    QRect textRect = painter.fontMetrics().boundingRect(captionRect, flags, text);
    // Centre the measured block in the rectangle it was measured in.
    textRect.moveTopLeft(QPoint(captionRect.left() + (captionRect.width() - textRect.width()) / 2,
                                captionRect.top() + (captionRect.height() - textRect.height()) / 2));

    painter.save();
    if (bDisabled) {
        painter.setPen(Qt::white);
        painter.drawText(textRect.translated(1, 1), flags, text);
        painter.drawText(textRect, flags, text);
    } else {
        const bool bHot = IsHovered() || bPressed;
        painter.setPen(FromColorRef(bHot ? kHotCaption : m_crCaption));
        painter.drawText(textRect, flags, text);
    }
    painter.restore();
}
