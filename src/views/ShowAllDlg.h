#pragma once
// The all-lifts page (view mode 2): every lift of every group as a picture
// tile under its group's header, refreshed from the lift store every 80 ms,
// doors animated, new faults handed to the database, and the whole page
// dragged sideways when the groups are wider than the window.
#include <QBasicTimer>
#include <QPen>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/WindowMessage.h"
#include "views/TileGeometry.h"

class CAlarmWatch;
class CDBServer;
class CLiftComm;
class CLiftPainter;
class CStaA;
class CStaG;
class CStaX;
struct strGroupInf;
struct strLiftFault;
struct strLiftInf;

class CShowAllDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTileCount = 64;
    static constexpr int kFirstTileId = 2000;    // tile i: control id 2000 + i
    static constexpr int kFirstHeaderId = 2500;  // header g: control id 2500 + g
    static constexpr int kNoticeId = 1138;
    static constexpr int kDoorTickMs = 50;
    static constexpr int kViewMode = 2;

    explicit CShowAllDlg(QWidget* parent = nullptr);
    ~CShowAllDlg() override;

    // Creates the 64 tiles and the notice label.
    bool OnInitDialog();
    // Called once the groups are known; replaces the headers of an earlier call.
    void CreateGroupCells();
    // Places tiles and headers; called each time the page is shown.
    void LayoutCells();
    // One refresh pass over the installed lifts (timer 0).
    void RefreshLifts();
    // Hands the faults of the installed lifts that answer to the database:
    // each refresh, and once more when the poll-all worker has stopped.
    void RecordFaults();
    // Timer 0: the 80 ms refresh, armed by the main window with the poll-all worker.
    void SetRefreshTimer(int ms);
    bool IsRefreshTimerActive() const { return m_tmRefresh.isActive(); }
    // The one door timer that steps every moving door.
    bool IsDoorTimerActive() const { return m_tmDoor.isActive(); }
    LRESULT OnCellDragEnd(WPARAM wParam, LPARAM lParam);

    // Tile of lift index i (0..63) and header of group index g; null outside.
    CStaA* Tile(int i) const;
    CStaG* Header(int g) const;
    int HeaderCount() const { return int(m_pStaG.size()); }

    std::int32_t m_bDrag = 0;
    std::uint8_t m_bPortOpen = 0;  // connected flag
    std::int32_t m_nGroupCount = 0;
    std::int32_t m_nLiftsPerColumn = 5;
    int* m_pViewMode = nullptr;
    std::int32_t m_nDragStartX = 0;
    std::int32_t m_nCurX = 0;
    std::int32_t m_nViewWidth = 0;
    std::int32_t m_nViewHeight = 0;
    std::int32_t m_nContentWidth = 0;
    QPointer<QObject> m_hMainWnd;  // target of the tiles' and headers' messages
    strLiftInf* m_pLiftInf = nullptr;
    strGroupInf* m_pGroupTable = nullptr;
    strLiftFault* m_pLiftFault = nullptr;
    std::array<strSeparatorLine, kMaxSeparatorLines> m_Lines{};
    CLiftPainter* m_pPainter = nullptr;
    CDBServer* m_pDB = nullptr;
    CLiftComm* m_pComm = nullptr;
    const QStringList* m_pTexts = nullptr;
    CStaX* m_stNotice = nullptr;  // 1138, red text
    CAlarmWatch* m_pAlarmWatch = nullptr;  // the main window's, asked after each refresh
    QPen m_penSeparator;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void StepDoors();
    void SetCellsDrag(std::uint8_t flag);

    std::array<CStaA*, kTileCount> m_pStaA{};  // children of the page
    std::vector<CStaG*> m_pStaG;                // children of the page
    CMessageMap m_msgMap;
    QBasicTimer m_tmRefresh;
    QBasicTimer m_tmDoor;
};
