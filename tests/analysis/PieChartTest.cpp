// The pie chart's items, shading, rectangles, legend sizes, hit testing and
// the flat and gradient styles, on a real window rendered offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <memory>

#include "analysis/PieChartWnd.h"

namespace {

constexpr double kRad = 3.14159265358979 / 180.0;

std::unique_ptr<CPieChartWnd> MakeChart(QSize size, int style = 2)
{
    auto chart = std::make_unique<CPieChartWnd>();
    EXPECT_TRUE(chart->Create(QString(), QRect(QPoint(0, 0), size), nullptr, 1));
    chart->m_nStyle = style;
    return chart;
}

// A point at a true angle (clockwise degrees) and radius from a centre.
QPoint At(QPointF centre, double angle, double radius)
{
    return QPoint(int(std::lround(centre.x() + std::cos(angle * kRad) * radius)),
                  int(std::lround(centre.y() + std::sin(angle * kRad) * radius)));
}

QColor PixelAt(const QImage& image, QPoint p) { return QColor::fromRgb(image.pixel(p)); }

void Click(QWidget& w, QPoint p)
{
    QMouseEvent press(QEvent::MouseButtonPress, p, w.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
}

} // namespace

TEST(PieChartTest, AddItemRefusesBadLabelsAndValuesAndChangesNothing)
{
    auto chart = MakeChart({400, 300});
    ASSERT_NE(chart->AddItem("1", "first", 0xFFFF0000, 3.0), nullptr);

    for (const auto& [label, value] : {std::pair{"", 1.0}, {"1", 9.0}, {"2", 0.0}, {"3", -5.0}, {"4", std::nan("")},
                                       {"5", std::numeric_limits<double>::infinity()}})
        EXPECT_EQ(chart->AddItem(label, "", 0xFF00FF00, value), nullptr) << label;
    EXPECT_EQ(chart->m_dTotal, 3.0);
    EXPECT_EQ(chart->m_mapItems.size(), 1u);

    // A value that would make the total infinite turns every fraction into NaN.
    auto big = MakeChart({400, 300});
    ASSERT_NE(big->AddItem("a", "", 0xFFFF0000, 1e308), nullptr);
    EXPECT_EQ(big->AddItem("b", "", 0xFFFF0000, 1e308), nullptr);
    EXPECT_EQ(big->m_mapItems.at(0)->fFraction, 1.0f);

    // Fractions follow every add; keys start again after clearing.
    chart->AddItem("2", "", 0xFF00FF00, 1.0);
    EXPECT_FLOAT_EQ(chart->m_mapItems.at(0)->fFraction, 0.75f);
    chart->RemoveAllItems();
    EXPECT_EQ(chart->m_dTotal, 0.0);
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

TEST(PieChartTest, FlatHitTestFindsTheSliceUnderThePoint)
{
    for (int style : {0, 1}) {
        auto chart = MakeChart({600, 400}, style);
        chart->m_rcPie3D = QRect(100, 100, 200, 200);  // centre (200, 200), radius 100
        chart->m_fStartAngle = 0.0f;
        PieChartItem* a = chart->AddItem("a", "", 0xFFFF0000, 1.0);  // 0..90
        PieChartItem* b = chart->AddItem("b", "", 0xFF00FF00, 1.0);  // 90..180
        PieChartItem* c = chart->AddItem("c", "", 0xFF0000FF, 2.0);  // 180..360
        const QPointF o(200, 200);

        for (const auto& [angle, item] : {std::pair{45, a}, {135, b}, {300, c}, {359, c}, {1, a}})
            EXPECT_EQ(chart->HitTest(At(o, angle, 70)), item) << angle;
        // On a border the point belongs to one of the two slices, never none.
        PieChartItem* border = chart->HitTest(At(o, 0, 70));
        EXPECT_TRUE(border == a || border == c);
        EXPECT_EQ(chart->HitTest(At(o, 45, 105)), nullptr);
        EXPECT_EQ(chart->HitTest(QPoint(590, 10)), nullptr);

        // The ring's hole (radius 6 x 200 / 15 / 2 = 40) hits nothing in style 0.
        EXPECT_EQ(chart->HitTest(At(o, 45, 20)), style == 0 ? nullptr : a);

        // A pulled-out slice is hit where it went, not where it was.
        EXPECT_TRUE(chart->SetItemOffset(a, 10));  // 20 pixels along 45 degrees
        EXPECT_EQ(chart->HitTest(At(o, 45, 110)), a);
        EXPECT_EQ(chart->HitTest(At(o, 45, style == 0 ? 50 : 10)), nullptr);

        // A click highlights the slice under it and clears the others.
        a->bHighlighted = 1;
        Click(*chart, At(o, 300, 70));
        EXPECT_TRUE(c->bHighlighted && !a->bHighlighted);
        Click(*chart, QPoint(590, 10));
        EXPECT_FALSE(c->bHighlighted);
    }
}

TEST(PieChartTest, FlatPercentagesSitOnTheirOwnSlices)
{
    for (int style : {0, 1}) {
        auto chart = MakeChart({600, 400}, style);
        chart->m_rcPie3D = QRect(100, 100, 200, 200);
        chart->m_fStartAngle = 30.0f;
        const double values[] = {5, 1, 3, 0.5, 2, 8};
        int n = 0;
        for (double v : values)
            chart->AddItem(QString::number(n++), "", 0xFF808080, v);
        chart->SetItemOffset(chart->FindItem("2"), 10);
        const std::vector<QPointF> anchors = chart->PercentLabelAnchors();
        ASSERT_EQ(anchors.size(), 6u);
        int i = 0;
        for (const auto& [key, item] : chart->m_mapItems) {
            EXPECT_EQ(chart->HitTest(anchors[std::size_t(i)].toPoint()), item.get()) << "style " << style << " item " << i;
            ++i;
        }
    }
}

TEST(PieChartTest, RenderedSlicesLegendAndBackgroundHaveTheirColours)
{
    auto chart = MakeChart({600, 400}, 1);
    chart->m_rcPie3D = QRect(100, 100, 200, 200);
    chart->m_crBackground = RGB(10, 20, 200);
    chart->m_argbPanelFrom = 0xFF102030;
    chart->m_argbPanelTo = 0xFF102030;
    chart->m_bShowPercent = 0;
    chart->AddItem("r", "red", 0xFFFF0000, 1.0);   // 0..180: the lower half
    chart->AddItem("b", "blue", 0xFF0000FF, 1.0);  // 180..360: the upper half
    const QImage image = chart->RenderChart();
    ASSERT_EQ(image.size(), QSize(600, 400));

    // COLORREF outside the rounded panel, ARGB inside it.
    EXPECT_EQ(PixelAt(image, {0, 0}), QColor(10, 20, 200));
    EXPECT_EQ(PixelAt(image, {310, 380}), QColor(0x10, 0x20, 0x30));

    const QColor red = PixelAt(image, {200, 250});
    EXPECT_GT(red.red(), 200);
    EXPECT_LT(red.blue(), 150);
    EXPECT_GT(PixelAt(image, {200, 150}).blue(), 200);

    // The highlight lays its colour over the slice.
    chart->m_mapItems.at(0)->bHighlighted = 1;
    const QColor lit = PixelAt(chart->RenderChart(), {200, 250});
    EXPECT_GT(lit.green(), red.green() + 40);

    // The ring keeps its hole (radius 41.5 + half the outline) in the panel colour.
    chart->m_nStyle = 0;
    chart->m_mapItems.at(0)->bHighlighted = 0;
    const QImage ring = chart->RenderChart();
    EXPECT_EQ(PixelAt(ring, {220, 220}), QColor(0x10, 0x20, 0x30));
    EXPECT_GT(PixelAt(ring, {200, 270}).red(), 200);
}

TEST(PieChartTest, AnyItemCountAndWindowSizeDrawsInEveryStyle)
{
    for (int style : {0, 1, 2, 7}) {
        for (QSize size : {QSize(1, 1), QSize(90, 40), QSize(600, 400), QSize(1600, 300)}) {
            for (int count : {0, 1, 100}) {
                auto chart = MakeChart(size, style);
                chart->m_fTiltAngle = 60.0f;
                chart->SetPieSize(40.0f);
                chart->m_strTitle = "故障统计";
                for (int i = 0; i < count; ++i)
                    chart->AddItem(QString::number(i), QStringLiteral("第%1项").arg(i), 0xFF000000u | ARGB(i * 0x030507),
                                   i == 0 ? 1000.0 : 0.01 * (i % 7 + 1));
                chart->AddItem("neg", "", 0xFFFFFFFF, -3.0);
                ASSERT_EQ(chart->RenderChart().size(), size);
                for (const QPointF& p : chart->PercentLabelAnchors())
                    ASSERT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
                for (const auto& [key, item] : chart->m_mapItems)
                    ASSERT_TRUE(std::isfinite(item->f3DSweep) && std::isfinite(item->ptRim.y()));
            }
        }
    }
    // A window of no size draws nothing and still drops a pending save.
    auto empty = MakeChart({0, 0}, 1);
    empty->m_bSavePending = 1;
    EXPECT_TRUE(empty->RenderChart().isNull());
    EXPECT_EQ(empty->m_bSavePending, 0);
}

TEST(PieChartTest, APendingSaveWritesOnceThroughTheEncoderOfItsExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto chart = MakeChart({320, 240}, 1);
    chart->AddItem("1", "", 0xFFFF0000, 1.0);

    const QString png = dir.filePath("chart.png");
    chart->m_strSavePath = png;
    chart->m_bSavePending = 1;
    QImage shown(chart->size(), QImage::Format_ARGB32);
    chart->render(&shown);  // a paint runs the save
    EXPECT_EQ(chart->m_bSavePending, 0);
    const QImage saved(png);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.pixel(100, 180), shown.pixel(100, 180));

    // Without a request nothing is written.
    chart->m_strSavePath = dir.filePath("again.png");
    chart->RenderChart();
    EXPECT_FALSE(QFile::exists(dir.filePath("again.png")));
}
