#pragma once
// The configuration page (view mode 1): the installed lifts with their names,
// groups and floor display texts, the group names, deleting a lift, the
// lifts-per-column setting of the all-lifts page, and the re-acquire of all
// lift data from the controllers, which scans the bus on this thread.
#include <QPen>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/WindowMessage.h"

class CButX;
class CDBServer;
class CEditX;
class CLiftComm;
class CLiftPainter;
class CStaX;
class CWaitDlg;
class ClistCtrlX;
class QComboBox;
struct strGroupInf;
struct strLiftCmd;
struct strLiftInf;
struct strLiftPage;

class CBuildDlg : public QWidget {
    Q_OBJECT
public:
    // Control ids, kept as object names.
    enum : int {
        IDC_LIFTLIST = 1027, IDC_GROUPLIST = 1038, IDC_FLOORLIST = 1078,
        IDC_LIFTNAME = 1028, IDC_GROUPNAME = 1034,
        IDC_GROUPCOMBO = 1040, IDC_FLOORHI = 1042, IDC_FLOORLO = 1044,
        IDC_ST_LIFTNAME = 1032, IDC_ST_GROUPNAME = 1033, IDC_ST_GROUP = 1041,
        IDC_ST_FLOORSHOW = 1043, IDC_ST_FLOORHI = 1045, IDC_ST_FLOORLO = 1046,
        IDC_SAVELIFT = 1030, IDC_SAVEGROUP = 1035, IDC_SAVEFLOOR = 1036,
        IDC_GETLIFTDATA = 1019, IDC_DELETELIFT = 1037, IDC_GETHEIGHT = 1039,
        IDC_GETALLHEIGHTS = 1047, IDC_SHOWNUM = 1175,
    };
    static constexpr std::uint32_t kLabelText = 0x14B1E4;
    static constexpr std::uint32_t kFrameColor = 0x019DD0;
    static constexpr int kLiftListWidth = 630;
    static constexpr int kMaxNameWidth = 14;  // 2 for each character above 0xFF, 1 for the others
    static constexpr int kFloorRows = 56;     // floors that have stored display texts

    explicit CBuildDlg(QWidget* parent = nullptr);
    ~CBuildDlg() override;

    // Creates the page's own windows (the progress box); called once by the main window.
    bool OnInitDialog();
    // Called each time the page is shown.
    void RefreshPage();

    // Handlers; each does nothing while m_bBusy is set.
    void OnLiftListClick();
    void OnGroupListClick();
    void OnFloorListClick();
    void OnBnClickedSaveLift();
    void OnBnClickedSaveGroup();
    void OnBnClickedModifyFloorShow();
    void OnBnClickedDeleteLift();
    void OnBnClickedGetLiftData();
    void OnBnClickedGetLiftHeight();
    void OnBnClickedGetAllHeights();
    void OnBnClickedShowNum();

    // Messages of the scan and the height runs.
    LRESULT OnReadProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnReadFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnReadFinished(WPARAM wParam, LPARAM lParam);

    // Stops the running worker and drops the worker messages still queued.
    void StopWorkerAndFlush();

    // Why a lift name is refused: the UI text or fixed message, empty when it is accepted.
    QString CheckLiftName(const QString& name, int nLiftNum) const;
    // 2 for every character above 0xFF, 1 for the others.
    static int NameWidth(const QString& name);

    std::uint8_t m_bBusy = 0;      // a re-acquire or height run is in progress
    std::uint8_t m_bPortOpen = 0;  // written by the main window
    std::uint8_t m_bListsReady = 0;
    CWaitDlg* m_pWaitDlg = nullptr;  // progress box, owned
    CLiftComm* m_pComm = nullptr;
    CDBServer* m_pDB = nullptr;
    CLiftPainter* m_pPainter = nullptr;
    const QStringList* m_pTexts = nullptr;
    strLiftPage* m_pLiftPage = nullptr;
    strLiftInf* m_pLiftInf = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    std::array<QStringList, 2>* m_pFloorShow = nullptr;
    QWidget* m_hMainWnd = nullptr;
    // Asked once a re-acquire has taken in its replies: its status polls bring
    // faults and fire service as the pages' polls do.
    std::function<void()> m_fnRepliesTakenIn;
    std::int32_t m_nGroupCount = 0;
    std::int32_t m_nLanguageKind = 0;
    std::int32_t m_nPageWidth = 0;
    std::int32_t m_nPageHeight = 0;
    // Layout: frame margins, gaps and the height of the floor block.
    std::int32_t m_nMarginLeft = 20;
    std::int32_t m_nMarginTop = 20;
    std::int32_t m_nMarginRight = 20;
    std::int32_t m_nMarginBottom = 20;
    std::int32_t m_nGapX = 20;
    std::int32_t m_nGapY = 25;
    std::int32_t m_nLowerBlock = 190;
    std::int32_t m_nLiftRow = -1;
    std::int32_t m_nGroupRow = -1;
    std::int32_t m_nFloorRow = -1;
    std::int32_t m_nSelLiftNum = 0;
    QPen m_penFrame;

    ClistCtrlX* m_lstLift;    // 1027
    ClistCtrlX* m_lstGroup;   // 1038
    ClistCtrlX* m_lstFloor;   // 1078
    CEditX* m_edLiftName;     // 1028
    CEditX* m_edGroupName;    // 1034
    QComboBox* m_cbGroup;     // 1040
    QComboBox* m_cbFloorHi;   // 1042
    QComboBox* m_cbFloorLo;   // 1044
    std::array<CStaX*, 6> m_stLabels{};  // 1032, 1033, 1041, 1043, 1045, 1046
    CButX* m_btSaveLift;      // 1030
    CButX* m_btSaveGroup;     // 1035
    CButX* m_btSaveFloor;     // 1036
    CButX* m_btGetLiftData;   // 1019
    CButX* m_btDeleteLift;    // 1037
    CButX* m_btGetHeight;     // 1039
    CButX* m_btGetAllHeights; // 1047
    CButX* m_btShowNum;       // 1175

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString Text(int n) const;
    // The display texts a new lift's floor gets: tens (empty below 10) and units.
    static QString DefaultTens(int nFloor);
    static QString DefaultUnits(int nFloor);
    // Column 1 of the floor list: the stored texts, or the floor number where none are stored.
    static QString FloorText(const strLiftInf& lift, int nFloor);
    void SetupLists();
    void LayoutControls();
    void PaintBackground(QPainter& painter);
    void OnCtlColor();
    // Group entries "g:name" of combo 1040 from the group table or the group list.
    void FillGroupCombo(const QStringList& names);
    void RefillLiftList();
    void RefillGroupList();
    // The group table with every group's members taken from the lift records,
    // where lift nLiftNum (0: none) is taken to be in group nGroupNum and
    // installed or not as bInstalled says: what the table becomes once a change
    // of that lift is stored.
    std::vector<strGroupInf> RebuildGroupMembers(int nLiftNum = 0, int nGroupNum = 0, bool bInstalled = true) const;
    void ApplyGroupTable(const std::vector<strGroupInf>& groups);
    strLiftInf* LiftOfNumber(int nLiftNum) const;
    // The lift number in column 0 of a lift row; 0 when the row holds none.
    int LiftNumOfRow(int nRow) const;
    void ShowWaitBox();
    void HideWaitBox();
    // Paints what is due while a read holds this thread; input waits until it ends.
    void PumpPaintEvents();
    // Starts a height run with the mode's pointers and shows the progress box.
    void StartHeightRun(int nMode, int nLiftIndex);
    // Both height runs check alike (port, row, lifts, the OK); a refusal leaves the page idle.
    bool HeightRunConfirmed(bool rowChosen, int confirmText);

    CMessageMap m_msgMap;
};
