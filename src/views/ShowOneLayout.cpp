#include "views/ShowOneLayout.h"

namespace {

bool ValidFloor(int floor) { return floor >= 1 && floor <= kShowOneFloors; }
int Column(int floor) { return (floor - 1) % kShowOneColumns; }
int Row(int floor) { return (floor - 1) / kShowOneColumns; }

} // namespace

strShowOneLayout ComputeShowOneLayout(int clientWidth, int clientHeight, int languageKind)
{
    strShowOneLayout l;
    l.bLarge = clientHeight >= kShowOneLargeFromHeight;
    const bool english = languageKind == 2;
    if (!l.bLarge) {
        l.x0 = (clientWidth - (english ? 805 : 785)) / 2;
        l.w0 = english ? 240 : 220;
        l.rcTitlePlain = QRect(l.x0, 25, l.w0, 25);
        l.rcStatusPicture = QRect(l.x0 + 108, 50, l.w0 - 108, 556);
        l.rcTitle = QRect(l.x0 + l.w0 + 5, 25, 560, 46);
        l.nStatusX = l.x0 + 111;
        l.nStatusWidth = english ? 122 : 101;
        l.nStatusTop = 87;
        l.nStatusHeight = 37;
        l.nStatusStep = 42;
        l.nModeHeight = 30;
        l.nModeStep = 35;
        l.nModeTop = l.nStatusTop + 6 * l.nStatusStep + 27 + (l.nModeStep - l.nModeHeight);
        l.nGridLeft = l.x0 + l.w0 + 22;
        l.nCarButton = 33;
        l.nGridStep = 38;
        l.nCarGridTop = 84;
        l.nCellHeight = 70;
        l.nCellTop = 250;
        l.nCellStep = 75;
        l.szArrow = QSize(18, 19);
        l.ptUpArrow = QPoint(6, 20);
        l.ptDownArrow = QPoint(6, 45);
        l.rcCar = QRect(l.x0, 50, 112, 556);
        l.nShaftTop = 54;
        l.nShaftBottom = 506;
        l.nCellFont = 80;
        l.rcNotice = QRect(l.x0 + 108, 2, 400, 18);
    } else {
        l.x0 = (clientWidth - (english ? 987 : 960)) / 2;
        l.w0 = english ? 277 : 250;
        l.rcTitlePlain = QRect(l.x0, 30, l.w0, 33);
        l.rcStatusPicture = QRect(l.x0 + 125, 63, l.w0 - 125, 757);
        l.rcTitle = QRect(l.x0 + l.w0 + 5, 30, 705, 60);
        l.nStatusX = l.x0 + (english ? 128 : 133);
        l.nStatusWidth = english ? 140 : 105;
        l.nStatusTop = 108;
        l.nStatusHeight = 43;
        l.nStatusStep = 49;
        l.nModeHeight = 38;
        l.nModeStep = 44;
        l.nModeTop = l.nStatusTop + 6 * l.nStatusStep + 35 + (l.nModeStep - l.nModeHeight);
        l.nGridLeft = l.x0 + l.w0 + 25;
        l.nCarButton = 40;
        l.nGridStep = 48;
        l.nCarGridTop = 102;
        l.nCellHeight = 100;
        l.nCellTop = 320;
        l.nCellStep = 108;
        l.szArrow = QSize(24, 27);
        l.ptUpArrow = QPoint(8, 25);
        l.ptDownArrow = QPoint(8, 59);
        l.rcCar = QRect(l.x0, 63, 125, 757);
        l.nShaftTop = 64;
        l.nShaftBottom = 690;
        l.nCellFont = 90;
        l.rcNotice = QRect(l.x0 + 125, 10, 400, 20);
    }
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
