#pragma once
// The progress box a long read from the controllers shows: a small, rounded,
// slightly translucent black box with one progress bar (0..100). Its owner
// sends or posts WM_SET_PERCENT with the percentage in lParam. Enter and
// Escape cannot close it.
#include <QDialog>

#include "platform/WindowMessage.h"

class QProgressBar;

constexpr int WM_SET_PERCENT = WM_USER + 19;

class CWaitDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCornerSize = 40;  // width and height of the corner ellipses
    static constexpr int kAlpha = 250;

    explicit CWaitDlg(QWidget* parent = nullptr);

    LRESULT OnSetPercent(WPARAM wParam, LPARAM lParam);
    int GetPos() const;

    QProgressBar* m_pProgress = nullptr;  // owned by the box

protected:
    bool OnInitDialog();
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The window shape: a rounded rectangle over the client area grown by one
    // pixel to the right and bottom.
    void UpdateRegion();

    CMessageMap m_MsgMap;
};
