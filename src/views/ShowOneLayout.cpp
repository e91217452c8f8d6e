#include "views/ShowOneLayout.h"

#include <array>

namespace {

bool ValidFloor(int floor) { return floor >= 1 && floor <= kShowOneFloors; }
int Column(int floor) { return (floor - 1) % kShowOneColumns; }
int Row(int floor) { return (floor - 1) / kShowOneColumns; }

// The small and the large layout differ only in these figures; the builder
// below derives the rest from them. Pairs are {Chinese texts, English texts}.
struct strSizeFigures {
    strShowOneLayout fixed;  // what moves with neither the window width nor the language
    std::array<int, 2> nWidth;        // the whole arrangement
    std::array<int, 2> w0;
    std::array<int, 2> nStatusX;      // status column, from x0
    std::array<int, 2> nStatusWidth;
    int nTitleTop;
    int nTitlePlainHeight;
    QSize szTitle;
    int nPictureX;                    // status picture and notice, from x0
    int nPictureTop;                  // status and car pictures
    int nPictureHeight;
    int nCarWidth;
    int nModeGap;                     // below the last status cell
    int nGridGap;                     // right of the left column
    int nNoticeTop;
    int nNoticeHeight;
};

constexpr strSizeFigures kSmallFigures{
    .fixed = {.nStatusTop = 87, .nStatusHeight = 37, .nStatusStep = 42, .nModeHeight = 30, .nModeStep = 35,
              .nCarButton = 33, .nGridStep = 38, .nCarGridTop = 84, .nCellHeight = 70, .nCellTop = 250,
              .nCellStep = 75, .szArrow = QSize(18, 19), .ptUpArrow = QPoint(6, 20), .ptDownArrow = QPoint(6, 45),
              .nShaftTop = 54, .nShaftBottom = 506, .nCellFont = 80},
    .nWidth = {785, 805}, .w0 = {220, 240}, .nStatusX = {111, 111}, .nStatusWidth = {101, 122},
    .nTitleTop = 25, .nTitlePlainHeight = 25, .szTitle = QSize(560, 46),
    .nPictureX = 108, .nPictureTop = 50, .nPictureHeight = 556, .nCarWidth = 112,
    .nModeGap = 27, .nGridGap = 22, .nNoticeTop = 2, .nNoticeHeight = 18,
};

constexpr strSizeFigures kLargeFigures{
    .fixed = {.nStatusTop = 108, .nStatusHeight = 43, .nStatusStep = 49, .nModeHeight = 38, .nModeStep = 44,
              .nCarButton = 40, .nGridStep = 48, .nCarGridTop = 102, .nCellHeight = 100, .nCellTop = 320,
              .nCellStep = 108, .szArrow = QSize(24, 27), .ptUpArrow = QPoint(8, 25), .ptDownArrow = QPoint(8, 59),
              .nShaftTop = 64, .nShaftBottom = 690, .nCellFont = 90},
    .nWidth = {960, 987}, .w0 = {250, 277}, .nStatusX = {133, 128}, .nStatusWidth = {105, 140},
    .nTitleTop = 30, .nTitlePlainHeight = 33, .szTitle = QSize(705, 60),
    .nPictureX = 125, .nPictureTop = 63, .nPictureHeight = 757, .nCarWidth = 125,
    .nModeGap = 35, .nGridGap = 25, .nNoticeTop = 10, .nNoticeHeight = 20,
};

} // namespace

strShowOneLayout ComputeShowOneLayout(int clientWidth, int clientHeight, int languageKind)
{
    const bool large = clientHeight >= kShowOneLargeFromHeight;
    const strSizeFigures& f = large ? kLargeFigures : kSmallFigures;
    const std::size_t lang = languageKind == 2 ? 1 : 0;
    strShowOneLayout l = f.fixed;
    l.bLarge = large;
    l.x0 = (clientWidth - f.nWidth[lang]) / 2;
    l.w0 = f.w0[lang];
    l.rcTitlePlain = QRect(l.x0, f.nTitleTop, l.w0, f.nTitlePlainHeight);
    l.rcStatusPicture = QRect(l.x0 + f.nPictureX, f.nPictureTop, l.w0 - f.nPictureX, f.nPictureHeight);
    l.rcTitle = QRect(QPoint(l.x0 + l.w0 + 5, f.nTitleTop), f.szTitle);
    l.nStatusX = l.x0 + f.nStatusX[lang];
    l.nStatusWidth = f.nStatusWidth[lang];
    l.nModeTop = l.nStatusTop + 6 * l.nStatusStep + f.nModeGap + (l.nModeStep - l.nModeHeight);
    l.nGridLeft = l.x0 + l.w0 + f.nGridGap;
    l.rcCar = QRect(l.x0, f.nPictureTop, f.nCarWidth, f.nPictureHeight);
    l.rcNotice = QRect(l.x0 + f.nPictureX, f.nNoticeTop, 400, f.nNoticeHeight);
    return l;
}

QRect strShowOneLayout::CarButton(int floor) const
{
    if (!ValidFloor(floor))
        return QRect();
    return QRect(nGridLeft + Column(floor) * nGridStep, nCarGridTop + Row(floor) * nGridStep, nCarButton, nCarButton);
}

QRect strShowOneLayout::FloorCell(int floor) const
{
    if (!ValidFloor(floor))
        return QRect();
    return QRect(nGridLeft + Column(floor) * nGridStep, nCellTop + Row(floor) * nCellStep, nCarButton, nCellHeight);
}

QRect strShowOneLayout::UpArrow(int floor) const
{
    const QRect cell = FloorCell(floor);
    return cell.isNull() ? QRect() : QRect(cell.topLeft() + ptUpArrow, szArrow);
}

QRect strShowOneLayout::DownArrow(int floor) const
{
    const QRect cell = FloorCell(floor);
    return cell.isNull() ? QRect() : QRect(cell.topLeft() + ptDownArrow, szArrow);
}

QRect strShowOneLayout::StatusCell(int index) const
{
    if (index < 0 || index >= kShowOneStatusCells)
        return QRect();
    return QRect(nStatusX, nStatusTop + index * nStatusStep, nStatusWidth, nStatusHeight);
}

QRect strShowOneLayout::ModeButton(int index) const
{
    if (index < 0 || index >= kShowOneModeButtons)
        return QRect();
    return QRect(nStatusX, nModeTop + index * nModeStep, nStatusWidth, nModeHeight);
}
