#pragma once
// Colours of the pie slices and their swatches, by slice number - 1. The table
// lives for the whole run: a colour picked on a swatch is written back and
// stays for later pies until the program ends.
#include <array>
#include <cstdint>

#include "analysis/PieChartItem.h"
#include "platform/ColorRef.h"

constexpr int kPieColorCount = 115;

extern std::array<ARGB, kPieColorCount> g_PieColors;

// Slots of the table a slice or swatch uses: codes 1..149 can give more slices
// than there are colours, so slice k (from 0) shares the colour of slice k mod 115.
constexpr int PieColorSlot(int nSlice)
{
    return nSlice >= 0 ? nSlice % kPieColorCount : 0;
}

// COLORREF 0x00BBGGRR <-> opaque ARGB 0xFFRRGGBB.
constexpr ARGB ArgbFromColorRef(COLORREF c)
{
    return 0xFF000000u | (ARGB(GetRValue(c)) << 16) | (ARGB(GetGValue(c)) << 8) | ARGB(GetBValue(c));
}

constexpr COLORREF ColorRefFromArgb(ARGB c)
{
    return RGB(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF));
}
