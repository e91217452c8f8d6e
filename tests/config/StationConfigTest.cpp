// The configuration page inside the running station: an operator logs in,
// re-acquires from the simulator while the page bar stays locked, names a
// lift and a group, sets a floor text and the lifts per column, and finds it
// all again after a restart. The page after the re-acquire is kept as a
// picture in ${build}/artifacts/config.
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "config/SetShowNumDlg.h"
#include "controls/ButX.h"
#include "controls/EditX.h"
#include "controls/ListCtrlX.h"
#include "controls/WaitDlg.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "mainwnd/StationFixture.h"
#include "support/LiftSim.h"
#include "views/ShowAllDlg.h"

using namespace station_test;

namespace {

QString ArtifactPath(const QString& name)
{
    const QString dir = QStringLiteral(LIFT_BINARY_DIR "/artifacts/config");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

// Runs a check on each scan step the page receives.
class StepHook : public QObject {
public:
    std::function<void(int)> onStation;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (auto* m = dynamic_cast<CWindowMessage*>(e); m && m->message() == WM_READ_PROGRESS && m->wParam() == 1)
            onStation(int(m->lParam()));
        return false;
    }
};

class StationConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        ASSERT_FALSE(sim.port().isEmpty());
        data.AddOperator();
        qputenv("LIFT_COM1", sim.port().toLocal8Bit());
    }
    void TearDown() override
    {
        dlg.reset();
        EXPECT_EQ(g_pPollThread, nullptr);
        qunsetenv("LIFT_COM1");
    }

    void StartAndLogIn()
    {
        dlg = std::make_unique<CKALORDlg>();
        ASSERT_TRUE(ShowMainWindow(*dlg, 900));
        ASSERT_TRUE(LogInOnCom1(*dlg, boxes));
        ASSERT_EQ(dlg->m_nViewMode, CKALORDlg::kModeBuild);
        ASSERT_TRUE(dlg->m_pBuildDlg->isVisible());
    }

    CBuildDlg& Page() { return *dlg->m_pBuildDlg; }

    int RowOf(int liftNum)
    {
        for (int r = 0; r < Page().m_lstLift->GetItemCount(); ++r)
            if (Page().m_lstLift->GetItemText(r, 0).toInt() == liftNum)
                return r;
        return -1;
    }
    static void ClickRow(ClistCtrlX* list, int r)
    {
        list->setCurrentCell(r, 0);
        list->selectRow(r);
        emit list->cellClicked(r, 0);
    }

    StationData data;
    CLiftSim sim{{QStringLiteral("--lift"), QStringLiteral("1:10:1"), QStringLiteral("--lift"), QStringLiteral("2:12:1"),
                  QStringLiteral("--lift"), QStringLiteral("6:8:2"), QStringLiteral("--lift"), QStringLiteral("12:20:3")}};
    MessageBoxRecorder boxes;
    std::unique_ptr<CKALORDlg> dlg;
};

} // namespace

TEST_F(StationConfigTest, ReacquireNameGroupFloorTextAndFindThemAfterARestart)
{
    StartAndLogIn();

    // The page bar is locked while the scan runs.
    int steps = 0;
    bool locked = true;
    StepHook hook;
    hook.onStation = [&](int station) {
        ++steps;
        locked = locked && dlg->IsBuildBusy();
        if (station == 8) {
            dlg->OnBnClickedShowAll();
            dlg->OnBnClickedAnalysis();
            dlg->OnBnClickedGroupSetup();
            locked = locked && dlg->m_nViewMode == CKALORDlg::kModeBuild && Page().isVisible()
                     && !dlg->m_pShowAllDlg->isVisible() && !dlg->m_pAnalysisDlg->isVisible()
                     && g_pPollThread == nullptr;
        }
    };
    Page().installEventFilter(&hook);
    Page().m_btGetLiftData->click();
    Page().removeEventFilter(&hook);
    EXPECT_EQ(steps, 16);
    EXPECT_TRUE(locked);
    EXPECT_FALSE(dlg->IsBuildBusy());
    EXPECT_FALSE(Page().m_pWaitDlg->isVisible());
    ASSERT_EQ(Page().m_lstLift->GetItemCount(), 4);

    // The page as the operator sees it after the re-acquire, a lift selected.
    ClickRow(Page().m_lstLift, RowOf(12));
    ClickRow(Page().m_lstGroup, 1);
    QTest::qWait(50);
    const QImage shot = Page().grab().toImage();
    ASSERT_TRUE(shot.save(ArtifactPath(QStringLiteral("config-page-after-reacquire.png"))));
    EXPECT_EQ(Page().m_lstFloor->GetItemCount(), 20);
    // Black page, the orange frame, and something drawn in every list and button.
    EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(Page().width() / 2, Page().m_nMarginTop)), FromColorRef(CBuildDlg::kFrameColor));
    for (QWidget* w : std::initializer_list<QWidget*>{Page().m_lstLift, Page().m_lstGroup, Page().m_lstFloor,
                                                      Page().m_btGetLiftData, Page().m_stLabels[0]})
        EXPECT_GT(Busy(shot, w->geometry()), 0.02) << w->objectName().toStdString();

    // Name lift 12, move it to group 1, name that group, set a floor text.
    Page().m_edLiftName->setText(QStringLiteral("大堂梯"));
    Page().m_cbGroup->setCurrentIndex(1);
    Page().m_btSaveLift->click();
    Page().m_edGroupName->setText(QStringLiteral("北楼"));
    Page().m_btSaveGroup->click();
    ClickRow(Page().m_lstFloor, 0);
    Page().m_cbFloorHi->setCurrentText(QString());
    Page().m_cbFloorLo->setCurrentText(QStringLiteral("G"));
    Page().m_btSaveFloor->click();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();

    // Lifts per column, through the display-count dialog.
    QString shownFirst;
    WhenModal<CSetShowNumDlg>([&](CSetShowNumDlg* box) {
        auto* edit = box->findChild<QLineEdit*>(QStringLiteral("1176"));
        shownFirst = edit->text();
        edit->setText(QStringLiteral("32"));
        box->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    Page().m_btShowNum->click();
    EXPECT_EQ(shownFirst, QStringLiteral("0"));
    EXPECT_EQ(dlg->m_pShowAllDlg->m_nLiftsPerColumn, 32);

    // A restart finds it all again.
    dlg.reset();
    StartAndLogIn();
    const int row = RowOf(12);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Page().m_lstLift->GetItemText(row, 1), QStringLiteral("大堂梯"));
    EXPECT_EQ(Page().m_lstLift->GetItemText(row, 2), QStringLiteral("1:北楼"));
    EXPECT_EQ(Page().m_lstLift->GetItemText(RowOf(1), 1), QStringLiteral("1") + UiTextOf(*dlg, 192));
    ClickRow(Page().m_lstLift, row);
    ASSERT_EQ(Page().m_lstFloor->GetItemCount(), 20);
    EXPECT_EQ(Page().m_lstFloor->GetItemText(0, 1), QStringLiteral(" G"));
    EXPECT_EQ(Page().m_lstGroup->GetItemText(1, 1), QStringLiteral("北楼"));
}
