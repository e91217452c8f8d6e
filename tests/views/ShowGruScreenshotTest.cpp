// Pictures of the group page for a person to look at, with the shipped UI
// texts: cars moving up and down, a car with open doors, a fault, a lift in
// another mode and a silent station, in the large and the small layout; and
// the page of a station whose line did not open.
#include <QImage>

#include "platform/UiText.h"
#include "views/ShowGruStation.h"
#include "views/ViewTestSupport.h"

using namespace showgru_test;

namespace {

class ShowGruScreenshotTest : public ShowGruStation {
protected:
    // Eight lifts of one group on stations 1 to 3; lift 9 sits on station 3.
    static std::vector<GroupSpec> EightLifts()
    {
        std::vector<GroupSpec> spec(1);
        spec[0].name = QStringLiteral("1号楼 东区");
        const std::pair<int, int> lifts[] = {{1, 12}, {2, 10}, {3, 9}, {4, 8}, {5, 16}, {6, 11}, {7, 6}, {9, 14}};
        for (auto [n, floors] : lifts)
            spec[0].lifts.push_back({n, floors, 0, QStringLiteral("%1号客梯").arg(n)});
        return spec;
    }

    void ShootMovingGroup(int windowHeight, const QString& file)
    {
        Start(EightLifts(), {QStringLiteral("--speed"), QStringLiteral("1500"), QStringLiteral("--door"),
                             QStringLiteral("8000")},
              true, windowHeight);
        ASSERT_FALSE(HasFatalFailure());
        for (auto [n, floor] : {std::pair{2, 9}, {4, 5}, {6, 7}})
            ASSERT_TRUE(sim->command(QStringLiteral("floor %1 %2").arg(n).arg(floor)));
        ASSERT_TRUE(sim->command(QStringLiteral("fault 3 12")));
        ASSERT_TRUE(sim->command(QStringLiteral("mode 7 1")));
        ASSERT_TRUE(sim->command(QStringLiteral("silent 3 1")));
        // Up for lifts 1 and 5, down for 2 and 6; lift 4 opens where it stands.
        for (auto [n, floor] : {std::pair{1, 12}, {5, 16}, {2, 1}, {6, 1}, {4, 5}})
            ASSERT_EQ(comm.SendFloorCall(Lift(n), floor), COMM_OK) << "lift " << n;
        page->StartViewThreads();

        const auto moving = [&](int n) { return Lift(n).nRunState == 1 || Lift(n).nRunState == 2; };
        ASSERT_TRUE(WaitFor([&] {
            return moving(1) && moving(5) && moving(2) && Lift(1).nCurFloor >= 3 && Lift(3).nFaultCode == 12 &&
                   Lift(9).bOffline && Cell(3)->m_nDoorStep == CStaGrp::kLastDoorStep && Cell(0)->m_nDrawPos > 0;
        }, 10000)) << "run " << Lift(1).nRunState << " fault " << Lift(3).nFaultCode << " door "
                   << Cell(3)->m_nDoorStep;
        // Between two reports, with a step or two taken.
        ASSERT_TRUE(WaitFor([&] { return animSlots[0].bActive && animSlots[0].nStepsDone >= 2; }, 3000));

        const QImage shot = window->grab().toImage();
        const QString path = view_test::ArtifactPath(file);
        ASSERT_TRUE(shot.save(path)) << path.toStdString();
        StopThreads();
        // The texts the picture must show come from the shipped table.
        for (int n : {29, 35, 44, 45, 73, 74, 103})
            EXPECT_FALSE(UiText(&texts, n).isEmpty()) << n;
        EXPECT_EQ(CStaGrp::StatusBlock(Lift(7), &texts).strLine[1], UiText(&texts, 29));
        EXPECT_EQ(CStaGrp::StatusBlock(Lift(3), &texts).strLine[1], UiText(&texts, 35) + QStringLiteral("  Err12"));
        EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
    }
};

} // namespace

TEST_F(ShowGruScreenshotTest, LargeCellsWithCarsMoving)
{
    ShootMovingGroup(1000, QStringLiteral("ShowGruPage.png"));
}

TEST_F(ShowGruScreenshotTest, SmallCellsWithCarsMoving)
{
    ShootMovingGroup(760, QStringLiteral("ShowGruPageSmall.png"));
}

TEST_F(ShowGruScreenshotTest, PageOfAStationWithoutALine)
{
    Start(EightLifts(), {}, false, 760);
    ASSERT_FALSE(HasFatalFailure());
    for (int n = 1; n <= 9; ++n)
        Lift(n).bOffline = 1;  // as the main window marks them when the port fails
    ShowPage();
    page->StartViewThreads();
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);
    QTest::qWait(50);
    const QImage shot = window->grab().toImage();
    const QString path = view_test::ArtifactPath(QStringLiteral("ShowGruPageNoLine.png"));
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    EXPECT_TRUE(page->Caption()->text().endsWith(UiText(&texts, 155)));
}
