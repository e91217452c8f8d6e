// The all-lifts page live against the bus simulator and a real database copy:
// faults shown and recorded once, a silent station going offline and back.
#include <QImage>

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

TEST_F(ShowAllLiveTest, AFaultIsShownRecordedOnceAndRaisesTheAlarmAndASilentStationGoesOfflineAndBack)
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

    // A silent station: its four tiles go offline with the red frame, the
    // others stay, and all come back.
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

