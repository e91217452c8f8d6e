#pragma once
// An edit box with its own text and background colours. Single-line by
// default; a multi-line edit (help texts) wraps its words.
#include <QPlainTextEdit>

#include "platform/ColorRef.h"

class CEditX : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CEditX(QWidget* parent = nullptr, bool bMultiLine = false);

    // Text colour := black, and the text is shown again in it at once.
    bool ResetTextColor();

    void SetTextColor(COLORREF crText);
    COLORREF GetTextColor() const { return m_crText; }
    void SetBkColor(COLORREF crBk);
    COLORREF GetBkColor() const { return m_crBk; }

    bool IsMultiLine() const { return m_bMultiLine; }
    QString text() const { return toPlainText(); }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // Puts the two colours into the palette the edit paints with.
    void CtlColor();

    COLORREF m_crBk = 0xFFFFFF;
    COLORREF m_crText = 0x00FFC800;  // red 0, green 200, blue 255
    bool m_bMultiLine = false;
};
