#pragma once
// A lock button of the single-lift page (whole-lift lock, floor lock, lock
// period): a framed caption, red while the lock is on. A click is passed to
// the page as WM_BUTSTATE_CLICK with the on-value it had.
#include <QAbstractButton>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <cstdint>

class ButState : public QAbstractButton {
    Q_OBJECT
public:
    explicit ButState(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }
    void SetOnValue(int on);

    int m_nOnValue = 0;              // 0 or 1
    int m_nKind = 0;                 // 0 whole lift, 1 floors, 4 lock period
    QPointer<QObject> m_hTarget;
    const QStringList* m_pTexts = nullptr;
    QFont m_font;
    std::uint8_t m_bPermitted = 0;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnClicked();

    QString m_strCaption;
};
