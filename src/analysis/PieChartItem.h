#pragma once
// One slice of the pie chart. The chart creates, owns and deletes its items;
// owners keep the pointer only to recolour or pull out the slice.
#include <QPointF>
#include <QString>
#include <cstdint>

// A 32-bit colour 0xAARRGGBB, the form the pie chart and its colour table use
// (other windows keep COLORREF values, see platform/ColorRef.h).
using ARGB = std::uint32_t;

struct PieChartItem {
    double dValue = 0.0;          // as given to AddItem, always > 0
    float fFraction = 0.0f;       // value / total
    float fSweep = 0.0f;          // fraction x 360, degrees
    float fLightenAmount = 0.0f;
    float fDarkenAmount = 0.0f;
    ARGB argbLight = 0xFF000000;
    ARGB argbDark = 0xFF000000;
    ARGB argbBase = 0xFF000000;
    QString strText;              // shown in the legend
    QString strLabel;             // unique key text, searched by FindItem
    float f3DSweep = 0.0f;        // projected sweep on the tilted pie
    std::uint8_t nAlpha = 255;    // alpha of the 3-D faces and walls
    QPointF pt3DStart;            // start of the slice on the top-face rim
    QPointF ptRim;                // end of the slice on the rim
    std::int32_t nIndex = 0;      // key in the chart's map
    std::int32_t bHighlighted = 0;
    std::int32_t nOffset = 0;     // pull-out distance in pixels
};
