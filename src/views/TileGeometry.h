#pragma once
// Geometry of the all-lifts page as pure functions: the places inside one lift
// tile, the tile and header grid of the whole page, and the font sizes that
// follow the cell sizes. Nothing here touches a widget, so every size can be
// checked on its own.
#include <QPoint>
#include <QRect>
#include <array>
#include <vector>

struct strGroupInf;

constexpr int kTileBackWidth = 188;   // tile background bitmap
constexpr int kTileBackHeight = 184;
constexpr int kMaxLiftsPerColumn = 32;
constexpr int kMaxSeparatorLines = 64;

using TileTriangle = std::array<QPoint, 3>;

// Places inside a tile of width w and height h (products truncated).
struct strTileGeometry {
    int nMargin = 0;     // inset of the 5-pixel status frame
    QRect rcName;        // lift name line
    QRect rcNumber;      // lift number box
    QRect rcFloor;       // floor box
    QRect rcDoor;        // door picture
    QRect rcStatus;      // status line
    QRect rcStopBar;
    TileTriangle ptUp{};
    TileTriangle ptDown{};
    TileTriangle ptCloseL{};  // closing pair, pointing at each other
    TileTriangle ptCloseR{};
    TileTriangle ptOpenL{};   // opening pair, pointing apart
    TileTriangle ptOpenR{};
};

strTileGeometry ComputeTileGeometry(int w, int h);

// Font sizes in tenths of a point: the tile's "Arial" by its width, the
// header's "宋体" by its height.
int TileFontTenths(int tileWidth);
int HeaderFontTenths(int headerHeight);
// Pixels of a font size in tenths of a point on a 96 dots-per-inch screen.
int PointTenthsToPixels(int tenths);

struct strTilePlace {
    int nLiftNum = 0;     // 1..64; the tile of lift index nLiftNum - 1
    int nGroupIndex = 0;
    int nColumn = 0;      // running column over all groups
    int nRow = 0;
    QRect rc;
};

struct strHeaderPlace {
    int nGroupIndex = 0;
    int nColumns = 0;
    QRect rc;
};

struct strSeparatorLine {
    int x = 0;
    int top = 0;
    float length = 0.0f;
};

struct strCellLayout {
    float fUnit = 0.0f;   // height unit u
    float fGap = 0.0f;    // gap unit g
    int nTileWidth = 0;
    int nTileHeight = 0;
    int nLiftsPerColumn = 0;   // as used, within 1..32
    std::vector<strTilePlace> tiles;
    std::vector<strHeaderPlace> headers;
    std::array<strSeparatorLine, kMaxSeparatorLines> lines{};
    int nContentWidth = 0;
};

// Tiles under their group headers for a view of viewWidth x viewHeight:
// groups in table order, ceil(n / lifts per column) columns per group of n
// members, members filling the columns in order. Member numbers outside
// 1..64 are passed over and take no place; lifts per column is held to 1..32
// and at most 64 groups are laid out.
strCellLayout ComputeCellLayout(int viewWidth, int viewHeight, int liftsPerColumn,
                                const strGroupInf* groups, int groupCount);
