#pragma once
// A label with its own text and background colours and a settable size of
// the "Microsoft Sans Serif" face. Until SetColors is called it paints like a
// plain label on its parent.
#include <QLabel>

#include "platform/ColorRef.h"

class CStaX : public QLabel {
    Q_OBJECT
public:
    explicit CStaX(QWidget* parent = nullptr);
    explicit CStaX(const QString& text, QWidget* parent = nullptr);

    // Text and background colour; the whole label is repainted in them.
    void SetColors(COLORREF crText, COLORREF crBk);
    // Font size in tenths of a point; weight 500. Sizes below 1 are refused.
    void SetFontSize(int nPointSize);

    COLORREF GetTextColor() const { return m_crText; }
    COLORREF GetBkColor() const { return m_crBk; }

private:
    COLORREF m_crText = 0;
    COLORREF m_crBk = 0;
};
