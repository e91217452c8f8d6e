// The whole station as the operator meets it: the modal main window, a login,
// the serial settings, the pages one after another against the bus
// simulator, and the exit button ending everything.
#include <QTimer>
#include <deque>
#include <functional>

#include "controls/ButX.h"
#include "link/PollThread.h"
#include "link/SerialPort.h"
#include "support/StationFixture.h"
#include "support/LiftSim.h"
#include "views/CarAnimThread.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"
#include "views/ViewMessages.h"

using namespace station_test;

namespace {
using Frame = std::vector<std::uint8_t>;

// Plays the operator: each step runs once the previous one has and the
// given pause has passed, all inside the window's own modal loop.
class Operator {
public:
    void Then(int pauseMs, std::function<void()> step) { m_steps.push_back({pauseMs, std::move(step)}); }
    void Start() { Next(); }
    bool Finished() const { return m_steps.empty(); }

private:
    void Next()
    {
        if (m_steps.empty())
            return;
        QTimer::singleShot(m_steps.front().first, [this] {
            auto step = std::move(m_steps.front().second);
            m_steps.pop_front();
            step();  // may run a nested modal loop of its own
            Next();
        });
    }
    std::deque<std::pair<int, std::function<void()>>> m_steps;
};

std::set<int> Addresses(const std::vector<Frame>& frames, int function)
{
    std::set<int> a;
    for (const Frame& f : frames)
        if (f.size() >= 2 && f[1] == function)
            a.insert(f[0]);
    return a;
}
} // namespace

TEST(StationRunTest, OperatorLogsInConnectsVisitsEveryPageAndExits)
{
    PrivateSettings();
    MessageBoxRecorder boxes;
    StationData data;
    ASSERT_TRUE(data.ok());
    CLiftSim sim({QStringLiteral("--lift"), QStringLiteral("1:16:1"), QStringLiteral("--lift"), QStringLiteral("2:16:2"),
                  QStringLiteral("--lift"), QStringLiteral("9:7:3"), QStringLiteral("--lift"), QStringLiteral("10:30:2")});
    ASSERT_FALSE(sim.port().isEmpty());
    data.AddOperator(QStringLiteral("wang"), QStringLiteral("s3cret"));
    ASSERT_TRUE(data.InstallGroups({QStringLiteral("一号楼"), QStringLiteral("二号楼")},
                                   {{1, 16, 1, QStringLiteral("1-A")}, {2, 16, 1, QStringLiteral("1-B")},
                                    {9, 7, 2, QStringLiteral("2-A")}, {10, 30, 2, QStringLiteral("2-B")}}));
    qputenv("LIFT_COM1", sim.port().toLocal8Bit());

    std::vector<Frame> allFrames, oneFrames, groupFrames;
    bool sawLoginScreen = false;
    int result = -1;
    {
        CKALORDlg dlg;
        Operator op;
        op.Then(100, [&] {
            sawLoginScreen = dlg.isVisible() && dlg.m_edUser->isVisible() && dlg.m_btLogin->isVisible();
            dlg.m_edUser->setText(QStringLiteral("wang"));
            dlg.m_edPwd->setText(QStringLiteral("s3cret"));
            AnswerComSet(0, 2);
            dlg.m_btLogin->click();  // runs the serial settings inside
        });
        op.Then(50, [&] {
            EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeBuild);
            dlg.m_btShowAll->click();
            sim.clearRequests();
        });
        op.Then(600, [&] {
            allFrames = sim.requests();
            // A tile click opens lift 10 (posted, as the tile's send ends the same way).
            PostMessage(&dlg, WM_OPEN_LIFT, 1, 10);
        });
        op.Then(50, [&] { sim.clearRequests(); });
        op.Then(900, [&] {
            oneFrames = sim.requests();
            EXPECT_TRUE(dlg.m_pShowOneDlg->isVisible());
            PostMessage(&dlg, WM_SHOW_GROUP, 0, 1);
        });
        op.Then(50, [&] { sim.clearRequests(); });
        op.Then(600, [&] {
            groupFrames = sim.requests();
            EXPECT_TRUE(dlg.m_pShowGruDlg->isVisible());
            dlg.m_btAnalysis->click();
        });
        op.Then(50, [&] {
            EXPECT_EQ(g_pPollThread, nullptr);
            dlg.m_btExit->click();
        });
        op.Start();
        result = dlg.DoModal();
        EXPECT_TRUE(op.Finished());
        // The window closed by its exit button, not by anything else.
        EXPECT_EQ(dlg.m_bLoggedIn, 1);
    }
    EXPECT_TRUE(sawLoginScreen);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    EXPECT_EQ(Addresses(allFrames, 0x10), (std::set<int>{1, 3}));  // stations of lifts 1, 2, 9, 10
    EXPECT_EQ(Addresses(oneFrames, 0x00), (std::set<int>{10}));
    EXPECT_TRUE(Addresses(oneFrames, 0x10).empty());
    EXPECT_EQ(Addresses(groupFrames, 0x00), (std::set<int>{9, 10}));

    // Shut down: no worker, no animation, the line closed, the bus quiet.
    EXPECT_EQ(g_pPollThread, nullptr);
    EXPECT_EQ(g_pAnimThread, nullptr);
    EXPECT_EQ(g_hComPort.load(), kPortClosed);
    sim.clearRequests();
    QTest::qWait(300);
    EXPECT_TRUE(sim.requests().empty());
    qunsetenv("LIFT_COM1");
}
