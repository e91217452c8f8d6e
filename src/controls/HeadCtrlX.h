#pragma once
// The header of the coloured list: paints its own cells in a fill colour with
// captions it holds itself (the owner assigns captions and alignment codes by
// index), and can be made taller by a factor.
#include <QHeaderView>
#include <QStringList>
#include <cstdint>

#include "platform/ColorRef.h"

class CHeadCtrlX : public QHeaderView {
    Q_OBJECT
public:
    explicit CHeadCtrlX(QWidget* parent = nullptr);

    // Header height = default height x factor (truncated).
    void SetHeightFactor(float fFactor);
    float GetHeightFactor() const { return m_fHeightFactor; }

    // A caption too wide for its cell: blanks from the first on become line
    // breaks until the first line fits (or no blank is left).
    static QString BreakCaption(const QString& caption, const QFontMetrics& fm, int nWidth);

    QSize sizeHint() const override;

    std::uint8_t m_byAltFill = 0;  // when set, cells take the second colour
    COLORREF m_crFill = 0xC8C8C8;
    COLORREF m_crFill2 = 0xF0F0F0;
    QStringList m_strCaptions;     // caption of each column, by index
    QString m_strAlign;            // one of '0', '1', '2' per column
    int m_nFontHeight = 10;
    int m_nFontWidth = 0;
    COLORREF m_crText = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnPaint(QPainter& painter);
    float m_fHeightFactor = 1.0f;
};
