#include "controls/CellFont.h"

#include <QFontMetrics>
#include <algorithm>

// The height is the whole character cell (ascent + descent), as the list's
// metrics are given, so the em size is scaled down for faces with tall cells.
QFont MakeCellFont(const QString& face, int nHeight, int nWidth)
{
    nHeight = std::max(nHeight, 1);
    QFont font(face);
    font.setPixelSize(nHeight);
    const QFontMetrics fm(font);
    const int cell = fm.ascent() + fm.descent();
    if (cell > nHeight)
        font.setPixelSize(std::max(1, (nHeight * nHeight + cell / 2) / cell));
    if (nWidth > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(100 * nWidth / natural, 1, 4000));
    }
    return font;
}
