#pragma once
// The real main window over four lifts in two groups, "North" (lifts 1 and 2)
// and "South" (lifts 5 and 6), with the bus simulator running the same four.
// The page tests that go through the main window start from here.
#include <functional>
#include <memory>
#include <gtest/gtest.h>

#include "support/StationFixture.h"
#include "support/LiftSim.h"

namespace view_test {

class MainWindowStation : public ::testing::Test {
protected:
    // The data copy with the operator, the groups and the lifts.
    void InstallStation()
    {
        station_test::PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        ASSERT_TRUE(data.InstallGroups({QStringLiteral("North"), QStringLiteral("South")}, Lifts()));
    }

    // The window at 1280 x height, logged in with the line open on the simulator.
    void StartLoggedIn(int height)
    {
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(station_test::ShowMainWindow(*dlg, height));
        QTest::qWait(20);
        ASSERT_TRUE(station_test::LogInOnCom1(*dlg, boxes));
    }

    void TearDown() override
    {
        dlg.reset();
        qunsetenv("LIFT_COM1");
    }

    static std::vector<station_test::StationData::Lift> Lifts()
    {
        return {{1, 10, 1, QStringLiteral("N1")}, {2, 12, 1, QStringLiteral("N2")},
                {5, 8, 2, QStringLiteral("S1")}, {6, 9, 2, QStringLiteral("S2")}};
    }

    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000) { return QTest::qWaitFor(cond, ms); }

    station_test::StationData data;
    CLiftSim sim{{QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"),
                  QStringLiteral("2:12:2"), QStringLiteral("--lift"), QStringLiteral("5:8:3"),
                  QStringLiteral("--lift"), QStringLiteral("6:9:1")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
};

} // namespace view_test
