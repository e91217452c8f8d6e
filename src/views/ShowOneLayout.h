#pragma once
// Where everything of the single-lift page goes: a small layout for pages
// below 800 pixels high and a large one otherwise, each a little wider for
// the English texts (language kind 2). Pure geometry, no widgets.
#include <QPoint>
#include <QRect>
#include <QSize>

constexpr int kShowOneFloors = 56;      // call buttons and floor cells
constexpr int kShowOneColumns = 14;     // floors per row of the grids
constexpr int kShowOneStatusCells = 6;
constexpr int kShowOneModeButtons = 8;
constexpr int kShowOneLockButtons = 3;
constexpr int kShowOneLargeFromHeight = 800;

struct strShowOneLayout {
    bool bLarge = false;
    int x0 = 0;                 // left edge of the whole arrangement
    int w0 = 0;                 // width of the left column (car and status)
    QRect rcTitlePlain{};       // title bar 5000
    QRect rcStatusPicture{};    // picture static 1049
    QRect rcTitle{};            // title bar 5001, the lift's title
    int nStatusX = 0;
    int nStatusWidth = 0;
    int nStatusTop = 0;
    int nStatusHeight = 0;
    int nStatusStep = 0;
    int nModeTop = 0;           // first mode button
    int nModeHeight = 0;
    int nModeStep = 0;
    int nGridLeft = 0;
    int nCarButton = 0;         // side of a car-call square
    int nGridStep = 0;
    int nCarGridTop = 0;
    int nCellHeight = 0;
    int nCellTop = 0;
    int nCellStep = 0;
    QSize szArrow{};
    QPoint ptUpArrow{};         // offsets inside a floor cell
    QPoint ptDownArrow{};
    QRect rcCar{};              // car picture
    int nShaftTop = 0;          // the car's travel, in car-picture pixels
    int nShaftBottom = 0;
    int nCellFont = 0;          // tenths of a point
    QRect rcNotice{};           // notice 1139

    // Floor f (1..56) of the grids; a floor outside gives an empty rectangle.
    QRect CarButton(int floor) const;
    QRect FloorCell(int floor) const;
    QRect UpArrow(int floor) const;
    QRect DownArrow(int floor) const;
    QRect StatusCell(int index) const;    // 0..5
    QRect ModeButton(int index) const;    // 0..7, kind - 1
};

strShowOneLayout ComputeShowOneLayout(int clientWidth, int clientHeight, int languageKind);
