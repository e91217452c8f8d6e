#pragma once
// Helpers of the widget tests of more than one folder: a UI text table, pixel
// probes.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <functional>
#include <utility>

namespace view_test {

// A text table of 300 entries; the ones the tiles and cells show are words.
inline QStringList MakeTexts()
{
    QStringList t;
    for (int i = 0; i < 300; ++i)
        t << QStringLiteral("T%1").arg(i);
    const std::pair<int, const char*> words[] = {
        {35, "运行正常"}, {44, "检修"}, {45, "消防"}, {50, "门状态"}, {52, "故障"}, {72, "正常"}, {73, "通讯"},
        {74, "通讯中断"}, {80, "确定"}, {253, "安全回路"}, {254, "门锁"}, {255, "超载"}, {256, "电梯故障"}};
    for (const auto& [i, word] : words)
        t[i] = QString::fromUtf8(word);
    return t;
}

inline bool Near(QRgb px, const QColor& c, int tol = 0)
{
    return std::abs(qRed(px) - c.red()) <= tol && std::abs(qGreen(px) - c.green()) <= tol &&
           std::abs(qBlue(px) - c.blue()) <= tol;
}

inline int CountPixels(const QImage& img, const QRect& r, const std::function<bool(QRgb)>& pred)
{
    int n = 0;
    const QRect area = r.intersected(img.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pred(img.pixel(x, y)) ? 1 : 0;
    return n;
}

// Reddish text pixels: strong red, weak green and blue.
inline bool IsRedText(QRgb px) { return qRed(px) > 150 && qGreen(px) < 90 && qBlue(px) < 90; }

} // namespace view_test
