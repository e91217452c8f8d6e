// Lift tiles and group headers: status rules, colours sampled from the
// painted tile, door frames by step, clicks and the door animation.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QTest>
#include <memory>

#include "link/LiftInf.h"
#include "pics/BitmapResource.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/ViewMessages.h"
#include "views/ViewTestSupport.h"

using namespace view_test;

namespace {

constexpr int kW = 160;
constexpr int kH = 157;

std::unique_ptr<strLiftInf> Lift(int num, int kind = 1)
{
    auto lift = std::make_unique<strLiftInf>();
    lift->nLiftNum = num;
    lift->nKind = kind;
    lift->nModel = 2;
    lift->nCurFloor = 3;
    lift->strName = QStringLiteral("%1号梯").arg(num);
    for (int f = 1; f <= 12; ++f) {
        lift->arrFloorNameHi << QString();
        lift->arrFloorNameLo << QString::number(f);
    }
    return lift;
}

struct TileFixture {
    QStringList texts = MakeTexts();
    CStaA tile;
    TileFixture(strLiftInf* lift)
    {
        tile.m_pLiftInf = lift;
        tile.m_pLanText = &texts;
        tile.SetTileSize(kW, kH);
    }
    QImage Render()
    {
        QImage img(kW, kH, QImage::Format_ARGB32);
        img.fill(Qt::magenta);
        tile.render(&img);
        return img;
    }
};

QPoint Centroid(const TileTriangle& t)
{
    return QPoint((t[0].x() + t[1].x() + t[2].x()) / 3, (t[0].y() + t[1].y() + t[2].y()) / 3);
}

const QColor kGreen(0, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0), kAlert(239, 245, 160);

} // namespace

TEST(StaATest, StatusRulesLaterOverrideEarlier)
{
    const QStringList texts = MakeTexts();
    auto lift = Lift(5);

    CStaA::strTileStatus st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.strText, texts[35]);
    EXPECT_FALSE(st.bRed);
    EXPECT_EQ(st.frame, CStaA::StatusFrame::None);

    lift->bFlagA = 1;
    st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.strText, texts[44]);
    EXPECT_FALSE(st.bRed);

    lift->bFlagB = 1;
    st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.strText, texts[45]);
    EXPECT_TRUE(st.bRed);
    EXPECT_EQ(st.frame, CStaA::StatusFrame::Alert);

    // Status bits 1..3: the highest set bit's text wins.
    lift->nStatusBits = 0b0110;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).strText, texts[254]);

    // Bit 4 with fault 12: its text, ":Err" and the code.
    lift->bFlagA = 0;
    lift->bFlagB = 0;
    lift->nStatusBits = 0b10000;
    lift->nFaultCode = 12;
    st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.strText, texts[256] + QStringLiteral(":Err12"));
    EXPECT_TRUE(st.bRed);
    EXPECT_EQ(st.frame, CStaA::StatusFrame::Alert);

    // Offline beats everything.
    lift->bOffline = 1;
    lift->bFlagB = 1;
    st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.strText, QStringLiteral("Err:") + texts[74]);
    EXPECT_EQ(st.frame, CStaA::StatusFrame::Offline);

    // A short text table gives empty texts, never a read beyond it.
    const QStringList shortTable = {QStringLiteral("x")};
    EXPECT_EQ(CStaA::TileStatus(*lift, &shortTable).strText, QStringLiteral("Err:"));
    EXPECT_EQ(CStaA::TileStatus(*lift, nullptr).strText, QStringLiteral("Err:"));
}

TEST(StaATest, IndicatorKindAndColourByRunStateFlagsAndDoors)
{
    const QStringList texts = MakeTexts();
    auto lift = Lift(5);
    using I = CStaA::Indicator;

    lift->nRunState = 1;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::Up);
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).crIndicator, kGreen);
    lift->bFlagA = 1;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).crIndicator, kBlue);
    lift->nStatusBits = 0b10000;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).crIndicator, kRed);
    lift->nStatusBits = 0;
    lift->bFlagA = 0;

    lift->nRunState = 2;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::Down);
    lift->nRunState = 3;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::None);

    lift->nRunState = 0;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::StopBar);
    for (int bit : {0, 2}) {
        lift->nDoorFlags = 1 << bit;
        EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::OpeningPair);
    }
    for (int bit : {1, 3}) {
        lift->nDoorFlags = 1 << bit;
        EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::ClosingPair);
    }
    // Flags A and B together: a red stop bar, not the door pair.
    lift->nDoorFlags = 1;
    lift->bFlagA = 1;
    lift->bFlagB = 1;
    const auto st = CStaA::TileStatus(*lift, &texts);
    EXPECT_EQ(st.indicator, I::StopBar);
    EXPECT_EQ(st.crIndicator, kRed);
}

TEST(StaATest, PaintedColoursMatchTheRules)
{
    auto lift = Lift(7);
    TileFixture f(lift.get());
    const strTileGeometry& g = f.tile.m_geo;
    const int m = f.tile.m_nMargin;
    ASSERT_EQ(m, 2);

    // Moving up, all well: green up arrow, white status, no frame.
    lift->nRunState = 1;
    QImage img = f.Render();
    EXPECT_TRUE(Near(img.pixel(Centroid(g.ptUp)), kGreen));
    EXPECT_FALSE(Near(img.pixel(m, kH / 2), kRed, 40));
    EXPECT_FALSE(Near(img.pixel(m, kH / 2), kAlert, 40));
    EXPECT_GT(CountPixels(img, g.rcStatus, [](QRgb p) { return IsLightText(p, 200); }), 10);
    EXPECT_EQ(CountPixels(img, g.rcStatus, IsRedText), 0);

    // Fault on status bit 4: red arrow, alert frame, red status text.
    lift->nRunState = 2;
    lift->nStatusBits = 0b10000;
    lift->nFaultCode = 12;
    img = f.Render();
    EXPECT_TRUE(Near(img.pixel(Centroid(g.ptDown)), kRed));
    EXPECT_TRUE(Near(img.pixel(m, kH / 2), kAlert));
    EXPECT_GT(CountPixels(img, g.rcStatus, IsRedText), 10);

    // Offline and standing with the doors opening: red frame, the door pair
    // stays green.
    lift->nStatusBits = 0;
    lift->bOffline = 1;
    lift->nRunState = 0;
    lift->nDoorFlags = 1;
    img = f.Render();
    EXPECT_TRUE(Near(img.pixel(m, kH / 2), kRed));
    EXPECT_TRUE(Near(img.pixel(kW - 1 - m, kH / 2), kRed));
    EXPECT_TRUE(Near(img.pixel(Centroid(g.ptOpenL)), kGreen));
    EXPECT_FALSE(Near(img.pixel(g.rcStopBar.center()), kGreen));
}

TEST(StaATest, BackgroundByModelAndDoorFrameByStep)
{
    auto lift = Lift(1);
    TileFixture f(lift.get());
    const QRect door = f.tile.m_geo.rcDoor;
    // Probe a spot on the tile body and the door's middle.
    const QPoint body(4, kH / 2);
    const QPoint mid(door.center().x(), door.top() + door.height() / 2);

    auto expectPixel = [](const QImage& img, QPoint at, int bitmap, QSize size, QPoint origin) {
        const QImage ref = LoadScaledBitmap(bitmap, size);
        ASSERT_FALSE(ref.isNull()) << bitmap;
        EXPECT_TRUE(Near(img.pixel(at), QColor(ref.pixel(at - origin)), 2)) << bitmap;
    };

    lift->nModel = 1;
    QImage img = f.Render();
    expectPixel(img, body, CStaA::kBackModel1, QSize(kW, kH), QPoint());
    lift->nModel = 3;
    img = f.Render();
    expectPixel(img, body, CStaA::kBackDefault, QSize(kW, kH), QPoint());

    for (int step : {0, 5, 11}) {
        f.tile.m_nDoorStep = step;
        img = f.Render();
        expectPixel(img, mid, CStaA::kFirstDoorBitmap + step, door.size(), door.topLeft());
    }
    // Frame 0 and frame 11 differ in the door's middle (leaves against car).
    f.tile.m_nDoorStep = 0;
    const QRgb closed = f.Render().pixel(mid);
    f.tile.m_nDoorStep = 11;
    const QRgb open = f.Render().pixel(mid);
    EXPECT_NE(closed, open);
    // A step outside 0..11 draws the nearest frame.
    f.tile.m_nDoorStep = 40;
    EXPECT_EQ(f.Render().pixel(mid), open);
    f.tile.m_nDoorStep = -3;
    EXPECT_EQ(f.Render().pixel(mid), closed);

    // A slot without a lift shows no door, no status and no indicator.
    lift->nKind = 0;
    lift->nRunState = 1;
    img = f.Render();
    expectPixel(img, mid, CStaA::kBackDefault, QSize(kW, kH), QPoint());
    EXPECT_FALSE(Near(img.pixel(Centroid(f.tile.m_geo.ptUp)), kGreen));
}

TEST(StaATest, FloorTextNeverReadsBeyondTheNameLists)
{
    auto lift = Lift(1);
    lift->arrFloorNameHi[2] = QStringLiteral("1");
    lift->nCurFloor = 3;
    EXPECT_EQ(CStaA::FloorText(*lift), QStringLiteral("13"));
    for (int floor : {0, 13, 200, 255, -1}) {
        lift->nCurFloor = floor;
        EXPECT_EQ(CStaA::FloorText(*lift), QString::number(floor));
    }
    // Lists of different lengths: only floors both lists name get names.
    lift->arrFloorNameLo.erase(lift->arrFloorNameLo.begin() + 5, lift->arrFloorNameLo.end());
    lift->nCurFloor = 8;
    EXPECT_EQ(CStaA::FloorText(*lift), QStringLiteral("8"));

    // Painting such floors does not fail either.
    TileFixture f(lift.get());
    for (int floor : {0, 56, 200, 255}) {
        lift->nCurFloor = floor;
        EXPECT_FALSE(f.Render().isNull());
    }
}

TEST(StaATest, ClickOpensOnlyAnInstalledLift)
{
    auto lift = Lift(7);
    MessageSink main, view;
    TileFixture f(lift.get());
    f.tile.m_hMainWnd = &main;
    f.tile.m_hView = &view;
    f.tile.show();

    QTest::mouseClick(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    auto open = main.Take(WM_OPEN_LIFT);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].wParam, 1u);
    EXPECT_EQ(open[0].lParam, 7);

    // Kinds other than 1 (an empty slot, an unknown kind) post nothing.
    for (int kind : {0, 2, -1}) {
        main.messages.clear();
        lift->nKind = kind;
        QTest::mouseClick(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
        EXPECT_TRUE(main.Take(WM_OPEN_LIFT).empty()) << kind;
    }
    // A tile without a record, or a record with a bad lift number, neither.
    lift->nKind = 1;
    lift->nLiftNum = 65;
    main.messages.clear();
    QTest::mouseClick(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    f.tile.m_pLiftInf = nullptr;
    QTest::mouseClick(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(main.Take(WM_OPEN_LIFT).empty());

    // Button up during a drag ends it at the view, once.
    f.tile.m_bDrag = 1;
    QTest::mouseRelease(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(view.Take(WM_CELL_DRAG_END).size(), 1u);
    EXPECT_EQ(f.tile.m_bDrag, 0);
}

TEST(StaATest, DoorAnimationStepsElevenFramesEachWay)
{
    auto lift = Lift(1);
    TileFixture f(lift.get());
    f.tile.StartDoorMotion(CStaA::DoorMotion::Opening);
    int steps = 0;
    while (f.tile.DoorAnimStep() && steps < 100)
        ++steps;
    // Eleven frames, then one tick that notices the end.
    EXPECT_EQ(steps, 11);
    EXPECT_EQ(f.tile.m_nDoorStep, 11);
    EXPECT_EQ(f.tile.GetDoorMotion(), CStaA::DoorMotion::None);
    EXPECT_FALSE(f.tile.DoorAnimStep());
    EXPECT_EQ(f.tile.m_nDoorStep, 11);

    // Closing from half way runs back to 0.
    f.tile.m_nDoorStep = 5;
    f.tile.StartDoorMotion(CStaA::DoorMotion::Closing);
    steps = 0;
    while (f.tile.DoorAnimStep() && steps < 100)
        ++steps;
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(f.tile.m_nDoorStep, 0);

    // A step set out of range by hand comes back into range.
    f.tile.m_nDoorStep = 30;
    f.tile.StartDoorMotion(CStaA::DoorMotion::Opening);
    f.tile.DoorAnimStep();
    EXPECT_EQ(f.tile.m_nDoorStep, 11);
}

TEST(StaGTest, HeaderClickShowsItsGroupAndLongNamesBreak)
{
    MessageSink main, view;
    CStaG header;
    header.m_hMainWnd = &main;
    header.m_hView = &view;
    header.m_nGroupIndex = 3;
    header.m_strGroupName = QStringLiteral("A区高层住宅一号楼客梯组");
    header.SetHeaderSize(163, 40);
    header.show();

    QTest::mouseClick(&header, Qt::LeftButton, {}, QPoint(10, 10));
    auto show = main.Take(WM_SHOW_GROUP);
    ASSERT_EQ(show.size(), 1u);
    EXPECT_EQ(show[0].lParam, 3);

    header.m_bDrag = 1;
    QTest::mouseRelease(&header, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(view.Take(WM_CELL_DRAG_END).size(), 1u);
    EXPECT_EQ(header.m_bDrag, 0);

    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(15);
    // Too wide: first four characters, a line break, the rest.
    EXPECT_EQ(CStaG::HeaderText(header.m_strGroupName, 163, font),
              QStringLiteral("A区高层\n住宅一号楼客梯组"));
    EXPECT_EQ(CStaG::HeaderText(QStringLiteral("一组"), 163, font), QStringLiteral("一组"));

    // Painted: cyan text inside the header, both lines whole.
    QImage img(header.size(), QImage::Format_ARGB32);
    img.fill(Qt::magenta);
    header.render(&img);
    EXPECT_EQ(header.m_strShowText, QStringLiteral("A区高层\n住宅一号楼客梯组"));
    const auto cyan = [](QRgb p) { return qRed(p) < 90 && qGreen(p) > 200 && qBlue(p) > 200; };
    EXPECT_GT(CountPixels(img, QRect(0, 0, 163, 20), cyan), 10);
    EXPECT_GT(CountPixels(img, QRect(0, 20, 163, 20), cyan), 10);
    EXPECT_GE(header.m_rcMeasure.height(), 2 * QFontMetrics(font).height() - 2);
}
