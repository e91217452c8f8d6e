// Calls and special modes of the single-lift page: what the call and mode
// buttons post, checked against the line and the lift, written into the
// lift's command block for the one-lift worker to carry.
#include "link/CallRegistry.h"
#include "link/LiftCmd.h"
#include "link/LiftInf.h"
#include "platform/MessageBox.h"
#include "views/ButShape.h"
#include "views/ButShapeState.h"
#include "views/ShowOneDlg.h"

namespace {

bool ValidFloor(LPARAM floor) { return floor >= 1 && floor <= kShowOneFloors; }

} // namespace

strLiftCmd* CShowOneDlg::AcceptCall(CButShape& button)
{
    if (!m_bPortOpen) {
        button.RestoreAfterRefusal();
        AfxMessageBox(Text(99));
        return nullptr;
    }
    strLiftInf* lift = ShownLift();
    strLiftCmd* cmd = ShownCmd();
    if (!lift || !cmd || lift->bOffline) {
        button.RestoreAfterRefusal();
        AfxMessageBox(Text(98));
        return nullptr;
    }
    button.ClickTaken();
    return cmd;
}

LRESULT CShowOneDlg::OnCarCall(WPARAM, LPARAM lParam)
{
    if (!ValidFloor(lParam))
        return 0;
    CButShape* button = m_pCarBtn[std::size_t(lParam - 1)];
    if (!button)
        return 0;
    if (strLiftCmd* cmd = AcceptCall(*button))
        RegisterCall(*cmd, int(lParam), CallKind::Car, kCallResends);
    return 0;
}

LRESULT CShowOneDlg::OnHallCall(WPARAM wParam, LPARAM lParam)
{
    if (!ValidFloor(lParam) || (wParam != 2 && wParam != 3))
        return 0;
    const bool up = wParam == 2;
    CButShape* button = (up ? m_pUpBtn : m_pDownBtn)[std::size_t(lParam - 1)];
    if (!button)
        return 0;
    if (strLiftCmd* cmd = AcceptCall(*button))
        RegisterCall(*cmd, int(lParam), up ? CallKind::Up : CallKind::Down, kCallResends);
    return 0;
}

void CShowOneDlg::SetMode(int mode)
{
    if (strLiftCmd* cmd = ShownCmd())
        cmd->nMode = mode;
    if (strLiftInf* lift = ShownLift())
        lift->nCmdMode = mode;
}

LRESULT CShowOneDlg::OnStateSwitch(WPARAM wParam, LPARAM lParam)
{
    if (lParam < 1 || lParam > kShowOneModeButtons || wParam < 1 || wParam > 3)
        return 0;
    const int kind = int(lParam);
    const int action = int(wParam);
    CButShapeState* button = m_pModeBtn[std::size_t(kind - 1)];
    if (!button)
        return 0;
    // The remote reset posts its on message before its own confirmation; only
    // the one-shot that follows is a command, so only its refusal is told.
    const bool quiet = kind == 1 && action != 3;
    auto refuse = [&](int text) {
        button->RestoreAfterRefusal();
        if (!quiet)
            AfxMessageBox(Text(text));
        return LRESULT(0);
    };
    if (!m_bPortOpen)
        return refuse(99);
    strLiftInf* lift = ShownLift();
    strLiftCmd* cmd = ShownCmd();
    if (!lift || !cmd || lift->bOffline)
        return refuse(98);

    CButShapeState* fire = m_pModeBtn[1];  // kind 2
    CButShapeState* park = m_pModeBtn[2];  // kind 3
    switch (action) {
    case 1:
        if (kind == 1) {
            lift->nCmdMode = 1;
            break;
        }
        if (kind == 3 && (fire->m_bPressed || fire->m_bOn)) {
            // Parking is refused while fire service is in force.
            AfxMessageBox(Text(259));
            park->m_bPressed = 0;
            park->update();
            return 0;
        }
        if (kind == 2 && park->m_bPressed) {
            // Fire service overrides parking.
            SetMode(2);
            park->m_bPressed = 0;
            park->update();
            return 0;
        }
        SetMode(kind);
        break;
    case 2:
        SetMode(kind == 3 && fire->m_bOn ? 2 : 0);
        break;
    default:
        RequestOneShot(*cmd, kOneShotRequests);
        break;
    }
    setFocus();
    return 0;
}
