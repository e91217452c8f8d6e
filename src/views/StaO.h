#pragma once
// A picture band with an optional line of text: the single-lift page's two
// title bars. Kind 1 is the plain band, kind 2 the band with the text line.
#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

class CStaO : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPlainBand = 173;  // 174 x 29
    static constexpr int kTextBand = 176;   // 687 x 54

    explicit CStaO(QWidget* parent = nullptr);

    void DrawBand(QPainter& painter);

    std::uint8_t m_bLarge = 0;   // the text line sits lower
    std::uint8_t m_bInit = 0;
    std::int32_t m_nKind = 0;    // 0 draws nothing, 1 plain band, 2 band with text
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    QString m_strText;           // text line of kind 2
    QFont m_font;                // "Arial" 10 pt

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
