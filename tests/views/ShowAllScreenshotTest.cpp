// Pictures of the all-lifts page for a person to look at, with the shipped UI
// texts: lifts moving, a door open, a fault and a silent station; and the page
// of a station whose line did not open.
#include <QImage>

#include "platform/UiText.h"
#include "views/ShowAllStation.h"

using namespace showall_test;

namespace {
class ShowAllScreenshotTest : public ShowAllStation {};
} // namespace

TEST_F(ShowAllScreenshotTest, PageWithLiftsMovingFaultedAndOffline)
{
    Start(TwelveLifts(), {QStringLiteral("--door"), QStringLiteral("6000"), QStringLiteral("--speed"),
                          QStringLiteral("1200")});
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(sim->command(QStringLiteral("floor 2 9")));
    ASSERT_TRUE(sim->command(QStringLiteral("floor 7 4")));
    // Up to the top for lifts 1, 5 and 8, down to the bottom for 2; lift 7
    // opens its doors where it stands.
    for (auto [n, floor] : {std::pair{1, 9}, {5, 13}, {8, 16}, {2, 1}, {7, 4}})
        ASSERT_EQ(comm.SendFloorCall(Lift(n), floor), COMM_OK) << "lift " << n;
    ASSERT_TRUE(sim->command(QStringLiteral("fault 3 12")));
    ASSERT_TRUE(sim->command(QStringLiteral("silent 3 1")));
    StartPolling();

    ASSERT_TRUE(WaitFor([&] {
        const auto moving = [&](int n) { return Lift(n).nRunState == 1 || Lift(n).nRunState == 2; };
        return moving(1) && moving(5) && moving(2) && Lift(1).nCurFloor >= 2 && Lift(3).nFaultCode == 12
               && Lift(9).bOffline && Lift(12).bOffline && Tile(7)->m_nDoorStep == 11;
    }, 8000)) << "run " << Lift(1).nRunState << " fault " << Lift(3).nFaultCode << " door " << Tile(7)->m_nDoorStep;
    QTest::qWait(200);

    const QImage shot = window->grab().toImage();
    const QString path = view_test::ArtifactPath(QStringLiteral("ShowAllPage.png"));
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    // The texts the picture must show come from the shipped table.
    EXPECT_EQ(StatusText(9), QStringLiteral("Err:") + UiText(&texts, 74));
    EXPECT_FALSE(UiText(&texts, 74).isEmpty());
    EXPECT_EQ(StatusText(3), UiText(&texts, 256) + QStringLiteral(":Err12"));
}

TEST_F(ShowAllScreenshotTest, PageOfAStationWithoutALine)
{
    Start(TwelveLifts(), {}, false);
    ASSERT_FALSE(HasFatalFailure());
    for (int n = 1; n <= 12; ++n)
        Lift(n).bOffline = 1;  // as the main window marks them when the port fails
    QTest::qWait(100);
    const QImage shot = window->grab().toImage();
    const QString path = view_test::ArtifactPath(QStringLiteral("ShowAllPageNoLine.png"));
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    EXPECT_TRUE(page->m_stNotice->isVisible());
    EXPECT_EQ(page->m_stNotice->text(), UiText(&texts, 155));
}
