#include "views/ShowAllDlg.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "controls/StaX.h"
#include "database/DBServer.h"
#include "database/RecordingBatch.h"
#include "link/GroupInf.h"
#include "link/LiftFault.h"
#include "link/LiftInf.h"
#include "platform/UiText.h"
#include "views/AlarmWatch.h"
#include "views/StaA.h"
#include "views/StaG.h"
#include "views/ViewMessages.h"

namespace {
constexpr int kNoticeText = 155;
// Door flags of the status poll: bit 0 or bit 2 means the doors open.
constexpr int kDoorOpeningBits = 0x5;
constexpr int kDoorOpen = CStaA::kDoorSteps - 1;
constexpr COLORREF kNoticeRed = 0x0000FF;
} // namespace

CShowAllDlg::CShowAllDlg(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ShowAllDlg"));
    // Black behind the page and every control on it.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    m_penSeparator = QPen(QColor(208, 157, 1), 2, Qt::SolidLine);
    m_msgMap.On(WM_CELL_DRAG_END, [this](WPARAM w, LPARAM l) { return OnCellDragEnd(w, l); });
}

CShowAllDlg::~CShowAllDlg() = default;

bool CShowAllDlg::OnInitDialog()
{
    if (m_pStaA[0])
        return true;  // the cells exist for the page's whole life
    for (int i = 0; i < kTileCount; ++i) {
        auto* tile = new CStaA(this);
        tile->setObjectName(QString::number(kFirstTileId + i));
        tile->m_hView = this;
        tile->hide();
        m_pStaA[std::size_t(i)] = tile;
    }
    m_stNotice = new CStaX(this);
    m_stNotice->setObjectName(QString::number(kNoticeId));
    m_stNotice->setGeometry(50, 10, 300, 15);
    m_stNotice->SetColors(kNoticeRed, 0x000000);
    m_stNotice->hide();
    return true;
}

CStaA* CShowAllDlg::Tile(int i) const
{
    return i >= 0 && i < kTileCount ? m_pStaA[std::size_t(i)] : nullptr;
}

CStaG* CShowAllDlg::Header(int g) const
{
    return g >= 0 && g < HeaderCount() ? m_pStaG[std::size_t(g)] : nullptr;
}

void CShowAllDlg::CreateGroupCells()
{
    for (CStaG* header : m_pStaG)
        delete header;
    m_pStaG.clear();
    // The page has room for as many groups as separator lines.
    const int count = std::clamp(int(m_nGroupCount), 0, kMaxSeparatorLines);
    for (int g = 0; g < count; ++g) {
        auto* header = new CStaG(this);
        header->setObjectName(QString::number(kFirstHeaderId + g));
        header->m_hView = this;
        header->hide();
        m_pStaG.push_back(header);
    }
}

void CShowAllDlg::LayoutCells()
{
    OnInitDialog();
    const QRect win = geometry();
    m_nViewWidth = win.width();
    m_nViewHeight = win.height();
    const int groupCount = m_pGroupTable ? m_nGroupCount : 0;
    const strCellLayout layout =
        ComputeCellLayout(m_nViewWidth, m_nViewHeight, m_nLiftsPerColumn, m_pGroupTable, groupCount);

    bool anyMember = false;
    for (int g = 0; g < groupCount && !anyMember; ++g)
        anyMember = m_pGroupTable[g].nLiftCount > 0;
    if (anyMember) {
        m_stNotice->SetFontSize(100);
        m_stNotice->setGeometry(50, 10, 300, 15);
    }
    if (!m_bPortOpen) {
        m_stNotice->setText(UiText(m_pTexts, kNoticeText));
        m_stNotice->show();
        m_stNotice->raise();
    } else {
        m_stNotice->hide();
    }

    for (CStaA* tile : m_pStaA) {
        tile->hide();
        tile->m_bResized = 1;
    }
    for (CStaG* header : m_pStaG) {
        header->hide();
        header->m_bResized = 1;
    }

    for (const strTilePlace& place : layout.tiles) {
        CStaA* tile = Tile(place.nLiftNum - 1);
        if (!tile)
            continue;
        if (m_pLiftInf)
            tile->m_pLiftInf = &m_pLiftInf[place.nLiftNum - 1];
        tile->m_pLanText = m_pTexts;
        tile->m_hMainWnd = m_hMainWnd;
        tile->SetTileSize(layout.nTileWidth, layout.nTileHeight);
        tile->move(place.rc.topLeft());
        tile->show();
        tile->update();
    }
    for (const strHeaderPlace& place : layout.headers) {
        CStaG* header = Header(place.nGroupIndex);
        if (!header)
            continue;
        header->m_hView = this;
        header->m_hMainWnd = m_hMainWnd;
        header->m_strGroupName = m_pGroupTable[place.nGroupIndex].strGroupName;
        header->SetHeaderSize(place.rc.width(), place.rc.height());
        header->m_nGroupIndex = place.nGroupIndex;
        header->move(place.rc.topLeft());
        header->show();
        header->update();
    }
    m_Lines = layout.lines;
    m_nContentWidth = layout.nContentWidth;
    update();
}

void CShowAllDlg::RefreshLifts()
{
    if (!m_pLiftInf || !m_pStaA[0])
        return;
    bool doorsMove = false;
    for (int i = 0; i < kTileCount; ++i) {
        strLiftInf& lift = m_pLiftInf[i];
        if (lift.nKind == 0)
            continue;
        CStaA* tile = m_pStaA[std::size_t(i)];
        tile->m_pLiftInf = &lift;
        tile->update();

        const int doors = lift.nDoorFlags;
        if ((doors & kDoorOpeningBits) != 0 && tile->m_nDoorStep == 0) {
            tile->StartDoorMotion(CStaA::DoorMotion::Opening);
            doorsMove = true;
        } else if ((doors & kDoorOpeningBits) == 0 && tile->m_nDoorStep == kDoorOpen) {
            tile->StartDoorMotion(CStaA::DoorMotion::Closing);
            doorsMove = true;
        }
        lift.nDoorFlagsPrev = doors;
    }
    if (doorsMove && !m_tmDoor.isActive())
        m_tmDoor.start(kDoorTickMs, this);
    RecordFaults();
    if (m_pAlarmWatch)
        m_pAlarmWatch->Check();
}

void CShowAllDlg::RecordFaults()
{
    if (!m_pLiftInf || !m_pDB || !m_pLiftFault)
        return;
    // The faults of all lifts reach the file in one write after the pass;
    // a failing write is kept and reported by the database, never waited on.
    CRecordingBatch batch(m_pDB);
    for (int i = 0; i < kTileCount; ++i) {
        strLiftInf& lift = m_pLiftInf[i];
        if (lift.nKind != 0 && lift.bOffline == 0)
            m_pDB->SaveLiftFault(&lift, &m_pLiftFault[i]);
    }
}

void CShowAllDlg::SetRefreshTimer(int ms)
{
    m_tmRefresh.start(ms, this);
}

void CShowAllDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_tmRefresh.timerId()) {
        // The refresh ends itself at the first tick after a page switch.
        if (m_pViewMode && *m_pViewMode == kViewMode)
            RefreshLifts();
        else
            m_tmRefresh.stop();
        return;
    }
    if (event->timerId() == m_tmDoor.timerId()) {
        StepDoors();
        return;
    }
    QWidget::timerEvent(event);
}

void CShowAllDlg::StepDoors()
{
    // One timer steps every moving door: the same 50 ms frames as a timer per
    // door, and it stops once the last door has come to rest.
    bool moving = false;
    for (CStaA* tile : m_pStaA) {
        if (tile->GetDoorMotion() != CStaA::DoorMotion::None)
            moving = tile->DoorAnimStep() || moving;
    }
    if (!moving)
        m_tmDoor.stop();
}

void CShowAllDlg::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    dc.setPen(m_penSeparator);
    for (const strSeparatorLine& line : m_Lines) {
        if (line.length <= 0.0f)
            continue;
        dc.drawLine(QPointF(line.x, line.top), QPointF(line.x, double(line.top) + double(line.length)));
    }
}

bool CShowAllDlg::event(QEvent* event)
{
    LRESULT result = 0;
    if (m_msgMap.Dispatch(event, &result))
        return true;
    return QWidget::event(event);
}

LRESULT CShowAllDlg::OnCellDragEnd(WPARAM wParam, LPARAM)
{
    if (wParam == 0)
        m_bDrag = 0;
    return 0;
}

void CShowAllDlg::SetCellsDrag(std::uint8_t flag)
{
    for (CStaA* tile : m_pStaA)
        if (tile)
            tile->m_bDrag = flag;
    for (CStaG* header : m_pStaG)
        header->m_bDrag = flag;
}

void CShowAllDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_nDragStartX = int(event->position().x());
    m_nCurX = m_nDragStartX;
    m_bDrag = 1;
    SetCellsDrag(1);
    event->accept();
}

void CShowAllDlg::mouseMoveEvent(QMouseEvent* event)
{
    const int x = int(event->position().x());
    if (m_bDrag && m_nContentWidth > m_nViewWidth) {
        const int d = x - m_nDragStartX;
        const int left = geometry().x() + d;
        const bool moveLeft = d < 0 && left > -(m_nContentWidth - m_nViewWidth);
        const bool moveRight = d > 0 && left < 0;
        // Sideways only: the page keeps its place below the button bar.
        if (moveLeft || moveRight)
            setGeometry(left, geometry().y(), m_nContentWidth, m_nViewHeight);
    }
    m_nCurX = x;
    event->accept();
}

void CShowAllDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_bDrag = 0;
        SetCellsDrag(0);
    }
    QWidget::mouseReleaseEvent(event);
}

void CShowAllDlg::leaveEvent(QEvent* event)
{
    // Leaving the page's window ends a drag; leaving into a tile does not.
    if (!rect().contains(mapFromGlobal(QCursor::pos())))
        m_bDrag = 0;
    QWidget::leaveEvent(event);
}
