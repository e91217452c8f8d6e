#pragma once
// Colours are kept as COLORREF values (0x00BBGGRR), the form in which the
// settings, the colour lists and the owners of the controls hand them over;
// they become QColor only where something is painted.
#include <QColor>
#include <cstdint>

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}

constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }

// The top byte carries no colour and is ignored, so a stored value with stray
// high bits still paints the colour of its low three bytes.
inline QColor FromColorRef(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline COLORREF ToColorRef(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}
