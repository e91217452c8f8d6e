#include "link/LiftDataStore.h"

CLiftDataStore::CLiftDataStore()
    : m_LiftInf(std::make_unique<std::array<strLiftInf, kLiftSlots>>())
    , m_LiftPage(std::make_unique<std::array<strLiftPage, kLiftSlots>>())
    , m_LiftCmd(std::make_unique<std::array<strLiftCmd, kLiftSlots>>())
    , m_LiftFault(std::make_unique<std::array<strLiftFault, kLiftSlots>>())
    , m_pLiftInf(m_LiftInf->data())
    , m_pLiftPage(m_LiftPage->data())
    , m_pLiftCmd(m_LiftCmd->data())
    , m_pLiftFault(m_LiftFault->data())
{
}

void CLiftDataStore::ResetLiftRecords()
{
    for (int k = 0; k < kLiftSlots; ++k) {
        strLiftInf& r = m_pLiftInf[k];
        r.bRecInit = 0;
        r.bOffline = 0;
        r.bHeightKnown = 0;
        r.bFlagA = 0;
        r.bFlagB = 0;
        r.nLiftNum = k + 1;
        r.nRealAddr = r.nLiftNum;
        for (auto* f : {&r.nKind, &r.nGroupNum, &r.nCarPos, &r.nHeight, &r.nMaxFloor, &r.nMinFloor,
                        &r.nCurFloor, &r.nRunState, &r.nDoorState, &r.nDoorFlags, &r.nDoorFlagsPrev,
                        &r.nStatusBits, &r.nCtrlMode, &r.nCtrlModePrev, &r.nFaultCode, &r.nFaultCodePrev,
                        &r.nModel, &r.nCmdMode})
            *f = 0;
        // nStatusBitsPrev, the name, group name and floor texts are left as they are.
    }
}

void CLiftDataStore::ResetLiftPages()
{
    for (int k = 0; k < kLiftSlots; ++k) {
        strLiftPage& p = m_pLiftPage[k];
        p.nCurPage = 1;
        for (int i = 0; i < kLampPages; ++i) {
            p.nCarLamp[i] = 0;
            p.nCarLampOld[i] = 0;
            p.nHallLampLo[i] = 0;
            p.nHallLampLoOld[i] = 0;
            p.nHallLampHi[i] = 0;
            p.nHallLampHiOld[i] = 0;
        }
    }
}

void CLiftDataStore::ResetLiftCmds()
{
    for (int k = 0; k < kLiftSlots; ++k) {
        strLiftCmd& c = m_pLiftCmd[k];
        c.nLiftNum = k + 1;
        c.bOneShot = 0;
        c.bCmdBit0 = 0;
        c.bCmdBit1 = 0;
        c.nMode = 0;
        c.nOneShotCnt = 0;
        for (int p = 0; p < kCmdPages; ++p) {
            c.nCarCall[p] = 0;
            c.nHallCallLo[p] = 0;
            c.nHallCallHi[p] = 0;
        }
        for (int f = 0; f < kCmdFloors; ++f) {
            c.nCarCallCnt[f] = 0;
            c.nUpCallCnt[f] = 0;
            c.nDownCallCnt[f] = 0;
        }
    }
}

void CLiftDataStore::ResetLiftFaults()
{
    for (int k = 0; k < kLiftSlots; ++k)
        m_pLiftFault[k] = strLiftFault{};
}
