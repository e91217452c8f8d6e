#pragma once
// The single-lift page (view mode 4): the car in its shaft with animated
// doors, call buttons for up to 56 floors, the status cells, the special-mode
// buttons and the lock buttons. It redraws from the lift's records every 80 ms
// while the one-lift worker fills them, and writes calls and modes into the
// lift's command block for the worker to carry. Locks go to the controller at
// once, with the worker paused; the daily lock period is applied by timer 5.
#include <QBasicTimer>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <tuple>
#include <vector>

#include "platform/WindowMessage.h"
#include "views/SetLockTimeDlg.h"
#include "views/ShowFloorDlg.h"
#include "views/ShowOneLayout.h"

class ButState;
class CAlarmWatch;
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
    ~CShowOneDlg() override;  // writes LockTime.txt when it read or took a period

    bool OnInitDialog();
    void LayoutLiftView();
    // The shown lift's record of CtrlFile.txt into the lock members and buttons.
    void LoadCtrlFile();
    void SaveCtrlFile();
    // LockTime.txt into the period members; values the file lacks stay.
    void LoadLockTime();
    void SaveLockTime();
    // After the one-lift worker started: the editor gets the period, and an
    // enabled period turns its button on and starts timer 5.
    void ArmLockPeriod();
    bool IsLockPeriodTimerActive() const { return m_tmLockPeriod.isActive(); }
    void PlaceFloorDlg();
    void PlaceLockTimeDlg();
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
    // Once the one-lift worker has stopped: records what its last replies
    // brought, which no refresh of this page takes in any more.
    void RecordShownLift();

    // Message handlers (also reachable through the message map).
    LRESULT OnLiftCommFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnCarCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnHallCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnStateSwitch(WPARAM wParam, LPARAM lParam);
    LRESULT OnButStateClick(WPARAM wParam, LPARAM lParam);
    LRESULT OnWholeLiftLock(WPARAM wParam, LPARAM lParam);
    LRESULT OnFloorLockApply(WPARAM wParam, LPARAM lParam);
    LRESULT OnLockTimeSet(WPARAM wParam, LPARAM lParam);
    // One tick of timer 5: mode 3 inside the period, back to 0 after it.
    void OnLockPeriodTick();

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
    // The floor-lock and lock-period editors, windows owned by the page.
    ShowFloorDlg* m_pFloorDlg = nullptr;
    CSetLockTimeDlg* m_pLockTimeDlg = nullptr;
    const QStringList* m_pTexts = nullptr;
    CLiftPainter* m_pPainter = nullptr;
    CLiftComm* m_pComm = nullptr;
    CLiftComm* m_pComm2 = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;    // the 64 command blocks
    strLiftInf* m_pLiftInf = nullptr;    // the 64 lift records
    strLiftPage* m_pLiftPage = nullptr;  // the 64 page records
    CDBServer* m_pDB = nullptr;
    CAlarmWatch* m_pAlarmWatch = nullptr;  // the main window's, asked after each refresh
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

    // Locks: the last state the controller confirmed (and the file holds).
    std::int32_t m_nWholeLock = 0;
    FloorSet m_pFloorLive{};  // floor i + 1 is in the set in force
    FloorSet m_pFloorEdit{};  // the set being edited or sent
    int m_bFloorMode2 = 0;
    int m_bFloorMode4 = 0;
    int m_bFloorMode3 = 0;
    // The daily lock period (24-hour clock) and its flags.
    int m_nLockStartH = 0;
    int m_nLockStartM = 0;
    int m_nLockStartS = 0;
    int m_nLockEndH = 0;
    int m_nLockEndM = 0;
    int m_nLockEndS = 0;
    std::uint8_t m_bModeLatch = 0;   // mode 8 reported while the kind-3 button is pressed
    std::uint8_t m_bPeriodOn = 0;
    // The period members hold what LockTime.txt said or what the operator
    // set; before that they are defaults that must never reach the file.
    bool m_bLockTimeKnown = false;
    // The lift timer 5 put in mode 3 (-1: none); released when the page
    // shows another lift or the period ends.
    int m_nPeriodLift = -1;
    // The clock of the lock period; tests put a clock of their own here.
    std::function<QDateTime()> m_fnNow;
    // A lock command is on the line: the page's messages wait, its refresh
    // and period timers skip their ticks.
    bool m_bLockBusy = false;

    static constexpr int kViewMode = 4;
    static constexpr int kCallResends = 4;  // page replies a call is carried after its first
    static constexpr int kOneShotRequests = 4;
    static constexpr int kDoorTimerMs = 50;
    static constexpr int kLastDoorFrame = 11;  // doors fully open
    static constexpr int kLockSettleMs = 500;  // quiet line before a lock command
    // Timer 5 asks for 0 ms; the shortest period a window timer gets is 10 ms,
    // and a true 0 ms timer would spin the event loop.
    static constexpr int kLockPeriodTimerMs = 10;

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
    // Car and hall calls refuse alike; a taken call gets the lift's command block.
    strLiftCmd* AcceptCall(CButShape& button);
    // Refusals common to the lock buttons: port closed, lift offline.
    bool LockRefused();
    // The lock command with the one-lift worker paused around it; the window
    // keeps painting meanwhile but takes no input. SendLockCommand's result.
    int SendLockPaused(int floorLockMode, int wholeLock, const FloorSet& floors, int onFlag, int checkKind);
    void SetFloorModeFlags(int mode2, int mode3, int mode4);
    // Takes the period's mode 3 off the lift it was put on, unless something
    // else has commanded that lift since; the worker that next polls the lift
    // carries the release.
    void ReleasePeriodLift();
    bool AnyFloorMode() const { return m_bFloorMode2 == 1 || m_bFloorMode3 == 1 || m_bFloorMode4 == 1; }

    CMessageMap m_msgMap;
    QBasicTimer m_tmRefresh;    // timer 4
    QBasicTimer m_tmDoorOpen;   // timer 2
    QBasicTimer m_tmDoorClose;  // timer 3
    QBasicTimer m_tmLockPeriod; // timer 5
    // Page messages that arrived while a lock command was on the line.
    std::vector<std::tuple<int, WPARAM, LPARAM>> m_deferred;
    bool m_bInitDone = false;
    bool m_bCommFailShown = false;  // status cell 4 shows the failure
};
