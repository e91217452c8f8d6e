// The configuration page's reads from the controllers: the re-acquire, which
// scans the bus on this thread, and the two height runs on the worker, with
// the progress box and the messages that drive it.
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <vector>

#include "config/BuildDlg.h"
#include "controls/WaitDlg.h"
#include "database/DBServer.h"
#include "database/DbTransaction.h"
#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kWaitWidth = 340;
constexpr int kWaitHeight = 130;
// Worker messages a stopped worker may have left queued.
constexpr int kWorkerMessages[] = {WM_READ_PROGRESS, WM_LIFT_STATUS, WM_USER + 32, WM_READ_FINISHED};

} // namespace

void CBuildDlg::ShowWaitBox()
{
    if (!m_pWaitDlg)
        return;
    const QPoint at = mapToGlobal(QPoint(m_nPageWidth / 2 - kWaitWidth / 2, m_nPageHeight / 2));
    m_pWaitDlg->setGeometry(at.x(), at.y(), kWaitWidth, kWaitHeight);
    m_pWaitDlg->show();
    m_pWaitDlg->raise();
}

void CBuildDlg::HideWaitBox()
{
    if (m_pWaitDlg)
        m_pWaitDlg->hide();
}

void CBuildDlg::PumpPaintEvents()
{
    // The scan holds this thread between stations. Letting paints and other
    // non-input events through keeps the box drawn; clicks and keys stay queued
    // until the scan is over, and the busy flag turns away anything that still
    // arrives, so no handler of the page or a page switch runs meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CBuildDlg::OnBnClickedGetLiftData()
{
    if (m_bBusy)
        return;
    if (!m_bPortOpen) {
        AfxMessageBox(Text(155));
        return;
    }
    if (!m_pComm || !m_pLiftInf || !m_pLiftPage)
        return;
    StopWorkerAndFlush();
    m_bBusy = 1;
    SendMessage(m_pWaitDlg, WM_SET_PERCENT, 0, 0);
    ShowWaitBox();
    PumpPaintEvents();
    g_hPollTarget = this;
    m_pComm->ScanAllStations(m_pLiftInf, m_pLiftPage);
    m_bBusy = 0;
}

LRESULT CBuildDlg::OnReadProgress(WPARAM wParam, LPARAM lParam)
{
    // Height runs name their context; only the page's own is read.
    CLiftComm* context = lParam == reinterpret_cast<LPARAM>(m_pComm) ? m_pComm : nullptr;
    switch (wParam) {
    case 1:
        SendMessage(m_pWaitDlg, WM_SET_PERCENT, 0, lParam * 6);
        PumpPaintEvents();
        break;
    case 2: {
        if (!context || !context->m_pLiftInf)
            break;
        const strLiftInf& lift = *context->m_pLiftInf;
        const int top = lift.nMaxFloor;
        PostMessage(m_pWaitDlg, WM_SET_PERCENT, 0, top > 0 ? LPARAM(lift.nCurFloor) * 100 / top : 0);
        break;
    }
    case 3: {
        if (!context || !context->m_pLiftInf)
            break;
        long long floors = 0;
        long long tops = 0;
        for (int k = 0; k < kLiftSlots; ++k) {
            const strLiftInf& lift = context->m_pLiftInf[k];
            if (lift.bOffline != 0 || lift.nKind != 1)
                continue;
            if (lift.nRunState != 2)
                floors += lift.nCurFloor;
            tops += lift.nMaxFloor;
        }
        PostMessage(m_pWaitDlg, WM_SET_PERCENT, 0, tops > 0 ? LPARAM(floors * 100 / tops) : 0);
        break;
    }
    case 4:
        PostMessage(m_pWaitDlg, WM_SET_PERCENT, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CBuildDlg::OnReadFailed(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    m_bBusy = 0;
    HideWaitBox();
    AfxMessageBox(Text(93));
    return 0;
}

LRESULT CBuildDlg::OnReadFinished(WPARAM wParam, LPARAM /*lParam*/)
{
    m_bBusy = 0;
    HideWaitBox();
    if (wParam != 1 || !m_pLiftInf)
        return 0;
    if (m_fnRepliesTakenIn)
        m_fnRepliesTakenIn();

    // The page's records change only once the file took them: what this
    // decides is kept aside to be put back if any statement is refused.
    struct Decided {
        int nKind, nMinFloor, nHeight, bRecInit;
        QString strName, strGroupName;
        QStringList arrFloorNameHi, arrFloorNameLo;
    };
    std::vector<Decided> before;
    before.reserve(kLiftSlots);
    for (int k = 0; k < kLiftSlots; ++k) {
        const strLiftInf& lift = m_pLiftInf[k];
        before.push_back({lift.nKind, lift.nMinFloor, lift.nHeight, lift.bRecInit, lift.strName, lift.strGroupName,
                          lift.arrFloorNameHi, lift.arrFloorNameLo});
    }
    const std::vector<strGroupInf> tableBefore =
        m_pGroupTable ? std::vector<strGroupInf>(m_pGroupTable, m_pGroupTable + std::max(m_nGroupCount, 0))
                      : std::vector<strGroupInf>();

    for (int k = 0; k < kLiftSlots; ++k) {
        strLiftInf& lift = m_pLiftInf[k];
        if (lift.nHeight == 0 && lift.nMaxFloor == 0) {
            lift.nMaxFloor = 0;
            lift.nMinFloor = 0;
        }
        if (lift.bOffline == 0 && lift.nMaxFloor > 1)
            lift.nKind = 1;
        if (lift.strName.isEmpty())
            lift.strName = QString::number(lift.nLiftNum) + Text(192);
    }
    ApplyGroupTable(RebuildGroupMembers());
    // A lift found for the first time joins group 0; give it that group's name
    // too, or the single-lift title would show no group until the next login.
    for (int k = 0; k < kLiftSlots && m_pGroupTable; ++k) {
        strLiftInf& lift = m_pLiftInf[k];
        const int g = lift.nGroupNum;
        if (lift.nKind != 0 && lift.strGroupName.isEmpty() && g >= 0 && g < m_nGroupCount)
            lift.strGroupName = m_pGroupTable[g].strGroupName;
    }

    if (m_pDB) {
        // One transaction for the whole set, so a refusal takes back what went before it.
        CDbTransaction trans(*m_pDB->m_pAdo);
        bool ok = m_pDB->SaveLiftSetup(m_pLiftInf);
        // Only installed lifts have a height to keep; a free slot would be
        // marked as measured with nothing measured.
        for (int k = 0; ok && k < kLiftSlots; ++k) {
            if (m_pLiftInf[k].nKind != 0 && m_pLiftInf[k].bHeightKnown != 0)
                ok = m_pDB->SaveLiftHeight(&m_pLiftInf[k]);
        }
        ok = ok && m_pDB->UpdateLiftConfig(4, m_nGroupCount, nullptr, m_pGroupTable);
        if (!ok) {
            trans.Rollback();
            for (int k = 0; k < kLiftSlots; ++k) {
                strLiftInf& lift = m_pLiftInf[k];
                const Decided& was = before[std::size_t(k)];
                lift.nKind = was.nKind;
                lift.nMinFloor = was.nMinFloor;
                lift.strName = was.strName;
                lift.strGroupName = was.strGroupName;
                // Set by the lift setup when its part went through before the refusal.
                lift.nHeight = was.nHeight;
                lift.bRecInit = was.bRecInit;
                lift.arrFloorNameHi = was.arrFloorNameHi;
                lift.arrFloorNameLo = was.arrFloorNameLo;
            }
            ApplyGroupTable(tableBefore);
            return 0;
        }
    }
    RefillLiftList();
    RefillGroupList();
    return 0;
}

void CBuildDlg::StartHeightRun(int nMode, int nLiftIndex)
{
    StopWorkerAndFlush();
    StartPollThread(BatchThreadProc, m_pComm, this, [this, nMode, nLiftIndex](CLiftComm& comm) {
        comm.m_nBatchMode = nMode;
        comm.m_nLiftIndex = nLiftIndex;
        comm.m_pLiftInf = nMode == 2 ? &m_pLiftInf[nLiftIndex] : m_pLiftInf;
        comm.m_pLiftPage = nMode == 2 ? nullptr : m_pLiftPage;
    });
    PostMessage(m_pWaitDlg, WM_SET_PERCENT, 0, 0);
    ShowWaitBox();
    m_bBusy = 1;
}

bool CBuildDlg::HeightRunConfirmed(bool rowChosen, int confirmText)
{
    const auto refuse = [this](int text) {
        if (text != 0)
            AfxMessageBox(Text(text));
        m_bBusy = 0;
        return false;
    };
    if (!m_bPortOpen)
        return refuse(155);
    if (!rowChosen)
        return refuse(160);
    if (!m_pLiftInf || std::none_of(m_pLiftInf, m_pLiftInf + kLiftSlots, [](const strLiftInf& l) { return l.nKind != 0; }))
        return refuse(156);
    if (AfxMessageBox(Text(confirmText), QString(), MsgBoxKind::OkCancel) != MsgBoxResult::Ok)
        return refuse(0);
    return true;
}

void CBuildDlg::OnBnClickedGetLiftHeight()
{
    if (m_bBusy)
        return;
    const int liftNum = LiftNumOfRow(m_nLiftRow);
    if (!HeightRunConfirmed(liftNum != 0, 94) || !m_pComm)
        return;
    StartHeightRun(2, liftNum - 1);
}

void CBuildDlg::OnBnClickedGetAllHeights()
{
    if (m_bBusy)
        return;
    if (!HeightRunConfirmed(true, 119) || !m_pComm || !m_pLiftPage)
        return;
    StartHeightRun(3, 0);
}

void CBuildDlg::StopWorkerAndFlush()
{
    if (g_pPollThread)
        StopPollThread();
    QThread::msleep(10);
    // Dropped for every window of this thread; other messages stay queued.
    for (int msg : kWorkerMessages)
        QCoreApplication::removePostedEvents(nullptr, CWindowMessage::EventType(msg));
}
