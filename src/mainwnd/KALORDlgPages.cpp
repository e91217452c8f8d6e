// The bar, the page switches with their worker control, the layout and the
// window's painting.
#include <QDateTime>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QThread>
#include <QTimer>

#include "analysis/AnalysisDlg.h"
#include "config/BuildDlg.h"
#include "controls/ButX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "link/LiftComm.h"
#include "link/PollThread.h"
#include "link/PollWorkers.h"
#include "mainwnd/KALORDlg.h"
#include "mainwnd/LiftPainter.h"
#include "platform/MessageBox.h"
#include "views/CarAnimThread.h"
#include "views/ShowAllDlg.h"
#include "views/ShowGruDlg.h"
#include "views/ShowOneDlg.h"

namespace {
constexpr int kNavWidth = 140;
constexpr int kRefreshMs = 80;
// Worker messages that a stopped worker may have left queued for its page.
constexpr int kDrainedMessages[] = {WM_USER + 30, WM_USER + 31, WM_USER + 32};
} // namespace

bool CKALORDlg::IsBuildBusy() const
{
    return m_pBuildDlg && m_pBuildDlg->m_bBusy;
}

// ---- page buttons -------------------------------------------------------

bool CKALORDlg::PageButtonRefused(int mode)
{
    if (m_nViewMode == m_nPrevViewMode && m_nViewMode == mode)
        return true;
    if (!m_bLoggedIn) {
        AfxMessageBox(Text(20));
        return true;
    }
    // While the configuration page reads from the controllers nothing moves.
    return IsBuildBusy();
}

void CKALORDlg::EnterViewMode(int mode)
{
    m_nViewMode = mode;
    HighlightNavButton();
    m_nPrevViewMode = mode;
}

void CKALORDlg::OnBnClickedGroupSetup()
{
    if (PageButtonRefused(kModeBuild))
        return;
    ShowBuildView();
    EnterViewMode(kModeBuild);
}

void CKALORDlg::OnBnClickedShowAll()
{
    if (PageButtonRefused(kModeAll))
        return;
    m_pShowAllDlg->m_pViewMode = &m_nViewMode;
    EnterViewMode(kModeAll);
    ShowAllView();
}

void CKALORDlg::OnBnClickedShowGroup()
{
    if (m_nViewMode == m_nPrevViewMode && m_nViewMode == kModeGroup)
        return;
    if (!m_bLoggedIn)
        AfxMessageBox(Text(20));
    // The group page opens from a group header of the all-lifts page only.
}

void CKALORDlg::OnBnClickedShowOne()
{
    if (m_nViewMode == m_nPrevViewMode && m_nViewMode == kModeOne)
        return;
    if (!m_bLoggedIn)
        AfxMessageBox(Text(20));
    // The single-lift page opens from a lift tile only (WM_OPEN_LIFT).
}

void CKALORDlg::OnBnClickedAnalysis()
{
    if (PageButtonRefused(kModeAnalysis))
        return;
    ShowAnalysisView();
    EnterViewMode(kModeAnalysis);
}

LRESULT CKALORDlg::OnOpenLiftMsg(WPARAM, LPARAM lParam)
{
    if (IsBuildBusy())
        return 0;
    m_pShowOneDlg->m_pViewMode = &m_nViewMode;
    EnterViewMode(kModeOne);
    ShowOneView(int(lParam));
    return 0;
}

LRESULT CKALORDlg::OnShowGroupMsg(WPARAM, LPARAM lParam)
{
    if (IsBuildBusy())
        return 0;
    if (lParam < 0 || lParam >= LPARAM(m_pGroupTable.size()))
        return 0;
    m_pShowGruDlg->m_nCurGroup = int(lParam);
    ShowGroupView();
    EnterViewMode(kModeGroup);
    return 0;
}

void CKALORDlg::HighlightNavButton()
{
    auto button = [this](int mode) -> CButX* {
        return mode >= 1 && mode <= 6 ? m_pNavButtons[std::size_t(mode)] : nullptr;
    };
    if (CButX* b = button(m_nViewMode))
        b->SetCaptionColor(kCaptionRed);
    if (m_nPrevViewMode != 0) {
        if (CButX* b = button(m_nPrevViewMode))
            b->SetCaptionColor(kCaptionGrey);
    }
}

// ---- show routines ------------------------------------------------------

void CKALORDlg::HideLoginControls()
{
    m_btLogin->hide();
    m_stStatus->hide();
    m_stUser->hide();
    m_stPwd->hide();
    m_edUser->hide();
    m_edPwd->hide();
}

namespace {
void PlacePage(QWidget* page, int barTop, int width, int height)
{
    const int top = barTop + CKALORDlg::kBarHeight;
    page->setGeometry(0, top, width, std::max(0, height - top));
}
} // namespace

void CKALORDlg::LeavePagesFor(const QWidget* page)
{
    StopAllThreads();
    HideLoginControls();
    for (QWidget* other : std::initializer_list<QWidget*>{m_pShowOneDlg.get(), m_pBuildDlg.get(), m_pShowAllDlg.get(),
                                                          m_pShowGruDlg.get(), m_pAnalysisDlg.get()}) {
        if (other != page)
            other->hide();
    }
}

void CKALORDlg::HideLockEditors()
{
    if (m_pShowOneDlg->m_pFloorDlg)
        m_pShowOneDlg->m_pFloorDlg->hide();
    if (m_pShowOneDlg->m_pLockTimeDlg)
        m_pShowOneDlg->m_pLockTimeDlg->hide();
}

void CKALORDlg::ShowBuildView()
{
    if (IsBuildBusy())
        return;
    LeavePagesFor(m_pBuildDlg.get());
    HideLockEditors();
    PlacePage(m_pBuildDlg.get(), m_nBarTop, m_nClientWidth, m_nClientHeight);
    m_pBuildDlg->RefreshPage();
    m_pBuildDlg->show();
}

void CKALORDlg::ShowAllView()
{
    if (IsBuildBusy())
        return;
    LeavePagesFor(m_pShowAllDlg.get());
    HideLockEditors();
    PlacePage(m_pShowAllDlg.get(), m_nBarTop, m_nClientWidth, m_nClientHeight);
    m_pShowAllDlg->LayoutCells();
    m_pShowAllDlg->show();
    bool anyLift = false;
    for (int k = 0; k < kLiftSlots && !anyLift; ++k)
        anyLift = m_Store.m_pLiftInf[k].nKind != 0;
    if (anyLift)
        StartPollAll();
    update();
}

void CKALORDlg::ShowGroupView()
{
    if (IsBuildBusy())
        return;
    LeavePagesFor(m_pShowGruDlg.get());
    PlacePage(m_pShowGruDlg.get(), m_nBarTop, m_nClientWidth, m_nClientHeight);
    m_pShowGruDlg->ShowGroup();
    m_pShowGruDlg->show();
    m_pShowGruDlg->StartViewThreads();
}

void CKALORDlg::ShowOneView(int liftNum)
{
    if (IsBuildBusy())
        return;
    // All five pages go, this one too: a refused lift number leaves none shown.
    LeavePagesFor(nullptr);
    // A lift number from a message is checked before it indexes the records.
    if (liftNum < 1 || liftNum > kLiftSlots || m_Store.m_pLiftInf[liftNum - 1].nKind != 1)
        return;
    m_pShowOneDlg->m_nLiftIndex = liftNum - 1;
    m_pShowOneDlg->LoadCtrlFile();
    PlacePage(m_pShowOneDlg.get(), m_nBarTop, m_nClientWidth, m_nClientHeight);
    m_pShowOneDlg->LayoutLiftView();
    m_pShowOneDlg->show();
    StartPollOne(liftNum - 1);
}

void CKALORDlg::ShowAnalysisView()
{
    if (IsBuildBusy())
        return;
    LeavePagesFor(m_pAnalysisDlg.get());
    HideLockEditors();
    PlacePage(m_pAnalysisDlg.get(), m_nBarTop, m_nClientWidth, m_nClientHeight);
    m_pAnalysisDlg->LayoutControls();
    m_pAnalysisDlg->show();
    m_pAnalysisDlg->OnBnClickedFaultsByLift();
}

// ---- workers ------------------------------------------------------------

void CKALORDlg::StartPollAll()
{
    if (!m_bPortOpen)
        return;
    m_pDB->m_tmToday = QDateTime::currentDateTime();
    CLiftDataStore& store = m_Store;
    StartPollThread(PollAllThreadProc, m_pComm.get(), m_pShowAllDlg.get(), [&store](CLiftComm& comm) {
        comm.UseWholeTables(store);
        comm.BuildStationTable(store.m_pLiftInf);
    });
    m_pShowAllDlg->SetRefreshTimer(kRefreshMs);
}

void CKALORDlg::StartPollOne(int liftIndex)
{
    if (!m_bPortOpen || liftIndex < 0 || liftIndex >= kLiftSlots)
        return;
    CLiftDataStore& store = m_Store;
    StartPollThread(PollOneThreadProc, m_pComm.get(), m_pShowOneDlg.get(), [&store, liftIndex](CLiftComm& comm) {
        comm.m_pLiftCmd = &store.m_pLiftCmd[liftIndex];
        comm.m_pLiftInf = &store.m_pLiftInf[liftIndex];
        comm.m_pLiftPage = &store.m_pLiftPage[liftIndex];
    });
    m_pShowOneDlg->SetRefreshTimer(kRefreshMs);
    m_pShowOneDlg->LoadLockTime();
    m_pShowOneDlg->ArmLockPeriod();
}

void CKALORDlg::StopAllThreads()
{
    if (g_pAnimThread) {
        if (g_hAnimThreadRun)
            g_hAnimThreadRun->Reset();
        g_pAnimThread->Resume();
        g_pAnimThread->Join();
        g_pAnimThread.reset();
    }
    QObject* polled = g_pPollThread ? g_hPollTarget.data() : nullptr;
    StopPollThread();
    // What the worker's last replies brought has reached no refresh of its
    // page yet, and its queued reports are dropped below: the page records
    // them now, or a fault seen only then would be lost.
    if (polled && !m_bDbClosed) {
        if (polled == m_pShowAllDlg.get())
            m_pShowAllDlg->RecordFaults();
        else if (polled == m_pShowGruDlg.get())
            m_pShowGruDlg->RecordPolledMembers();
        else if (polled == m_pShowOneDlg.get())
            m_pShowOneDlg->RecordShownLift();
    }
    // Drop the progress and status messages the stopped worker left for the
    // page that is about to be hidden.
    QThread::msleep(10);
    for (QObject* page : std::initializer_list<QObject*>{m_pShowAllDlg.get(), m_pShowGruDlg.get(),
                                                        m_pShowOneDlg.get(), m_pBuildDlg.get(),
                                                        m_pAnalysisDlg.get(), this}) {
        if (!page)
            continue;
        for (int msg : kDrainedMessages)
            RemovePostedMessages(page, msg);
    }
}

// ---- layout and painting --------------------------------------------------

void CKALORDlg::MeasureClient()
{
    m_nClientWidth = width();
    m_nClientHeight = height();
    if (m_nClientHeight < 810)
        m_nBannerHeight = 80;
    else
        m_nBannerHeight = 100;  // also for 1100 pixels and more
}

void CKALORDlg::LayoutMainWindow()
{
    const int w = m_nClientWidth;
    const int h = m_nClientHeight;
    const int b = m_nBannerHeight;
    m_btShowGroup->hide();
    m_nBarTop = b;
    m_btExit->setGeometry(w - 1 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btAnalysis->setGeometry(w - 2 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btShowOne->setGeometry(w - 3 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btShowAll->setGeometry(w - 4 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btSetup->setGeometry(w - 5 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btConnect->setGeometry(w - 6 * kNavWidth, b, kNavWidth, kBarHeight);
    m_btFiller->setGeometry(0, b, std::max(0, w - 6 * kNavWidth), kBarHeight);

    QWidget* page = nullptr;
    switch (m_nViewMode) {
    case kModeBuild: page = m_pBuildDlg.get(); break;
    case kModeAll: page = m_pShowAllDlg.get(); break;
    case kModeGroup: page = m_pShowGruDlg.get(); break;
    case kModeOne: page = m_pShowOneDlg.get(); break;
    case kModeAnalysis: page = m_pAnalysisDlg.get(); break;
    default: break;
    }
    if (page) {
        PlacePage(page, m_nBarTop, w, h);
        switch (m_nViewMode) {
        case kModeBuild: m_pBuildDlg->RefreshPage(); break;
        case kModeAll: m_pShowAllDlg->LayoutCells(); break;
        case kModeGroup: m_pShowGruDlg->ShowGroup(); break;
        case kModeOne: m_pShowOneDlg->LayoutLiftView(); break;
        case kModeAnalysis: m_pAnalysisDlg->LayoutControls(); break;
        default: break;
        }
        return;
    }

    const int y = m_nLoginTop;
    m_stUser->setText(Text(7));
    m_stUser->setGeometry(80, y, 67, 17);
    m_edUser->setGeometry(150, y - 2, 70, 21);
    m_stPwd->setText(Text(8));
    m_stPwd->setGeometry(240, y, 67, 17);
    m_edPwd->setGeometry(310, y - 2, 70, 21);
    m_btLogin->setGeometry(420, y - 4, 80, 27);
    m_stStatus->SetColors(0xFFFF00, 0x000000);
    m_stUser->SetColors(0xFFFF00, 0x000000);
    m_stPwd->SetColors(0xFFFF00, 0x000000);
    m_stStatus->hide();
}

void CKALORDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    OnSize();
}

void CKALORDlg::OnSize()
{
    if (!m_bFirstSizeSeen) {
        m_bFirstSizeSeen = 1;
        return;
    }
    MeasureClient();
    if (isMinimized())
        return;
    // After the first paint a new size moves the pictures and the login row too.
    if (m_bFirstPaintDone)
        LayoutPictures();
    LayoutMainWindow();
}

void CKALORDlg::LayoutPictures()
{
    m_pPainter->m_nBannerHeight = m_nBannerHeight;
    m_pPainter->m_nClientWidth = m_nClientWidth;
    m_pPainter->m_nClientHeight = m_nClientHeight;
    m_nLoginTop = m_pPainter->LayoutPictures();
}

void CKALORDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    OnPaint();
}

void CKALORDlg::OnPaint()
{
    if (isMinimized())
        return;
    QPainter dc(this);
    if (!m_bFirstPaintDone) {
        m_bFirstPaintDone = 1;
        // The size may not have been measured yet when the first resize was
        // the only one (a window shown at its final size).
        MeasureClient();
        LayoutPictures();
        LayoutMainWindow();
    }
    dc.fillRect(rect(), m_brBack);
    // A picture that cannot be drawn is released by the painter, so it is
    // reported once and not tried again; the report waits until after the paint.
    auto draw = [this, &dc](int which, const QImage& img, const QRect& rc) {
        if (!img.isNull() && !rc.isEmpty() && !m_pPainter->DrawPicture(which, dc))
            ReportPictureFailure();
    };
    draw(CLiftPainter::kBannerPicture, m_pPainter->m_imgBanner, m_pPainter->m_rcBanner);
    if (!m_bLoggedIn)
        draw(CLiftPainter::kLoginPicture, m_pPainter->m_imgLogin, m_pPainter->m_rcLogin);
}

void CKALORDlg::ReportPictureFailure()
{
    // A box cannot be shown from inside a paint: report after it, once.
    if (m_bPictureReportPending)
        return;
    m_bPictureReportPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bPictureReportPending = false;
        AfxMessageBox(Text(CLiftPainter::kPictureFailureText));
    });
}
