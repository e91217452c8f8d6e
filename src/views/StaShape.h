#pragma once
// A dark text cell of the single-lift page (floor labels and status cells)
// whose frame and text colours follow a state number 0..7. The owner sets the
// state and caption and writes lines straight onto the cell with SetCellText
// and ClearCellText; what those wrote stays on the cell until the state or the
// caption changes or the cell is hidden, as a direct draw lasts until the next
// full repaint.
#include <QColor>
#include <QPen>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

class CStaShape : public QWidget {
    Q_OBJECT
public:
    explicit CStaShape(QWidget* parent = nullptr);

    void SetState(int state);
    int GetState() const { return m_nState; }
    void SetCaption(const QString& caption);
    const QString& GetCaption() const { return m_strCaption; }

    // Writes the second line (and with bWithFirst 1 also the first), each
    // padded with 14 blanks on both sides so that a longer earlier text is
    // wiped, in colour on the cell's dark ground.
    void SetCellText(int bWithFirst, const QColor& colour, const QString& second, const QString& first);
    // Wipes the first line and writes text there in colour.
    void ClearCellText(const QColor& colour, const QString& text);

    void DrawCell(QPainter& painter);

    // Frame and text colours of a state (the caption's colour; state 5 draws
    // its padded first line in red).
    static QColor StateTextColor(int state);

    std::uint8_t m_bInit = 0;
    std::array<QPen, 8> m_pens;
    QRect m_rcClient;
    QRect m_rcText;
    QString m_strSecond;          // last second text given to SetCellText
    QString m_strFirstPadded;     // texts last written by SetCellText, padded
    QString m_strSecondPadded;
    QColor m_crText;              // colour last given to SetCellText or ClearCellText
    QColor m_crBack{40, 40, 40};

private:
    // One opaque text draw: the text's box within rc filled with the ground,
    // then the text centred in rc.
    struct strDrawnText {
        QRect rc;
        QString text;
        QColor colour;
    };

    void DrawOpaque(QPainter& painter, const strDrawnText& t) const;
    void ForgetDrawnLines();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int m_nState = 0;
    QString m_strCaption;
    std::vector<strDrawnText> m_line1;  // written by SetCellText or ClearCellText
    std::vector<strDrawnText> m_line2;  // written by SetCellText
};
