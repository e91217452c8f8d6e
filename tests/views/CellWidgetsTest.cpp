// Title bands and text cells of the single-lift page: frames and text colours
// by state, and what SetCellText / ClearCellText leave on a cell.
#include <gtest/gtest.h>

#include <QFont>

#include "pics/BitmapResource.h"
#include "views/StaO.h"
#include "views/StaShape.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

constexpr int kW = 120;
constexpr int kH = 70;
const QColor kBack(40, 40, 40);

QImage Render(QWidget& w)
{
    QImage img(w.size(), QImage::Format_ARGB32);
    img.fill(Qt::magenta);
    // Only what the widget paints itself, not the window's background.
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

struct Cell {
    CStaShape cell;
    Cell()
    {
        QFont f(QStringLiteral("Times New Roman"));
        f.setPixelSize(12);
        cell.setFont(f);
        cell.resize(kW, kH);
    }
};

// Text rows: the caption line and the line 15 pixels below it.
const QRect kLine1(3, 4, kW - 6, 14);
const QRect kLine2(3, 19, kW - 6, 14);

bool IsGreen(QRgb p) { return qGreen(p) > 120 && qRed(p) < 60 && qBlue(p) < 60; }
bool IsBlue(QRgb p) { return qBlue(p) > 120 && qRed(p) < 60 && qGreen(p) < 60; }

} // namespace

TEST(StaShapeTest, FramesByState)
{
    Cell c;
    c.cell.SetState(1);
    QImage img = Render(c.cell);
    const int y = kH / 2;
    // Three nested one-pixel frames, the right and bottom one pixel further in.
    EXPECT_TRUE(Near(img.pixel(0, y), QColor(51, 113, 18)));
    EXPECT_TRUE(Near(img.pixel(2, y), QColor(30, 81, 30)));
    EXPECT_TRUE(Near(img.pixel(kW - 2, y), QColor(51, 113, 18)));
    EXPECT_TRUE(Near(img.pixel(kW - 1, y), kBack));
    EXPECT_TRUE(Near(img.pixel(kW / 2, kH - 2), QColor(51, 113, 18)));
    EXPECT_TRUE(Near(img.pixel(kW / 2, y), kBack));

    for (int state : {4, 7}) {
        c.cell.SetState(state);
        img = Render(c.cell);
        EXPECT_TRUE(Near(img.pixel(1, y), QColor(180, 180, 180))) << state;
        EXPECT_TRUE(Near(img.pixel(0, y), kBack)) << state;
    }

    c.cell.SetState(0);
    img = Render(c.cell);
    EXPECT_TRUE(Near(img.pixel(1, y), QColor(50, 50, 50), 2));
    EXPECT_FALSE(Near(img.pixel(kW / 2, y), QColor(50, 50, 50), 2));
}

TEST(StaShapeTest, CaptionColourFollowsState)
{
    Cell c;
    c.cell.SetCaption(QStringLiteral("12"));
    const struct { int state; bool (*pred)(QRgb); } cases[] = {
        {1, IsGreen}, {2, IsBlue}, {3, IsRedText}, {6, IsRedText},
        {4, [](QRgb p) { return IsLightText(p, 180); }},
    };
    for (const auto& k : cases) {
        c.cell.SetState(k.state);
        const QImage img = Render(c.cell);
        EXPECT_GT(CountPixels(img, kLine1, k.pred), 3) << k.state;
    }
    // A state beyond 0..7 paints like state 0 and does not fail.
    c.cell.SetState(42);
    EXPECT_FALSE(Render(c.cell).isNull());
}

TEST(StaShapeTest, StateFiveShowsGreyCaptionAndRedFirstLine)
{
    Cell c;
    c.cell.SetCaption(QStringLiteral("通讯"));
    c.cell.SetState(4);
    c.cell.SetCellText(1, QColor(255, 0, 0), QStringLiteral("通讯中断"), QStringLiteral("通讯"));
    // Right after the write both lines are red.
    QImage img = Render(c.cell);
    EXPECT_GT(CountPixels(img, kLine1, IsRedText), 5);
    EXPECT_GT(CountPixels(img, kLine2, IsRedText), 5);

    // The cell then changes to state 5: the caption in light grey, the
    // padded first line in red below it.
    c.cell.SetState(5);
    img = Render(c.cell);
    EXPECT_EQ(CountPixels(img, kLine1, IsRedText), 0);
    EXPECT_GT(CountPixels(img, kLine1, [](QRgb p) { return IsLightText(p, 180); }), 5);
    EXPECT_GT(CountPixels(img, kLine2, IsRedText), 5);
}

TEST(StaShapeTest, SecondLineAloneKeepsTheFirstAndWipesLongerText)
{
    Cell c;
    c.cell.SetCaption(QStringLiteral("门状态"));
    c.cell.SetState(4);
    const QColor grey(210, 210, 210), red(255, 0, 0);
    c.cell.SetCellText(1, grey, QStringLiteral("888888888888"), QStringLiteral("X1"));
    const QString firstBefore = c.cell.m_strFirstPadded;

    c.cell.SetCellText(0, red, QStringLiteral("1"), QStringLiteral("ZZ"));
    EXPECT_EQ(c.cell.m_strFirstPadded, firstBefore);
    EXPECT_EQ(c.cell.m_strSecond, QStringLiteral("1"));
    EXPECT_EQ(c.cell.m_strSecondPadded, QString(14, ' ') + QStringLiteral("1") + QString(14, ' '));
    const QImage img = Render(c.cell);
    EXPECT_EQ(CountPixels(img, kLine1, IsRedText), 0);
    EXPECT_GT(CountPixels(img, kLine1, [](QRgb p) { return IsLightText(p, 180); }), 3);
    EXPECT_GT(CountPixels(img, kLine2, IsRedText), 2);
    // The blanks wiped the long grey text: nothing light is left beside the "1".
    const QRect sides[] = {QRect(3, 19, 45, 14), QRect(kW - 48, 19, 45, 14)};
    for (const QRect& r : sides)
        EXPECT_EQ(CountPixels(img, r, [](QRgb p) { return IsLightText(p, 120); }), 0);
}

TEST(StaShapeTest, ClearCellTextRewritesTheCaptionUntilTheStateChanges)
{
    Cell c;
    c.cell.SetCaption(QStringLiteral("12"));
    c.cell.SetState(1);
    c.cell.ClearCellText(QColor(0, 0, 200), QStringLiteral("12"));
    QImage img = Render(c.cell);
    EXPECT_GT(CountPixels(img, kLine1, IsBlue), 3);
    EXPECT_EQ(CountPixels(img, kLine1, IsGreen), 0);

    // A new state or hiding the cell goes back to the state's own look.
    c.cell.SetState(3);
    img = Render(c.cell);
    EXPECT_GT(CountPixels(img, kLine1, IsRedText), 3);
    EXPECT_EQ(CountPixels(img, kLine1, IsBlue), 0);

    c.cell.ClearCellText(QColor(0, 0, 200), QStringLiteral("12"));
    c.cell.show();
    c.cell.hide();
    img = Render(c.cell);
    EXPECT_EQ(CountPixels(img, kLine1, IsBlue), 0);
}

TEST(StaOTest, KindsDrawTheirBandsAndTextLine)
{
    CStaO band;
    band.resize(560, 46);
    band.m_strText = QStringLiteral("一号组  ------  1号梯  ------  VELA-S");

    // Kind 0 draws nothing at all.
    QImage img = Render(band);
    EXPECT_EQ(CountPixels(img, img.rect(), [](QRgb p) { return p != QColor(Qt::magenta).rgb(); }), 0);

    band.m_nKind = 1;
    img = Render(band);
    const QImage plain = LoadScaledBitmap(CStaO::kPlainBand, band.size());
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(img.pixel(100, 10), plain.pixel(100, 10));
    EXPECT_EQ(CountPixels(img, img.rect(), [](QRgb p) { return Near(p, QColor(220, 220, 220), 10); }), 0);

    // Kind 2: the text band with the text from y 25, lower with the large flag.
    const auto light = [](QRgb p) { return IsLightText(p, 170); };
    band.m_nKind = 2;
    img = Render(band);
    EXPECT_GT(CountPixels(img, QRect(7, 25, 393, 21), light), 20);
    EXPECT_EQ(CountPixels(img, QRect(0, 0, 560, 25), light), 0);
    EXPECT_EQ(CountPixels(img, QRect(401, 0, 159, 46), light), 0);

    band.resize(705, 60);
    band.m_bLarge = 1;
    img = Render(band);
    EXPECT_GT(CountPixels(img, QRect(7, 37, 393, 23), light), 20);
    EXPECT_EQ(CountPixels(img, QRect(0, 0, 705, 37), light), 0);
}
