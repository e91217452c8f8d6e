#pragma once
// The station's one top-level window. It owns every page and every shared
// object, logs the operator in, opens the line and switches between the pages,
// keeping at most one communication worker running: the shown page's.
#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "config/ComSetDlg.h"
#include "database/ErrInfTab.h"
#include "link/GroupInf.h"
#include "link/LiftDataStore.h"
#include "mainwnd/UserInf.h"
#include "platform/ToolkitTranslation.h"
#include "platform/WindowMessage.h"
#include "views/AlarmWatch.h"
#include "views/CarAnimSlot.h"

class CAnalysisDlg;
class CAnimRunEvent;
class CBuildDlg;
class CButX;
class CDBServer;
class CLiftComm;
class CLiftPainter;
class CShowAlarmDlg;
class CShowAllDlg;
class CShowGruDlg;
class CShowOneDlg;
class CStaX;
class CExcelIO;
class QLineEdit;

class CKALORDlg : public QDialog {
    Q_OBJECT
public:
    // View modes of m_nViewMode.
    enum : int { kModeNone = 0, kModeBuild = 1, kModeAll = 2, kModeGroup = 3, kModeOne = 4,
                 kModeAnalysis = 5, kModeConnect = 6 };
    // Control ids, kept as object names so that the controls can be found by them.
    enum : int { IDC_BUILD = 1000, IDC_SHOWALL = 1001, IDC_SHOWGROUP = 1002, IDC_SHOWONE = 1003,
                 IDC_ANALYSIS = 1004, IDC_FILLER = 1005, IDC_CONNECT = 1009, IDC_STATUS = 1010,
                 IDC_USERNAME = 1013, IDC_PASSWORD = 1014, IDC_USERLABEL = 1015,
                 IDC_PWDLABEL = 1016, IDC_LOGIN = 1017, IDC_EXIT = 1 };
    static constexpr std::uint32_t kCaptionGrey = 0xD2D2D2;
    static constexpr std::uint32_t kCaptionRed = 0x0000FF;
    static constexpr int kBarHeight = 35;
    static constexpr int kMaxLoginFailures = 5;

    explicit CKALORDlg(QWidget* parent = nullptr);
    ~CKALORDlg() override;

    // OnInitDialog, then the modal loop unless start-up already ended the dialog.
    int DoModal();
    bool OnInitDialog();
    bool IsEnded() const { return m_bEnded; }
    // Every way out ends here. Before the window goes the pages stop and the
    // database is closed, so that what it has to tell is seen.
    void done(int result) override;
    // A quit signal (SIGTERM, SIGINT, SIGHUP) ends the station as its exit
    // button does, with nobody there to answer: boxes from then on go to the
    // log and wait for no one.
    void OnQuitSignal(int signal);

    // Start-up, login and connection.
    void SetExcelTypeGuessRows();
    void InitAlarmSoundPath();
    void LoadLanguage();
    void OnLogin();
    void LoadLiftConfig();
    void FillGroupMembers();
    void ShareWithViews();
    bool OpenComPort();
    void ProbeStation1();
    void OnConnect();
    void OnBnClickedExit();
    void OnAbout();
    void Cleanup();

    // Page switching and worker control.
    void OnBnClickedGroupSetup();
    void OnBnClickedShowAll();
    void OnBnClickedShowGroup();
    void OnBnClickedShowOne();
    void OnBnClickedAnalysis();
    LRESULT OnOpenLiftMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowGroupMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnFaultAlarmMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnAlarm2Msg(WPARAM wParam, LPARAM lParam);
    void ShowAlarmPopup(int popup, bool show, const QString& text);
    void ShowBuildView();
    void ShowAllView();
    void ShowGroupView();
    void ShowOneView(int liftNum);
    void ShowAnalysisView();
    void HideLoginControls();
    void HighlightNavButton();
    void MeasureClient();
    void LayoutMainWindow();
    void StartPollAll();
    void StartPollOne(int liftIndex);
    void StopAllThreads();
    bool IsBuildBusy() const;
    QString Text(int n) const;

    // Members in the order of the original window (owned unless marked).
    QIcon m_hIcon;
    std::uint8_t m_bFirstPaintDone = 0;
    std::uint8_t m_bFirstSizeSeen = 0;
    std::uint8_t m_bLoggedIn = 0;
    std::uint8_t m_bLiftsLoaded = 0;
    std::uint8_t m_bPortOpen = 0;
    QColor m_brBack{0, 0, 0};
    std::unique_ptr<CLiftPainter> m_pPainter;
    std::unique_ptr<CLiftComm> m_pComm;
    std::unique_ptr<CDBServer> m_pDB;
    std::unique_ptr<CAnimRunEvent> m_pAnimRun;
    CButX* m_btSetup;      // 1000
    CButX* m_btShowAll;    // 1001
    CButX* m_btShowGroup;  // 1002
    CButX* m_btShowOne;    // 1003
    CButX* m_btAnalysis;   // 1004
    CButX* m_btExit;       // 1
    CButX* m_btConnect;    // 1009
    CButX* m_btFiller;     // 1005
    CButX* m_btLogin;      // 1017
    CStaX* m_stStatus;     // 1010
    CStaX* m_stUser;       // 1015
    CStaX* m_stPwd;        // 1016
    QLineEdit* m_edUser;   // 1013
    QLineEdit* m_edPwd;    // 1014
    int m_bThreadsMayRun = 0;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    int m_nBarTop = 0;
    int m_nBannerHeight = 80;
    int m_nLoginTop = 0;
    int m_nLanguageKind = 0;
    int m_nLoginFailures = 0;
    int m_nUserLimit = 0;
    int m_nGroupCount = 0;
    int m_nComPort = 0;
    int m_nBaudIndex = 0;
    int m_nSoftColor = 0;
    int m_nViewMode = kModeNone;
    int m_nPrevViewMode = kModeBuild;
    std::array<CButX*, 8> m_pNavButtons{};  // by view mode; entry 0 is not a button
    std::unique_ptr<CShowOneDlg> m_pShowOneDlg;
    std::unique_ptr<CShowAllDlg> m_pShowAllDlg;
    std::unique_ptr<CAnalysisDlg> m_pAnalysisDlg;
    std::unique_ptr<CShowGruDlg> m_pShowGruDlg;
    std::unique_ptr<CBuildDlg> m_pBuildDlg;
    CExcelIO* m_pExcel = nullptr;  // comes with the workbooks
    std::array<strCarAnimSlot, kCarAnimSlots> m_pAnimSlots{};
    std::vector<strGroupInf> m_pGroupTable;
    CLiftDataStore m_Store;
    std::array<strErrInfTab, 3> m_pErrInfTab;
    std::array<QStringList, 2> m_pFloorShow;
    strUserInf m_pUser;
    std::unique_ptr<QStringList> m_pLanText;
    std::map<int, QString> m_mapErrName;
    CComSetDlg m_dlgComSet;
    std::unique_ptr<CLiftComm> m_pComm2;
    std::array<std::unique_ptr<CShowAlarmDlg>, 2> m_pAlarmDlg;
    CAlarmWatch m_AlarmWatch;  // every page asks it after taking in its replies
    CToolkitTranslation m_qtTexts;  // Qt's own dialogs in the station's language

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Three page buttons refuse alike: page already shown, no login (told), a read running.
    bool PageButtonRefused(int mode);
    // Every page switch sets both modes around the bar's repaint.
    void EnterViewMode(int mode);
    // Every show routine starts alike: workers stopped, all pages but `page` hidden (null: all).
    void LeavePagesFor(const QWidget* page);
    // Three show routines also put away the single-lift page's two lock editors.
    void HideLockEditors();
    // Login and connect open the line alike; false when it stayed shut (told, all-lifts page shown).
    bool ConnectChosenPort();
    // The port flag of the window and every page, and the title that says it.
    void SetPortOpen(bool open);
    // No line: port shut, every lift offline, as after a port that did not open.
    void MarkNotConnected();
    void OnPaint();
    void OnSize();
    // The pictures and the login row placed for the client size measured last.
    void LayoutPictures();
    void EndDialog(int result);
    void ReportPictureFailure();

    CMessageMap m_msgMap;
    bool m_bEnded = false;
    int m_nEndResult = 0;
    bool m_bDbClosed = false;
    bool m_bQuitSignalled = false;
    bool m_bPictureReportPending = false;
};
