// Geometry of the all-lifts page: places inside a tile and the grid of tiles
// and headers for several window sizes and lifts-per-column values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "link/GroupInf.h"
#include "views/TileGeometry.h"

namespace {

strGroupInf Group(int num, std::initializer_list<int> members, const char* name = "G")
{
    strGroupInf g;
    g.nGroupNum = num;
    g.nLiftCount = int(members.size());
    int i = 0;
    for (int m : members)
        g.byLiftNum[i++] = std::uint8_t(m);
    g.strGroupName = QString::fromUtf8(name);
    return g;
}

bool Inside(const QRect& inner, int w, int h)
{
    return inner.left() >= 0 && inner.top() >= 0 && inner.right() < w && inner.bottom() < h;
}

int MinX(const TileTriangle& t) { return std::min({t[0].x(), t[1].x(), t[2].x()}); }
int MaxX(const TileTriangle& t) { return std::max({t[0].x(), t[1].x(), t[2].x()}); }

} // namespace

TEST(TileGeometryTest, PlacesInsideTilesOfEverySize)
{
    for (auto [w, h] : {std::pair{60, 59}, {100, 98}, {109, 107}, {110, 108}, {149, 146}, {150, 147}, {240, 235}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const strTileGeometry g = ComputeTileGeometry(w, h);
        EXPECT_EQ(g.nMargin, w >= 150 ? 2 : (w >= 110 ? 1 : 0));

        for (const QRect& r : {g.rcNumber, g.rcFloor, g.rcDoor, g.rcStopBar})
            EXPECT_TRUE(Inside(r, w, h)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        // Name and status lines are 17 pixels high whatever the tile.
        EXPECT_EQ(g.rcName.height(), 17);
        EXPECT_EQ(g.rcStatus.height(), 17);
        EXPECT_TRUE(g.rcName.left() >= 0 && g.rcName.right() < w);
        EXPECT_TRUE(g.rcStatus.left() >= 0 && g.rcStatus.right() < w);

        // Number and floor boxes: same size, side by side, above the door.
        EXPECT_EQ(g.rcNumber.size(), g.rcFloor.size());
        EXPECT_EQ(g.rcNumber.top(), g.rcFloor.top());
        EXPECT_LT(g.rcNumber.right(), g.rcFloor.left());
        EXPECT_LT(g.rcNumber.bottom(), g.rcDoor.top());
        EXPECT_LE(g.rcDoor.bottom(), g.rcStatus.top());
        // The indicator stands right of the door.
        EXPECT_GT(g.rcStopBar.left(), g.rcDoor.right());
    }
}

TEST(TileGeometryTest, ArrowsAndDoorPairsPointTheRightWay)
{
    for (auto [w, h] : {std::pair{100, 98}, {160, 157}, {240, 235}}) {
        SCOPED_TRACE(w);
        const strTileGeometry g = ComputeTileGeometry(w, h);
        // Up arrow: apex above its base; down arrow: apex below.
        EXPECT_LT(g.ptUp[0].y(), g.ptUp[1].y());
        EXPECT_EQ(g.ptUp[1].y(), g.ptUp[2].y());
        EXPECT_GT(g.ptDown[0].y(), g.ptDown[1].y());
        EXPECT_EQ(g.ptUp[0].x(), g.ptDown[0].x());
        // Apexes stand over the middle of the stop bar.
        EXPECT_LE(std::abs(g.ptUp[0].x() - g.rcStopBar.center().x()), 1);

        // Closing pair: tips point at each other from the box's edges.
        EXPECT_EQ(g.ptCloseL[2].x(), MaxX(g.ptCloseL));
        EXPECT_EQ(g.ptCloseR[2].x(), MinX(g.ptCloseR));
        EXPECT_LT(g.ptCloseL[2].x(), g.ptCloseR[2].x());
        // Opening pair: tips point outwards, beyond the closing pair's edges.
        EXPECT_EQ(g.ptOpenL[0].x(), MinX(g.ptOpenL));
        EXPECT_EQ(g.ptOpenR[0].x(), MaxX(g.ptOpenR));
        EXPECT_LT(g.ptOpenL[0].x(), g.ptCloseL[0].x());
        EXPECT_GT(g.ptOpenR[0].x(), g.ptCloseR[0].x());
        // The two pairs' tips share the box's middle row.
        EXPECT_EQ(g.ptCloseL[2].y(), g.ptOpenL[0].y());
    }
}

TEST(TileGeometryTest, FontSizesFollowCellSizes)
{
    EXPECT_EQ(TileFontTenths(100), 75);
    EXPECT_EQ(TileFontTenths(101), 80);
    EXPECT_EQ(TileFontTenths(149), 80);
    EXPECT_EQ(TileFontTenths(150), 110);
    EXPECT_EQ(HeaderFontTenths(118), 130);
    EXPECT_EQ(HeaderFontTenths(117), 110);
    EXPECT_EQ(HeaderFontTenths(119), 110);
    // 96 dots per inch: 10 pt is 13 pixels, 7.5 pt 10.
    EXPECT_EQ(PointTenthsToPixels(100), 13);
    EXPECT_EQ(PointTenthsToPixels(75), 10);
}

TEST(TileGeometryTest, GridFitsTheViewForEverySizeAndColumnHeight)
{
    const std::vector<strGroupInf> groups = {
        Group(0, {1, 2, 3, 4, 5, 6, 7}),
        Group(1, {9, 10, 11}),
        Group(2, {20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}),
    };
    for (auto [W, H] : {std::pair{800, 600}, {1280, 800}, {2560, 1440}}) {
        for (int perColumn : {1, 5, 12, 32}) {
            SCOPED_TRACE(testing::Message() << W << "x" << H << " per column " << perColumn);
            const strCellLayout l = ComputeCellLayout(W, H, perColumn, groups.data(), int(groups.size()));
            ASSERT_EQ(l.tiles.size(), 22u);
            ASSERT_EQ(l.headers.size(), 3u);
            EXPECT_EQ(l.nLiftsPerColumn, perColumn);

            // Tiles keep the background's aspect and stay within the height.
            EXPECT_NEAR(double(l.nTileWidth) / l.nTileHeight, 188.0 / 184.0, 0.05);
            for (const strTilePlace& t : l.tiles) {
                EXPECT_GE(t.rc.top(), 0);
                EXPECT_LE(t.rc.bottom(), H - 1);
                EXPECT_LT(t.nRow, perColumn);
            }
            // No two tiles overlap.
            for (size_t i = 0; i < l.tiles.size(); ++i)
                for (size_t j = i + 1; j < l.tiles.size(); ++j)
                    EXPECT_FALSE(l.tiles[i].rc.intersects(l.tiles[j].rc)) << i << " " << j;

            // Each group takes ceil(n / per column) columns under a header as
            // wide as its columns and gaps, standing above its first tile.
            const int members[] = {7, 3, 12};
            int column = 0;
            for (const strHeaderPlace& hd : l.headers) {
                const int n = members[hd.nGroupIndex];
                const int columns = (n + perColumn - 1) / perColumn;
                EXPECT_EQ(hd.nColumns, columns);
                const auto first = std::find_if(l.tiles.begin(), l.tiles.end(),
                    [&](const strTilePlace& t) { return t.nGroupIndex == hd.nGroupIndex; });
                ASSERT_NE(first, l.tiles.end());
                EXPECT_EQ(first->nColumn, column);
                EXPECT_EQ(hd.rc.left(), first->rc.left());
                EXPECT_LE(hd.rc.bottom(), first->rc.top());
                EXPECT_NEAR(hd.rc.width(), columns * l.nTileWidth + (columns - 1) * l.fGap, 1.0);
                // The group's last tile ends under the header's right end.
                int right = 0;
                for (const strTilePlace& t : l.tiles)
                    if (t.nGroupIndex == hd.nGroupIndex)
                        right = std::max(right, t.rc.right());
                EXPECT_NEAR(hd.rc.right(), right, 2.0);
                column += columns;
            }

            // Separator lines sit in the gap after each group's last column.
            for (int gi = 0; gi < 3; ++gi) {
                int right = 0, nextLeft = 1 << 30;
                for (const strTilePlace& t : l.tiles) {
                    if (t.nGroupIndex == gi)
                        right = std::max(right, t.rc.right());
                    if (t.nGroupIndex == gi + 1)
                        nextLeft = std::min(nextLeft, t.rc.left());
                }
                EXPECT_GT(l.lines[gi].x, right);
                EXPECT_LT(l.lines[gi].x, nextLeft);
                EXPECT_GT(l.lines[gi].length, 0.0f);
            }
            EXPECT_EQ(l.lines[3].length, 0.0f);
            int lastRight = 0;
            for (const strTilePlace& t : l.tiles)
                lastRight = std::max(lastRight, t.rc.right());
            EXPECT_GT(l.nContentWidth, lastRight);
        }
    }
}

TEST(TileGeometryTest, SevenMembersFiveToAColumnTakeTwoColumns)
{
    const strGroupInf g = Group(0, {8, 3, 12, 1, 2, 40, 41});
    const strCellLayout l = ComputeCellLayout(1280, 800, 5, &g, 1);
    ASSERT_EQ(l.tiles.size(), 7u);
    ASSERT_EQ(l.headers.size(), 1u);
    EXPECT_EQ(l.headers[0].nColumns, 2);
    // Members fill the columns in member order: 5 then 2.
    std::map<int, int> perColumn;
    for (size_t i = 0; i < l.tiles.size(); ++i) {
        EXPECT_EQ(l.tiles[i].nLiftNum, g.byLiftNum[i]);
        ++perColumn[l.tiles[i].nColumn];
    }
    EXPECT_EQ(perColumn[0], 5);
    EXPECT_EQ(perColumn[1], 2);
    EXPECT_EQ(l.tiles[5].rc.top(), l.tiles[0].rc.top());
}

TEST(TileGeometryTest, BadMembersCountsAndColumnHeightsAreBounded)
{
    // Lift numbers outside 1..64 name no tile and take no place.
    strGroupInf bad = Group(0, {0, 65, 3, 200, 255, 64});
    strCellLayout l = ComputeCellLayout(1280, 800, 5, &bad, 1);
    ASSERT_EQ(l.tiles.size(), 2u);
    EXPECT_EQ(l.tiles[0].nLiftNum, 3);
    EXPECT_EQ(l.tiles[1].nLiftNum, 64);
    EXPECT_EQ(l.tiles[1].nRow, 1);

    // A member count beyond the member array reads no further than 64 entries.
    strGroupInf all;
    for (int i = 0; i < kMaxGroupMembers; ++i)
        all.byLiftNum[i] = std::uint8_t(i + 1);
    all.nLiftCount = 1000;
    l = ComputeCellLayout(1920, 1080, 32, &all, 1);
    EXPECT_EQ(l.tiles.size(), 64u);
    EXPECT_EQ(l.headers[0].nColumns, 2);
    all.nLiftCount = -4;
    EXPECT_TRUE(ComputeCellLayout(1920, 1080, 5, &all, 1).tiles.empty());

    // Lifts per column outside 1..32 are held to the range.
    EXPECT_EQ(ComputeCellLayout(1280, 800, 0, &bad, 1).nLiftsPerColumn, 1);
    EXPECT_EQ(ComputeCellLayout(1280, 800, 40, &bad, 1).nLiftsPerColumn, 32);

    // More than 64 groups: only the first 64 are laid out.
    std::vector<strGroupInf> many(70, Group(0, {5}));
    l = ComputeCellLayout(1920, 1080, 5, many.data(), int(many.size()));
    EXPECT_EQ(l.headers.size(), 64u);

    // No view, no groups: nothing placed and nothing read.
    EXPECT_TRUE(ComputeCellLayout(0, 0, 5, &bad, 1).tiles.empty());
    EXPECT_TRUE(ComputeCellLayout(1280, 800, 5, nullptr, 3).tiles.empty());
}
