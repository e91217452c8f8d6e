#pragma once
// Helpers shared by the link tests: reply frames with their CRC, and a view of
// every field of the lift records so a test can say exactly which fields a
// parse changed.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/CrcFrame.h"
#include "link/LiftCmd.h"
#include "link/LiftFault.h"
#include "link/LiftInf.h"
#include "link/LiftPage.h"

using FieldMap = std::map<std::string, long>;

inline FieldMap Fields(const strLiftInf& r)
{
    return {{"bRecInit", r.bRecInit}, {"bOffline", r.bOffline}, {"bHeightKnown", r.bHeightKnown},
            {"bFlagA", r.bFlagA}, {"bFlagB", r.bFlagB}, {"nKind", r.nKind}, {"nLiftNum", r.nLiftNum},
            {"nRealAddr", r.nRealAddr}, {"nGroupNum", r.nGroupNum}, {"nCarPos", r.nCarPos},
            {"nHeight", r.nHeight}, {"nMaxFloor", r.nMaxFloor}, {"nMinFloor", r.nMinFloor},
            {"nCurFloor", r.nCurFloor}, {"nRunState", r.nRunState}, {"nDoorState", r.nDoorState},
            {"nDoorFlags", r.nDoorFlags}, {"nDoorFlagsPrev", r.nDoorFlagsPrev},
            {"nStatusBits", r.nStatusBits}, {"nStatusBitsPrev", r.nStatusBitsPrev},
            {"nCtrlMode", r.nCtrlMode}, {"nCtrlModePrev", r.nCtrlModePrev}, {"nFaultCode", r.nFaultCode},
            {"nFaultCodePrev", r.nFaultCodePrev}, {"nModel", r.nModel}, {"nCmdMode", r.nCmdMode}};
}

inline FieldMap Fields(const strLiftPage& p)
{
    FieldMap m{{"nPageCount", p.nPageCount}, {"nCurPage", p.nCurPage}};
    for (int i = 0; i < kLampPages; ++i) {
        const std::string n = std::to_string(i);
        m["nCarLamp" + n] = p.nCarLamp[i];
        m["nCarLampOld" + n] = p.nCarLampOld[i];
        m["nHallLampLo" + n] = p.nHallLampLo[i];
        m["nHallLampLoOld" + n] = p.nHallLampLoOld[i];
        m["nHallLampHi" + n] = p.nHallLampHi[i];
        m["nHallLampHiOld" + n] = p.nHallLampHiOld[i];
    }
    return m;
}

inline FieldMap Fields(const strLiftFault& f)
{
    return {{"bNewFault", f.bNewFault}, {"nFaultCode", f.nFaultCode}, {"nFaultCodePrev", f.nFaultCodePrev},
            {"nFaultCount", f.nFaultCount}, {"nReserved1", f.nReserved1}, {"nReserved2", f.nReserved2},
            {"nReserved3", f.nReserved3}};
}

inline FieldMap Fields(const strLiftCmd& c)
{
    FieldMap m{{"nLiftNum", c.nLiftNum}, {"bOneShot", c.bOneShot}, {"bCmdBit0", c.bCmdBit0},
               {"bCmdBit1", c.bCmdBit1}, {"nMode", c.nMode}, {"nOneShotCnt", c.nOneShotCnt}};
    for (int i = 0; i < kCmdPages; ++i) {
        const std::string n = std::to_string(i);
        m["nCarCall" + n] = c.nCarCall[i];
        m["nHallCallLo" + n] = c.nHallCallLo[i];
        m["nHallCallHi" + n] = c.nHallCallHi[i];
    }
    for (int f = 0; f < kCmdFloors; ++f) {
        const std::string n = std::to_string(f);
        m["nCarCallCnt" + n] = c.nCarCallCnt[f];
        m["nUpCallCnt" + n] = c.nUpCallCnt[f];
        m["nDownCallCnt" + n] = c.nDownCallCnt[f];
    }
    return m;
}

// Names of the fields whose value differs.
inline std::set<std::string> Changed(const FieldMap& before, const FieldMap& after)
{
    std::set<std::string> names;
    for (const auto& [name, value] : before)
        if (after.at(name) != value)
            names.insert(name);
    return names;
}

// Fills every numeric field of a lift record with a distinct odd value, so a
// parse that writes a field is always seen.
inline void FillDistinct(strLiftInf& r, int seed = 100)
{
    int v = seed;
    for (auto* f : {&r.nKind, &r.nLiftNum, &r.nRealAddr, &r.nGroupNum, &r.nCarPos, &r.nHeight, &r.nMaxFloor,
                    &r.nMinFloor, &r.nCurFloor, &r.nRunState, &r.nDoorState, &r.nDoorFlags, &r.nDoorFlagsPrev,
                    &r.nStatusBits, &r.nStatusBitsPrev, &r.nCtrlMode, &r.nCtrlModePrev, &r.nFaultCode,
                    &r.nFaultCodePrev, &r.nModel, &r.nCmdMode})
        *f = v++;
    r.bRecInit = 1;
    r.bOffline = 1;
    r.bHeightKnown = 1;
    r.bFlagA = 1;
    r.bFlagB = 1;
}

inline void FillDistinct(strLiftPage& p, int seed = 500)
{
    p.nPageCount = 3;
    p.nCurPage = 2;
    int v = seed;
    for (int i = 0; i < kLampPages; ++i) {
        p.nCarLamp[i] = v++;
        p.nCarLampOld[i] = v++;
        p.nHallLampLo[i] = v++;
        p.nHallLampLoOld[i] = v++;
        p.nHallLampHi[i] = v++;
        p.nHallLampHiOld[i] = v++;
    }
}
