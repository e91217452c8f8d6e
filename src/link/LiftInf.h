#pragma once
// Configuration and live status of one lift slot. Fields the worker writes and
// the user-interface thread reads are relaxed atomics; the texts are touched by
// the user-interface thread only.
#include <QString>
#include <QStringList>
#include <cstdint>

#include "link/FaultRing.h"
#include "platform/RelaxedAtomic.h"

struct strLiftInf {
    Relaxed<std::uint8_t> bRecInit;
    Relaxed<std::uint8_t> bOffline;
    Relaxed<std::uint8_t> bHeightKnown;
    Relaxed<std::uint8_t> bFlagA;
    Relaxed<std::uint8_t> bFlagB;
    Relaxed<std::int32_t> nKind;
    Relaxed<std::int32_t> nLiftNum;
    Relaxed<std::int32_t> nRealAddr;
    Relaxed<std::int32_t> nGroupNum;
    Relaxed<std::int32_t> nCarPos;
    Relaxed<std::int32_t> nHeight;
    Relaxed<std::int32_t> nMaxFloor;
    Relaxed<std::int32_t> nMinFloor;
    Relaxed<std::int32_t> nCurFloor;
    Relaxed<std::int32_t> nRunState;
    Relaxed<std::int32_t> nDoorState;
    Relaxed<std::int32_t> nDoorFlags;
    Relaxed<std::int32_t> nDoorFlagsPrev;
    Relaxed<std::int32_t> nStatusBits;
    Relaxed<std::int32_t> nStatusBitsPrev;
    Relaxed<std::int32_t> nCtrlMode;
    Relaxed<std::int32_t> nCtrlModePrev;
    Relaxed<std::int32_t> nFaultCode;
    Relaxed<std::int32_t> nFaultCodePrev;
    // Each reply whose code is not 0 and not the one before is a fault
    // occurrence: the worker puts its code here, the recorder writes those it
    // has not yet. A save comes only now and then, so one that came and went
    // between two saves still gives its row.
    CFaultRing faultRing;
    Relaxed<std::int32_t> nModel;
    Relaxed<std::int32_t> nCmdMode;
    QString strName;
    QString strGroupName;
    QStringList arrFloorNameHi;  // per floor (0-based), tens display text
    QStringList arrFloorNameLo;  // per floor, units display text

    strLiftInf() = default;
    strLiftInf(const strLiftInf&) = delete;
    strLiftInf& operator=(const strLiftInf&) = delete;
};
