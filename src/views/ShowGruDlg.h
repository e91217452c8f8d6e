#pragma once
// The group page (view mode 3): the lifts of one group side by side in up to
// 8 shaft cells. While it is shown, the group worker reports each member
// (WM_LIFT_STATUS) and the animation thread cuts the jumps between two
// reports into steps (WM_CAR_ANIM_STEP); doors open and close on 50 ms timers,
// and every report goes to the recorder.
#include <QBasicTimer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>

#include "platform/WindowMessage.h"
#include "views/CarAnimSlot.h"

class CAlarmWatch;
class CAnimRunEvent;
class CDBServer;
class CLiftComm;
class CStaGrp;
class CStaX;
struct strGroupInf;
struct strLiftCmd;
struct strLiftInf;
struct strLiftPage;

class CShowGruDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellCount = 8;
    static constexpr int kFirstCellId = 3000;  // cell k: control id 3000 + k
    static constexpr int kCaptionId = 1079;
    static constexpr int IDT_DOOR_OPEN_BASE = 51;    // opening timer of cell k: 51 + k
    static constexpr int IDT_DOOR_CLOSE_BASE = 101;  // closing timer of cell k: 101 + k
    static constexpr int kDoorTimerMs = 50;

    explicit CShowGruDlg(QWidget* parent = nullptr);
    ~CShowGruDlg() override;

    bool OnInitDialog();
    // Lays out the current group; called whenever the page is shown.
    void ShowGroup();
    // Starts the group worker and the animation thread (only when connected).
    void StartViewThreads();

    // WM_LIFT_STATUS: wParam the lift index 0..63, lParam the context.
    LRESULT OnLiftStatus(WPARAM wParam, LPARAM lParam);
    // The same report taken at tick now.
    void TakeLiftReport(int liftIndex, std::uint32_t now);
    // Once the group worker has stopped: records its members as a report
    // would, since the reports it left queued are dropped.
    void RecordPolledMembers();
    // WM_CAR_ANIM_STEP: wParam 0, lParam the slot array.
    LRESULT OnCarAnimStep(WPARAM wParam, LPARAM lParam);
    // Door timers: 51..58 open, 101..108 close the doors of cell id - base.
    void OnTimer(int nIDEvent);

    // Cell k (0..7); null outside.
    CStaGrp* Cell(int k) const;
    bool IsDoorTimerActive(int nIDEvent) const;
    CStaX* Caption() const { return m_stCaption; }

    std::uint8_t m_bPortOpen = 0;  // connected flag
    std::int32_t m_nViewWidth = 0;
    std::int32_t m_nViewHeight = 0;
    std::int32_t m_nCurGroup = 0;  // index into the group table
    std::int32_t m_nGroupCount = 0;
    std::int32_t m_nPolledGroup = -1;  // the group the last worker started here polls
    QWidget* m_hMainWnd = nullptr;
    strLiftInf* m_pLiftInf = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    strLiftPage* m_pLiftPage = nullptr;
    strLiftCmd* m_pLiftCmd = nullptr;
    strCarAnimSlot* m_pAnimSlots = nullptr;  // kCarAnimSlots, slot k for cell k
    CAnimRunEvent* m_pAnimRun = nullptr;
    const QStringList* m_pTexts = nullptr;
    CDBServer* m_pDB = nullptr;
    CAlarmWatch* m_pAlarmWatch = nullptr;  // the main window's, asked after each report
    CLiftComm* m_pComm = nullptr;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // The group shown, or null when the index is outside the table.
    const strGroupInf* CurrentGroup() const;
    // Moves the doors of cell k: towards open or towards closed.
    void StartDoorTimer(int k, bool open);
    const QBasicTimer* DoorTimer(int nIDEvent) const;
    QBasicTimer* DoorTimer(int nIDEvent);

    std::array<CStaGrp*, kCellCount> m_pStaGrp{};  // children of the page
    CStaX* m_stCaption = nullptr;                  // children of the page
    std::array<QBasicTimer, kCellCount> m_tmDoorOpen;
    std::array<QBasicTimer, kCellCount> m_tmDoorClose;
    CMessageMap m_msgMap;
};
