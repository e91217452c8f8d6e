// The login with its lockout, loading the configuration, and opening the line.
#include "analysis/AnalysisDlg.h"
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "link/PollThread.h"
#include "mainwnd/StationFixture.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"

using namespace station_test;

namespace {
class LoginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateSettings();
        ASSERT_TRUE(data.ok());
        data.AddOperator(QStringLiteral("op"), QStringLiteral("pw"));
    }
    void TearDown() override { qunsetenv("LIFT_COM1"); }

    // A COM1 that cannot be opened.
    void NoLine() { qputenv("LIFT_COM1", (data.folder() + QStringLiteral("no-such-tty")).toLocal8Bit()); }

    StationData data;
    MessageBoxRecorder boxes;
};
} // namespace

TEST_F(LoginTest, FiveFailuresLockTheLoginForGood)
{
    CKALORDlg dlg;
    dlg.OnInitDialog();
    boxes.clear();
    const QString noUser = dlg.Text(12), badPwd = dlg.Text(13), locked = dlg.Text(14);
    ASSERT_FALSE(locked.isEmpty());

    TypeLogin(dlg, QStringLiteral("nobody"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), noUser);
    EXPECT_TRUE(dlg.m_edPwd->text().isEmpty());
    EXPECT_EQ(dlg.m_edUser->text(), QStringLiteral("nobody"));
    for (int i = 0; i < 3; ++i)
        TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("wrong"));
    EXPECT_EQ(boxes.texts().last(), badPwd);
    // A typed name is compared as typed: a trailing blank is another user.
    TypeLogin(dlg, QStringLiteral("op "), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), noUser);  // the fifth failure still says why
    EXPECT_EQ(dlg.m_nLoginFailures, 5);
    EXPECT_EQ(boxes.count(), 5);

    // From the sixth attempt on, even correct credentials are refused unchecked.
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), locked);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.texts().last(), locked);
    EXPECT_EQ(dlg.m_bLoggedIn, 0);
    EXPECT_EQ(dlg.m_nLoginFailures, 5);
    EXPECT_FALSE(dlg.m_edUser->isHidden());
}

TEST_F(LoginTest, CorrectLoginAfterFailuresKeepsTheCountAndHidesTheRow)
{
    CKALORDlg dlg;
    dlg.OnInitDialog();
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("x"));
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("y"));
    boxes.clear();
    AnswerComSet(-1);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_EQ(dlg.m_bLoggedIn, 1);
    EXPECT_EQ(dlg.m_nLoginFailures, 2);
    EXPECT_EQ(dlg.m_pUser.strName, QStringLiteral("op"));
    EXPECT_EQ(dlg.m_pAnalysisDlg->m_pUser, &dlg.m_pUser);
    // Cancelled serial settings: logged in, nothing opened, and the station
    // looks like one whose port is shut: the all-lifts page, lifts offline.
    EXPECT_EQ(dlg.m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_FALSE(dlg.m_pShowAllDlg->isHidden());
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].bOffline, 1);
    EXPECT_EQ(dlg.windowTitle(), StationCaption() + QStringLiteral(" ----") + dlg.Text(19));
    EXPECT_EQ(dlg.m_bThreadsMayRun, 1);
    EXPECT_EQ(g_pPollThread, nullptr);
    // The login row is gone, so a second login cannot load everything again.
    for (QWidget* w : {static_cast<QWidget*>(dlg.m_btLogin), static_cast<QWidget*>(dlg.m_edUser),
                       static_cast<QWidget*>(dlg.m_edPwd), static_cast<QWidget*>(dlg.m_stUser),
                       static_cast<QWidget*>(dlg.m_stPwd)})
        EXPECT_TRUE(w->isHidden());
    dlg.OnLogin();
    EXPECT_TRUE(boxes.texts().isEmpty());
    // Without a port a page button still switches, but no worker starts.
    dlg.OnBnClickedAnalysis();
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAnalysis);
    EXPECT_EQ(g_pPollThread, nullptr);
}

TEST_F(LoginTest, GroupsGetTheirMembersAndGiveTheirNamesToTheirLifts)
{
    ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=3")));
    ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_GroupInf")));
    for (int g = 1; g <= 3; ++g)
        ASSERT_TRUE(data.Exec(QStringLiteral("Insert Into KALOR_GroupInf Values (?, ?, ?)"),
                              {g, 99, QStringLiteral("楼栋%1").arg(g)}));
    data.InstallLifts({{1, 18, 1, QStringLiteral("A1")}, {2, 18, 1, QStringLiteral("A2")},
                       {5, 12, 2, QStringLiteral("B1")}, {64, 9, 1, QStringLiteral("A64")},
                       {7, 6, 3, QStringLiteral("C1")}});
    CKALORDlg dlg;
    dlg.OnInitDialog();
    AnswerComSet(-1);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    ASSERT_EQ(dlg.m_nGroupCount, 3);
    ASSERT_EQ(dlg.m_pGroupTable.size(), 3u);
    const strGroupInf& g1 = dlg.m_pGroupTable[0];
    EXPECT_EQ(g1.nGroupNum, 1);
    EXPECT_EQ(g1.strGroupName, QStringLiteral("楼栋1"));
    // The count is what was found, not the stored 99.
    EXPECT_EQ(g1.nLiftCount, 3);
    EXPECT_EQ(g1.byLiftNum[0], 1);
    EXPECT_EQ(g1.byLiftNum[1], 2);
    EXPECT_EQ(g1.byLiftNum[2], 64);
    for (int i = 3; i < kMaxGroupMembers; ++i)
        EXPECT_EQ(g1.byLiftNum[std::size_t(i)], 0) << i;
    EXPECT_EQ(dlg.m_pGroupTable[2].byLiftNum[0], 7);
    // The group's name went to its lifts, not the other way round.
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].strGroupName, QStringLiteral("楼栋1"));
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[63].strGroupName, QStringLiteral("楼栋1"));
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[4].strGroupName, QStringLiteral("楼栋2"));
    EXPECT_TRUE(dlg.m_Store.m_pLiftInf[2].strGroupName.isEmpty());
    // Every page got the same table.
    EXPECT_EQ(dlg.m_pShowAllDlg->m_pGroupTable, dlg.m_pGroupTable.data());
    EXPECT_EQ(dlg.m_pShowGruDlg->m_nGroupCount, 3);
    EXPECT_EQ(dlg.m_pBuildDlg->m_pFloorShow, &dlg.m_pFloorShow);

    // Loading again gives the same picture: nothing doubled.
    const int floorNames = int(dlg.m_Store.m_pLiftInf[0].arrFloorNameHi.size());
    EXPECT_EQ(floorNames, 56);
    const int showCodes = int(dlg.m_pFloorShow[0].size());
    dlg.LoadLiftConfig();
    dlg.ShareWithViews();
    EXPECT_EQ(dlg.m_Store.m_pLiftInf[0].arrFloorNameHi.size(), floorNames);
    EXPECT_EQ(dlg.m_pFloorShow[0].size(), showCodes);
    EXPECT_EQ(dlg.m_pGroupTable[0].nLiftCount, 3);
    EXPECT_EQ(dlg.m_pGroupTable[0].byLiftNum[3], 0);
}

TEST_F(LoginTest, AbsurdGroupCountIsClampedToOneGroupPerLiftSlot)
{
    ASSERT_TRUE(data.Exec(QStringLiteral("Update KALOR_SoftInf Set GroupNum=2000000000")));
    data.InstallLifts({{1, 18, 1, QStringLiteral("A1")}});
    CKALORDlg dlg;
    dlg.OnInitDialog();
    AnswerComSet(-1);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_EQ(dlg.m_bLoggedIn, 1);
    EXPECT_EQ(dlg.m_nGroupCount, kLiftSlots);
    ASSERT_EQ(dlg.m_pGroupTable.size(), std::size_t(kLiftSlots));
    EXPECT_EQ(dlg.m_pShowGruDlg->m_nGroupCount, kLiftSlots);
}

TEST_F(LoginTest, MissingSettingsRowGoesOnWithoutGroups)
{
    ASSERT_TRUE(data.Exec(QStringLiteral("Delete From KALOR_SoftInf")));
    CKALORDlg dlg;
    dlg.OnInitDialog();
    dlg.m_nGroupCount = 12345;  // whatever was there before must not be used
    boxes.clear();
    NoLine();
    AnswerComSet(0);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    ASSERT_GE(boxes.count(), 1);
    EXPECT_EQ(boxes.texts().first(), dlg.Text(17));
    EXPECT_EQ(dlg.m_bLoggedIn, 1);
    EXPECT_EQ(dlg.m_nGroupCount, 0);
    EXPECT_TRUE(dlg.m_pGroupTable.empty());
    EXPECT_EQ(dlg.m_pShowAllDlg->m_nGroupCount, 0);
    // The login went on to the serial settings and the all-lifts page.
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAll);
}

TEST_F(LoginTest, PortThatDoesNotOpenMarksEveryLiftOfflineAndShowsAllLifts)
{
    data.InstallLifts({{3, 10, 1, QStringLiteral("L3")}});
    CKALORDlg dlg;
    ASSERT_TRUE(ShowMainWindow(dlg, 800));
    boxes.clear();
    NoLine();
    AnswerComSet(0);
    TypeLogin(dlg, QStringLiteral("op"), QStringLiteral("pw"));
    EXPECT_TRUE(boxes.texts().contains(dlg.Text(64)));
    EXPECT_EQ(dlg.m_bPortOpen, 0);
    for (int k = 0; k < kLiftSlots; ++k)
        ASSERT_EQ(dlg.m_Store.m_pLiftInf[k].bOffline, 1) << "lift " << k + 1;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("KALOR ----") + dlg.Text(19));
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeAll);
    EXPECT_TRUE(dlg.m_pShowAllDlg->isVisible());
    EXPECT_EQ(dlg.m_pShowAllDlg->m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_pBuildDlg->m_bPortOpen, 0);
    EXPECT_EQ(dlg.m_btShowAll->GetCaptionColor(), CKALORDlg::kCaptionRed);
    // A lift is installed, but with the port closed no worker runs.
    EXPECT_EQ(g_pPollThread, nullptr);
    // The chosen port index became the port number in place.
    EXPECT_EQ(dlg.m_nComPort, 1);
}

TEST_F(LoginTest, ConnectBeforeLoginOnlyAsksForTheLogin)
{
    CKALORDlg dlg;
    dlg.OnInitDialog();
    boxes.clear();
    dlg.OnConnect();
    dlg.OnBnClickedShowAll();
    dlg.OnBnClickedAnalysis();
    ASSERT_EQ(boxes.count(), 3);
    for (const QString& text : boxes.texts())
        EXPECT_EQ(text, dlg.Text(20));
    EXPECT_EQ(dlg.m_nViewMode, CKALORDlg::kModeNone);
}
