#include "views/ShowGruDlg.h"

#include <QTimerEvent>
#include <algorithm>
#include <utility>

#include "controls/StaX.h"
#include "database/DBServer.h"
#include "database/RecordingBatch.h"
#include "link/GroupInf.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftInf.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "platform/UiText.h"
#include "views/AlarmWatch.h"
#include "views/CarAnimThread.h"
#include "views/GroupCellLayout.h"
#include "views/StaGrp.h"

namespace {
constexpr int kNoLineText = 155;
constexpr COLORREF kCaptionGrey = RGB(220, 220, 220);
constexpr COLORREF kCaptionRed = RGB(255, 0, 0);
constexpr int kDoorOpening = 1;
constexpr int kDoorOpen = 2;
} // namespace

CShowGruDlg::CShowGruDlg(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ShowGruDlg"));
    // Black behind the page and every control on it.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    m_msgMap.On(WM_LIFT_STATUS, [this](WPARAM w, LPARAM l) { return OnLiftStatus(w, l); });
    m_msgMap.On(WM_CAR_ANIM_STEP, [this](WPARAM w, LPARAM l) { return OnCarAnimStep(w, l); });
    // WM_POLL_DONE has no handler here: it goes to the default handling.
}

CShowGruDlg::~CShowGruDlg() = default;

bool CShowGruDlg::OnInitDialog()
{
    if (m_pStaGrp[0])
        return true;  // the cells exist for the page's whole life
    for (int k = 0; k < kCellCount; ++k) {
        auto* cell = new CStaGrp(this);
        cell->setObjectName(QString::number(kFirstCellId + k));
        cell->hide();
        m_pStaGrp[std::size_t(k)] = cell;
    }
    m_stCaption = new CStaX(this);
    m_stCaption->setObjectName(QString::number(kCaptionId));
    m_stCaption->SetColors(kCaptionGrey, 0x000000);
    return true;
}

CStaGrp* CShowGruDlg::Cell(int k) const
{
    return k >= 0 && k < kCellCount ? m_pStaGrp[std::size_t(k)] : nullptr;
}

const strGroupInf* CShowGruDlg::CurrentGroup() const
{
    if (!m_pGroupTable || m_nCurGroup < 0 || m_nCurGroup >= m_nGroupCount)
        return nullptr;
    return &m_pGroupTable[m_nCurGroup];
}

void CShowGruDlg::ShowGroup()
{
    OnInitDialog();
    for (CStaGrp* cell : m_pStaGrp)
        cell->hide();
    const QRect win = geometry();
    m_nViewWidth = win.width();
    m_nViewHeight = win.height();
    const strGroupCellLayout layout = GroupCellLayoutFor(m_nViewHeight);
    const bool small = m_nViewHeight < kSmallCellViewHeight;

    const strGroupInf* group = CurrentGroup();
    QString caption = QStringLiteral("当前组：") + (group ? group->strGroupName : QString());
    if (!m_bPortOpen) {
        caption += QStringLiteral("        ") + UiText(m_pTexts, kNoLineText);
        m_stCaption->SetColors(kCaptionRed, 0x000000);
    } else {
        m_stCaption->SetColors(kCaptionGrey, 0x000000);
    }
    m_stCaption->setGeometry(45, 7, 455, small ? 18 : 23);
    m_stCaption->setText(caption);
    m_stCaption->show();

    const int members = group ? std::clamp<int>(group->nLiftCount, 0, kCellCount) : 0;
    for (int k = 0; k < members; ++k) {
        CStaGrp* cell = m_pStaGrp[std::size_t(k)];
        const int liftNum = group->byLiftNum[std::size_t(k)];
        // A member number outside the installation has no record: its cell stays empty.
        if (liftNum < 1 || liftNum > kLiftSlots || !m_pLiftInf) {
            cell->m_pLiftInf = nullptr;
            continue;
        }
        cell->m_hView = this;
        cell->SetLayout(layout);
        cell->m_pLiftInf = &m_pLiftInf[liftNum - 1];
        cell->m_pLanText = m_pTexts;
        cell->UpdatePixelScale();
        cell->move(layout.nFirstX + k * (layout.szCell.width() + layout.nGap), layout.nCellTop);
        cell->show();
        cell->update();
    }
    for (QBasicTimer& timer : m_tmDoorOpen)
        timer.stop();
}

void CShowGruDlg::StartViewThreads()
{
    if (!m_bPortOpen || !m_pComm || !m_pLiftInf || !m_pLiftPage || !m_pLiftCmd || !CurrentGroup())
        return;
    // A second start must not leave the first animation thread running unowned.
    StopCarAnimThread();
    // The first report of this run is a new start for every cell: the one
    // before it may be minutes old, or of another lift, and so may the place
    // its car was drawn at.
    for (CStaGrp* cell : m_pStaGrp) {
        cell->m_bStarted = 0;
        cell->m_nDrawPos = 0;
    }
    for (int k = 0; m_pAnimSlots && k < kCarAnimSlots; ++k) {
        m_pAnimSlots[k].bActive = 0;
        m_pAnimSlots[k].bStepped = 0;
    }

    strGroupInf* group = &m_pGroupTable[m_nCurGroup];
    m_nPolledGroup = m_nCurGroup;
    StartPollThread(PollGroupThreadProc, m_pComm, this, [this, group](CLiftComm& comm) {
        comm.m_pGroup = group;
        comm.m_pLiftInf = m_pLiftInf;
        comm.m_pLiftPage = m_pLiftPage;
        comm.m_pLiftCmd = m_pLiftCmd;
    });

    if (!m_pAnimSlots)
        return;
    g_hAnimTarget = this;
    if (g_hAnimThreadRun)
        g_hAnimThreadRun->Set();
    strCarAnimSlot* animSlots = m_pAnimSlots;
    g_pAnimThread = std::make_unique<CWorkerThread>([animSlots] { CarAnimThreadProc(animSlots); });
}

bool CShowGruDlg::event(QEvent* event)
{
    LRESULT result = 0;
    if (m_msgMap.Dispatch(event, &result))
        return true;
    return QWidget::event(event);
}

LRESULT CShowGruDlg::OnLiftStatus(WPARAM wParam, LPARAM)
{
    // The index comes from the worker; it is checked before it indexes a record.
    if (wParam < WPARAM(kLiftSlots))
        TakeLiftReport(int(wParam), GetTickCount32());
    if (m_pAlarmWatch)
        m_pAlarmWatch->Check();
    return 0;
}

void CShowGruDlg::TakeLiftReport(int liftIndex, std::uint32_t now)
{
    const strGroupInf* group = CurrentGroup();
    if (!group || !m_pLiftInf || liftIndex < 0 || liftIndex >= kLiftSlots)
        return;
    const int members = std::clamp<int>(group->nLiftCount, 0, kMaxGroupMembers);
    int k = 0;
    while (k < members && group->byLiftNum[std::size_t(k)] != liftIndex + 1)
        ++k;
    if (k == members)
        return;
    // Every member the worker polls is recorded, in a cell or beyond the eight.
    strLiftInf& lift = m_pLiftInf[liftIndex];
    if (m_pDB && m_pLiftPage)
        m_pDB->SaveLiftRecords(&lift, &m_pLiftPage[liftIndex]);
    if (k >= kCellCount)
        return;
    CStaGrp* cell = m_pStaGrp[std::size_t(k)];
    if (!cell || cell->m_pLiftInf != &lift)
        return;  // the cells were laid out for another group

    if (!cell->m_bStarted) {
        cell->m_nCarPos = lift.nCarPos;
        cell->m_nCarPosPrev = cell->m_nCarPos;
        cell->m_nPrevTick = now;
        cell->m_bStarted = 1;
    } else {
        cell->m_nCarPosPrev = cell->m_nCarPos;
        cell->m_nCarPos = lift.nCarPos;
        cell->m_nLastTick = now;
        const std::uint32_t steps = (cell->m_nLastTick - cell->m_nPrevTick) / kCarAnimStepDivisorMs;
        if (steps == 0) {
            // Reports closer than one step: nothing to smooth, the car goes
            // to the reported place at once (else a fast line never moves it).
            cell->m_fStep = 0.0f;
            cell->m_nCarPosPrev = cell->m_nCarPos;
            cell->m_nDrawPos = cell->m_nCarPos;
        } else {
            cell->m_fStep = float(cell->m_nCarPos - cell->m_nCarPosPrev) / float(steps);
        }
        if (m_pAnimSlots) {
            strCarAnimSlot& slot = m_pAnimSlots[k];
            slot.bActive = 0;
            slot.bStepped = 0;
            slot.nLastTick = cell->m_nPrevTick;
            slot.nStepsTotal = steps;
            slot.nStepsDone = 0;
            slot.bActive = 1;
        }
        cell->m_nPrevTick = cell->m_nLastTick;

        // Doors: towards open while the controller opens or holds them open,
        // else towards closed. A door left between its ends (its timer
        // stopped by a new layout) moves on from where it stands.
        const int door = lift.nDoorState;
        const bool idle = !m_tmDoorOpen[std::size_t(k)].isActive() && !m_tmDoorClose[std::size_t(k)].isActive();
        const int step = cell->m_nDoorStep;
        if (door == kDoorOpening || door == kDoorOpen) {
            if (step == 0 || (idle && step < CStaGrp::kLastDoorStep))
                StartDoorTimer(k, true);
        } else if (step == CStaGrp::kLastDoorStep || (idle && step > 0)) {
            StartDoorTimer(k, false);
        }
    }
    // Floor, texts and indicator change with every report.
    cell->update();
}

void CShowGruDlg::RecordPolledMembers()
{
    if (!m_pDB || !m_pLiftInf || !m_pLiftPage || !m_pGroupTable || m_nPolledGroup < 0 || m_nPolledGroup >= m_nGroupCount)
        return;
    // The group the worker polled, which is not the one about to be shown
    // when the operator goes from one group to another.
    const strGroupInf& group = m_pGroupTable[m_nPolledGroup];
    const int members = std::clamp<int>(group.nLiftCount, 0, kMaxGroupMembers);
    CRecordingBatch batch(m_pDB);
    for (int k = 0; k < members; ++k) {
        const int liftNum = group.byLiftNum[std::size_t(k)];
        if (liftNum >= 1 && liftNum <= kLiftSlots && m_pLiftInf[liftNum - 1].nKind != 0)
            m_pDB->SaveLiftRecords(&m_pLiftInf[liftNum - 1], &m_pLiftPage[liftNum - 1]);
    }
}

LRESULT CShowGruDlg::OnCarAnimStep(WPARAM, LPARAM)
{
    if (!m_pAnimSlots)
        return 0;
    for (int k = 0; k < kCarAnimSlots && k < kCellCount; ++k) {
        strCarAnimSlot& slot = m_pAnimSlots[k];
        // The mark, not the active flag, says there is a step to draw: the
        // last step ends the slot in the same pass.
        if (!slot.bStepped.exchange(0, std::memory_order_acquire))
            continue;
        CStaGrp* cell = m_pStaGrp[std::size_t(k)];
        const std::uint32_t done = std::min<std::uint32_t>(slot.nStepsDone, slot.nStepsTotal);
        const int pos = cell->m_nCarPosPrev + int(float(done) * cell->m_fStep);
        if (pos != cell->m_nDrawPos) {
            cell->m_nDrawPos = pos;
            cell->update();
        }
    }
    return 0;
}

const QBasicTimer* CShowGruDlg::DoorTimer(int nIDEvent) const
{
    if (nIDEvent >= IDT_DOOR_OPEN_BASE && nIDEvent < IDT_DOOR_OPEN_BASE + kCellCount)
        return &m_tmDoorOpen[std::size_t(nIDEvent - IDT_DOOR_OPEN_BASE)];
    if (nIDEvent >= IDT_DOOR_CLOSE_BASE && nIDEvent < IDT_DOOR_CLOSE_BASE + kCellCount)
        return &m_tmDoorClose[std::size_t(nIDEvent - IDT_DOOR_CLOSE_BASE)];
    return nullptr;
}

QBasicTimer* CShowGruDlg::DoorTimer(int nIDEvent)
{
    return const_cast<QBasicTimer*>(std::as_const(*this).DoorTimer(nIDEvent));
}

bool CShowGruDlg::IsDoorTimerActive(int nIDEvent) const
{
    const QBasicTimer* timer = DoorTimer(nIDEvent);
    return timer && timer->isActive();
}

void CShowGruDlg::StartDoorTimer(int k, bool open)
{
    // Only one direction at a time: two timers on one door would pull it
    // back and forth for ever.
    (open ? m_tmDoorClose : m_tmDoorOpen)[std::size_t(k)].stop();
    (open ? m_tmDoorOpen : m_tmDoorClose)[std::size_t(k)].start(kDoorTimerMs, this);
}

void CShowGruDlg::OnTimer(int nIDEvent)
{
    QBasicTimer* timer = DoorTimer(nIDEvent);
    if (!timer)
        return;
    if (nIDEvent < IDT_DOOR_CLOSE_BASE) {
        CStaGrp* cell = m_pStaGrp[std::size_t(nIDEvent - IDT_DOOR_OPEN_BASE)];
        if (cell->m_nDoorStep < CStaGrp::kLastDoorStep) {
            ++cell->m_nDoorStep;
            cell->update();
        } else {
            cell->m_nDoorStep = CStaGrp::kLastDoorStep;
            timer->stop();
        }
    } else {
        CStaGrp* cell = m_pStaGrp[std::size_t(nIDEvent - IDT_DOOR_CLOSE_BASE)];
        if (cell->m_nDoorStep > 0) {
            --cell->m_nDoorStep;
        } else {
            cell->m_nDoorStep = 0;
            timer->stop();
        }
        cell->update();
    }
}

void CShowGruDlg::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    for (int k = 0; k < kCellCount; ++k) {
        if (id == m_tmDoorOpen[std::size_t(k)].timerId()) {
            OnTimer(IDT_DOOR_OPEN_BASE + k);
            return;
        }
        if (id == m_tmDoorClose[std::size_t(k)].timerId()) {
            OnTimer(IDT_DOOR_CLOSE_BASE + k);
            return;
        }
    }
    QWidget::timerEvent(event);
}
