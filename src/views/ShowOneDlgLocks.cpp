// The single-lift page's locks: the whole-lift lock, the floor locks of the
// floor-lock editor, the daily lock period, and the two files that keep them
// (CtrlFile.txt per lift, LockTime.txt for all lifts).
#include <QEventLoop>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <thread>

#include "link/LiftCmd.h"
#include "link/LiftComm.h"
#include "link/LiftInf.h"
#include "link/PollThread.h"
#include "platform/MessageBox.h"
#include "views/ButShapeState.h"
#include "views/ButState.h"
#include "views/CtrlFile.h"
#include "views/LockMessages.h"
#include "views/LockTimeFile.h"
#include "views/ShowOneDlg.h"

namespace {

constexpr int kConfirmed = 2;  // SendLockCommand: the controller confirmed
// The three lock buttons of the page.
constexpr std::size_t kWholeBtn = 0;
constexpr std::size_t kFloorBtn = 1;
constexpr std::size_t kPeriodBtn = 2;
constexpr int kWholeLockCheck = 1;

const QString kCtrlFileName = QStringLiteral("CtrlFile.txt");
const QString kLockTimeFileName = QStringLiteral("LockTime.txt");

// The page keeps the period in members of its own; the file takes a record.
strLockTime LockTimeOf(const CShowOneDlg& page)
{
    strLockTime lt;
    lt.bModeLatch = page.m_bModeLatch;
    lt.bPeriodOn = page.m_bPeriodOn;
    lt.nStartH = page.m_nLockStartH;
    lt.nStartM = page.m_nLockStartM;
    lt.nStartS = page.m_nLockStartS;
    lt.nEndH = page.m_nLockEndH;
    lt.nEndM = page.m_nLockEndM;
    lt.nEndS = page.m_nLockEndS;
    return lt;
}

} // namespace

bool CShowOneDlg::LockRefused()
{
    if (!m_bPortOpen) {
        AfxMessageBox(Text(99));
        return true;
    }
    const strLiftInf* lift = ShownLift();
    if (!lift || lift->bOffline) {
        AfxMessageBox(Text(98));
        return true;
    }
    return false;
}

void CShowOneDlg::SetFloorModeFlags(int mode2, int mode3, int mode4)
{
    m_bFloorMode2 = mode2;
    m_bFloorMode3 = mode3;
    m_bFloorMode4 = mode4;
}

// ---- the lock buttons ---------------------------------------------------------

LRESULT CShowOneDlg::OnButStateClick(WPARAM, LPARAM lParam)
{
    if (!m_bInitDone || LockRefused())
        return 0;
    switch (lParam) {
    case 0:
        PostMessage(this, WM_LIFT_LOCK, m_pLockBtn[kWholeBtn]->m_nOnValue == 0 ? 1 : 0, 0);
        break;
    case 1: {
        ShowFloorDlg& dlg = *m_pFloorDlg;
        dlg.m_nFloorCount = ShownLift()->nMaxFloor;
        dlg.m_pLiveSet = &m_pFloorLive;
        dlg.m_pEditSet = &m_pFloorEdit;
        dlg.m_pTexts = m_pTexts;
        dlg.m_pLiftInf = m_pLiftInf;
        dlg.m_nLiftIndex = m_nLiftIndex;
        dlg.m_pMode2 = &m_bFloorMode2;
        dlg.m_pMode4 = &m_bFloorMode4;
        dlg.m_pMode3 = &m_bFloorMode3;
        PlaceFloorDlg();
        dlg.show();
        dlg.raise();
        break;
    }
    case 4:
        LoadLockTime();
        PlaceLockTimeDlg();
        m_pLockTimeDlg->m_nLanguageKind = m_nLanguageKind;
        m_pLockTimeDlg->SetLockTime(m_nLockStartH, m_nLockStartM, m_nLockStartS, m_nLockEndH, m_nLockEndM,
                                    m_nLockEndS, m_bPeriodOn);
        m_pLockTimeDlg->show();
        m_pLockTimeDlg->raise();
        break;
    default:
        break;
    }
    return 0;
}

void CShowOneDlg::PlaceFloorDlg()
{
    if (!m_pFloorDlg)
        return;
    const int w = m_nClientWidth;
    const int h = m_nClientHeight;
    QRect rc = h < kShowOneLargeFromHeight ? QRect(w / 3 + 12, h / 4 + 29, 545, 517)
                                           : QRect(w / 3, h / 4 + 15, 685, 707);
    // The editor is a window of its own: its place counts from the main window.
    rc.moveTopLeft(window()->mapToGlobal(rc.topLeft()));
    m_pFloorDlg->setGeometry(rc);
    m_pFloorDlg->RefreshFloorDlg();
}

void CShowOneDlg::PlaceLockTimeDlg()
{
    if (!m_pLockTimeDlg)
        return;
    const int w = m_nClientWidth;
    const int h = m_nClientHeight;
    QRect rc = h < kShowOneLargeFromHeight ? QRect(w / 3 + 80, h / 4 + 150, 360, 180)
                                           : QRect(w / 3 + 20, h / 3, 550, 280);
    rc.moveTopLeft(window()->mapToGlobal(rc.topLeft()));
    m_pLockTimeDlg->setGeometry(rc);
}

// ---- lock commands ------------------------------------------------------------

int CShowOneDlg::SendLockPaused(int floorLockMode, int wholeLock, const FloorSet& floors, int onFlag, int checkKind)
{
    const strLiftInf* lift = ShownLift();
    if (!m_pComm || !lift)
        return 0;
    const int liftNum = lift->nLiftNum;
    CLiftComm* comm = m_pComm;
    CWorkerThread* worker = g_pPollThread.get();

    // Up to 50 sends take seconds. They go out from a helper thread while this
    // thread runs a local loop that paints and ticks but takes no clicks or
    // keys; the page's own messages wait (see event()), so nothing of the page
    // runs in between. The worker parks at an exchange boundary first, so the
    // port has one user at a time.
    std::atomic<int> result{0};
    QEventLoop loop;
    m_bLockBusy = true;
    std::thread sender([&, worker, comm, liftNum, copy = floors] {
        if (worker)
            worker->RequestPause();
        std::this_thread::sleep_for(std::chrono::milliseconds(kLockSettleMs));
        result = comm->SendLockCommand(floorLockMode, wholeLock, copy.data(), onFlag, liftNum, checkKind);
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    sender.join();
    if (worker && worker == g_pPollThread.get())
        worker->Resume();
    m_bLockBusy = false;

    const auto waiting = std::move(m_deferred);
    m_deferred.clear();
    for (const auto& [msg, w, l] : waiting)
        PostMessage(this, msg, w, l);
    return result;
}

LRESULT CShowOneDlg::OnWholeLiftLock(WPARAM wParam, LPARAM)
{
    if (!m_bInitDone)
        return 0;
    ButState* button = m_pLockBtn[kWholeBtn];
    if (wParam == 0 || wParam == 1)
        m_nWholeLock = int(wParam);
    // The floor locks in force go out with it; the last mode set wins.
    int mode = 0;
    if (m_bFloorMode4 == 1)
        mode = 4;
    if (m_bFloorMode2 == 1)
        mode = 2;
    if (m_bFloorMode3 == 1)
        mode = 3;
    const int on = mode != 0 ? 1 : 0;

    if (SendLockPaused(mode, m_nWholeLock, m_pFloorLive, on, kWholeLockCheck) != kConfirmed) {
        // The member mirrors what the controller confirmed, as the button
        // does; a refused request must not ride along with the next floor lock.
        m_nWholeLock = button->m_nOnValue;
        AfxMessageBox(Text(263));
        return 0;
    }
    button->SetOnValue(m_nWholeLock);
    AfxMessageBox(Text(m_nWholeLock == 0 ? 265 : 264));
    button->update();
    SaveCtrlFile();
    return 0;
}

LRESULT CShowOneDlg::OnFloorLockApply(WPARAM wParam, LPARAM lParam)
{
    if (!m_bInitDone || wParam > 1 || lParam < 2 || lParam > 4)
        return 0;
    const int set = int(wParam);
    const int mode = int(lParam);
    if (SendLockPaused(mode, m_nWholeLock, m_pFloorEdit, set, mode) != kConfirmed) {
        AfxMessageBox(Text(263));
        m_pFloorEdit = m_pFloorLive;
        return 0;
    }
    if (set == 1) {
        m_pFloorLive = m_pFloorEdit;
        SetFloorModeFlags(mode == 2 ? 1 : 0, mode == 3 ? 1 : 0, mode == 4 ? 1 : 0);
    } else {
        m_pFloorLive.fill(0);
        SetFloorModeFlags(0, 0, 0);
    }
    ButState* button = m_pLockBtn[kFloorBtn];
    if (AnyFloorMode()) {
        button->SetOnValue(1);
        AfxMessageBox(Text(266));
    } else {
        button->SetOnValue(0);
        AfxMessageBox(Text(267));
        m_pFloorLive.fill(0);
    }
    button->update();
    SaveCtrlFile();
    return 0;
}

// ---- the lock period ----------------------------------------------------------

LRESULT CShowOneDlg::OnLockTimeSet(WPARAM, LPARAM lParam)
{
    if (!m_bInitDone)
        return 0;
    const CSetLockTimeDlg& dlg = *m_pLockTimeDlg;
    m_nLockStartH = dlg.m_nTime[0];
    m_nLockStartM = dlg.m_nTime[1];
    m_nLockStartS = dlg.m_nTime[2];
    m_nLockEndH = dlg.m_nTime[3];
    m_nLockEndM = dlg.m_nTime[4];
    m_nLockEndS = dlg.m_nTime[5];
    m_bPeriodOn = dlg.m_bEnabled;
    m_bLockTimeKnown = true;
    if (LockRefused())
        return 0;

    ButState* button = m_pLockBtn[kPeriodBtn];
    if (lParam == 0) {
        button->SetOnValue(0);
        if (!m_bModeLatch && !m_pModeBtn[1]->m_bOn) {
            SetMode(0);
            m_nPeriodLift = -1;
        }
        m_tmLockPeriod.stop();
    } else {
        button->SetOnValue(1);
        m_tmLockPeriod.start(kLockPeriodTimerMs, this);
    }
    button->update();
    SaveLockTime();
    return 1;
}

void CShowOneDlg::ArmLockPeriod()
{
    if (!m_bInitDone)
        return;
    m_pLockTimeDlg->SetLockTime(m_nLockStartH, m_nLockStartM, m_nLockStartS, m_nLockEndH, m_nLockEndM,
                                m_nLockEndS, m_bPeriodOn);
    if (m_bPeriodOn) {
        m_pLockBtn[kPeriodBtn]->SetOnValue(1);
        m_tmLockPeriod.start(kLockPeriodTimerMs, this);
    }
}

void CShowOneDlg::OnLockPeriodTick()
{
    const QDateTime now = m_fnNow ? m_fnNow() : QDateTime::currentDateTime();
    // Whole seconds, as the period is given.
    const QTime t = now.time();
    const QTime at(t.hour(), t.minute(), t.second());
    const QTime start(m_nLockStartH, m_nLockStartM, m_nLockStartS);
    const QTime end(m_nLockEndH, m_nLockEndM, m_nLockEndS);
    const CButShapeState* fire = m_pModeBtn[1];  // kind 2
    const CButShapeState* park = m_pModeBtn[2];  // kind 3
    const bool fireService = fire && (fire->m_bPressed || fire->m_bOn);
    if (start.isValid() && end.isValid() && start <= at && at <= end) {
        if (!fireService) {
            // A parking the operator switched on is the operator's to end.
            m_nPeriodLift = park && !park->m_bPressed ? m_nLiftIndex : -1;
            SetMode(3);
        }
        return;
    }
    if (!m_bModeLatch && !fireService) {
        SetMode(0);
        m_nPeriodLift = -1;
        m_tmLockPeriod.stop();
    }
}

void CShowOneDlg::ReleasePeriodLift()
{
    const int i = m_nPeriodLift;
    m_nPeriodLift = -1;
    if (i < 0 || i >= 64 || !m_pLiftCmd || !m_pLiftInf || m_pLiftCmd[i].nMode != 3)
        return;
    m_pLiftCmd[i].nMode = 0;
    m_pLiftInf[i].nCmdMode = 0;
}

// ---- the files ----------------------------------------------------------------

void CShowOneDlg::LoadCtrlFile()
{
    // Whatever the file lacks reads as no lock, never as the lift shown before.
    m_nWholeLock = 0;
    SetFloorModeFlags(0, 0, 0);
    m_pFloorLive.fill(0);

    const QByteArray rec = CCtrlFile::ReadRecord(GetSoftResourcePath(kCtrlFileName), m_nLiftIndex);
    if (rec.size() > 0) {
        if (rec[0] == '0')
            m_nWholeLock = 0;
        else if (rec[0] == '1')
            m_nWholeLock = 1;
    }
    if (rec.size() > 1) {
        switch (rec[1]) {
        case '4': SetFloorModeFlags(1, 0, 0); break;
        case '8': SetFloorModeFlags(0, 1, 0); break;
        case '9': SetFloorModeFlags(0, 0, 1); break;
        default: SetFloorModeFlags(0, 0, 0); break;
        }
    }
    for (int i = 0; i < kLockFloors && 2 + i < rec.size(); ++i) {
        const char c = rec[2 + i];
        if (c == '0' || c == '1')
            m_pFloorLive[std::size_t(i)] = c - '0';
    }
    m_pFloorEdit = m_pFloorLive;
    if (m_bInitDone) {
        m_pLockBtn[kWholeBtn]->SetOnValue(m_nWholeLock);
        m_pLockBtn[kFloorBtn]->SetOnValue(AnyFloorMode() ? 1 : 0);
    }
}

void CShowOneDlg::SaveCtrlFile()
{
    QByteArray rec = CCtrlFile::NoLockRecord();
    const int whole = m_bInitDone ? m_pLockBtn[kWholeBtn]->m_nOnValue : m_nWholeLock;
    rec[0] = whole == 1 ? '1' : '0';
    rec[1] = m_bFloorMode2 == 1 ? '4' : m_bFloorMode4 == 1 ? '9' : m_bFloorMode3 == 1 ? '8' : '0';
    for (int i = 0; i < kLockFloors; ++i)
        rec[2 + i] = m_pFloorLive[std::size_t(i)] == 1 ? '1' : '0';
    rec[CCtrlFile::kRecordLen - 1] = 'A';
    CCtrlFile::WriteRecord(GetSoftResourcePath(kCtrlFileName), m_nLiftIndex, rec);
}

void CShowOneDlg::LoadLockTime()
{
    strLockTime lt = LockTimeOf(*this);
    const int lines = CLockTimeFile::Read(GetSoftResourcePath(kLockTimeFileName), lt);
    m_bModeLatch = lt.bModeLatch;
    m_bPeriodOn = lt.bPeriodOn;
    m_nLockStartH = lt.nStartH;
    m_nLockStartM = lt.nStartM;
    m_nLockStartS = lt.nStartS;
    m_nLockEndH = lt.nEndH;
    m_nLockEndM = lt.nEndM;
    m_nLockEndS = lt.nEndS;
    if (lines == CLockTimeFile::kLines)
        m_bLockTimeKnown = true;
    if (lines >= 2 && m_bInitDone)
        m_pLockBtn[kPeriodBtn]->SetOnValue(m_bPeriodOn);
}

void CShowOneDlg::SaveLockTime()
{
    CLockTimeFile::Write(GetSoftResourcePath(kLockTimeFileName), LockTimeOf(*this));
}
