#include "views/ShowOneDlg.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "controls/StaX.h"
#include "link/LiftCmd.h"
#include "link/LiftInf.h"
#include "link/LiftMessages.h"
#include "link/LiftPage.h"
#include "mainwnd/LiftPainter.h"
#include "pics/BitmapResource.h"
#include "platform/AppFolder.h"
#include "platform/KeyGuard.h"
#include "platform/UiText.h"
#include "views/AlarmWatch.h"
#include "views/ButShape.h"
#include "views/ButShapeState.h"
#include "views/ButState.h"
#include "views/LockMessages.h"
#include "views/ShowOneMessages.h"
#include "views/StaO.h"
#include "views/StaShape.h"
#include "views/TileGeometry.h"

namespace {

// Captions of the status cells and of the mode buttons (kind 1..8).
constexpr std::array<int, kShowOneStatusCells> kStatusCaption = {44, 45, 50, 51, 73, 52};
constexpr std::array<int, kShowOneModeButtons> kModeCaption = {60, 58, 59, 53, 54, 55, 56, 57};
// Lock buttons: caption and kind; they sit in the rows of mode kinds 4..6.
constexpr std::array<int, kShowOneLockButtons> kLockCaption = {261, 262, 271};
constexpr std::array<int, kShowOneLockButtons> kLockKind = {0, 1, 4};
constexpr int kFirstLockRow = 3;

QFont CellFont(const QString& face, int tenths)
{
    QFont font(face);
    font.setPixelSize(PointTenthsToPixels(tenths));
    font.setWeight(QFont::Medium);
    return font;
}

QString ModelName(int model)
{
    switch (model) {
    case 1: return QStringLiteral("VELA-S");
    case 2: return QStringLiteral("VELA-M/VELA-M+");
    case 3: return QStringLiteral("VELA-X");
    default: return QString();
    }
}

// The floor's display text; the floor number where the lift has no name for it.
QString FloorName(const strLiftInf& lift, int floor)
{
    const int i = floor - 1;
    QString name;
    if (i >= 0 && i < lift.arrFloorNameHi.size())
        name = lift.arrFloorNameHi.at(i);
    if (i >= 0 && i < lift.arrFloorNameLo.size())
        name += lift.arrFloorNameLo.at(i);
    return name.trimmed().isEmpty() ? QString::number(floor) : name;
}

} // namespace

CShowOneDlg::CShowOneDlg(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ShowOneDlg"));
    CKeyGuard::Install(this, CKeyGuard::Keys::ReturnEscapeSpace);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFocusPolicy(Qt::ClickFocus);

    m_fontCar = QFont(QStringLiteral("Arial"));
    m_fontCar.setPixelSize(PointTenthsToPixels(100));

    m_msgMap.On(WM_LIFT_COMM_FAILED, [this](WPARAM w, LPARAM l) { return OnLiftCommFailed(w, l); });
    m_msgMap.On(WM_CAR_CALL, [this](WPARAM w, LPARAM l) { return OnCarCall(w, l); });
    m_msgMap.On(WM_HALL_CALL, [this](WPARAM w, LPARAM l) { return OnHallCall(w, l); });
    m_msgMap.On(WM_STATE_SWITCH, [this](WPARAM w, LPARAM l) { return OnStateSwitch(w, l); });
    m_msgMap.On(WM_BUTSTATE_CLICK, [this](WPARAM w, LPARAM l) { return OnButStateClick(w, l); });
    m_msgMap.On(WM_LIFT_LOCK, [this](WPARAM w, LPARAM l) { return OnWholeLiftLock(w, l); });
    m_msgMap.On(WM_FLOOR_LOCK, [this](WPARAM w, LPARAM l) { return OnFloorLockApply(w, l); });
    m_msgMap.On(WM_LOCKTIME_SET, [this](WPARAM w, LPARAM l) { return OnLockTimeSet(w, l); });
}

CShowOneDlg::~CShowOneDlg()
{
    if (m_bLockTimeKnown)
        SaveLockTime();
}

bool CShowOneDlg::event(QEvent* event)
{
    if (m_bLockBusy && event->type() >= QEvent::User) {
        // No handler of the page runs inside a lock command: its messages
        // wait until the command is over.
        if (auto* msg = dynamic_cast<CWindowMessage*>(event); msg && m_msgMap.Handles(msg->message())) {
            m_deferred.emplace_back(msg->message(), msg->wParam(), msg->lParam());
            return true;
        }
    }
    if (m_msgMap.Dispatch(event))
        return true;
    return QWidget::event(event);
}

QString CShowOneDlg::GetSoftResourcePath(const QString& name)
{
    return GetAppFolder() + QStringLiteral("SoftResoure/") + name;
}

QString CShowOneDlg::Text(int n) const
{
    return UiText(m_pTexts, n);
}

strLiftInf* CShowOneDlg::ShownLift() const
{
    return m_pLiftInf && m_nLiftIndex >= 0 && m_nLiftIndex < 64 ? &m_pLiftInf[m_nLiftIndex] : nullptr;
}

strLiftPage* CShowOneDlg::ShownPage() const
{
    return m_pLiftPage && m_nLiftIndex >= 0 && m_nLiftIndex < 64 ? &m_pLiftPage[m_nLiftIndex] : nullptr;
}

strLiftCmd* CShowOneDlg::ShownCmd() const
{
    return m_pLiftCmd && m_nLiftIndex >= 0 && m_nLiftIndex < 64 ? &m_pLiftCmd[m_nLiftIndex] : nullptr;
}

bool CShowOneDlg::FloorPresent(const strLiftInf& lift, int floor) const
{
    return floor >= 1 && floor <= kShowOneFloors && floor <= lift.nMaxFloor;
}

// ---- creation ---------------------------------------------------------------

bool CShowOneDlg::OnInitDialog()
{
    if (m_bInitDone)
        return true;
    m_bInitDone = true;

    // The pictures sit under everything else.
    for (int i = 0; i < 2; ++i) {
        m_pPicture[i] = new QLabel(this);
        m_pPicture[i]->setObjectName(QString::number(1048 + i));
        m_pPicture[i]->setScaledContents(true);
        const QImage bmp = LoadBitmapResource(i == 0 ? 163 : 162);
        if (!bmp.isNull())
            m_pPicture[i]->setPixmap(QPixmap::fromImage(bmp));
    }
    // 1048 keeps the place of the template, which has none for it here.
    m_pPicture[0]->setGeometry(0, 0, 0, 0);

    const QRect start(0, 100, 100, 100);
    for (int f = 1; f <= kShowOneFloors; ++f) {
        const int i = f - 1;
        CButShape* car = new CButShape(this);
        CButShape* up = new CButShape(this);
        CButShape* down = new CButShape(this);
        car->setObjectName(QString::number(4000 + 3 * i));
        up->setObjectName(QString::number(4001 + 3 * i));
        down->setObjectName(QString::number(4002 + 3 * i));
        car->SetState(0);
        up->SetState(6);
        down->SetState(9);
        for (CButShape* b : {car, up, down})
            b->setGeometry(start);
        m_pCarBtn[i] = car;
        m_pUpBtn[i] = up;
        m_pDownBtn[i] = down;
    }
    for (int f = 1; f <= kShowOneFloors; ++f) {
        CStaShape* cell = new CStaShape(this);
        cell->setObjectName(QString::number(4500 + f - 1));
        cell->SetCaption(QString::number(f - 1));
        m_pFloorCell[f - 1] = cell;
    }
    for (int i = 0; i < kShowOneStatusCells; ++i) {
        m_pStatusCell[i] = new CStaShape(this);
        m_pStatusCell[i]->setObjectName(QString::number(4600 + i));
    }
    for (int i = 0; i < kShowOneModeButtons; ++i) {
        m_pModeBtn[i] = new CButShapeState(this);
        m_pModeBtn[i]->setObjectName(QString::number(4700 + i));
        m_pModeBtn[i]->m_nKind = i + 1;
    }
    for (int i = 0; i < kShowOneLockButtons; ++i) {
        m_pLockBtn[i] = new ButState(this);
        m_pLockBtn[i]->setObjectName(QString::number(4709 + i));
        m_pLockBtn[i]->m_nKind = kLockKind[i];
    }
    // The arrows sit inside their floor cells, so they go on top of them.
    for (int i = 0; i < kShowOneFloors; ++i) {
        m_pUpBtn[i]->raise();
        m_pDownBtn[i]->raise();
    }

    for (int i = 0; i < 2; ++i) {
        m_pTitle[i] = new CStaO(this);
        m_pTitle[i]->setObjectName(QString::number(5000 + i));
        m_pTitle[i]->m_nKind = i + 1;
    }
    m_stNotice = new CStaX(this);
    m_stNotice->setObjectName(QStringLiteral("1139"));
    m_stNotice->SetColors(0x0000FF, 0x000000);
    m_stNotice->SetFontSize(100);
    m_stNotice->hide();

    // The editors are windows of their own, kept above the page.
    m_pFloorDlg = new ShowFloorDlg(this);
    m_pFloorDlg->OnInitDialog();
    m_pFloorDlg->hide();
    m_pLockTimeDlg = new CSetLockTimeDlg(this);
    m_pLockTimeDlg->hide();
    return true;
}

// ---- layout -----------------------------------------------------------------

void CShowOneDlg::LayoutLiftView()
{
    if (!m_bInitDone)
        return;
    m_nClientWidth = width();
    m_nClientHeight = height();
    m_layout = ComputeShowOneLayout(m_nClientWidth, m_nClientHeight, m_nLanguageKind);
    const strShowOneLayout& l = m_layout;
    strLiftInf* lift = ShownLift();
    strLiftCmd* cmd = ShownCmd();
    if (m_nPeriodLift != m_nLiftIndex)
        ReleasePeriodLift();

    m_pTitle[0]->setGeometry(l.rcTitlePlain);
    m_pPicture[1]->setGeometry(l.rcStatusPicture);
    m_pTitle[1]->setGeometry(l.rcTitle);
    m_pTitle[1]->m_bLarge = l.bLarge ? 1 : 0;

    // The car's travel; a lift of one floor keeps the car at the bottom.
    m_nShaftTop = l.nShaftTop;
    m_nShaftBottom = l.nShaftBottom;
    const int topFloor = lift ? int(lift->nMaxFloor) : 0;
    if (topFloor >= 2)
        m_fPxPerFloor = float(m_nShaftBottom - m_nShaftTop) / float(topFloor - 1);
    else
        m_fPxPerFloor = topFloor == 1 ? 0.0f : float(m_nShaftBottom - m_nShaftTop);
    m_nCellFont = l.nCellFont;

    if (m_bPortOpen) {
        m_stNotice->hide();
    } else {
        m_stNotice->setText(Text(155));
        m_stNotice->setGeometry(l.rcNotice);
        m_stNotice->show();
        m_stNotice->raise();
    }

    LayoutStatusAndModes(cmd);

    QString title;
    if (lift) {
        title = lift->strGroupName + QStringLiteral("  ------  ") + lift->strName;
        const QString model = ModelName(lift->nModel);
        if (!model.isEmpty())
            title += QStringLiteral("  ------  ") + model;
    }
    m_pTitle[1]->m_strText = title;
    m_pTitle[1]->update();

    LayoutFloors(lift);

    if (m_imgCar.size() != l.rcCar.size()) {
        m_imgCar = QImage();
        m_bBackSaved = 0;
    }
    m_tmDoorOpen.stop();
    m_tmDoorClose.stop();
    if (lift) {
        m_nCarFloor = lift->nCurFloor;
        m_nCarLiftNum = lift->nLiftNum;
        m_fCarOffset = CLiftPainter::CarOffsetForFloor(m_nCarFloor, topFloor, m_nShaftTop, m_nShaftBottom);
    }
    if (m_bBackSaved)
        DrawCarPicture();

    m_bLiftOnline = 0;
    m_nPrevFloorIdx = 0;
    m_nCurFloorIdx = 0;
    for (int k = 3; k < kShowOneModeButtons; ++k)
        m_pModeBtn[k]->hide();
    m_pFloorDlg->m_hTarget = this;
    m_pLockTimeDlg->m_hTarget = this;
    update();
}

void CShowOneDlg::ResetStatusCell(int index)
{
    CStaShape* cell = m_pStatusCell[index];
    // A hidden cell forgets what was written on it; the first line goes too.
    cell->m_strFirstPadded.clear();
    cell->m_strSecond.clear();
    cell->hide();
    cell->SetState(4);
    cell->show();
    if (index == 4)
        m_bCommFailShown = false;
}

void CShowOneDlg::LayoutStatusAndModes(const strLiftCmd* cmd)
{
    const strShowOneLayout& l = m_layout;
    const QFont statusFont = CellFont(QStringLiteral("Times New Roman"), m_nCellFont);
    for (int i = 0; i < kShowOneStatusCells; ++i) {
        CStaShape* cell = m_pStatusCell[i];
        cell->setGeometry(l.StatusCell(i));
        cell->setFont(statusFont);
        cell->SetCaption(Text(kStatusCaption[i]));
        ResetStatusCell(i);
    }

    const QFont modeFont = CellFont(QStringLiteral("Arial"), m_nCellFont);
    const int mode = cmd ? int(cmd->nMode) : 0;
    for (int k = 0; k < kShowOneModeButtons; ++k) {
        CButShapeState* b = m_pModeBtn[k];
        b->setGeometry(l.ModeButton(k));
        b->m_font = modeFont;
        b->m_hTarget = this;
        b->m_pTexts = m_pTexts;
        b->m_nKind = k + 1;
        b->SetCaption(Text(kModeCaption[k]));
        b->m_bPermitted = 0;
        // A mode in force stands as switched on, but not as pressed: a pressed
        // parking button would latch the lock period's mode for good.
        b->SetOn((k + 1 == 2 || k + 1 == 3) && mode == k + 1);
        b->m_bPressed = 0;
        b->show();
    }
    for (int j = 0; j < kShowOneLockButtons; ++j) {
        ButState* b = m_pLockBtn[j];
        b->setGeometry(l.ModeButton(kFirstLockRow + j));
        b->m_font = modeFont;
        b->m_hTarget = this;
        b->m_pTexts = m_pTexts;
        b->m_nKind = kLockKind[j];
        b->SetCaption(Text(kLockCaption[j]));
        b->m_bPermitted = 0;
        b->show();
    }
}

void CShowOneDlg::LayoutFloors(const strLiftInf* lift)
{
    const strShowOneLayout& l = m_layout;
    const QFont font = CellFont(QStringLiteral("Arial"), m_nCellFont);
    for (int f = 1; f <= kShowOneFloors; ++f) {
        const int i = f - 1;
        CButShape* car = m_pCarBtn[i];
        CButShape* up = m_pUpBtn[i];
        CButShape* down = m_pDownBtn[i];
        CStaShape* cell = m_pFloorCell[i];

        car->setGeometry(l.CarButton(f));
        car->setFont(font);
        car->m_nCarFloor = f;
        car->SetCaption(QString::number(f));
        cell->setGeometry(l.FloorCell(f));
        cell->setFont(font);
        cell->SetCaption(QString::number(f));
        up->setGeometry(l.UpArrow(f));
        down->setGeometry(l.DownArrow(f));
        up->m_nHallFloor = f;
        down->m_nHallFloor = f;
        for (CButShape* b : {car, up, down}) {
            b->m_hTarget = this;
            b->m_pTexts = m_pTexts;
            b->m_bPermitted = 0;
            b->m_bLamp = 0;
            b->m_bPressedLocally = 0;
        }

        if (lift && FloorPresent(*lift, f)) {
            const QString name = FloorName(*lift, f);
            car->SetCaption(name);
            cell->SetCaption(name);
            car->SetState(1);
            up->SetState(4);
            down->SetState(7);
            cell->SetState(1);
        } else {
            car->SetState(0);
            up->SetState(6);
            down->SetState(9);
            cell->SetState(0);
        }
        // Hidden and shown again so that each is drawn afresh.
        for (QWidget* w : std::initializer_list<QWidget*>{car, cell, up, down}) {
            w->hide();
            w->show();
        }
    }
    m_pDownBtn[0]->hide();
    const int top = lift ? int(lift->nMaxFloor) : 0;
    if (top < 1)
        m_pUpBtn[0]->hide();
    else if (top <= kShowOneFloors)
        m_pUpBtn[std::size_t(top - 1)]->hide();
}

// ---- painting and timers ------------------------------------------------------

void CShowOneDlg::DrawCarPicture()
{
    if (!m_pPainter || !m_bBackSaved || m_imgCar.isNull())
        return;
    CLiftPainter& p = *m_pPainter;
    const QRect& rc = m_layout.rcCar;
    // The painter is lent to every page: give it all of this page's inputs.
    p.m_pLiftInf = ShownLift();
    p.SetCarLayout(m_layout.bLarge ? 2 : 1, rc.width(), rc.height(), m_layout.nShaftTop);
    p.m_nRunState = m_nCarRunState;
    p.m_nLiftNum = m_nCarLiftNum;
    p.m_nFloor = m_nCarFloor;
    p.m_fCarOffset = m_fCarOffset;
    p.m_nDoorFrame = m_nDoorFrame;
    p.m_nDoorMode = m_nDoorMode;

    m_imgCar.fill(Qt::black);
    QPainter dc(&m_imgCar);
    dc.setFont(m_fontCar);
    p.DrawCar(dc);
    dc.end();
    update(rc);
}

void CShowOneDlg::paintEvent(QPaintEvent* event)
{
    const QRect& rc = m_layout.rcCar;
    if (rc.isEmpty() || !event->rect().intersects(rc))
        return;
    if (!m_bBackSaved) {
        // First paint of this size: the off-screen picture of the car area.
        m_imgCar = QImage(rc.size(), QImage::Format_ARGB32_Premultiplied);
        m_bBackSaved = 1;
        if (m_pPainter) {
            m_pPainter->SetCarLayout(m_layout.bLarge ? 2 : 1, rc.width(), rc.height(), m_layout.nShaftTop);
            m_pPainter->CreateFrameDCs();
        }
        DrawCarPicture();
    }
    QPainter painter(this);
    painter.drawImage(rc.topLeft(), m_imgCar);
}

void CShowOneDlg::SetDoorFrame(int frame)
{
    m_nDoorFrame = std::clamp(frame, 0, kLastDoorFrame);
}

void CShowOneDlg::hideEvent(QHideEvent* event)
{
    // A hidden page animates no doors; the next refresh after showing it sets them.
    m_tmDoorOpen.stop();
    m_tmDoorClose.stop();
    // The editors belong to the lift shown; they never outlive the page on screen.
    if (m_pFloorDlg)
        m_pFloorDlg->hide();
    if (m_pLockTimeDlg)
        m_pLockTimeDlg->hide();
    QWidget::hideEvent(event);
}

void CShowOneDlg::SetRefreshTimer(int ms)
{
    m_tmRefresh.start(ms, this);
}

void CShowOneDlg::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    if (id == m_tmDoorOpen.timerId()) {
        SetDoorFrame(m_nDoorFrame + 1);
        DrawCarPicture();
        return;
    }
    if (id == m_tmDoorClose.timerId()) {
        SetDoorFrame(m_nDoorFrame - 1);
        DrawCarPicture();
        return;
    }
    if (id == m_tmLockPeriod.timerId()) {
        if (!m_bLockBusy)
            OnLockPeriodTick();
        return;
    }
    if (id != m_tmRefresh.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (m_bLockBusy)
        return;
    if (!m_pViewMode || *m_pViewMode != kViewMode) {
        m_tmRefresh.stop();
        return;
    }
    strLiftInf* lift = ShownLift();
    strLiftPage* page = ShownPage();
    if (!lift || !page)
        return;
    if (RefreshLiftView(*lift, *page) == 1)
        UpdateCarPicture(*lift, *page);
    if (m_pAlarmWatch)
        m_pAlarmWatch->Check();
}
