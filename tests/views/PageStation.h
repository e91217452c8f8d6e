#pragma once
// What the all-lifts and the group page stations share: a private copy of the
// shipped data folder with groups and lifts installed, the bus simulator
// running those lifts, the store, groups and UI texts loaded from the copy the
// way the main window loads them, the line, and a black window standing in for
// the main window.
#include <QTest>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "database/DBServer.h"
#include "database/ErrInfTab.h"
#include "link/GroupInf.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "support/StationFixture.h"
#include "platform/MessageBox.h"
#include "support/LiftSim.h"

namespace view_test {

struct GroupSpec {
    QString name;
    std::vector<station_test::StationData::Lift> lifts;  // Lift::group is set from the group's place
};

class PageStation : public ::testing::Test {
protected:
    static constexpr int kWindowWidth = 1280;
    static constexpr int kPageTop = 115;  // banner 80 + button bar 35

    void TearDown() override
    {
        window.reset();
        comm.m_Port.ClosePort();
        sim.reset();
        qunsetenv("LIFT_COM1");
    }

    // The groups installed (each shaft 3 m a floor) with the simulator
    // running their lifts after simArgs, the station loaded as the main
    // window loads it, the line open (COM1 at 38400) when asked, and a black
    // window as wide as the station's standing in for the main window.
    void StartStation(const std::vector<GroupSpec>& spec, QStringList simArgs, bool openLine, int height)
    {
        ASSERT_TRUE(data.ok()) << "no copy of the data folder";
        QStringList names;
        for (std::size_t g = 0; g < spec.size(); ++g) {
            names << spec[g].name;
            for (station_test::StationData::Lift l : spec[g].lifts) {
                l.group = int(g + 1);
                installed.push_back(l);
                simArgs << QStringLiteral("--lift") << QStringLiteral("%1:%2:%3").arg(l.n).arg(l.floors).arg(l.n % 3 + 1);
            }
        }
        ASSERT_TRUE(data.InstallGroups(names, installed));
        sim = std::make_unique<CLiftSim>(simArgs);
        ASSERT_FALSE(sim->port().isEmpty()) << "the simulator did not start";
        for (const station_test::StationData::Lift& l : installed)
            ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_LiftInf Set LiftHight=? Where RealAddr=?"),
                                  {l.floors * 3000, l.n}));
        LoadLikeTheMainWindow();
        if (HasFatalFailure())
            return;
        if (openLine) {
            qputenv("LIFT_COM1", sim->port().toLocal8Bit());
            ASSERT_TRUE(comm.OpenComm(1, 2));
        }
        window = std::make_unique<QWidget>();
        window->resize(kWindowWidth, height);
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, Qt::black);
        window->setPalette(pal);
        window->setAutoFillBackground(true);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Runs the event loop until cond holds, at most ms milliseconds.
    static bool WaitFor(const std::function<bool()>& cond, int ms = 5000) { return QTest::qWaitFor(cond, ms); }

    strLiftInf& Lift(int n) { return store.m_pLiftInf[n - 1]; }

    // The main window's start-up and login loading: texts of the database's
    // language, lift records, groups with their members from the records.
    void LoadLikeTheMainWindow()
    {
        db = data.OpenDb();
        db->m_pLanText = &texts;
        db->m_pAdo->m_pLanText = &texts;
        std::array<strErrInfTab, 3> tabs;
        CErrNameMap names;
        ASSERT_TRUE(db->LoadLanguageAndFaultTexts(db->GetLanguageKind(), tabs.data(), &names));

        store.ResetLiftRecords();
        store.ResetLiftPages();
        store.ResetLiftCmds();
        int color = 0, groupCount = 0, port = 0, baud = 0;
        std::array<QStringList, 2> floorShow;
        ASSERT_TRUE(db->LoadSoftInfo(&color, &groupCount, &port, &baud, floorShow.data()));
        ASSERT_TRUE(db->LoadLiftInfo(store.m_pLiftInf, store.m_pLiftPage));
        groups.resize(std::size_t(groupCount));
        for (int i = 0; i < groupCount; ++i)
            groups[std::size_t(i)].nGroupNum = i + 1;
        if (groupCount > 0)
            db->LoadGroupInfo(groupCount, groups.data());
        for (strGroupInf& group : groups) {
            group.byLiftNum.fill(0);
            int count = 0;
            for (int k = 0; k < kLiftSlots; ++k) {
                strLiftInf& lift = store.m_pLiftInf[k];
                if (lift.nGroupNum == group.nGroupNum && lift.nKind != 0)
                    group.byLiftNum[std::size_t(count++)] = std::uint8_t(lift.nLiftNum);
            }
            group.nLiftCount = count;
        }
    }

    station_test::StationData data;
    MessageBoxRecorder boxes;
    std::unique_ptr<CLiftSim> sim;
    std::vector<station_test::StationData::Lift> installed;  // the lifts of the groups, in order
    CLiftDataStore store;
    std::vector<strGroupInf> groups;
    QStringList texts;
    std::unique_ptr<CDBServer> db;
    CLiftComm comm;
    std::unique_ptr<QWidget> window;
};

} // namespace view_test
