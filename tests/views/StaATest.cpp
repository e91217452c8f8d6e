// Lift tiles and group headers: status rules, colours sampled from the
// tile, floor texts within the name lists, and clicks.
#include <gtest/gtest.h>

#include <QFont>
#include <QTest>
#include <memory>

#include "link/LiftInf.h"
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

const QColor kGreen(0, 255, 0), kBlue(0, 0, 255), kRed(255, 0, 0);

} // namespace

TEST(StaATest, StatusRulesLaterOverrideEarlierAndTheIndicatorFollowsRunFlagsAndDoors)
{
    const QStringList texts = MakeTexts();
    auto lift = Lift(5);
    using F = CStaA::StatusFrame;
    struct Case { int flagA, flagB, bits; QString text; bool red; F frame; };
    // The fault of bit 4 and going offline are shown live (all-lifts tests);
    // here the rules under them: flags, and the highest of status bits 1..3.
    lift->nFaultCode = 12;
    for (const Case& c : {Case{0, 0, 0, texts[35], false, F::None}, Case{1, 0, 0, texts[44], false, F::None},
                          Case{1, 1, 0, texts[45], true, F::Alert}, Case{1, 1, 0b0110, texts[254], true, F::Alert},
                          Case{0, 0, 0b10000, texts[256] + QStringLiteral(":Err12"), true, F::Alert}}) {
        lift->bFlagA = std::uint8_t(c.flagA);
        lift->bFlagB = std::uint8_t(c.flagB);
        lift->nStatusBits = c.bits;
        const CStaA::strTileStatus st = CStaA::TileStatus(*lift, &texts);
        EXPECT_EQ(st.strText, c.text);
        EXPECT_EQ(st.bRed, c.red) << c.text.toStdString();
        EXPECT_EQ(st.frame, c.frame) << c.text.toStdString();
    }
    // Offline beats everything; a short text table gives empty texts, never
    // a read beyond it.
    lift->bOffline = 1;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).frame, F::Offline);
    const QStringList shortTable = {QStringLiteral("x")};
    EXPECT_EQ(CStaA::TileStatus(*lift, &shortTable).strText, QStringLiteral("Err:"));
    EXPECT_EQ(CStaA::TileStatus(*lift, nullptr).strText, QStringLiteral("Err:"));

    // The indicator: kind and colour by run state, flags and doors.
    lift->bOffline = 0;
    lift->nFaultCode = 0;
    using I = CStaA::Indicator;
    struct Ind { int run, doors, bits, flagA, flagB; I kind; QColor colour; };
    // Flags A and B together give a red stop bar, not the door pair.
    for (const Ind& c : {Ind{1, 0, 0, 0, 0, I::Up, kGreen}, Ind{1, 0, 0, 1, 0, I::Up, kBlue},
                         Ind{1, 0, 0b10000, 1, 0, I::Up, kRed}, Ind{2, 0, 0, 0, 0, I::Down, kGreen},
                         Ind{0, 1, 0, 0, 0, I::OpeningPair, kGreen}, Ind{0, 4, 0, 0, 0, I::OpeningPair, kGreen},
                         Ind{0, 2, 0, 0, 0, I::ClosingPair, kGreen}, Ind{0, 8, 0, 0, 0, I::ClosingPair, kGreen},
                         Ind{0, 1, 0, 1, 1, I::StopBar, kRed}}) {
        lift->nRunState = c.run;
        lift->nDoorFlags = c.doors;
        lift->nStatusBits = c.bits;
        lift->bFlagA = std::uint8_t(c.flagA);
        lift->bFlagB = std::uint8_t(c.flagB);
        const auto st = CStaA::TileStatus(*lift, &texts);
        EXPECT_EQ(st.indicator, c.kind) << c.run << " " << c.doors;
        EXPECT_EQ(st.crIndicator, c.colour) << c.run << " " << c.doors;
    }
    lift->bFlagA = lift->bFlagB = 0;
    lift->nRunState = 3;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::None);
    lift->nRunState = 0;
    lift->nDoorFlags = 0;
    EXPECT_EQ(CStaA::TileStatus(*lift, &texts).indicator, I::StopBar);
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

    // Painting such floors, or a door step out of range, does not fail either.
    TileFixture f(lift.get());
    f.tile.m_nDoorStep = 30;
    // Each floor shows its own number, so each picture differs from the last;
    // the first from that of a floor named by empty texts.
    lift->arrFloorNameHi[0].clear();
    lift->arrFloorNameLo[0].clear();
    lift->nCurFloor = 1;
    QImage previous = f.Render();
    for (int floor : {0, 56, 200, 255}) {
        lift->nCurFloor = floor;
        const QImage img = f.Render();
        EXPECT_NE(img, previous) << "floor " << floor;
        previous = img;
    }
}

TEST(StaATest, ClickOpensOnlyAnInstalledLift)
{
    auto lift = Lift(7);
    MessageSink main;
    TileFixture f(lift.get());
    f.tile.m_hMainWnd = &main;
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
    f.tile.m_hView = &main;
    f.tile.m_bDrag = 1;
    QTest::mouseRelease(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(&f.tile, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(main.Take(WM_CELL_DRAG_END).size(), 1u);
}

TEST(StaGTest, LongGroupNamesBreakAfterFourCharacters)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(15);
    EXPECT_EQ(CStaG::HeaderText(QStringLiteral("A区高层住宅一号楼客梯组"), 163, font),
              QStringLiteral("A区高层\n住宅一号楼客梯组"));
    EXPECT_EQ(CStaG::HeaderText(QStringLiteral("一组"), 163, font), QStringLiteral("一组"));
}
