#pragma once
// The analysis page's button: a thin orange frame on the page's white with a
// centred, word-wrapped grey caption. A mode button stays marked (darker
// frame) while its mode is current; a group header has a strong frame.
#include <QAbstractButton>
#include <QFont>
#include <QPen>
#include <QRect>
#include <QString>
#include <cstdint>

class CButAnaly : public QAbstractButton {
    Q_OBJECT
public:
    // Kinds of button (m_nState).
    enum : int { kPlain = 0, kModeButton = 1, kActionButton = 2, kGroupHeader = 3 };

    explicit CButAnaly(QWidget* parent = nullptr);

    // Recreates the font from m_nFontSize (tenths of a point) and applies it.
    void ApplyFont();
    void SetCaption(const QString& caption);
    QString GetCaption() const { return m_strCaption; }

    std::uint8_t m_bSelected = 0;  // current mode's button, or held down
    int m_nState = kPlain;
    int m_nFontSize = 90;

protected:
    virtual void DrawItem(QPainter& painter);
    void OnLButtonDown();
    void OnLButtonUp();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPen m_penNormal;
    QPen m_penSelected;
    QPen m_penStrong;
    QFont m_font;
    QRect m_rcItem;
    QRect m_rcText;
    QString m_strCaption;
};
