#include "views/GroupCellLayout.h"

namespace {

// Rectangles from their edges, right and bottom exclusive as the layout gives them.
QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

strGroupCellLayout SmallGroupCellLayout()
{
    strGroupCellLayout l;
    l.szCell = QSize(108, 540);
    l.nCellTop = 25;
    l.nFirstX = 20;
    l.nGap = 10;
    l.rcNumber = QRect(6, 55, 25, 17);
    l.rcName = Edges(6, 30, 6 + 110, l.rcNumber.top() + 17);
    l.rcFloor = QRect(63, 55, 37, 17);
    l.nCarX = 27;
    l.szCar = QSize(54, 56);
    l.nBaseLine = 430;
    l.nTravelTop = 27;
    l.rcStatus = QRect(9, 491, 100, 3 * kStatusLineHeight);
    l.rcStop = Edges(35, 58, 57, 69);
    l.ptUp = {QPoint(45, 53), QPoint(34, 72), QPoint(56, 72)};
    l.ptDown = {QPoint(45, 72), QPoint(34, 53), QPoint(56, 53)};
    l.nFontTenths = 80;
    return l;
}

strGroupCellLayout LargeGroupCellLayout()
{
    strGroupCellLayout l;
    l.szCell = QSize(135, 770);
    l.nCellTop = 30;
    l.nFirstX = 45;
    l.nGap = 15;
    l.rcNumber = QRect(5, 80, 32, 17);
    l.rcName = Edges(7, 43, 7 + 110, l.rcNumber.top() + 17);
    l.rcFloor = QRect(78, 80, 53, 17);
    l.nCarX = 35;
    l.szCar = QSize(64, 66);
    l.nBaseLine = 628;
    l.nTravelTop = 50;
    l.rcStatus = QRect(8, 707, 125, 3 * kStatusLineHeight);
    l.rcStop = Edges(43, 81, 70, 94);
    l.ptUp = {QPoint(57, 77), QPoint(43, 98), QPoint(70, 98)};
    l.ptDown = {QPoint(57, 99), QPoint(70, 76), QPoint(43, 76)};
    l.nFontTenths = 100;
    return l;
}

strGroupCellLayout GroupCellLayoutFor(int viewHeight)
{
    return viewHeight < kSmallCellViewHeight ? SmallGroupCellLayout() : LargeGroupCellLayout();
}
