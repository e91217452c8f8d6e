// Login, loading the configuration, handing the pages their pointers, and
// opening the line (at login and on Connect).
#include <QLineEdit>
#include <algorithm>

#include "analysis/AnalysisDlg.h"
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "controls/StaX.h"
#include "controls/WaitDlg.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "mainwnd/KALORDlg.h"
#include "mainwnd/LiftPainter.h"
#include "platform/MessageBox.h"
#include "views/AnimRunEvent.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"

namespace {
constexpr int kProbeTries = 6;
const char* const kTitleSeparator = " ----";
} // namespace

void CKALORDlg::OnLogin()
{
    if (m_bLoggedIn)
        return;  // the login row is hidden once logged in; a stray click changes nothing
    if (m_nLoginFailures > kMaxLoginFailures - 1) {
        AfxMessageBox(Text(14));
        return;
    }
    const QString name = m_edUser->text();
    const QString pwd = m_edPwd->text();
    int limit = m_nUserLimit;
    qint64 key = 0;
    const int result = m_pDB->CheckLogin(name, pwd, &limit, &key);
    if (result == 1 || result == 2) {
        AfxMessageBox(Text(result == 1 ? 12 : 13));
        ++m_nLoginFailures;
        m_edPwd->clear();
        return;
    }
    if (result != 0)
        return;
    m_nUserLimit = limit;
    m_bLoggedIn = 1;
    m_bLiftsLoaded = 1;
    // The login row goes at once: a second login would load everything again.
    HideLoginControls();
    update();

    m_pUser.strName = name;
    m_pUser.strPwd = pwd;
    m_pUser.nUserKey = key;
    m_pAnalysisDlg->m_pUser = &m_pUser;

    LoadLiftConfig();
    ShareWithViews();

    m_dlgComSet.m_pTexts = m_pLanText.get();
    if (m_dlgComSet.DoModal() != QDialog::Accepted) {
        // No line chosen: the station shows itself as one whose port is shut,
        // with the bar and the all-lifts page, never an empty window.
        MarkNotConnected();
        OnBnClickedShowAll();
        m_bThreadsMayRun = 1;
        return;
    }
    if (!ConnectChosenPort())
        return;
    OnBnClickedGroupSetup();
    m_bThreadsMayRun = 1;
}

void CKALORDlg::ProbeStation1()
{
    // Six probes at most; the answer only wakes the line, it decides nothing.
    for (int i = 0; i < kProbeTries; ++i) {
        if (m_pComm->ProbeStation())
            break;
    }
}

bool CKALORDlg::ConnectChosenPort()
{
    m_nComPort = m_dlgComSet.m_nPortIndex;
    m_nBaudIndex = m_dlgComSet.m_nBaudIndex;
    if (!OpenComPort()) {
        AfxMessageBox(Text(64));
        OnBnClickedShowAll();
        return false;
    }
    ProbeStation1();
    return true;
}

void CKALORDlg::LoadLiftConfig()
{
    m_Store.ResetLiftRecords();
    m_Store.ResetLiftPages();
    m_Store.ResetLiftCmds();
    m_Store.ResetLiftFaults();
    // A reload starts from empty texts so that nothing is doubled.
    for (int k = 0; k < kLiftSlots; ++k) {
        m_Store.m_pLiftInf[k].arrFloorNameHi.clear();
        m_Store.m_pLiftInf[k].arrFloorNameLo.clear();
        m_Store.m_pLiftInf[k].strGroupName.clear();
    }
    for (strCarAnimSlot& slot : m_pAnimSlots) {
        slot.bActive = 0;
        slot.bStepped = 0;
        slot.nLastTick = 0;
        slot.nStepsDone = 0;
        slot.nStepsTotal = 0;
    }
    m_pFloorShow[0].clear();
    m_pFloorShow[1].clear();
    m_pGroupTable.clear();

    // Without a settings row nothing further is loaded, and the login goes on
    // with no groups.
    m_nSoftColor = 0;
    m_nGroupCount = 0;
    if (!m_pDB->LoadSoftInfo(&m_nSoftColor, &m_nGroupCount, &m_nComPort, &m_nBaudIndex, m_pFloorShow.data())) {
        m_nGroupCount = 0;
        AfxMessageBox(Text(17));
        return;
    }
    // Clamped like the loader does: at most a group per lift slot, so a damaged
    // count can never size the group table beyond reason.
    m_nGroupCount = std::clamp(m_nGroupCount, 0, kLiftSlots);
    if (!m_pDB->LoadLiftInfo(m_Store.m_pLiftInf, m_Store.m_pLiftPage))
        m_bLiftsLoaded = 0;
    m_pComm->BuildStationTable(m_Store.m_pLiftInf);

    m_pGroupTable.resize(std::size_t(m_nGroupCount));
    for (int i = 0; i < m_nGroupCount; ++i) {
        m_pGroupTable[std::size_t(i)].nGroupNum = i + 1;
        m_pGroupTable[std::size_t(i)].nLiftCount = 0;
        m_pGroupTable[std::size_t(i)].byLiftNum.fill(0);
    }
    FillGroupMembers();
}

void CKALORDlg::FillGroupMembers()
{
    if (m_nGroupCount > 0)
        m_pDB->LoadGroupInfo(m_nGroupCount, m_pGroupTable.data());
    // The member lists come from the lift records: all 64 entries are cleared
    // and the count is what was found. The group's name goes to its lifts.
    for (strGroupInf& group : m_pGroupTable) {
        group.byLiftNum.fill(0);
        int count = 0;
        for (int k = 0; k < kLiftSlots; ++k) {
            strLiftInf& lift = m_Store.m_pLiftInf[k];
            if (lift.nGroupNum == group.nGroupNum && lift.nKind != 0 && count < kMaxGroupMembers) {
                group.byLiftNum[std::size_t(count++)] = std::uint8_t(lift.nLiftNum);
                lift.strGroupName = group.strGroupName;
            }
        }
        group.nLiftCount = count;
    }
}

void CKALORDlg::ShareWithViews()
{
    strGroupInf* groups = m_pGroupTable.empty() ? nullptr : m_pGroupTable.data();

    CBuildDlg& build = *m_pBuildDlg;
    build.m_pLiftInf = m_Store.m_pLiftInf;
    build.m_bPortOpen = m_bPortOpen;
    build.m_pTexts = m_pLanText.get();
    build.m_pComm = m_pComm.get();
    build.m_pDB = m_pDB.get();
    build.m_pPainter = m_pPainter.get();
    build.m_pGroupTable = groups;
    build.m_pLiftPage = m_Store.m_pLiftPage;
    build.m_pLiftCmd = m_Store.m_pLiftCmd;
    build.m_nGroupCount = m_nGroupCount;
    build.m_pFloorShow = &m_pFloorShow;
    build.m_hMainWnd = this;
    build.m_fnRepliesTakenIn = [this] { m_AlarmWatch.Check(); };
    build.m_nLanguageKind = m_nLanguageKind;

    // The alarms look at every lift, whichever page polls.
    m_AlarmWatch.m_pLiftInf = m_Store.m_pLiftInf;
    m_AlarmWatch.m_hMainWnd = this;

    CShowAllDlg& all = *m_pShowAllDlg;
    all.m_bPortOpen = m_bPortOpen;
    all.m_pComm = m_pComm.get();
    all.m_pLiftFault = m_Store.m_pLiftFault;
    all.m_pGroupTable = groups;
    all.m_pLiftInf = m_Store.m_pLiftInf;
    all.m_pPainter = m_pPainter.get();
    all.m_pDB = m_pDB.get();
    all.m_nGroupCount = m_nGroupCount;
    all.CreateGroupCells();
    all.m_pTexts = m_pLanText.get();
    all.m_hMainWnd = this;
    all.m_pAlarmWatch = &m_AlarmWatch;

    CShowGruDlg& gru = *m_pShowGruDlg;
    gru.m_bPortOpen = m_bPortOpen;
    gru.m_pLiftInf = m_Store.m_pLiftInf;
    gru.m_pGroupTable = groups;
    gru.m_nGroupCount = m_nGroupCount;
    gru.m_pLiftPage = m_Store.m_pLiftPage;
    gru.m_pLiftCmd = m_Store.m_pLiftCmd;
    gru.m_pComm = m_pComm.get();
    gru.m_pTexts = m_pLanText.get();
    gru.m_hMainWnd = this;
    gru.m_pAnimSlots = m_pAnimSlots.data();
    gru.m_pAnimRun = m_pAnimRun.get();
    gru.m_pDB = m_pDB.get();
    gru.m_pAlarmWatch = &m_AlarmWatch;

    CShowOneDlg& one = *m_pShowOneDlg;
    one.m_pTexts = m_pLanText.get();
    one.m_pPainter = m_pPainter.get();
    one.m_pComm = m_pComm.get();
    one.m_pComm2 = m_pComm2.get();
    one.m_pLiftCmd = m_Store.m_pLiftCmd;
    one.m_pLiftInf = m_Store.m_pLiftInf;
    one.m_pLiftPage = m_Store.m_pLiftPage;
    one.m_pDB = m_pDB.get();
    one.m_pAlarmWatch = &m_AlarmWatch;
    one.m_pErrInfTab = &m_pErrInfTab;
    one.m_nLanguageKind = m_nLanguageKind;

    CAnalysisDlg& ana = *m_pAnalysisDlg;
    ana.m_pUser = &m_pUser;
    ana.m_pLanText = m_pLanText.get();
    ana.m_pDB = m_pDB.get();
    ana.m_pLiftInf = m_Store.m_pLiftInf;
    ana.m_pGroupTable = groups;
    ana.m_pErrInfTab = &m_pErrInfTab;
    ana.m_nGroupCount = m_nGroupCount;
    ana.m_pExcel = m_pExcel;
    ana.m_nLanguageKind = m_nLanguageKind;
}

void CKALORDlg::SetPortOpen(bool open)
{
    m_bPortOpen = open ? 1 : 0;
    m_pBuildDlg->m_bPortOpen = m_bPortOpen;
    m_pShowAllDlg->m_bPortOpen = m_bPortOpen;
    m_pShowGruDlg->m_bPortOpen = m_bPortOpen;
    m_pShowOneDlg->m_bPortOpen = m_bPortOpen;
    setWindowTitle(StationCaption() + QString::fromLatin1(kTitleSeparator) + Text(open ? 18 : 19));
}

void CKALORDlg::MarkNotConnected()
{
    SetPortOpen(false);
    for (int k = 0; k < kLiftSlots; ++k)
        m_Store.m_pLiftInf[k].bOffline = 1;
    // No page polls now: the alarms of lifts gone off the line come down here.
    m_AlarmWatch.Check();
}

bool CKALORDlg::OpenComPort()
{
    m_nComPort = m_nComPort + 1;
    if (!m_pComm->OpenComm(m_nComPort, m_nBaudIndex)) {
        MarkNotConnected();
        return false;
    }
    SetPortOpen(true);
    return true;
}

void CKALORDlg::OnConnect()
{
    if (IsBuildBusy())
        return;
    if (!m_bLoggedIn) {
        AfxMessageBox(Text(20));
        return;
    }
    // The connect button is marked while its dialog is open; the view mode
    // itself changes only once the operator confirms, so that Cancel leaves
    // the shown page (and its refresh) as it was.
    const int shownMode = m_nViewMode;
    m_nViewMode = kModeConnect;
    HighlightNavButton();
    m_nViewMode = shownMode;
    m_dlgComSet.m_pTexts = m_pLanText.get();
    const int answer = m_dlgComSet.DoModal();
    if (answer != QDialog::Accepted) {
        // Put the bar back as it was: the shown page's button red again.
        if (m_pNavButtons[kModeConnect]) {
            m_pNavButtons[kModeConnect]->SetCaptionColor(kCaptionGrey);
        }
        if (shownMode > kModeNone && shownMode < kModeConnect && m_pNavButtons[std::size_t(shownMode)])
            m_pNavButtons[std::size_t(shownMode)]->SetCaptionColor(kCaptionRed);
        m_bThreadsMayRun = 1;
        return;
    }
    m_nViewMode = kModeConnect;
    m_nPrevViewMode = kModeConnect;

    StopAllThreads();
    if (m_pBuildDlg->m_pWaitDlg)
        m_pBuildDlg->m_pWaitDlg->hide();
    if (!ConnectChosenPort())
        return;
    if (!m_bLiftsLoaded)
        OnBnClickedGroupSetup();
    else
        OnBnClickedShowAll();
    m_bThreadsMayRun = 1;
}
