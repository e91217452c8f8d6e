// The login with its lockout, loading the configuration, and a line that is
// not opened.
#include "link/PollThread.h"
#include "support/StationFixture.h"

using namespace station_test;

namespace {
class LoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        data.AddOperator();
        dlg.OnInitDialog();
        boxes.clear();
    }
    void TearDown() override { qunsetenv("LIFT_COM1"); }

    // Logs in; the serial settings are cancelled, or answered with a COM1
    // that cannot be opened.
    void LogIn(bool noLine = false)
    {
        if (noLine)
            qputenv("LIFT_COM1", (data.folder() + QStringLiteral("no-such-tty")).toLocal8Bit());
        AnswerComSet(noLine ? 0 : -1);
        TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    }

    StationData data;
    MessageBoxRecorder boxes;
    CKALORDlg dlg;
};
} // namespace

TEST_F(LoginTest, FiveFailuresLockTheLoginForGood)
{
    // Before a login every page button and Connect only ask for one.
    dlg.OnConnect();
    dlg.OnBnClickedShowAll();
    dlg.OnBnClickedAnalysis();
    EXPECT_EQ(boxes.texts(), QStringList(3, dlg.Text(20)));
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeNone);
    boxes.clear();

    TypeLogin(dlg, QStringLiteral("nobody"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), dlg.Text(12));
    EXPECT_TRUE(dlg.m_edPwd->text().isEmpty());
    for (int i = 0; i < 3; ++i)
        TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("wrong"));
    EXPECT_EQ(boxes.texts().last(), dlg.Text(13));
    // A typed name is compared as typed: a trailing blank is another user.
    TypeLogin(dlg, QStringLiteral("op "), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), dlg.Text(12));  // the fifth failure still says why
    EXPECT_EQ(boxes.count(), 5);

    // From the sixth attempt on, even correct credentials are refused unchecked.
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().mid(5), QStringList(2, dlg.Text(14)));
    EXPECT_EQ(dlg.m_bLoggedIn, 0);
    EXPECT_EQ(dlg.m_nLoginFailures, 5);
}

TEST_F(LoginTest, CancelledSerialSettingsLeaveTheStationNotConnectedOnAPage)
{
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("x"));
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("y"));
    boxes.clear();
    LogIn();
    EXPECT_EQ(dlg.m_bLoggedIn, 1);
    EXPECT_EQ(dlg.m_nLoginFailures, 2);  // a correct login resets nothing
    EXPECT_EQ(dlg.m_pAnalysisDlg->m_pUser, &dlg.m_pUser);
    // As on a station whose port is shut: the all-lifts page, lifts offline.
    EXPECT_EQ(dlg.m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_FALSE(dlg.m_pShowAllDlg->isHidden());
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].bOffline, 1);
    EXPECT_EQ(dlg.windowTitle(), StationCaption() + QStringLiteral(" ----") + dlg.Text(19));
    EXPECT_EQ(dlg.m_bThreadsMayRun, 1);
    // The login row is gone, so a second login cannot load everything again.
    for (QWidget* w : {static_cast<QWidget*>(dlg.m_btLogin), static_cast<QWidget*>(dlg.m_edUser),
                       static_cast<QWidget*>(dlg.m_edPwd), static_cast<QWidget*>(dlg.m_stPwd)})
        EXPECT_TRUE(w->isHidden());
    dlg.m_edPwd->clear();  // a login run again would refuse it, and say so
    dlg.OnLogin();
    EXPECT_TRUE(boxes.texts().isEmpty());
    // A page button still switches, but no worker starts without a port.
    dlg.OnBnClickedAnalysis();
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAnalysis);
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(LoginTest, GroupsGetTheirMembersAndGiveTheirNamesToTheirLifts)
{
    ASSERT_TRUE(data.InstallGroups({QStringLiteral("楼栋1"), QStringLiteral("楼栋2"), QStringLiteral("楼栋3")},
                                   {{1, 18, 1, QStringLiteral("A1")}, {2, 18, 1, QStringLiteral("A2")},
                                    {5, 12, 2, QStringLiteral("B1")}, {64, 9, 1, QStringLiteral("A64")},
                                    {7, 6, 3, QStringLiteral("C1")}}));
    ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_GroupInf Set GroupCount = 99")));
    LogIn();
    ASSERT_EQ(dlg.m_pGroupTable.size(), 3u);
    const strGroupInf& g1 = dlg.m_pGroupTable[0];
    // The count is what was found, not the stored 99; the rest of the list is empty.
    EXPECT_EQ(g1.nLiftCount, 3);
    const std::array<int, 4> members = {g1.byLiftNum[0], g1.byLiftNum[1], g1.byLiftNum[2], g1.byLiftNum[3]};
    EXPECT_EQ(members, (std::array<int, 4>{1, 2, 64, 0}));
    EXPECT_EQ(dlg.m_pGroupTable[2].byLiftNum[0], 7);
    // The group's name went to its lifts, not the other way round.
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[63].strGroupName, QStringLiteral("楼栋1"));
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[4].strGroupName, QStringLiteral("楼栋2"));
    EXPECT_TRUE(dlg.m_Store.m_pLiftInf[2].strGroupName.isEmpty());
    EXPECT_EQ(dlg.m_pShowAllDlg->m_pGroupTable, dlg.m_pGroupTable.data());

    // Loading again gives the same picture: nothing doubled.
    const int showCodes = int(dlg.m_pFloorShow[0].size());
    dlg.LoadLiftConfig();
    dlg.ShareWithViews();
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].arrFloorNameHi.size(), 56);
    EXPECT_EQ(dlg.m_pFloorShow[0].size(), showCodes);
    EXPECT_EQ(dlg.m_pGroupTable[0].nLiftCount, 3);
}

TEST_F(LoginTest, DamagedSettingsNeitherStopTheLoginNorSizeTheGroupsBeyondReason)
{
    // An absurd group count is clamped to one group per lift slot.
    ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=2000000000")));
    LogIn();
    EXPECT_EQ(dlg.m_bLoggedIn, 1);
    EXPECT_EQ(dlg.m_pGroupTable.size(), std::size_t(kLiftSlots));
    EXPECT_EQ(dlg.m_pShowGruDlg->m_nGroupCount, kLiftSlots);

    // No settings row at all: said so, no groups, and the login goes on.
    ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_SoftInf")));
    dlg.LoadLiftConfig();
    dlg.ShareWithViews();
    EXPECT_EQ(boxes.texts().last(), dlg.Text(17));
    EXPECT_EQ(dlg.m_nGroupCount, 0);
    EXPECT_TRUE(dlg.m_pGroupTable.empty());
    EXPECT_EQ(dlg.m_pShowAllDlg->m_nGroupCount, 0);
}

TEST_F(LoginTest, PortThatDoesNotOpenMarksEveryLiftOfflineAndShowsAllLifts)
{
    data.InstallLifts({{3, 10, 1, QStringLiteral("L3")}});
    LogIn(true);
    EXPECT_TRUE(boxes.texts().contains(dlg.Text(64)));
    EXPECT_EQ(dlg.m_bPortOpen, 0);
    for (int k = 0; k < kLiftSlots; ++k)
        ASSERT_EQ(dlg.m_Store.m_pLiftInf[k].bOffline, 1) << "lift " << k + 1;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("KALOR ----") + dlg.Text(19));
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_EQ(dlg.m_pBuildDlg->m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionRed);
    // A lift is installed, but with the port closed no worker runs.
    EXPECT_EQ(g_pPollThread, nullptr);
    // The chosen port index became the port number in place.
    EXPECT_EQ(dlg.m_nComPort, 1);
}
