// Geometry of the all-lifts page: the grid of tiles and headers for several
// window sizes and lifts-per-column values, and bad member lists.
#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace

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

            // Each header stands above its group's tiles; the content ends
            // after the last tile.
            int lastRight = 0;
            for (const strTilePlace& t : l.tiles) {
                EXPECT_LE(l.headers[std::size_t(t.nGroupIndex)].rc.bottom(), t.rc.top());
                EXPECT_GE(t.rc.left(), l.headers[std::size_t(t.nGroupIndex)].rc.left());
                lastRight = std::max(lastRight, t.rc.right());
            }
            EXPECT_GT(l.nContentWidth, lastRight);
        }
    }
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
