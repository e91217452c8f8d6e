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
    bool anyFault = false;
    bool anyFire = false;
    bool newFire = false;
    for (int i = 0; i < kLiftSlots; ++i) {
        const strLiftInf& lift = m_pLiftInf[i];
        // A lift off the line reports nothing that stands.
        const bool known = lift.nKind != 0 && lift.bOffline == 0;
        const int code = known ? int(lift.nFaultCode) : 0;
        if (code != 0) {
            anyFault = true;
            if (code != m_nAlarmedFault[std::size_t(i)]) {
                PostMessage(m_hMainWnd.data(), WM_FAULT_ALARM, 0, code);
                m_bFaultUp = true;
            }
        }
        m_nAlarmedFault[std::size_t(i)] = code;

        const bool fire = known && InFireService(lift);
        anyFire = anyFire || fire;
        newFire = newFire || (fire && !m_bFireAlarmed[std::size_t(i)]);
        m_bFireAlarmed[std::size_t(i)] = fire;
    }
    if (!anyFault && m_bFaultUp) {
        PostMessage(m_hMainWnd.data(), WM_FAULT_ALARM, 0, 0);
        m_bFaultUp = false;
    }
    if (newFire) {
        PostMessage(m_hMainWnd.data(), WM_ALARM2, kShowAlarm2, 0);
        m_bFireUp = true;
    } else if (!anyFire && m_bFireUp) {
        PostMessage(m_hMainWnd.data(), WM_ALARM2, 0, 0);
        m_bFireUp = false;
    }
}
