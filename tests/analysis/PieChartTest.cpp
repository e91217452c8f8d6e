// The pie chart as the analysis page shows it, tilted: its items, projected
// angles, front and back slices and the painter's order, the click that pulls
// a slice out, the label places and what the rendered slices look like; on
// real windows rendered offscreen. (The flat styles are never used.)
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <cmath>
#include <limits>
#include <memory>
#include <set>

#include "analysis/PieChartWnd.h"

namespace {

constexpr double kRad = 3.14159265358979 / 180.0;

std::unique_ptr<CPieChartWnd> MakeChart(QSize size)
{
    auto chart = std::make_unique<CPieChartWnd>();
    EXPECT_TRUE(chart->Create(QString(), QRect(QPoint(0, 0), size), nullptr, 1));
    return chart;
}

QColor PixelAt(const QImage& image, QPoint p) { return QColor::fromRgb(image.pixel(p)); }

void Click(QWidget& w, QPoint p)
{
    QMouseEvent press(QEvent::MouseButtonPress, p, w.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
}

TEST(PieChartTest, AddItemRefusesBadLabelsAndValuesAndChangesNothing)
{
    auto chart = MakeChart({400, 300});
    ASSERT_NE(chart->AddItem("1", "first", 0xFFFF0000, 3.0), nullptr);

    for (const auto& [label, value] : {std::pair{"", 1.0}, {"1", 9.0}, {"2", 0.0}, {"3", -5.0}, {"4", std::nan("")},
                                       {"5", std::numeric_limits<double>::infinity()}})
        EXPECT_EQ(chart->AddItem(label, "", 0xFF00FF00, value), nullptr) << label;
    EXPECT_EQ(chart->m_dTotal, 3.0);
    EXPECT_EQ(chart->m_mapItems.size(), 1u);

    // A value that would make the total infinite, and so every fraction NaN.
    auto big = MakeChart({400, 300});
    ASSERT_NE(big->AddItem("a", "", 0xFFFF0000, 1e308), nullptr);
    EXPECT_EQ(big->AddItem("b", "", 0xFFFF0000, 1e308), nullptr);
    // Fractions follow every add; keys start again after clearing.
    chart->AddItem("2", "", 0xFF00FF00, 1.0);
    EXPECT_FLOAT_EQ(chart->m_mapItems.at(0)->fFraction, 0.75f);
    chart->RemoveAllItems();
    ASSERT_NE(chart->AddItem("2", "", 0xFF00FF00, 1.0), nullptr);
    EXPECT_EQ(chart->m_mapItems.begin()->first, 0);
}

TEST(PieChartTest, PieSizeRefusesWhatItCannotDivideBy)
{
    auto chart = MakeChart({600, 400});
    chart->m_rcPie3D = QRect(0, 0, 200, 200);
    EXPECT_FALSE(chart->SetPieSize(-1.0f));
    EXPECT_FALSE(chart->SetPieSize(std::nanf("")));
    EXPECT_TRUE(chart->SetPieSize(40.0f));
    const float ratio = chart->m_fDepthRatio;
    // A pie rectangle without height has nothing to divide by.
    chart->m_rcPie3D = QRect(0, 0, 200, 1);
    EXPECT_FALSE(chart->SetPieSize(40.0f));
    EXPECT_EQ(chart->m_fDepthRatio, ratio);
}

TEST(PieChartTest, PointAngleCoversTheFullTurnClockwise)
{
    const QRect r(0, 0, 200, 100);  // centre (100, 50)
    EXPECT_FLOAT_EQ(CPieChartWnd::PointAngle(100, 50, r), 0.0f);  // the centre itself
    for (int deg = 0; deg < 360; deg += 7) {
        const float x = 100 + 40 * float(std::cos(deg * kRad));
        const float y = 50 + 40 * float(std::sin(deg * kRad));
        EXPECT_NEAR(CPieChartWnd::PointAngle(x, y, r), float(deg), 1e-3) << deg;
    }
}
// A 300 x 300 pie centred at (250, 200), tilted by 60 degrees with the
// analysis page's size: squashed to 300 x 100, depth 40 / 148 x 100 = 27.
std::unique_ptr<CPieChartWnd> MakeTilted(float tilt = 60.0f, float size = 40.0f)
{
    auto chart = MakeChart({600, 420});
    chart->m_rcPie3D = QRect(100, 50, 300, 300);
    chart->m_fTiltAngle = tilt;
    EXPECT_TRUE(chart->SetPieSize(size));
    return chart;
}

void Fill(CPieChartWnd& chart, std::initializer_list<double> values)
{
    const ARGB colours[] = {0xFFFF0000, 0xFF00C000, 0xFF0000FF, 0xFFFFD700, 0xFF808080};
    int n = 0;
    for (double v : values) {
        ASSERT_NE(chart.AddItem(QString::number(n), QString(), colours[n % 5], v), nullptr);
        ++n;
    }
}

void Project(CPieChartWnd& chart)
{
    chart.CalcRimPoints();
    chart.Calc3DAngles();
    chart.FindFrontBackItems();
}

// Projected start angle of each slice in key order.
std::vector<float> Starts(const CPieChartWnd& chart)
{
    std::vector<float> starts;
    float a = chart.m_f3DStartAngle;
    for (const auto& [key, item] : chart.m_mapItems) {
        starts.push_back(a);
        a += item->f3DSweep;
    }
    return starts;
}

QRectF TopFace(const CPieChartWnd& chart)
{
    QRect top;
    chart.Calc3DRects(&top, nullptr);
    return QRectF(top);
}

// A point on the top face halfway out from the centre at a projected angle.
QPoint OnTopFace(const CPieChartWnd& chart, float angle)
{
    const QRectF top = TopFace(chart);
    QRectF half(0, 0, top.width() / 2, top.height() / 2);
    half.moveCenter(top.center());
    return CPieChartWnd::EllipsePoint(half, angle).toPoint();
}

// Which of the four test colours (in any shade) a pixel shows: r, g, b or y.
bool Hue(const QColor& c, char which)
{
    const bool red = c.red() > 150 && c.red() > c.blue() + 80, green = c.green() > 120 && c.green() > c.blue() + 60;
    const bool blue = c.blue() > 150 && c.blue() > c.red() + 80 && c.blue() > c.green() + 80;
    return which == 'y' ? red && green : which == 'r' ? red && !green : which == 'g' ? green && !red : blue;
}

} // namespace

TEST(Pie3DTest, ProjectedSweepsCloseTheCircleAndKeepEachHalf)
{
    for (float tilt : {0.0f, 60.0f, 85.0f}) {
        for (float start : {0.0f, 95.0f, -30.0f}) {
            auto chart = MakeTilted(tilt);
            chart->m_fStartAngle = start;
            Fill(*chart, {1, 2, 3, 4, 5});
            Project(*chart);
            float sum = 0;
            for (const auto& [key, item] : chart->m_mapItems) {
                EXPECT_GE(item->f3DSweep, 0.0f);
                sum += item->f3DSweep;
            }
            EXPECT_NEAR(sum, 360.0f, 0.01f) << tilt << " " << start;

            // Every rim point lies on the top face's ellipse at the slice's
            // projected end angle, and each slice starts where the last ended.
            const QRectF top = TopFace(*chart);
            const double depth = chart->m_fDepthRatio * (300 * tilt / 180 >= 150 ? 150 : int(300 * tilt / 180));
            const QPointF centre(250, 200 - depth / 2);
            const std::vector<float> starts = Starts(*chart);
            const PieChartItem* previous = chart->m_mapItems.rbegin()->second.get();
            std::size_t i = 0;
            for (const auto& [key, item] : chart->m_mapItems) {
                const double ex = (item->ptRim.x() - centre.x()) / (top.width() / 2);
                const double ey = (item->ptRim.y() - centre.y()) / (top.height() / 2);
                EXPECT_NEAR(ex * ex + ey * ey, 1.0, 1e-3);
                const double angle = std::atan2(ey * top.height(), ex * top.width()) / kRad;
                const double end = starts[i] + item->f3DSweep;
                EXPECT_NEAR(std::remainder(angle - end, 360.0), 0.0, 0.05) << tilt << " " << start << " " << i;
                EXPECT_EQ(item->pt3DStart, previous->ptRim);
                previous = item.get();
                ++i;
            }
        }
    }

}

TEST(Pie3DTest, TinySlicesBesideAHugeOneStayTiny)
{
    for (float start = 0.0f; start < 360.0f; start += 45.0f) {
        auto chart = MakeTilted(60.0f);
        chart->m_fStartAngle = start;
        chart->AddItem("huge", "", 0xFFFF0000, 1e6);
        for (int i = 0; i < 99; ++i)
            chart->AddItem(QString::number(i), "", 0xFF0000FF, 1e-3);
        Project(*chart);
        float sum = 0;
        for (const auto& [key, item] : chart->m_mapItems) {
            ASSERT_TRUE(key == 0 || item->f3DSweep < 1.0f) << "start " << start << " key " << key;
            sum += item->f3DSweep;
        }
        EXPECT_NEAR(sum, 360.0f, 0.05f);
        EXPECT_EQ(chart->m_nFrontItem, 0);  // the huge slice is in front
    }
}

TEST(Pie3DTest, SlicesAreDrawnFromTheBackSliceAroundToTheFrontSlice)
{
    auto chart = MakeTilted();
    chart->m_fStartAngle = 10.0f;
    Fill(*chart, {1, 1, 1, 1});  // 10..100, 100..190, 190..280, 280..370
    Project(*chart);
    std::vector<int> keys;
    for (const auto& step : chart->DrawOrder3D())
        keys.push_back(step.key);
    EXPECT_EQ(keys, (std::vector<int>{2, 1, 3, 0}));
    // Any layout: every slice once, the back slice first and the front last.
    for (float start : {0.0f, 91.0f, 269.0f, 271.0f}) {
        auto c = MakeTilted();
        c->m_fStartAngle = start;
        Fill(*c, {3, 1, 4, 1, 5, 9, 2, 6});
        Project(*c);
        const auto order = c->DrawOrder3D();
        std::set<int> seen;
        for (const auto& step : order)
            seen.insert(step.key);
        EXPECT_EQ(std::make_pair(seen.size(), order.size()), std::make_pair(std::size_t(8), std::size_t(8)));  // each once
        EXPECT_EQ(order.front().key, c->m_nBackItem);
        EXPECT_EQ(order.back().key, c->m_nFrontItem);
        // The front slice covers 90 degrees, the back slice 270.
        const std::vector<float> starts = Starts(*c);
        for (auto [key, angle] : {std::pair{c->m_nFrontItem, 90.0f}, std::pair{c->m_nBackItem, 270.0f}}) {
            const float from = std::fmod(angle - starts[std::size_t(key)] + 720.0f, 360.0f);
            EXPECT_LE(from, c->m_mapItems.at(key)->f3DSweep) << start << " " << key;
        }
    }

    // A slice over half the pie wraps the others in two passes.
    auto right = MakeTilted();
    right->m_fStartAngle = 0.0f;
    Fill(*right, {10, 1, 1});  // 0..300, then two slices on the back right
    Project(*right);
    auto order = right->DrawOrder3D();
    ASSERT_EQ(order.size(), 4u);
    EXPECT_EQ(std::make_tuple(order[0].key, order[0].nPass, order[3].key, order[3].nPass), std::make_tuple(0, 6, 0, 4));

    // One item of any value is a whole turn, both front and back slice.
    for (float start : {0.0f, 180.0f}) {
        auto one = MakeTilted();
        one->m_fStartAngle = start;
        Fill(*one, {42});
        Project(*one);
        EXPECT_EQ(one->m_mapItems.at(0)->f3DSweep, 360.0f);
        order = one->DrawOrder3D();
        ASSERT_EQ(order.size(), 2u);
        EXPECT_EQ(std::make_pair(order[0].nPass, order[1].nPass), start == 0.0f ? std::make_pair(6, 4) : std::make_pair(7, 5));
    }
}

TEST(Pie3DTest, AClickPullsOutOnlyTheSliceHitAndAMissPutsAllBack)
{
    auto chart = MakeTilted();
    chart->m_fStartAngle = 10.0f;
    Fill(*chart, {1, 1, 1, 1});
    Project(*chart);
    const std::vector<float> starts = Starts(*chart);

    for (int k = 0; k < 4; ++k) {
        const PieChartItem* item = chart->m_mapItems.at(k).get();
        Click(*chart, OnTopFace(*chart, starts[std::size_t(k)] + item->f3DSweep / 2));
        for (const auto& [key, other] : chart->m_mapItems)
            EXPECT_EQ(other->nOffset, key == k ? 15 : 0) << k;  // 5 % of 300
    }

    // A miss puts every slice back.
    Click(*chart, QPoint(590, 410));
    for (const auto& [key, item] : chart->m_mapItems)
        EXPECT_EQ(item->nOffset, 0);
}

TEST(Pie3DTest, RenderedSlicesShowTheirColoursInFrontAndWherePulledOut)
{
    auto chart = MakeTilted();
    chart->m_fStartAngle = 10.0f;
    chart->m_bShowPercent = 0;
    chart->m_argbPanelFrom = chart->m_argbPanelTo = 0xFFFFFFFF;
    Fill(*chart, {1, 1, 1, 1});  // red front, green left, blue back, yellow right
    Project(*chart);
    const std::vector<float> starts = Starts(*chart);
    QRect top, bottom;
    chart->Calc3DRects(&top, &bottom);

    QImage image = chart->RenderChart();
    for (auto [k, hue] : {std::pair{0, 'r'}, {1, 'g'}, {2, 'b'}, {3, 'y'}}) {
        const float mid = starts[std::size_t(k)] + chart->m_mapItems.at(k)->f3DSweep / 2;
        EXPECT_TRUE(Hue(PixelAt(image, OnTopFace(*chart, mid)), hue)) << k;
    }
    // Below the front rim: the front slice's wall, over whatever lies behind.
    EXPECT_TRUE(Hue(PixelAt(image, QPoint(250, top.bottom() + 10)), 'r'));

    // The back slice pulled out: its colour shows past its old rim.
    const float backMid = starts[2] + chart->m_mapItems.at(2)->f3DSweep / 2;
    const QPoint beyond = CPieChartWnd::EllipsePoint(QRectF(top).adjusted(-6, -4, 6, 4), backMid).toPoint();
    EXPECT_EQ(PixelAt(image, beyond), QColor(Qt::white));
    chart->SetItemOffset(chart->m_mapItems.at(2).get(), 5);
    image = chart->RenderChart();
    EXPECT_TRUE(Hue(PixelAt(image, beyond), 'b'));
}

TEST(Pie3DTest, APercentageOfASlicePulledOutAtTheEdgeStaysInTheWindow)
{
    // The analysis page's pie: its rectangle reaches 65 pixels from the left
    // edge; the slice on the left, pulled out far, takes its text past it.
    auto chart = std::make_unique<CPieChartWnd>();
    ASSERT_TRUE(chart->Create(QString(), QRect(0, 0, 740, 710), nullptr, 1));
    chart->m_fTiltAngle = 60.0f;
    chart->SetPieSize(40.0f);
    chart->m_rcPie3D = QRect(QPoint(65, -140), QPoint(739 - 65, 709));
    chart->m_fStartAngle = 135.0f;
    Fill(*chart, {1, 3});  // the first slice spans 135..225, on the left
    chart->SetItemOffset(chart->m_mapItems.at(0).get(), 20);
    const QImage image = chart->RenderChart();
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < 45; ++x)
            ink += QColor::fromRgb(image.pixel(x, y)).lightness() < 100 ? 1 : 0;
    EXPECT_GT(ink, 20);
}
