#include "views/TileGeometry.h"

#include <algorithm>
#include <cmath>

#include "link/GroupInf.h"

namespace {

// A product of a fraction and a size, truncated as the drawing code takes it.
int Frac(double f, int size)
{
    return int(f * size);
}

// Left, top, right, bottom with right and bottom exclusive.
QRect Ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

} // namespace

strTileGeometry ComputeTileGeometry(int w, int h)
{
    strTileGeometry g;
    g.nMargin = w >= 150 ? 2 : (w >= 110 ? 1 : 0);

    g.rcName = Ltrb(Frac(0.06, w), Frac(0.06, h), w - Frac(0.06, w), Frac(0.06, h) + 17);
    g.rcNumber = QRect(Frac(0.15, w), Frac(0.21, h), Frac(0.25, w), Frac(0.13, h));
    g.rcFloor = QRect(Frac(0.6, w), Frac(0.21, h), Frac(0.25, w), Frac(0.13, h));
    g.rcDoor = QRect(Frac(0.18, w), Frac(0.42, h), Frac(0.42, w), Frac(0.4, h));
    g.rcStatus = Ltrb(Frac(0.12, w), Frac(0.835, h), w - Frac(0.06, w), Frac(0.835, h) + 17);

    const int barL = Frac(0.75, w);
    const int barR = Frac(0.9, w);
    const int mid = barL + (barR - barL) / 2;
    g.rcStopBar = Ltrb(barL, Frac(0.6, h), barR, Frac(0.65, h));
    g.ptUp = {QPoint(mid, Frac(0.55, h)), QPoint(barL, Frac(0.7, h)), QPoint(barR, Frac(0.7, h))};
    g.ptDown = {QPoint(mid, Frac(0.72, h)), QPoint(barL, Frac(0.58, h)), QPoint(barR, Frac(0.58, h))};

    const int L = Frac(0.74, w);
    const int R = Frac(0.92, w);
    const int T = Frac(0.56, h);
    const int B = Frac(0.71, h);
    const int Y = T + (B - T) / 2;
    const int XL = L + (R - L) / 2;
    const int XR = R - (R - L) / 2;
    g.ptCloseL = {QPoint(L, T), QPoint(L, B), QPoint(XL - 1, Y)};
    g.ptCloseR = {QPoint(R, T), QPoint(R, B), QPoint(XR + 1, Y)};
    g.ptOpenL = {QPoint(L - 1, Y), QPoint(XL - 2, T), QPoint(XL - 2, B)};
    g.ptOpenR = {QPoint(R + 1, Y), QPoint(XR + 2, T), QPoint(XR + 2, B)};
    return g;
}

int TileFontTenths(int tileWidth)
{
    if (tileWidth >= 150)
        return 110;
    if (tileWidth >= 101)
        return 80;
    return 75;
}

int HeaderFontTenths(int headerHeight)
{
    return headerHeight == 118 ? 130 : 110;
}

int PointTenthsToPixels(int tenths)
{
    return std::max(1, int(std::lround(tenths * 96.0 / 720.0)));
}

strCellLayout ComputeCellLayout(int viewWidth, int viewHeight, int liftsPerColumn,
                                const strGroupInf* groups, int groupCount)
{
    strCellLayout out;
    const int perColumn = std::clamp(liftsPerColumn, 1, kMaxLiftsPerColumn);
    out.nLiftsPerColumn = perColumn;
    if (viewWidth <= 0 || viewHeight <= 0)
        return out;

    const float W = float(viewWidth);
    const float H = float(viewHeight);
    const float u = H / float(13 * perColumn + 10);
    const float g = u * W / H;
    out.fUnit = u;
    out.fGap = g;
    out.nTileHeight = int(12.0f * u);
    out.nTileWidth = int(12.0f * u * float(kTileBackWidth) / float(kTileBackHeight));
    const float tileW = float(out.nTileWidth);
    const float tileH = float(out.nTileHeight);

    if (!groups)
        groupCount = 0;
    groupCount = std::clamp(groupCount, 0, kMaxSeparatorLines);

    int column = 0;
    float lastRight = 0.0f;
    for (int gi = 0; gi < groupCount; ++gi) {
        const strGroupInf& grp = groups[gi];
        // Only members that name a tile take a place.
        std::vector<int> members;
        const int count = std::clamp(int(grp.nLiftCount), 0, kMaxGroupMembers);
        for (int i = 0; i < count; ++i) {
            const int m = grp.byLiftNum[i];
            if (m >= 1 && m <= 64)
                members.push_back(m);
        }
        if (members.empty())
            continue;

        const int n = int(members.size());
        const int columns = (n + perColumn - 1) / perColumn;
        for (int c = 0; c < columns; ++c, ++column) {
            const float x = float(column) * (tileW + g) + 4.0f * g;
            for (int r = 0; r < perColumn; ++r) {
                const int i = c * perColumn + r;
                if (i >= n)
                    break;
                strTilePlace place;
                place.nLiftNum = members[i];
                place.nGroupIndex = gi;
                place.nColumn = column;
                place.nRow = r;
                place.rc = QRect(int(x), int(8.0f * u + float(r) * (tileH + u)), out.nTileWidth, out.nTileHeight);
                out.tiles.push_back(place);
                if (i == 0) {
                    strHeaderPlace header;
                    header.nGroupIndex = gi;
                    header.nColumns = columns;
                    header.rc = QRect(place.rc.x(), int(4.0f * u),
                                      int(float(columns) * tileW + float(columns - 1) * g), int(3.0f * u));
                    out.headers.push_back(header);
                }
            }
            lastRight = float(int(x)) + tileW;
            strSeparatorLine& line = out.lines[gi];
            line.x = int(lastRight + g / 2.0f);
            line.top = int(4.0f * u);
            line.length = H - 7.0f * u;
        }
    }
    out.nContentWidth = int(lastRight + 4.0f * g + 8.0f * u);
    return out;
}
