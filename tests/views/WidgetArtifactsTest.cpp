// Pictures of every widget in its typical states, kept in
// ${build}/artifacts/views for a person to look at. The checks are only that
// each sheet was drawn and written.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>
#include <memory>
#include <vector>

#include "link/LiftInf.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/StaO.h"
#include "views/StaShape.h"
#include "views/TileGeometry.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

struct TileCase {
    const char* name;
    int kind, model, floor, run, doors, step, bits, fault;
    bool offline, flagA, flagB;
};

void Paste(QPainter& sheet, QWidget& w, QPoint at)
{
    QImage img(w.size(), QImage::Format_ARGB32);
    img.fill(Qt::black);
    w.render(&img);
    sheet.drawImage(at, img);
}

} // namespace

TEST(WidgetArtifactsTest, TilesHeadersBandsAndCells)
{
    const QStringList texts = MakeTexts();
    const TileCase cases[] = {
        {"一号梯", 1, 2, 12, 1, 0, 0, 0, 0, false, false, false},   // going up
        {"二号梯", 1, 2, 3, 2, 0, 0, 0, 0, false, true, false},     // down, flag A
        {"三号梯", 1, 1, 1, 0, 1, 6, 0, 0, false, false, false},    // doors opening
        {"四号梯", 1, 1, 7, 0, 2, 11, 0, 0, false, false, false},   // doors closing
        {"五号梯", 1, 2, 9, 0, 0, 0, 0b10000, 12, false, false, false},  // fault 12
        {"六号梯", 1, 3, 4, 0, 0, 0, 0, 0, true, false, false},     // offline
        {"七号梯", 1, 2, 2, 0, 1, 0, 0, 0, false, true, true},      // flags A and B
        {"八号梯", 0, 2, 0, 0, 0, 0, 0, 0, false, false, false},    // empty slot
    };
    std::vector<std::unique_ptr<strLiftInf>> lifts;
    const int w = 160, h = 157;
    QImage sheet(4 * (w + 8) + 8, 2 * (h + 8) + 8 + 110 + 8, QImage::Format_ARGB32);
    sheet.fill(Qt::black);
    {
        QPainter p(&sheet);
        int i = 0;
        for (const TileCase& c : cases) {
            auto lift = std::make_unique<strLiftInf>();
            lift->nLiftNum = i + 1;
            lift->nKind = c.kind;
            lift->nModel = c.model;
            lift->nCurFloor = c.floor;
            lift->nRunState = c.run;
            lift->nDoorFlags = c.doors;
            lift->nStatusBits = c.bits;
            lift->nFaultCode = c.fault;
            lift->bOffline = c.offline;
            lift->bFlagA = c.flagA;
            lift->bFlagB = c.flagB;
            lift->strName = QString::fromUtf8(c.name);
            for (int f = 1; f <= 10; ++f) {
                lift->arrFloorNameHi << (f < 10 ? QString() : QStringLiteral("1"));
                lift->arrFloorNameLo << QString::number(f % 10);
            }
            CStaA tile;
            tile.m_pLiftInf = lift.get();
            tile.m_pLanText = &texts;
            tile.SetTileSize(w, h);
            tile.m_nDoorStep = c.step;
            Paste(p, tile, QPoint(8 + (i % 4) * (w + 8), 8 + (i / 4) * (h + 8)));
            lifts.push_back(std::move(lift));
            ++i;
        }
        // Small tiles: the 7.5 pt font and no frame margin.
        for (int k = 0; k < 3; ++k) {
            CStaA tile;
            tile.m_pLiftInf = lifts[k == 2 ? 5 : k].get();
            tile.m_pLanText = &texts;
            tile.SetTileSize(100, 98);
            tile.m_nDoorStep = 4 * k;
            Paste(p, tile, QPoint(8 + k * 108, 2 * (h + 8) + 8));
        }
    }
    ASSERT_TRUE(sheet.save(ArtifactPath(QStringLiteral("tiles.png"))));

    QImage heads(2 * 340 + 24, 130, QImage::Format_ARGB32);
    heads.fill(Qt::black);
    {
        QPainter p(&heads);
        const struct { const char* name; int w, h; } hs[] = {
            {"一号楼客梯", 163, 40}, {"A区高层住宅一号楼客梯组", 163, 40}, {"二号楼", 340, 118}};
        int x = 8;
        for (const auto& hc : hs) {
            CStaG header;
            header.m_strGroupName = QString::fromUtf8(hc.name);
            header.SetHeaderSize(hc.w, hc.h);
            Paste(p, header, QPoint(x, 6));
            x += hc.w + 8;
        }
    }
    ASSERT_TRUE(heads.save(ArtifactPath(QStringLiteral("headers.png"))));

    QImage bands(720, 150, QImage::Format_ARGB32);
    bands.fill(Qt::black);
    {
        QPainter p(&bands);
        CStaO plain;
        plain.m_nKind = 1;
        plain.resize(220, 25);
        Paste(p, plain, QPoint(4, 4));
        CStaO small;
        small.m_nKind = 2;
        small.resize(560, 46);
        small.m_strText = QStringLiteral("一号楼客梯  ------  1号梯  ------  VELA-M/VELA-M+");
        Paste(p, small, QPoint(4, 34));
        CStaO large;
        large.m_nKind = 2;
        large.m_bLarge = 1;
        large.resize(705, 60);
        large.m_strText = small.m_strText;
        Paste(p, large, QPoint(4, 86));
    }
    ASSERT_TRUE(bands.save(ArtifactPath(QStringLiteral("bands.png"))));

    QImage cells(8 * 112 + 8, 3 * 82 + 8, QImage::Format_ARGB32);
    cells.fill(Qt::black);
    {
        QPainter p(&cells);
        QFont cellFont(QStringLiteral("Times New Roman"));
        cellFont.setPixelSize(PointTenthsToPixels(80));
        // Floor cells in states 0..3 with their names; status cells 4..7.
        for (int s = 0; s < 8; ++s) {
            CStaShape cell;
            cell.setFont(cellFont);
            cell.resize(104, s < 4 ? 70 : 37);
            cell.SetState(s);
            cell.SetCaption(s < 4 ? QString::number(s + 1) : texts[s == 4 ? 44 : s == 5 ? 73 : 52]);
            if (s == 4)
                cell.SetCellText(0, QColor(210, 210, 210), texts[72], QString());
            if (s == 6)
                cell.SetCellText(0, QColor(255, 0, 0), QStringLiteral("Err--17"), QString());
            if (s == 7)
                cell.SetCellText(0, QColor(210, 210, 210), texts[72], QString());
            Paste(p, cell, QPoint(8 + s * 112, 8));
        }
        // Communication lost: texts 73 and 74 in red, then shown as state 5.
        CStaShape lost;
        lost.setFont(cellFont);
        lost.resize(104, 37);
        lost.SetCaption(texts[73]);
        lost.SetState(4);
        lost.SetCellText(1, QColor(0xD2, 0, 0), texts[74], texts[73]);
        Paste(p, lost, QPoint(8, 90));
        lost.SetState(5);
        Paste(p, lost, QPoint(120, 90));
        // The current floor redrawn in blue, a neighbour in green.
        CStaShape cur;
        cur.setFont(cellFont);
        cur.resize(104, 70);
        cur.SetCaption(QStringLiteral("B1"));
        cur.SetState(2);
        cur.ClearCellText(QColor(0, 0, 200), QStringLiteral("B1"));
        Paste(p, cur, QPoint(232, 90));
    }
    ASSERT_TRUE(cells.save(ArtifactPath(QStringLiteral("cells.png"))));
}
