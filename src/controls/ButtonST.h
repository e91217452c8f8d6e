#pragma once
// A push button that paints its own face and caption, tracks the mouse to show
// a hover look when flat, and can act as a check box. Subclasses replace the
// painting steps (FillBackground, DrawCaption).
#include <QAbstractButton>
#include <QPoint>
#include <array>

#include "platform/ColorRef.h"

class CButtonST : public QAbstractButton {
    Q_OBJECT
public:
    // Button styles (the low four bits of a button's style).
    enum : int { BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_CHECKBOX = 2, BS_AUTOCHECKBOX = 3 };
    // Dialog codes returned by OnGetDlgCode.
    enum : int { DLGC_DEFPUSHBUTTON = 0x10, DLGC_UNDEFPUSHBUTTON = 0x20 };
    // The six colours: background and text for pressed, normal and focused.
    enum ColorIndex : int {
        COLOR_BK_PRESSED = 0, COLOR_FG_PRESSED, COLOR_BK_NORMAL, COLOR_FG_NORMAL,
        COLOR_BK_FOCUS, COLOR_FG_FOCUS, COLOR_COUNT
    };

    explicit CButtonST(QWidget* parent = nullptr, int nStyle = BS_PUSHBUTTON);

    // Binding a style: bit 1 selects check-box mode, style 1 marks the default
    // button. Called by the constructor.
    virtual void PreSubclassWindow(int nStyle);

    // BM_SETSTYLE: notes whether the new style is the default-push style.
    void OnSetStyle(int nStyle);
    // BM_SETCHECK / BM_GETCHECK: check state in check-box mode (1 or 2 check, 0 clears).
    void OnSetCheck(int nCheck);
    int OnGetCheck() const { return m_nCheck; }
    // WM_GETDLGCODE: tells a dialog whether Enter belongs to this button.
    int OnGetDlgCode() const { return m_bIsDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON; }

    void SetFlat(bool bFlat);
    bool GetFlat() const { return m_bIsFlat; }
    void SetColor(int nIndex, COLORREF crColor);
    COLORREF GetColor(int nIndex) const;
    // Reloads the six colours from the system's button face and text.
    void SetDefaultColors();
    void SetTransparent(bool bTransparent);
    void SetFlatFocus(bool bDrawFlatFocus);
    void SetAlwaysTrack(bool bAlwaysTrack) { m_bAlwaysTrack = bAlwaysTrack; }
    void SetPressedShift(int nX, int nY) { m_ptPressedShift = QPoint(nX, nY); update(); }

    bool IsHovered() const { return m_bMouseOnButton; }
    bool IsCheckBox() const { return m_bIsCheckBox; }
    bool IsDefault() const { return m_bIsDefault; }
    int GetButtonStyle() const { return m_nButtonStyle; }

    QSize sizeHint() const override;

protected:
    // One paint of the whole button.
    virtual void DrawItem(QPainter& painter);
    virtual void FillBackground(QPainter& painter, const QRect& rect);
    virtual void DrawCaption(QPainter& painter, const QString& text, const QRect& itemRect,
                             QRect captionRect, bool bPressed, bool bDisabled);

    void OnMouseMove(const QPoint& point, Qt::MouseButtons buttons);
    void OnMouseLeave();
    void OnKillFocus();
    void OnCancelMode();
    void OnActivate(bool bActive);
    void OnEnable(bool bEnable);
    void OnSysColorChange();
    void OnClicked();

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Set by each paint from the button's state.
    bool m_bIsPressed = false;
    bool m_bIsFocused = false;
    bool m_bIsDisabled = false;
    bool m_bIsCheckBox = false;
    QPoint m_ptPressedShift{1, 1};

private:
    void LoseHover();

    COLORREF m_crBkInUse = 0;
    bool m_bIsFlat = true;
    bool m_bMouseOnButton = false;
    bool m_bDrawTransparent = false;
    bool m_bIsDefault = false;
    bool m_bDrawFlatFocus = false;
    std::array<COLORREF, COLOR_COUNT> m_crColors{};
    bool m_bAlwaysTrack = true;
    int m_nCheck = 0;
    int m_nButtonStyle = BS_PUSHBUTTON;
};
