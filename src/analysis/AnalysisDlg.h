#pragma once
// The analysis page (view mode 5): the recorded faults of a date range as a
// tree of lifts or fault codes beside a detail list or a pie chart with its
// colour swatches, the fault help texts, user management, and the language
// and workbook settings. It takes no part in lift traffic.
#include <QDateTime>
#include <QFont>
#include <QPen>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "analysis/CallStatBlock.h"
#include "database/LanguageSheet.h"
#include "database/LiftFaultStat.h"
#include "platform/ColorRef.h"
#include "platform/WindowMessage.h"

class CButAnaly;
class CDBServer;
class CEditX;
class CExcelIO;
class CPieChartWnd;
class CStaCol;
class CStaInfX;
class CStaX;
class ClistCtrlX;
class QDateTimeEdit;
class QLineEdit;
class QRadioButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;
struct strErrInfTab;
struct strGroupInf;
struct strLiftInf;
struct strUserInf;

class CAnalysisDlg : public QWidget {
    Q_OBJECT
public:
    // Control ids, kept as object names.
    enum : int {
        IDC_ST_START = 1069, IDC_ST_END = 1070, IDC_DT_START = 1071, IDC_DT_END = 1072,
        IDC_QUERY = 1073, IDC_LISTSHOW = 1066, IDC_PIESHOW = 1075, IDC_IMAGESHOW = 1067,
        IDC_EXPORTREC = 1068, IDC_FAULTHEAD = 1063, IDC_SYSHEAD = 1155,
        IDC_FAULTSBYLIFT = 1079, IDC_LIFTSBYFAULT = 1124, IDC_STATSBYLIFT = 1076,
        IDC_STATSBYFAULT = 1077, IDC_FAULTHELP = 1078, IDC_LANGUAGE = 1074, IDC_USERMANAGE = 1139,
        IDC_LIST = 1080, IDC_LIST2 = 1153, IDC_TREE = 1129, IDC_SCALE = 1125, IDC_COLCHART = 1126,
        IDC_HELPTITLE = 1130, IDC_HELPTEXT = 1131, IDC_MODEL0 = 1132, IDC_MODEL1 = 1133,
        IDC_USERFRAME = 1119, IDC_USERNAME = 1143, IDC_PASSWORD = 1144, IDC_CONFIRM = 1145,
        IDC_ST_USERNAME = 1147, IDC_ST_PASSWORD = 1148, IDC_ST_CONFIRM = 1149,
        IDC_NEWUSER = 1140, IDC_CHANGEPWD = 1141, IDC_DELETEUSER = 1142, IDC_USEROK = 1150,
        IDC_EXPORTLAN = 1135, IDC_CHOOSEFILE = 1136, IDC_PATH = 1137, IDC_IMPORTLAN = 1138,
        IDC_COMPACT = 1156, IDC_ST_DBSIZE = 1157, IDC_LAN1 = 1161, IDC_LAN2 = 1162, IDC_LAN3 = 1163,
        IDC_ST_EXPORTLAN = 1113, IDC_ST_IMPORTLAN = 1114, IDC_ST_DATABASE = 1115, IDC_ST_LANGUAGE = 1116,
        IDC_ST_CHART = 1128, IDC_ST_SCALE = 1134,
        IDC_SWATCH0 = 5500,
    };
    enum : int { kDisplayList = 1, kDisplayPie = 3 };
    // View modes of the page.
    enum : int { kModeNone = 0, kModeFaultsByLift = 6, kModeLiftsByFault = 7, kModeStatsByLift = 8,
                 kModeStatsByFault = 9, kModeFaultHelp = 10, kModeLanguage = 11, kModeUsers = 12,
                 kModeLast = 13 };
    // User sub-modes: what OK does.
    enum : int { kUserList = 0, kUserNew = 1, kUserPassword = 2, kUserDelete = 3 };
    static constexpr int kLiftRecords = 64;
    static constexpr int kSwatchCount = 150;
    static constexpr int kSwatchWidth = 170;
    static constexpr int kSwatchHeight = 20;
    static constexpr int kSwatchStep = 180;
    static constexpr COLORREF kOrange = 0x007EFF;
    static constexpr COLORREF kWhite = 0xFFFFFF;
    // The largest page height that still takes the small layout.
    static constexpr int kLargeLayoutHeight = 800;

    explicit CAnalysisDlg(QWidget* parent = nullptr);
    ~CAnalysisDlg() override;

    bool OnInitDialog();
    // Places every control from the page's size and sets the captions.
    void LayoutControls();

    // Fault views. OnBnClickedFaultsByLift is the default view the main window
    // runs after every switch to the page.
    void OnBnClickedFaultsByLift();
    void OnBnClickedLiftsByFault();
    void OnBnClickedStatsByLift();
    void OnBnClickedStatsByFault();
    void OnBnClickedFaultHelp();
    void OnBnClickedQueryRange();
    void OnBnClickedListDisplay();
    void OnBnClickedPieDisplay();
    void OnBnClickedModel0();
    void OnBnClickedModel1();
    void OnTreeSelChanged(QTreeWidgetItem* pItem);
    void OnScaleCustomDraw(int nPos);

    // Pie and swatches.
    LRESULT OnColorPicked(WPARAM wParam, LPARAM lParam);
    LRESULT OnSwatchHover(WPARAM wParam, LPARAM lParam);
    void RefreshPie(int nArg);
    int FillPieByFaultCode(int nLift);
    int FillPieByFaultKind(int nCode);

    // User management.
    void OnBnClickedUserManage();
    void OnBnClickedNewUser();
    void OnBnClickedChangePassword();
    void OnBnClickedDeleteUser();
    void OnBnClickedUserOk();
    // Kind 1 a user name, 2 a password; blanks and line feeds are removed in place.
    bool ValidateAccountText(QString& text, int nKind);

    // Language settings and workbooks (AnalysisDlgWorkbooks.cpp).
    void OnBnClickedLanguageSetting();
    void OnBnClickedLanguage1();
    void OnBnClickedLanguage2();
    void OnBnClickedLanguage3();
    void OnBnClickedImportLanguage();
    void OnBnClickedImportConfirm();
    void OnBnClickedExportLanguage();
    void OnBnClickedExportRecords();
    void OnBnClickedCompactDb();
    void ShowLanguagePage();
    void SetLanguageRadioCaptions();
    void ShowDBSize();  // the size of the database file as it is now
    // The default export name at `now`: *pStamp the bare time stamp, *pName it
    // followed by the suffix ("-Language", "-ErrInf").
    void MakeExportFileName(const QString& suffix, QString* pStamp, QString* pName,
                            const QDateTime& now = QDateTime::currentDateTime()) const;
    QString GetExcelFileExt();
    // Kind 1 the language table, 2 the records; 1 with the chosen path in *pPath, else 0.
    int ShowExportSaveDialog(int nKind, const QString& name, const QString& ext, QString* pPath);

    // Page operations.
    void HideAllControls();
    void HighlightModeButton();
    enum : int { kBoundStart = 0, kBoundEnd = 1 };
    QDateTime GetRecordDateBound(int nWhich) const;
    void ShowQueryControls();
    void ReadPickerRange(QDateTime* pStart, QDateTime* pEnd);
    void FillList();
    void FillTree();
    void ShowPieForSelection(int nArg);
    void ShowHelpPage();
    void ShowFaultHelp(const QString& text);
    // The range label that goes with exported records ("Default" or the dates).
    void SetRangeLabel(const QString& label);
    // The page's text n of the UI text table (empty when missing).
    QString Text(int n) const;

    // Members in the page's declared order.
    std::int32_t m_nDisplayKind = kDisplayList;
    std::int32_t m_nViewMode = kModeNone;
    std::int32_t m_nUserMode = kUserList;
    std::int32_t m_nX0 = 230;             // content origin x
    std::int32_t m_nTitleTop = 20;
    std::int32_t m_nTitleWidth = 131;     // underline length
    std::int32_t m_nLeftX = 15;           // left button column
    std::int32_t m_nLeftWidth = 175;
    std::int32_t m_nButWidth = 90;        // buttons of the content rows
    std::int32_t m_nButHeight = 27;
    std::int32_t m_nX1 = 570;             // display-kind button row
    std::int32_t m_nNarrowListWidth = 547;
    std::int32_t m_nWideListWidth = 607;
    std::int32_t m_nTreeHeight = 510;     // tree and list height
    std::int32_t m_nWideTreeWidth = 220;
    std::int32_t m_nNarrowTreeWidth = 160;
    std::int32_t m_nButFontSize = 80;     // tenths of a point
    std::uint8_t m_bLargeLayout = 0;
    std::int32_t m_nColRange = 0;         // column chart scroll range; nothing on the page sets it
    float m_fColRatio = 0.0f;
    std::int32_t m_nLanguageKind = 0;     // 1..3, set by the main window
    std::int32_t m_nFaultModel = 2;       // index into the three fault-text tables
    QString m_strTitle;
    std::unique_ptr<std::array<strLiftFaultStat, kLiftRecords>> m_pFaultStat;
    // Handed as they are to the record export and the column chart; the page never fills them.
    std::unique_ptr<std::array<strCallStatBlock, 4>> m_pCallStat;
    strLiftInf* m_pLiftInf = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    std::int32_t m_nGroupCount = 0;
    std::array<strErrInfTab, 3>* m_pErrInfTab = nullptr;
    const strUserInf* m_pUser = nullptr;
    const QStringList* m_pLanText = nullptr;
    CDBServer* m_pDB = nullptr;
    CExcelIO* m_pExcel = nullptr;
    std::array<CStaInfX*, kSwatchCount> m_pSwatches{};  // children of the page
    QPen m_penTitle;
    QFont m_fontTitle;
    QDateTime m_tmDefaultStart;
    QDateTime m_tmDefaultEnd;
    QString m_strQueryDate;
    QDateTime m_tmQueryStart;
    QDateTime m_tmQueryEnd;
    QString m_strRangeLabel;
    CPieChartWnd* m_wndPie = nullptr;  // child of the page
    QTreeWidgetItem* m_hTreeRoot = nullptr;
    std::int32_t m_nSelLift = -1;
    std::int32_t m_nSelCode = 0;
    std::int32_t m_nCurMode = 1;
    std::int32_t m_nPrevMode = 1;
    std::array<CButAnaly*, 14> m_pModeButtons{};  // by mode 1..13; entry 0 is none
    QStringList m_strLanNames;
    QStringList m_strUserNames;
    QStringList m_strUserPwds;
    QString m_strImportPath;           // workbook chosen for the language import
    std::uint8_t m_bImportAccepted = 0;
    strLanguageSheet m_ImportSheet;    // the imported table: sign and three language columns
    strLanguageSheet m_ExportSheet;    // the table handed to the language export

    // Controls.
    CStaX* m_stStart;        // 1069
    CStaX* m_stEnd;          // 1070
    QDateTimeEdit* m_dtStart;  // 1071
    QDateTimeEdit* m_dtEnd;    // 1072
    CButAnaly* m_btQuery;      // 1073
    CButAnaly* m_btListShow;   // 1066
    CButAnaly* m_btPieShow;    // 1075
    CButAnaly* m_btImageShow;  // 1067
    CButAnaly* m_btExportRec;  // 1068
    CButAnaly* m_btFaultHead;  // 1063
    CButAnaly* m_btSysHead;    // 1155
    ClistCtrlX* m_lstFault;    // 1080, also the user list
    ClistCtrlX* m_lstSecond;   // 1153
    QTreeWidget* m_tree;       // 1129
    QSlider* m_slScale;        // 1125
    CStaCol* m_stCol;          // 1126
    CEditX* m_edHelpTitle;     // 1130
    CEditX* m_edHelp;          // 1131
    QRadioButton* m_rbModel0;  // 1132
    QRadioButton* m_rbModel1;  // 1133
    CStaX* m_stUserFrame;      // 1119
    std::array<CStaX*, 3> m_stUser{};        // 1147, 1148, 1149
    QLineEdit* m_edUserName;   // 1143
    QLineEdit* m_edPassword;   // 1144
    QLineEdit* m_edConfirm;    // 1145
    CButAnaly* m_btNewUser;    // 1140
    CButAnaly* m_btChangePwd;  // 1141
    CButAnaly* m_btDeleteUser; // 1142
    CButAnaly* m_btUserOk;     // 1150
    CButAnaly* m_btExportLan;  // 1135
    CButAnaly* m_btChooseFile; // 1136
    CButAnaly* m_btImportLan;  // 1138
    CButAnaly* m_btCompact;    // 1156
    CEditX* m_edPath;          // 1137
    std::array<QRadioButton*, 3> m_rbLanguage{};  // 1161, 1162, 1163
    std::array<CStaX*, 4> m_stLanguagePage{};     // 1113, 1114, 1115, 1116
    CStaX* m_stDBSize;         // 1157
    CStaX* m_stChart;          // 1128
    CStaX* m_stScale;          // 1134
    std::array<CStaX*, 4> m_stSpare{};  // 1123, 1151, 1152, 1154: only hidden here
    std::map<int, CButAnaly*> m_buttons;  // every CButAnaly by id

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Enter and Escape are kept from every control of the page.
    bool PreTranslateMessage(QEvent* event) const;
    CButAnaly* MakeButton(int id, int nState);
    void OnModeButton(int nMode);
    void SetModeTitle(int nMode);
    void DrawTitle(QPainter& painter);
    void ReloadUsers();
    // Hides the swatches and shrinks the chart to a point.
    void HidePie();
    void PlaceSwatch(CStaInfX* pSwatch, int x, int y);
    const strErrInfTab* FaultTab(int nModel) const;

    CMessageMap m_msgMap;
};
