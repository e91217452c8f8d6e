// The single-lift page's refresh from the lift's records, its car picture
// and the loss of communication.
#include <algorithm>

#include "database/DBServer.h"
#include "link/LiftInf.h"
#include "link/LiftPage.h"
#include "mainwnd/LiftPainter.h"
#include "platform/ColorRef.h"
#include "views/AlarmWatch.h"
#include "views/ButShape.h"
#include "views/ButShapeState.h"
#include "views/ButState.h"
#include "views/ShowOneDlg.h"
#include "views/StaShape.h"

namespace {

constexpr COLORREF kGrey = 0xD2D2D2;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kCommRed = 0x0000D2;
constexpr COLORREF kCurrentFloor = 0xC80000;
constexpr COLORREF kOtherFloor = 0x00C800;

// Pages whose lamps have buttons: the record's count, within the 56 floors.
int LampPages(const strLiftPage& page)
{
    return std::clamp<int>(page.nPageCount, 0, kShowOneFloors / 8);
}

bool ValidIndex(int i) { return i >= 0 && i < kShowOneFloors; }

} // namespace

int CShowOneDlg::RefreshLiftView(strLiftInf& lift, strLiftPage& page)
{
    if (lift.nCurFloor == 0) {
        m_bLiftOnline = 0;
        return 0;
    }
    // The floor of a lift that stopped answering is its last one: keep the
    // picture until it answers again (the worker reports the loss).
    if (lift.bOffline)
        return 0;
    if (!m_bLiftOnline)
        PermitButtons(lift);
    if (m_bCommFailShown)
        ResetStatusCell(4);
    m_bLiftOnline = 1;
    UpdateCarCallButtons(page);
    UpdateHallCallButtons(page);
    UpdateCurrentFloor(lift);
    UpdateStatusTexts(lift);
    UpdateRunStateText(lift);
    UpdateModeText(lift);
    UpdateFaultText(lift);
    for (CButShapeState* b : m_pModeBtn)
        b->update();
    return 1;
}

void CShowOneDlg::PermitButtons(const strLiftInf& lift)
{
    for (CButShapeState* b : m_pModeBtn)
        b->m_bPermitted = 1;
    for (ButState* b : m_pLockBtn)
        b->m_bPermitted = 1;
    const int floors = std::clamp<int>(lift.nMaxFloor, 0, kShowOneFloors);
    for (int i = 0; i < floors; ++i) {
        m_pCarBtn[i]->m_bPermitted = 1;
        m_pUpBtn[i]->m_bPermitted = 1;
        m_pDownBtn[i]->m_bPermitted = 1;
    }
}

void CShowOneDlg::ApplyLamp(CButShape* button, bool lit, int litState, int normalState, std::uint32_t now)
{
    // A floor the lift does not have keeps its look whatever the line says.
    if (CButShape::IsAbsentState(button->GetState()))
        return;
    if (lit) {
        button->SetState(litState);
        button->m_bLamp = 1;
        return;
    }
    if (button->GetState() == litState) {
        if (!button->m_bPressedLocally) {
            button->SetState(normalState);
        } else {
            button->m_dwCheckTick = now;
            if (button->HoldExpired(now)) {
                button->SetState(normalState);
                button->m_bPressedLocally = 0;
            }
        }
    }
    button->m_bLamp = 0;
}

void CShowOneDlg::UpdateCarCallButtons(const strLiftPage& page)
{
    const std::uint32_t now = CButShape::TickNow();
    const int pages = LampPages(page);
    for (int p = 0; p < pages; ++p) {
        const int lamps = page.nCarLamp[std::size_t(p)];
        for (int i = 0; i < 8; ++i)
            ApplyLamp(m_pCarBtn[std::size_t(8 * p + i)], (lamps >> i) & 1, 3, 1, now);
    }
}

void CShowOneDlg::UpdateHallCallButtons(const strLiftPage& page)
{
    const std::uint32_t now = CButShape::TickNow();
    const int pages = LampPages(page);
    for (int p = 0; p < pages; ++p) {
        const int lo = page.nHallLampLo[std::size_t(p)];
        const int hi = page.nHallLampHi[std::size_t(p)];
        for (int k = 0; k < 4; ++k) {
            for (const auto& [lamps, floor] : {std::pair{lo, 8 * p + k}, std::pair{hi, 8 * p + 4 + k}}) {
                ApplyLamp(m_pUpBtn[std::size_t(floor)], (lamps >> (2 * k)) & 1, 5, 4, now);
                ApplyLamp(m_pDownBtn[std::size_t(floor)], (lamps >> (2 * k + 1)) & 1, 8, 7, now);
            }
        }
    }
}

void CShowOneDlg::UpdateCurrentFloor(const strLiftInf& lift)
{
    // A floor beyond the 56 cells (the line may say up to 255) highlights none.
    const int index = lift.nCurFloor - 1;
    m_nCurFloorIdx = index;
    auto highlight = [this](int i) {
        m_pCarBtn[std::size_t(i)]->SetState(2);
        CStaShape* cell = m_pFloorCell[std::size_t(i)];
        cell->SetState(2);
        cell->ClearCellText(FromColorRef(kCurrentFloor), cell->GetCaption());
    };
    if (index == m_nPrevFloorIdx) {
        if (!ValidIndex(index))
            return;
        m_pCarBtn[std::size_t(index)]->SetState(2);
        if (m_pFloorCell[std::size_t(index)]->GetState() != 2)
            highlight(index);
        return;
    }
    if (ValidIndex(m_nPrevFloorIdx)) {
        const int prev = m_nPrevFloorIdx;
        const bool present = FloorPresent(lift, prev + 1);
        m_pCarBtn[std::size_t(prev)]->SetState(present ? 1 : 0);
        CStaShape* cell = m_pFloorCell[std::size_t(prev)];
        cell->SetState(present ? 1 : 0);
        if (present)
            cell->ClearCellText(FromColorRef(kOtherFloor), cell->GetCaption());
    }
    m_nPrevFloorIdx = index;
    if (ValidIndex(index))
        highlight(index);
}

void CShowOneDlg::UpdateStatusTexts(const strLiftInf& lift)
{
    const std::uint8_t flags[2] = {lift.bFlagA, lift.bFlagB};
    for (int i = 0; i < 2; ++i) {
        const bool set = flags[i] != 0;
        m_pStatusCell[std::size_t(i)]->SetCellText(0, FromColorRef(set ? kRed : kGrey), Text(set ? 172 : 72), QString());
    }
}

void CShowOneDlg::UpdateRunStateText(const strLiftInf& lift)
{
    const int door = lift.nDoorState;
    const QString text = door >= 0 && door <= 6 ? Text(65 + door) : QString();
    m_pStatusCell[2]->SetCellText(0, FromColorRef(kGrey), text, QString());
}

void CShowOneDlg::UpdateModeText(const strLiftInf& lift)
{
    CButShapeState* fire = m_pModeBtn[1];  // kind 2
    CButShapeState* park = m_pModeBtn[2];  // kind 3
    m_bModeLatch = 0;
    const int mode = lift.nCtrlMode;
    fire->SetOn(CAlarmWatch::FireServiceMode(mode));
    park->SetOn(mode == 8);
    if (mode == 8 && park->m_bPressed)
        m_bModeLatch = 1;
    const QString text = mode >= 0 && mode <= 14 ? Text(28 + mode) : QString();
    m_pStatusCell[3]->SetCellText(0, FromColorRef(mode == 5 ? kRed : kGrey), text, QString());
}

void CShowOneDlg::UpdateFaultText(const strLiftInf& lift)
{
    CStaShape* cell = m_pStatusCell[5];
    const int code = lift.nFaultCode;
    if (code != 0) {
        cell->SetState(6);
        cell->SetCellText(0, FromColorRef(kRed), QStringLiteral("Err--") + QString::number(code), QString());
    } else {
        cell->SetState(7);
        cell->SetCellText(0, FromColorRef(kGrey), Text(72), QString());
    }
}

void CShowOneDlg::UpdateCarPicture(strLiftInf& lift, strLiftPage& page)
{
    m_nCarRunState = lift.nRunState;
    m_nCarLiftNum = lift.nLiftNum;
    m_nCarFloor = lift.nCurFloor;
    // Bounded: the bottom for floors below 2 and for a lift of one floor, the
    // top for a floor above the top floor.
    m_fCarOffset = CLiftPainter::CarOffsetForFloor(m_nCarFloor, lift.nMaxFloor, m_nShaftTop, m_nShaftBottom);

    switch (int(lift.nDoorState)) {
    case 1:  // opening
        m_nDoorMode = 1;
        m_tmDoorClose.stop();
        if (!m_tmDoorOpen.isActive())
            m_tmDoorOpen.start(kDoorTimerMs, this);
        break;
    case 3:  // closing
        m_nDoorMode = 3;
        if (m_nDoorFrame != 0) {
            m_tmDoorOpen.stop();
            if (!m_tmDoorClose.isActive())
                m_tmDoorClose.start(kDoorTimerMs, this);
        }
        break;
    case 2:  // open
        m_nDoorMode = 1;
        m_tmDoorOpen.stop();
        m_tmDoorClose.stop();
        SetDoorFrame(kLastDoorFrame);
        break;
    case 4: case 5: case 6:  // closed
        m_nDoorMode = 6;
        m_tmDoorOpen.stop();
        m_tmDoorClose.stop();
        SetDoorFrame(0);
        break;
    default:
        break;
    }
    DrawCarPicture();
    if (m_pDB)
        m_pDB->SaveLiftRecords(&lift, &page);
}

void CShowOneDlg::RecordShownLift()
{
    strLiftInf* lift = ShownLift();
    strLiftPage* page = ShownPage();
    // Recorded as the refresh records: a lift that answers with a floor.
    if (m_pDB && lift && page && lift->nCurFloor != 0 && lift->bOffline == 0)
        m_pDB->SaveLiftRecords(lift, page);
}

LRESULT CShowOneDlg::OnLiftCommFailed(WPARAM, LPARAM lParam)
{
    strLiftInf* lift = ShownLift();
    // A report a stopped worker left for a lift shown before is not this lift's.
    if (!lift || lParam != LPARAM(lift->nLiftNum.load()))
        return 0;
    CStaShape* cell = m_pStatusCell[4];
    cell->SetState(5);
    cell->SetCellText(1, FromColorRef(kCommRed), Text(74), Text(73));
    m_bCommFailShown = true;

    if (m_bLiftOnline != 1)
        return 0;
    m_bLiftOnline = 0;
    for (CButShapeState* b : m_pModeBtn) {
        b->m_bPermitted = 0;
        b->m_bPressed = 0;
        b->update();
    }
    for (ButState* b : m_pLockBtn) {
        b->m_bPermitted = 0;
        b->update();
    }
    const int floors = std::clamp<int>(lift->nMaxFloor, 0, kShowOneFloors);
    for (int i = 0; i < floors; ++i) {
        const std::pair<CButShape*, int> buttons[] = {{m_pCarBtn[i], 1}, {m_pUpBtn[i], 4}, {m_pDownBtn[i], 7}};
        for (const auto& [b, normal] : buttons) {
            b->m_bPermitted = 0;
            if (!CButShape::IsAbsentState(b->GetState()))
                b->SetState(normal);
        }
    }
    return 0;
}
