#pragma once
// Rendering widgets into images and looking at their pixels.
#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QRect>
#include <QWidget>
#include <cmath>
#include <functional>

// Sentinel behind every rendered widget: whatever a widget leaves unpainted
// shows in this colour.
inline const QColor kSentinel(255, 0, 255);

inline QImage RenderWidget(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(kSentinel);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QColor Pixel(const QImage& image, int x, int y)
{
    return QColor::fromRgb(image.pixel(x, y));
}

using PixelTest = std::function<bool(const QColor&)>;

inline int CountPixels(const QImage& image, const PixelTest& test, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(Pixel(image, x, y)))
                ++count;
    return count;
}

// Bounding box of the pixels that pass the test; null when there are none.
inline QRect BoundingBox(const QImage& image, const PixelTest& test)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(Pixel(image, x, y)))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

inline bool IsReddish(const QColor& c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; }
inline bool IsGreenish(const QColor& c) { return c.green() > 150 && c.red() < 80 && c.blue() < 80; }
inline bool IsWhitish(const QColor& c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; }

inline PixelTest Exactly(const QColor& wanted)
{
    return [wanted](const QColor& c) { return c.rgb() == wanted.rgb(); };
}

// Text is antialiased: a pixel of text in colour ink on background bg is a
// blend of the two. Passes pixels that are such a blend with at least 60 %
// ink, so the text's colour is told apart from any other colour.
inline PixelTest InkOn(const QColor& ink, const QColor& bg)
{
    return [ink, bg](const QColor& c) {
        const double i[3] = {ink.redF(), ink.greenF(), ink.blueF()}, b[3] = {bg.redF(), bg.greenF(), bg.blueF()},
                     p[3] = {c.redF(), c.greenF(), c.blueF()};
        // Least-squares share of ink, then how far the pixel is from that blend.
        double num = 0, den = 0;
        for (int k = 0; k < 3; ++k) {
            num += (p[k] - b[k]) * (i[k] - b[k]);
            den += (i[k] - b[k]) * (i[k] - b[k]);
        }
        const double a = den == 0 ? 0 : num / den;
        bool near = a >= 0.6 && a <= 1.05;
        for (int k = 0; k < 3; ++k)
            near = near && std::abs(p[k] - (b[k] + a * (i[k] - b[k]))) <= 14.0 / 255;
        return near;
    };
}

inline void SendEnter(QWidget& widget, QPoint pos)
{
    QEnterEvent enter(pos, widget.mapTo(widget.window(), pos), widget.mapToGlobal(pos));
    QApplication::sendEvent(&widget, &enter);
}

inline void SendLeave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint pos,
                      Qt::MouseButtons buttons, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(type, pos, widget.mapTo(widget.window(), pos), widget.mapToGlobal(pos),
                      button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}
