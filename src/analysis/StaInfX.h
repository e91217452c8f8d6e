#pragma once
// One colour swatch beside the pie: a colour square and the slice's text in a
// thin frame that turns blue while the mouse is over it. A click picks a new
// colour; hovering and picking are reported to the receiver window.
#include <QBrush>
#include <QFont>
#include <QPen>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "platform/ColorRef.h"

class CStaInfX : public QWidget {
    Q_OBJECT
public:
    explicit CStaInfX(QWidget* parent = nullptr);

    // Number (1..150) and receiver, given once by the page that makes the swatch.
    void Create(int nNumber, QObject* pReceiver);

    void SetColor(COLORREF crColor);
    COLORREF GetColor() const { return m_crColor; }
    void SetText(const QString& text);
    QString GetText() const { return m_strText; }
    int GetNumber() const { return m_nNumber; }
    bool IsHovered() const { return m_bHover != 0; }

    std::uint8_t m_bCustomFont = 0;  // 0: paint with the swatch's own font
    // Set by the page when it lays the swatch out.
    QRect m_rcClient;
    QRect m_rcColor;  // the colour square
    QRect m_rcText;

protected:
    void OnLButtonDown();
    void OnMouseMove();
    void OnMouseLeave();
    void OnPaint(QPainter& painter);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint8_t m_bHover = 0;  // also: a leave notice is awaited
    QPointer<QObject> m_hReceiver;
    int m_nNumber = 0;
    COLORREF m_crColor = 0;
    QBrush m_brWhite{Qt::white};
    QString m_strText;
    QFont m_font;
    QPen m_penHover;
    QPen m_penNormal;
};
