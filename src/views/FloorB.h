#pragma once
// A floor button of the floor-lock editor: a framed square with the floor's
// text, green while the floor is in the edited set, crossed out in red while
// it is not, grey for a floor the editor does not offer. A click toggles it
// and tells the editor.
#include <QAbstractButton>
#include <QFont>
#include <QPointer>

class CFloorB : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kNone = 0;    // not offered; clicks do nothing
    static constexpr int kOut = 1;     // not in the set
    static constexpr int kIn = 2;      // in the set

    explicit CFloorB(QWidget* parent = nullptr);

    void SetState(int state);
    int GetState() const { return m_nState; }
    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }

    // Out -> in and in -> out, each posted to the target as WM_FLOOR_TOGGLED.
    void OnLButtonDown();

    int m_nFloor = 0;  // 1..40
    QPointer<QObject> m_hTarget;
    QFont m_font;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_nState = kNone;
    QString m_strCaption;
};
