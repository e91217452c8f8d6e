#pragma once
// Places inside one shaft cell of the group page, in cell pixels. There are
// two sets: the small one for views under 800 pixels high and the large one.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

using CellTriangle = std::array<QPoint, 3>;

struct strGroupCellLayout {
    QSize szCell;          // cell size
    int nCellTop = 0;      // y of every cell on the page
    int nFirstX = 0;       // x of the first cell
    int nGap = 0;          // horizontal gap between cells
    QRect rcName;          // lift name, left-aligned
    QRect rcNumber;        // lift number, centred
    QRect rcFloor;         // current floor, centred
    int nCarX = 0;         // car picture
    QSize szCar;
    int nBaseLine = 0;     // car top at position 0
    int nTravelTop = 0;    // margin above the highest car place
    QRect rcStatus;        // status block: three lines 15 pixels apart
    QRect rcStop;          // stop square
    CellTriangle ptUp{};   // apex first
    CellTriangle ptDown{};
    int nFontTenths = 0;   // cell font size in tenths of a point
};

constexpr int kSmallCellViewHeight = 800;  // views lower than this get small cells
constexpr int kStatusLineHeight = 15;

strGroupCellLayout SmallGroupCellLayout();
strGroupCellLayout LargeGroupCellLayout();
// The set for a view of that height.
strGroupCellLayout GroupCellLayoutFor(int viewHeight);
