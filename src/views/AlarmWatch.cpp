#include "views/AlarmWatch.h"

#include "link/LiftInf.h"
#include "views/ViewMessages.h"

namespace {
constexpr int kFireStatusBit = 2;  // shown on the tiles as UI text 254
constexpr int kShowAlarm2 = 2;
} // namespace

bool CAlarmWatch::InFireService(const strLiftInf& lift)
{
    return ((lift.nStatusBits >> kFireStatusBit) & 1) != 0 || FireServiceMode(lift.nCtrlMode);
}

void CAlarmWatch::Check()
{
    if (!m_pLiftInf)
        return;
    // An alarm is up exactly while a lift it was raised for still has it
    // standing at the last look.
    bool faultWasUp = false, anyFault = false;
    bool fireWasUp = false, anyFire = false, newFire = false;
    for (std::size_t i = 0; i < std::size_t(kLiftSlots); ++i) {
        const strLiftInf& lift = m_pLiftInf[i];
        // A lift off the line reports nothing that stands.
        const bool known = lift.nKind != 0 && lift.bOffline == 0;
        const int code = known ? int(lift.nFaultCode) : 0;
        faultWasUp = faultWasUp || m_nAlarmedFault[i] != 0;
        anyFault = anyFault || code != 0;
        if (code != 0 && code != m_nAlarmedFault[i])
            PostMessage(m_hMainWnd.data(), WM_FAULT_ALARM, 0, code);
        m_nAlarmedFault[i] = code;

        const bool fire = known && InFireService(lift);
        fireWasUp = fireWasUp || m_bFireAlarmed[i];
        anyFire = anyFire || fire;
        newFire = newFire || (fire && !m_bFireAlarmed[i]);
        m_bFireAlarmed[i] = fire;
    }
    if (!anyFault && faultWasUp)
        PostMessage(m_hMainWnd.data(), WM_FAULT_ALARM, 0, 0);
    if (newFire)
        PostMessage(m_hMainWnd.data(), WM_ALARM2, kShowAlarm2, 0);
    else if (!anyFire && fireWasUp)
        PostMessage(m_hMainWnd.data(), WM_ALARM2, 0, 0);
}
