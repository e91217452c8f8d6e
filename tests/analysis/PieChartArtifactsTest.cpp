// Pictures of the charts, kept in ${build}/artifacts/analysis for a person to
// look at: a ring pie and a gradient pie with legends, the tilted pie as the
// analysis page shows it with one slice pulled out, and a column chart.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <array>

#include "analysis/CallStatBlock.h"
#include "analysis/PieChartWnd.h"
#include "analysis/StaCol.h"

namespace {

QString ArtifactPath(const char* name)
{
    const QString dir = QStringLiteral(LIFT_BINARY_DIR "/artifacts/analysis");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + QLatin1String(name);
}

struct Slice {
    const char* text;
    ARGB colour;
    double value;
};

const Slice kSlices[] = {
    {"Err 3: 一号梯门锁回路断开", 0xFFFFB6C1, 12},
    {"Err 7: 运行中安全回路断开", 0xFF0000FF, 7},
    {"Err 12: 上行超速", 0xFFFFD700, 5},
    {"Err 21: 平层感应器故障", 0xFF00FF7F, 3},
    {"Err 35: 抱闸检测", 0xFFFF8C00, 2},
    {"Err 40: 通讯中断", 0xFF8B0000, 1},
};

void Fill(CPieChartWnd& chart)
{
    int n = 0;
    for (const Slice& s : kSlices)
        ASSERT_NE(chart.AddItem(QString::number(++n), QString::fromUtf8(s.text), s.colour, s.value), nullptr);
}

} // namespace

TEST(PieChartArtifactsTest, FlatAndGradientPiesWithLegends)
{
    for (int style : {0, 1}) {
        CPieChartWnd chart;
        chart.Create(QStringLiteral("一号梯故障分布"), QRect(0, 0, 760, 520), nullptr, 1);
        chart.m_nStyle = style;
        chart.m_argbPanelFrom = 0xFFFFFFFF;
        chart.m_argbPanelTo = 0xFFDDE6F0;
        chart.m_crBackground = RGB(60, 60, 60);
        Fill(chart);
        chart.m_mapItems.at(1)->bHighlighted = 1;
        const QString path = ArtifactPath(style == 0 ? "pie-flat.png" : "pie-gradient.png");
        chart.m_strSavePath = path;
        chart.m_bSavePending = 1;
        const QImage image = chart.RenderChart();
        EXPECT_EQ(chart.m_bSavePending, 0);
        const QImage saved(path);
        ASSERT_FALSE(saved.isNull()) << path.toStdString();
        EXPECT_EQ(saved.size(), image.size());
    }
}

TEST(PieChartArtifactsTest, TiltedPieAsTheAnalysisPageShowsIt)
{
    QImage sheet(2 * 740 + 10, 710, QImage::Format_ARGB32);
    sheet.fill(Qt::black);
    QPainter painter(&sheet);
    for (int start : {0, 1}) {
        CPieChartWnd chart;
        chart.Create(QString(), QRect(0, 0, 740, 710), nullptr, 1);
        chart.m_fTiltAngle = 60.0f;
        ASSERT_TRUE(chart.SetPieSize(40.0f));
        const QRect client = chart.rect();
        chart.m_rcPie3D = QRect(QPoint(client.left() + 65, client.top() - 140), QPoint(client.right() - 65, client.bottom()));
        Fill(chart);
        if (start == 1) {
            // One slice covering most of the pie: drawn in two passes.
            chart.RemoveAllItems();
            chart.m_fStartAngle = 200.0f;
            chart.AddItem("1", "大", 0xFF4682B4, 30);
            chart.AddItem("2", "小", 0xFFFFD700, 4);
            chart.AddItem("3", "小", 0xFFDC143C, 3);
        }
        chart.SetItemOffset(chart.FindItem(start == 0 ? "2" : "3"), 5);
        painter.drawImage(start * 750, 0, chart.RenderChart());
    }
    painter.end();
    ASSERT_TRUE(sheet.save(ArtifactPath("pie-3d.png")));
}

// Eight start angles with the fourth slice pulled out, then a single item and
// a hundred items: the painter's order must hold for every layout.
TEST(PieChartArtifactsTest, TiltedPiesAtEveryStartAngle)
{
    const int w = 360, h = 300;
    QImage sheet(4 * w, 3 * h, QImage::Format_ARGB32);
    sheet.fill(Qt::black);
    QPainter painter(&sheet);
    for (int i = 0; i < 10; ++i) {
        CPieChartWnd chart;
        chart.Create(QString(), QRect(0, 0, w - 4, h - 4), nullptr, 1);
        chart.m_argbPanelTo = 0xFFE8EEF6;
        chart.m_strTitle = i < 8 ? QStringLiteral("起始角 %1°").arg(i * 45) : QStringLiteral("单项 / 一百项");
        chart.m_rcPie3D = QRect(50, 60, 250, 250);
        chart.m_fTiltAngle = 60.0f;
        chart.SetPieSize(40.0f);
        chart.m_fStartAngle = float(i * 45);
        if (i < 8) {
            Fill(chart);
            chart.SetItemOffset(chart.FindItem("4"), 5);
        } else if (i == 8) {
            chart.AddItem("1", "", 0xFF6495ED, 5);
        } else {
            chart.m_bShowPercent = 0;
            for (int k = 0; k < 100; ++k)
                chart.AddItem(QString::number(k), "", 0xFF000000u | ((k * 0x2F3B47u) & 0xFFFFFF), k == 0 ? 400 : 1 + k % 5);
        }
        painter.drawImage((i % 4) * w, (i / 4) * h, chart.RenderChart());
    }
    painter.end();
    ASSERT_TRUE(sheet.save(ArtifactPath("pie-3d-angles.png")));
}

TEST(PieChartArtifactsTest, ColumnChart)
{
    std::array<strCallStatBlock, 4> blocks;
    const char* captions[] = {"一号梯", "二号梯", "三号梯", "四号梯"};
    for (int k = 0; k < 4; ++k) {
        blocks[k].nUsed = k == 2 ? 0 : 1;  // the third block is empty
        blocks[k].nFloorCount = 18;
        blocks[k].strCaption = QString::fromUtf8(captions[k]);
        for (int f = 0; f < 18; ++f)
            blocks[k].nCarCalls[f] = (f * 7 + k * 13) % 40 + 2;
    }
    CStaCol chart;
    chart.resize(900, 480);
    chart.m_pBlocks = blocks.data();
    chart.m_nSeries = CStaCol::kSeriesCar;
    chart.m_nFloorCount = 18;
    chart.m_nFloorPitch = 60;
    chart.m_nPlotWidth = 18 * 60;
    chart.m_nPlotHeight = 400;
    chart.m_nFullScale = 50;
    chart.m_nLabelStepValue = 5;
    chart.m_nLabelStepPixels = 40;
    chart.m_nVisibleWidth = 900;
    chart.m_nVisibleHeight = 480;
    chart.m_nScrollLimit = 1400 - 900;
    chart.m_nScrollOffset = 0;
    QImage image(chart.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    chart.render(&image);
    ASSERT_TRUE(image.save(ArtifactPath("column-chart.png")));
}
