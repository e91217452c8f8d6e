#pragma once
// A call button of the single-lift page: the square of a car call (states
// 0..3) or the triangle of an up (4..6) or down (7..9) hall call. A click waits
// the pause the operator is used to, then lights the button and posts the call
// to the page; the page's refresh keeps it lit while the controller's lamp is
// on, and a local press for a while even without it.
#include <QAbstractButton>
#include <QPointer>
#include <QStringList>
#include <cstdint>

class CButShape : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kPauseMs = 500;            // from the press to its effect
    static constexpr std::uint32_t kHoldMs = 5000;  // a local press stays lit this long

    explicit CButShape(QWidget* parent = nullptr);

    void SetState(int state);
    int GetState() const { return m_nState; }
    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }

    // The operator's press: the rest of the click follows after kPauseMs,
    // without holding up the window meanwhile.
    void OnLButtonDown();
    // True while a press waits out its pause.
    bool ClickWaiting() const { return m_nClicksWaiting > 0; }
    // The page refused the call this button posted: state and flags go back to
    // what they were before the click (or to the normal look when the call did
    // not come from a click of this button).
    void RestoreAfterRefusal();
    // The page took the call this button posted.
    void ClickTaken() { m_bClickPending = 0; }
    // True once more than kHoldMs have passed since the local press (the
    // difference taken unsigned, so the tick counter may wrap).
    bool HoldExpired(std::uint32_t now) const { return now - m_dwPressTick > kHoldMs; }

    // Milliseconds of a steady clock, wrapping at 2^32.
    static std::uint32_t TickNow();
    static bool IsAbsentState(int state) { return state == 0 || state == 6 || state == 9; }

    std::uint8_t m_bPermitted = 0;      // clicks are accepted
    std::uint8_t m_bLamp = 0;           // the controller's lamp was on at the last refresh
    std::uint8_t m_bPressedLocally = 0;
    QPointer<QObject> m_hTarget;        // the page
    int m_nCarFloor = 0;                // 1..56, car-call buttons
    int m_nHallFloor = 0;               // 1..56, hall-call buttons
    std::uint32_t m_dwPressTick = 0;
    std::uint32_t m_dwCheckTick = 0;
    const QStringList* m_pTexts = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void TakeClick();

    int m_nClicksWaiting = 0;
    void DrawFrame(QPainter& painter, const QColor& colour, int penWidth, int inset) const;

    int m_nState = 0;
    QString m_strCaption;
    // What a refusal puts back.
    std::uint8_t m_bClickPending = 0;
    int m_nStateBefore = 0;
    std::uint8_t m_bPressedBefore = 0;
    std::uint32_t m_dwPressTickBefore = 0;
};
