// The column chart: columns from the call blocks and the part shown at the
// scroll offset, within its bounds.
#include <gtest/gtest.h>

#include <QImage>
#include <array>

#include "analysis/CallStatBlock.h"
#include "analysis/StaCol.h"

namespace {

const QColor kAxis(255, 126, 0);

class ColumnChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int k = 0; k < 4; ++k) {
            blocks[k].nUsed = 1;
            blocks[k].nFloorCount = 3;
            blocks[k].strCaption = QStringLiteral("%1号梯").arg(k + 1);
        }
        blocks[2].nUsed = 0;  // an empty block between used ones
        blocks[0].nCarCalls = {25, 7, 50};
        blocks[1].nCarCalls = {13, 1, 0};
        blocks[2].nCarCalls = {40, 40, 40};
        blocks[3].nCarCalls = {3, -4, 80};
        blocks[3].nDownCalls = {10};

        chart.resize(500, 300);
        chart.m_pBlocks = blocks.data();
        chart.m_nSeries = CStaCol::kSeriesCar;
        chart.m_nFloorCount = 3;
        chart.m_nFloorPitch = 40;  // columns 9 wide
        chart.m_nPlotWidth = 120;
        chart.m_nPlotHeight = 200;  // baseline at 225
        chart.m_nFullScale = 50;
        chart.m_nLabelStepValue = 10;
        chart.m_nLabelStepPixels = 40;
        chart.m_nVisibleWidth = 500;
        chart.m_nVisibleHeight = 300;
    }

    QImage Screen()
    {
        QImage image(chart.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        chart.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    std::array<strCallStatBlock, 4> blocks;
    CStaCol chart;
};

QColor PixelAt(const QImage& image, int x, int y) { return QColor::fromRgb(image.pixel(x, y)); }

} // namespace

TEST_F(ColumnChartTest, ColumnsStandOnTheBaselineInTheirBlocksColours)
{
    const auto columns = chart.Columns();
    ASSERT_EQ(columns.size(), 9u);
    // Floor 1: blocks 0, 1 and 3 side by side; block 3 keeps colour 3.
    EXPECT_EQ(columns[0].rc, QRect(45, 125, 9, 100));  // 25 of 50 on 200 pixels
    EXPECT_EQ(columns[2].nBlock, 3);
    // A negative count stands as no column; a full-scale count fills the plot.
    EXPECT_EQ(columns[5].rc, QRect(103, 225, 9, 0));
    EXPECT_EQ(columns[6].rc, QRect(125, 25, 9, 200));

    // A block with fewer floors leaves its place in later groups to the next.
    blocks[1].nFloorCount = 1;
    const auto fewer = chart.Columns();
    ASSERT_EQ(fewer.size(), 7u);
    EXPECT_EQ(fewer[4].nBlock, 3);
}

TEST_F(ColumnChartTest, SeriesScaleAndBadFiguresChooseWhatIsDrawn)
{
    chart.m_nSeries = CStaCol::kSeriesDown;
    EXPECT_EQ(chart.Columns()[2].rc.height(), 40);
    for (auto [series, scale, pitch] : {std::array{9, 50, 40}, {3, 0, 40}, {3, -5, 40}, {3, 50, 4}}) {
        chart.m_nSeries = series;
        chart.m_nFullScale = scale;
        chart.m_nFloorPitch = pitch;  // 4: no room for a column
        EXPECT_TRUE(chart.Columns().empty()) << series << " " << scale << " " << pitch;
    }
    chart.m_nSeries = CStaCol::kSeriesCar;
    chart.m_nFullScale = 50;
    chart.m_nFloorPitch = 40;

    // A block claiming more floors than it holds is read only as far as it goes.
    blocks[0].nFloorCount = 1000;
    chart.m_nFloorCount = 80;
    int highest = 0;
    for (const auto& c : chart.Columns())
        highest = std::max(highest, c.nFloor);
    EXPECT_EQ(highest, strCallStatBlock::kMaxFloors - 1);
    chart.DrawChartImage();  // and drawing it reads no further

    chart.m_pBlocks = nullptr;
    EXPECT_TRUE(chart.Columns().empty());
    Screen();
}

TEST_F(ColumnChartTest, TheScreenShowsTheChartFromTheScrollOffsetUnderFixedAxisAndLegend)
{
    blocks[0].nFloorCount = chart.m_nFloorCount = 20;
    blocks[0].nCarCalls.fill(40);
    chart.m_nScrollOffset = 100;
    const QImage screen = Screen();
    const QImage& image = chart.m_imgChart;
    for (int x = 60; x < 500; x += 7)
        for (int y = 40; y < 220; y += 11)
            ASSERT_EQ(screen.pixel(x, y), image.pixel(x + 100, y)) << x << "," << y;
    EXPECT_EQ(PixelAt(screen, 45, 100), kAxis);
    // An offset or size past the chart image shows what there is and no more.
    chart.m_nScrollOffset = 1300;
    QImage edge = Screen();
    EXPECT_EQ(edge.pixel(60, 100), image.pixel(1360, 100));
    EXPECT_EQ(PixelAt(edge, 200, 100), QColor(Qt::magenta));
    chart.m_nScrollOffset = -50;
    chart.m_nVisibleWidth = 100000;
    edge = Screen();
    EXPECT_EQ(PixelAt(edge, 10, 100), QColor(Qt::magenta));
    EXPECT_EQ(edge.pixel(60, 100), image.pixel(10, 100));
}

