#pragma once
// A special-mode button of the single-lift page. A click waits the usual
// pause, asks the operator to confirm the modes that change how the lift
// serves (kinds 2 and 3) and the one-shot (kind 1), and posts the switch to the
// page. "On" follows the controller's report, "pressed" the operator's switch.
#include <QAbstractButton>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <cstdint>

class CButShapeState : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kPauseMs = 500;

    explicit CButShapeState(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }
    void SetOn(bool on);

    // The operator's press: the rest of the click follows after kPauseMs.
    void OnLButtonDown();
    // True while a press waits out its pause.
    bool ClickWaiting() const { return m_nClicksWaiting > 0; }
    // The page refused the switch this button posted: the pressed flag goes
    // back to what it was before the click.
    void RestoreAfterRefusal();

    std::uint8_t m_bPermitted = 0;
    std::uint8_t m_bPressed = 0;
    std::uint8_t m_bOn = 0;
    int m_nKind = 0;                 // 1..8
    QPointer<QObject> m_hTarget;     // the page
    QFont m_font;
    const QStringList* m_pTexts = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void TakeClick();
    bool Confirm(int text) const;

    int m_nClicksWaiting = 0;

    QString m_strCaption;
    std::uint8_t m_bPressedBefore = 0;
};
