#pragma once
// One entry of a coloured list's colour lists: the cell (row, column) and its
// colour. Entries of the whole-column lists ignore the row.
#include "platform/ColorRef.h"

struct strColor {
    int nRow = 0;
    int nCol = 0;
    COLORREF crColor = 0;
};
