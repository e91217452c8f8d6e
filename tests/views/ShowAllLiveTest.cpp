// The all-lifts page live against the bus simulator and a real database copy:
// tiles under their headers with their floors, faults shown and recorded once,
// a silent station going offline and back, and clicks that
// reach the main window.
#include <QImage>
#include <set>

#include "platform/UiText.h"
#include "views/ShowAllStation.h"
#include "views/ViewMessages.h"

using namespace showall_test;
using view_test::CountPixels;

namespace {

class ShowAllLiveTest : public ShowAllStation {
protected:
    // Waits until every lift of the list reports online (or offline).
    bool WaitOnline(std::initializer_list<int> lifts, bool online, int ms = 5000)
    {
        return WaitFor([&] {
            for (int n : lifts)
                if ((Lift(n).bOffline == 0) != online)
                    return false;
            return true;
        }, ms);
    }

    // Pixels of the tile's 5-pixel status frame that are drawn in the colour.
    int FramePixels(int n, const QColor& c)
    {
        const QImage img = Tile(n)->grab().toImage();
        const QRect inner = img.rect().adjusted(8, 8, -8, -8);
        return CountPixels(img, img.rect(), [&](QRgb px) { return view_test::Near(px, c, 8); })
               - CountPixels(img, inner, [&](QRgb px) { return view_test::Near(px, c, 8); });
    }
};

} // namespace

TEST_F(ShowAllLiveTest, TwelveLiftsInTwoGroupsStandUnderTheirHeadersWithTheirFloors)
{
    // Lift 2 names its third floor "M3"; the others keep their numbers.
    extraSql.push_back({QStringLiteral("Update KALOR_LiftData_2_FloorName Set FloorNameHi='M', FloorNameLo='3' "
                                       "Where FloorNum=3"),
                        {}});
    Start(TwelveLifts());
    ASSERT_FALSE(HasFatalFailure());
    std::map<int, int> floorOf;
    for (int n = 1; n <= 12; ++n) {
        floorOf[n] = n == 2 ? 3 : (n * 5) % (8 + n) + 1;
        ASSERT_TRUE(sim->command(QStringLiteral("floor %1 %2").arg(n).arg(floorOf[n])));
    }
    StartPolling();
    ASSERT_TRUE(WaitFor([&] {
        for (int n = 1; n <= 12; ++n)
            if (Lift(n).nCurFloor != floorOf[n] || Lift(n).bOffline)
                return false;
        return true;
    })) << "the status poll did not bring every floor";
    QTest::qWait(200);  // a few refreshes

    ASSERT_EQ(page->HeaderCount(), 2);
    const CStaG* north = page->Header(0);
    const CStaG* south = page->Header(1);
    ASSERT_TRUE(north->isVisible() && south->isVisible());
    EXPECT_EQ(north->m_strGroupName, QStringLiteral("North"));
    EXPECT_EQ(south->m_strGroupName, QStringLiteral("South"));
    EXPECT_EQ(north->m_nGroupIndex, 0);
    EXPECT_EQ(south->m_nGroupIndex, 1);
    EXPECT_LT(north->geometry().right(), south->geometry().left());

    std::set<int> columns;
    for (int n = 1; n <= 12; ++n) {
        CStaA* tile = Tile(n);
        ASSERT_TRUE(tile->isVisible()) << "lift " << n;
        ASSERT_EQ(tile->m_pLiftInf, &Lift(n));
        const QRect header = (n <= 7 ? north : south)->geometry();
        const QRect rc = tile->geometry();
        EXPECT_GE(rc.left(), header.left()) << "lift " << n;
        EXPECT_LE(rc.right(), header.right() + 1) << "lift " << n;
        EXPECT_GT(rc.top(), header.bottom()) << "lift " << n;
        EXPECT_LE(rc.bottom(), page->height()) << "lift " << n;
        columns.insert(rc.left());
        const QString expected = n == 2 ? QStringLiteral("M3") : QString::number(floorOf[n]);
        EXPECT_EQ(CStaA::FloorText(*tile->m_pLiftInf), expected) << "lift " << n;
        // Something is painted in the floor box.
        const QImage img = tile->grab().toImage();
        EXPECT_GT(CountPixels(img, tile->m_geo.rcFloor, [](QRgb px) { return view_test::IsLightText(px, 150); }), 3)
            << "lift " << n;
    }
    // Five lifts a column: North takes two columns (5 + 2), South one.
    EXPECT_EQ(columns.size(), 3u);
    EXPECT_EQ(Tile(6)->geometry().top(), Tile(1)->geometry().top());
    EXPECT_EQ(Tile(8)->geometry().top(), Tile(1)->geometry().top());
    EXPECT_GT(Tile(6)->geometry().left(), Tile(5)->geometry().right());
    // Slots without a lift stay hidden.
    for (int n = 13; n <= 64; ++n)
        EXPECT_FALSE(Tile(n)->isVisible()) << "lift " << n;
    // The header of the two-column group spans both.
    EXPECT_GE(north->geometry().right() + 1, Tile(6)->geometry().right());
}

TEST_F(ShowAllLiveTest, AFaultShowsOnItsTileIsRecordedOnceAndRaisesTheAlarm)
{
    Start(TwelveLifts());
    ASSERT_FALSE(HasFatalFailure());
    StartPolling();
    ASSERT_TRUE(WaitOnline({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, true));
    QTest::qWait(300);
    EXPECT_TRUE(FaultRows(3).empty());

    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 12")));
    const QString shown = UiText(&texts, 256) + QStringLiteral(":Err12");
    ASSERT_TRUE(WaitFor([&] { return StatusText(3) == shown; })) << StatusText(3).toStdString();
    const CStaA::strTileStatus st = CStaA::TileStatus(Lift(3), &texts);
    EXPECT_TRUE(st.bRed);
    EXPECT_EQ(st.frame, CStaA::StatusFrame::Alert);
    EXPECT_GT(FramePixels(3, QColor(239, 245, 160)), 100);
    EXPECT_EQ(FramePixels(4, QColor(239, 245, 160)), 0);

    // Many status replies and refreshes later the fault is still one row.
    QTest::qWait(1500);
    EXPECT_EQ(FaultRows(3), std::vector<int>{12});
    EXPECT_TRUE(FaultRows(4).empty());
    auto alarms = mainWnd.Take(WM_FAULT_ALARM);
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].wParam, 0u);
    EXPECT_EQ(alarms[0].lParam, 12);

    // Cleared: no row, the alarm goes down. A later fault is a second row.
    mainWnd.messages.clear();
    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 0")));
    ASSERT_TRUE(WaitFor([&] { return Lift(3).nFaultCode == 0; }));
    QTest::qWait(300);
    EXPECT_EQ(FaultRows(3), std::vector<int>{12});
    alarms = mainWnd.Take(WM_FAULT_ALARM);
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].lParam, 0);

    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 7")));
    ASSERT_TRUE(WaitFor([&] { return FaultRows(3).size() == 2; }));
    QTest::qWait(800);
    EXPECT_EQ(FaultRows(3), (std::vector<int>{12, 7}));

    // A database that takes no writes is reported once, without a modal box
    // inside the refresh, and the faults seen meanwhile are written later.
    const int before = boxes.count();
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("PRAGMA query_only = 1")));
    for (int code : {40, 41}) {
        ASSERT_TRUE(sim->command(QStringLiteral("fault 3 %1").arg(code)));
        ASSERT_TRUE(WaitFor([&] { return db->PendingFaults() == code - 39; }));
    }
    EXPECT_EQ(boxes.count(), before + 1) << boxes.texts().join(QLatin1Char(10)).toStdString();
    EXPECT_EQ(boxes.modalCount(), 0);
    ASSERT_TRUE(db->m_pAdo->ExecuteSql(QStringLiteral("PRAGMA query_only = 0")));
    EXPECT_TRUE(WaitFor([&] { return FaultRows(3) == std::vector<int>{12, 7, 40, 41}; }));
}

TEST_F(ShowAllLiveTest, ASilentStationTurnsItsFourTilesOfflineAndBack)
{
    Start(TwelveLifts());
    ASSERT_FALSE(HasFatalFailure());
    StartPolling();
    ASSERT_TRUE(WaitOnline({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, true));

    ASSERT_TRUE(sim->command(QStringLiteral("silent 3 1")));
    ASSERT_TRUE(WaitOnline({9, 10, 11, 12}, false));
    QTest::qWait(400);
    EXPECT_TRUE(WaitOnline({1, 2, 3, 4, 5, 6, 7, 8}, true, 0));
    const QString offline = QStringLiteral("Err:") + UiText(&texts, 74);
    for (int n = 9; n <= 12; ++n) {
        EXPECT_EQ(StatusText(n), offline) << "lift " << n;
        EXPECT_GT(FramePixels(n, QColor(255, 0, 0)), 100) << "lift " << n;
    }
    EXPECT_EQ(FramePixels(8, QColor(255, 0, 0)), 0);
    EXPECT_NE(StatusText(8), offline);

    ASSERT_TRUE(sim->command(QStringLiteral("silent 3 0")));
    ASSERT_TRUE(WaitOnline({9, 10, 11, 12}, true));
    QTest::qWait(200);
    for (int n = 9; n <= 12; ++n) {
        EXPECT_NE(StatusText(n), offline) << "lift " << n;
        EXPECT_EQ(FramePixels(n, QColor(255, 0, 0)), 0) << "lift " << n;
    }
}

TEST_F(ShowAllLiveTest, ClicksOpenTheLiftAndTheGroupButNotAnEmptySlot)
{
    Start(TwelveLifts());
    ASSERT_FALSE(HasFatalFailure());
    // A member without a lift (slot 20) gets a tile but opens nothing.
    groups[1].byLiftNum[std::size_t(groups[1].nLiftCount++)] = 20;
    ShowPage();
    ASSERT_TRUE(Tile(20)->isVisible());

    QTest::mouseClick(Tile(6), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(Tile(20), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(page->Header(1), Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseClick(page->Header(0), Qt::LeftButton, {}, QPoint(10, 5));

    const auto opens = mainWnd.Take(WM_OPEN_LIFT);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].wParam, 1u);
    EXPECT_EQ(opens[0].lParam, 6);
    const auto shows = mainWnd.Take(WM_SHOW_GROUP);
    ASSERT_EQ(shows.size(), 2u);
    EXPECT_EQ(shows[0].lParam, 1);
    EXPECT_EQ(shows[1].lParam, 0);
    // A click is not a drag: the page stays where the main window put it.
    EXPECT_EQ(page->pos(), QPoint(0, kPageTop));
}
