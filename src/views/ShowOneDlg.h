#pragma once
// The single-lift page (view mode 4): the car in its shaft with animated
// doors, call buttons for up to 56 floors, the status cells, the special-mode
// buttons and the lock buttons. It redraws from the lift's records every 80 ms
// while the one-lift worker fills them, and writes calls and modes into the
// lift's command block for the worker to carry.
#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>

#include "platform/WindowMessage.h"
#include "views/ShowOneLayout.h"

class ButState;
class CButShape;
class CButShapeState;
class CDBServer;
class CLiftComm;
class CLiftPainter;
class CStaO;
class CStaShape;
class CStaX;
class QLabel;
struct strErrInfTab;
struct strLiftCmd;
struct strLiftInf;
struct strLiftPage;

class CShowOneDlg : public QWidget {
    Q_OBJECT
public:
    explicit CShowOneDlg(QWidget* parent = nullptr);

    bool OnInitDialog();
    void LayoutLiftView();
    void LoadCtrlFile();
    void LoadLockTime();
    // Timer 4: the 80 ms refresh, armed by the main window with the one-lift worker.
    void SetRefreshTimer(int ms);
    bool IsRefreshTimerActive() const { return m_tmRefresh.isActive(); }

    // <folder of the executable>/SoftResoure/<name>.
    static QString GetSoftResourcePath(const QString& name);

    // One refresh from the lift's records: 1 when the lift reported a floor
    // and the page took in its state, 0 when it kept its last picture.
    int RefreshLiftView(strLiftInf& lift, strLiftPage& page);
    // Car position, doors and symbol from the record, then the recording of
    // new calls and faults.
    void UpdateCarPicture(strLiftInf& lift, strLiftPage& page);

    // Message handlers (also reachable through the message map).
    LRESULT OnLiftCommFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnCarCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnHallCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnStateSwitch(WPARAM wParam, LPARAM lParam);

    // The shown lift's records; null when the tables were not handed over.
    strLiftInf* ShownLift() const;
    strLiftPage* ShownPage() const;
    strLiftCmd* ShownCmd() const;

    // Handed over by the main window.
    std::uint8_t m_bPortOpen = 0;
    std::uint8_t m_bLiftOnline = 0;  // the lift reported a floor at the last refresh
    int* m_pViewMode = nullptr;
    std::int32_t m_nLiftIndex = 0;
    std::int32_t m_nLanguageKind = 0;
    // The floor-lock and lock-period editors; they arrive with the locks.
    QWidget* m_pFloorDlg = nullptr;
    QWidget* m_pLockTimeDlg = nullptr;
    std::uint8_t m_bModeLatch = 0;   // mode 8 reported while the kind-3 button is pressed
    std::uint8_t m_bPeriodOn = 0;
    const QStringList* m_pTexts = nullptr;
    CLiftPainter* m_pPainter = nullptr;
    CLiftComm* m_pComm = nullptr;
    CLiftComm* m_pComm2 = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;    // the 64 command blocks
    strLiftInf* m_pLiftInf = nullptr;    // the 64 lift records
    strLiftPage* m_pLiftPage = nullptr;  // the 64 page records
    CDBServer* m_pDB = nullptr;
    std::array<strErrInfTab, 3>* m_pErrInfTab = nullptr;

    // Controls, made by OnInitDialog and owned by the page as their parent;
    // index = floor - 1, mode kind - 1.
    std::array<CButShape*, kShowOneFloors> m_pCarBtn{};
    std::array<CButShape*, kShowOneFloors> m_pUpBtn{};
    std::array<CButShape*, kShowOneFloors> m_pDownBtn{};
    std::array<CStaShape*, kShowOneFloors> m_pFloorCell{};
    std::array<CStaShape*, kShowOneStatusCells> m_pStatusCell{};
    std::array<CButShapeState*, kShowOneModeButtons> m_pModeBtn{};
    std::array<ButState*, kShowOneLockButtons> m_pLockBtn{};
    std::array<QLabel*, 2> m_pPicture{};  // statics 1048 and 1049
    std::array<CStaO*, 2> m_pTitle{};     // title bars 5000 and 5001
    CStaX* m_stNotice = nullptr;          // 1139

    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    int m_nCellFont = 80;
    int m_nCurFloorIdx = 0;
    int m_nPrevFloorIdx = 0;
    strShowOneLayout m_layout;

    // The car picture, drawn off-screen and copied to the car area.
    QFont m_fontCar;
    QImage m_imgCar;
    std::uint8_t m_bBackSaved = 0;
    int m_nDoorFrame = 0;      // 0 closed .. 11 open
    int m_nDoorMode = 6;       // 1 opening or open, 3 closing, 6 closed
    int m_nCarRunState = 0;
    int m_nCarLiftNum = 1;
    int m_nCarFloor = 1;
    float m_fCarOffset = 0.0f;
    int m_nShaftTop = 0;
    int m_nShaftBottom = 0;
    float m_fPxPerFloor = 0.0f;

    static constexpr int kViewMode = 4;
    static constexpr int kCallResends = 4;  // page replies a call is carried after its first
    static constexpr int kOneShotRequests = 4;
    static constexpr int kDoorTimerMs = 50;
    static constexpr int kLastDoorFrame = 11;  // doors fully open

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void UpdateCarCallButtons(const strLiftPage& page);
    void UpdateHallCallButtons(const strLiftPage& page);
    void UpdateCurrentFloor(const strLiftInf& lift);
    void UpdateStatusTexts(const strLiftInf& lift);
    void UpdateRunStateText(const strLiftInf& lift);
    void UpdateModeText(const strLiftInf& lift);
    void UpdateFaultText(const strLiftInf& lift);
    // One lamp of the refresh: lights, keeps or puts out the button.
    void ApplyLamp(CButShape* button, bool lit, int litState, int normalState, std::uint32_t now);
    void PermitButtons(const strLiftInf& lift);
    void ResetStatusCell(int index);
    void LayoutStatusAndModes(const strLiftCmd* cmd);
    void LayoutFloors(const strLiftInf* lift);
    // Draws the car picture with the page's inputs and repaints the car area.
    void DrawCarPicture();
    void SetDoorFrame(int frame);
    // Whether the floor (1-based) has its buttons on this lift.
    bool FloorPresent(const strLiftInf& lift, int floor) const;
    QString Text(int n) const;
    void SetMode(int mode);

    CMessageMap m_msgMap;
    QBasicTimer m_tmRefresh;    // timer 4
    QBasicTimer m_tmDoorOpen;   // timer 2
    QBasicTimer m_tmDoorClose;  // timer 3
    bool m_bInitDone = false;
    bool m_bCommFailShown = false;  // status cell 4 shows the failure
};
