#pragma once
// The station's button: a face of horizontal gradient bands and a centred,
// word-wrapped caption in a colour of its own that turns red while hovered or
// pressed. The owners set band height, gradient, step, base and caption colour
// after construction; the main window marks the current page with a red caption.
#include "controls/ButtonST.h"

class CButX : public CButtonST {
    Q_OBJECT
public:
    static constexpr int kBandCount = 35;
    static constexpr COLORREF kHotCaption = 0x0000FF;  // red

    explicit CButX(QWidget* parent = nullptr, int nStyle = BS_PUSHBUTTON);

    void SetBandHeight(int nHeight);
    int GetBandHeight() const { return m_nBandHeight; }
    void SetGradient(bool bOn);
    bool GetGradient() const { return m_byGradient != 0; }
    void SetStep(int nStep);
    int GetStep() const { return m_nStep; }
    void SetBaseColor(COLORREF crBase);
    COLORREF GetBaseColor() const { return m_crBase; }
    void SetCaptionColor(COLORREF crCaption);
    COLORREF GetCaptionColor() const { return m_crCaption; }

    // Colour of gradient band i (0..34) for a base colour and step.
    static COLORREF BandColor(COLORREF crBase, int nStep, int nBand);

protected:
    void FillBackground(QPainter& painter, const QRect& rect) override;
    void DrawCaption(QPainter& painter, const QString& text, const QRect& itemRect,
                     QRect captionRect, bool bPressed, bool bDisabled) override;

private:
    int m_nBandHeight = 1;
    std::uint8_t m_byGradient = 1;
    int m_nStep = 10;
    COLORREF m_crBase = 0x646464;
    COLORREF m_crCaption = 0xD2D2D2;
};
