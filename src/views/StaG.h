#pragma once
// The header above a group's columns on the all-lifts page: a picture band
// with the group's name. A click asks the main window to show the group.
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

class CStaG : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBandBitmap = 158;  // 140 x 65

    explicit CStaG(QWidget* parent = nullptr);

    // Sets the header size and resizes the widget.
    void SetHeaderSize(int w, int h);
    void DrawHeader(QPainter& painter);
    // The text drawn for a name in a header of that width with that font: a
    // name wider than the header less 8 pixels breaks after its 4th character.
    static QString HeaderText(const QString& name, int width, const QFont& font);

    std::uint8_t m_bInit = 0;
    std::uint8_t m_bResized = 0;
    std::uint8_t m_bDrag = 0;
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::int32_t m_nGroupIndex = 0;
    QPointer<QObject> m_hView;
    QPointer<QObject> m_hMainWnd;
    QString m_strGroupName;
    QString m_strShowText;
    QRect m_rcMeasure;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
