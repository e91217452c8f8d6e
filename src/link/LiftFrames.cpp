#include "link/LiftFrames.h"

#include <algorithm>
#include <cstring>

#include "link/Crc16.h"

namespace {

int Word(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

// Run state from the status group's byte 1: bit 0 clear = standing (0),
// bits 0 and 1 = 1, bit 0 alone = 2.
int StatusRunState(std::uint8_t b)
{
    if (!(b & 0x01))
        return 0;
    return (b & 0x02) ? 1 : 2;
}

// The parts of a status group that the background poll and the scan share.
void ParseStatusGroupCommon(const std::uint8_t* g, strLiftInf& lift)
{
    lift.nRunState = StatusRunState(g[1]);
    lift.bFlagB = (g[1] >> 2) & 1;
    lift.bFlagA = (g[1] >> 3) & 1;
    lift.nDoorFlagsPrev = lift.nDoorFlags.load();
    lift.nDoorFlags = g[1] >> 4;
    TakeFaultCode(lift, g[3]);
}

} // namespace

void TakeFaultCode(strLiftInf& lift, int code)
{
    const int before = lift.nFaultCode;
    lift.nFaultCodePrev = before;
    // The occurrence goes in before the code is stored, which is released: a
    // recorder that reads the new code also finds its occurrence.
    if (code != 0 && code != before)
        lift.faultRing.Push(std::uint8_t(code));
    lift.nFaultCode.store(code, std::memory_order_release);
}

void AppendCrc(std::uint8_t* frame, int len)
{
    const std::uint16_t crc = CalcCrc16(frame, std::size_t(len));
    frame[len] = std::uint8_t(crc & 0xFF);
    frame[len + 1] = std::uint8_t(crc >> 8);
}

bool FrameCrcOk(const std::uint8_t* frame, int n)
{
    if (n < 2)
        return false;
    const std::uint16_t crc = CalcCrc16(frame, std::size_t(n - 2));
    return frame[n - 2] == (crc & 0xFF) && frame[n - 1] == (crc >> 8);
}

int PageCountOf(int floors)
{
    if (floors <= 0)
        return 0;
    return std::min((floors + 7) / 8, kCmdPages);
}

int BuildStatusRequest(std::uint8_t* tx, int station)
{
    std::memset(tx, 0, kStatusRequestLen);
    tx[0] = std::uint8_t(station);
    tx[1] = FN_STATUS;
    AppendCrc(tx, kStatusRequestLen - 2);
    return kStatusRequestLen;
}

int BuildConfigRequest(std::uint8_t* tx, int station)
{
    tx[0] = std::uint8_t(station);
    tx[1] = FN_CONFIG;
    for (int i = 2; i < 10; ++i)
        tx[i] = (i % 2 == 0) ? 0x01 : 0x02;
    AppendCrc(tx, kConfigRequestLen - 2);
    return kConfigRequestLen;
}

int BuildParamRequest(std::uint8_t* tx, int liftNum)
{
    std::memset(tx, 0, kPageRequestLen);
    tx[0] = std::uint8_t(liftNum);
    tx[1] = FN_PAGE;
    tx[7] = 0x01;
    AppendCrc(tx, kPageRequestLen - 2);
    return kPageRequestLen;
}

int BuildFloorCallRequest(std::uint8_t* tx, int liftNum, int floor)
{
    std::memset(tx, 0, kPageRequestLen);
    tx[0] = std::uint8_t(liftNum);
    tx[1] = FN_PAGE;
    tx[7] = 0x01;
    // Floors beyond page 7 cannot be put into byte 2: no call is sent for them.
    if (floor >= 1 && floor <= 8 * kLampPages) {
        const int page = (floor - 1) / 8;
        const int j = (floor - 1) % 8;
        tx[2] = std::uint8_t(0x20 * page);
        if (j < 4)
            tx[5] = std::uint8_t(1 << (2 * j + 1));
        else
            tx[6] = std::uint8_t(1 << (2 * (j - 4) + 1));
    }
    AppendCrc(tx, kPageRequestLen - 2);
    return kPageRequestLen;
}

int BuildLockRequest(std::uint8_t* tx, int liftNum, int floorLockMode, int wholeLock,
                     const std::int32_t* floors, int onFlag)
{
    std::memset(tx, 0, kLockRequestLen);
    tx[0] = std::uint8_t(liftNum);
    tx[1] = FN_LOCK;
    std::uint8_t lock = 0;
    if (wholeLock == 1)
        lock |= 0x02;
    if (onFlag == 1) {
        switch (floorLockMode) {
        case 2: lock |= 0x04; break;
        case 3: lock |= 0x08; break;
        case 4: lock |= 0x10; break;
        default: break;
        }
    }
    tx[2] = lock;
    if (floors) {
        for (int i = 0; i < kLockFloors; ++i)
            if (floors[i] == 1)
                tx[3 + i / 8] |= std::uint8_t(1 << (i % 8));
    }
    AppendCrc(tx, kLockRequestLen - 2);
    return kLockRequestLen;
}

int BuildPageRequestFrame(std::uint8_t* tx, const strPageRequest& req)
{
    std::memset(tx, 0, kPageRequestLen);
    tx[0] = std::uint8_t(req.nLiftNum);
    tx[1] = FN_PAGE;
    int b2 = (req.nPage >= 0 && req.nPage < kLampPages) ? 0x20 * req.nPage : 0;
    if (req.nMode == 2)
        b2 += 1;
    else if (req.nMode == 3)
        b2 += 2;
    if (req.bOneShot)
        b2 += 4;
    tx[2] = std::uint8_t(b2);
    std::uint8_t b3 = 0;
    if (req.bCmdBit0)
        b3 |= 0x01;
    if (req.bCmdBit1) {
        b3 |= 0x02;
    } else if (req.nMode >= 4 && req.nMode <= 8) {
        b3 |= std::uint8_t(0x04 << (req.nMode - 4));
    }
    tx[3] = b3;
    tx[4] = req.byCarCall;
    tx[5] = req.byHallCallLo;
    tx[6] = req.byHallCallHi;
    tx[7] = req.bCallFlag ? 1 : 0;
    AppendCrc(tx, kPageRequestLen - 2);
    return kPageRequestLen;
}

int CheckStatusReply(const std::uint8_t* rx, int n, int station, bool checkFunction)
{
    if (n != kStatusReplyLen || !FrameCrcOk(rx, n))
        return COMM_BAD_FRAME;
    // A late reply of another station must not be read as this one's lifts.
    if (rx[0] != station)
        return COMM_BAD_REPLY;
    if (checkFunction && rx[1] != FN_STATUS)
        return COMM_BAD_REPLY;
    return COMM_OK;
}

void ParseStationStatus(const std::uint8_t* rx, strLiftInf* lifts, strLiftFault* faults)
{
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* g = rx + 2 + 4 * i;
        strLiftInf& lift = lifts[i];
        if (g[0] & 0x80) {
            lift.bOffline = 1;
            continue;
        }
        lift.bOffline = 0;
        lift.nCurFloor = g[0];
        ParseStatusGroupCommon(g, lift);
        lift.nStatusBitsPrev = lift.nStatusBits.load();
        lift.nStatusBits = g[2] & 0x1F;
        lift.nModel = g[2] >> 5;
        if (faults) {
            strLiftFault& fault = faults[i];
            fault.nFaultCodePrev = fault.nFaultCode.load();
            fault.nFaultCode = g[3];
            if (g[3] != 0 && g[3] != fault.nFaultCodePrev) {
                fault.bNewFault = 1;
                fault.nFaultCount = 0;
            } else {
                fault.bNewFault = 0;
            }
        }
    }
}

void ParseScanStatus(const std::uint8_t* rx, strLiftInf* lifts)
{
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* g = rx + 2 + 4 * i;
        strLiftInf& lift = lifts[i];
        if (g[0] & 0x80) {
            lift.bOffline = 1;
            continue;
        }
        lift.bOffline = 0;
        lift.nCurFloor = g[0] & 0x3F;
        ParseStatusGroupCommon(g, lift);
        lift.nStatusBits = g[2];
    }
}

int CheckConfigReply(const std::uint8_t* rx, int n, int station)
{
    if (n != kConfigReplyLen || !FrameCrcOk(rx, n))
        return COMM_BAD_FRAME;
    if (rx[1] == FN_STATUS)
        return COMM_NO_REPLY;
    if (rx[0] != station)
        return COMM_BAD_REPLY;
    return COMM_OK;
}

void ParseConfigReply(const std::uint8_t* rx, strLiftInf* lifts, strLiftPage* pages)
{
    const std::uint8_t mask = rx[1];
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1 << i)))
            continue;
        const std::uint8_t* g = rx + 2 + 4 * i;
        const int floors = Word(g);
        lifts[i].nMaxFloor = floors;
        pages[i].nPageCount = PageCountOf(floors);
        lifts[i].nHeight = Word(g + 2);
        lifts[i].bHeightKnown = 1;
    }
}

int CheckPageReply(const std::uint8_t* rx, int n, int liftNum)
{
    if (n != kPageReplyLen || !FrameCrcOk(rx, n))
        return COMM_BAD_FRAME;
    // A late reply of another lift must not be read as this one's.
    if (rx[0] != liftNum)
        return COMM_BAD_REPLY;
    if (rx[2] == 0)
        return COMM_BAD_REPLY;
    return COMM_OK;
}

void ParsePageFields(const std::uint8_t* rx, int page, strLiftInf& lift, strLiftPage& pages)
{
    lift.nMaxFloor = rx[2];
    lift.nMinFloor = rx[3];
    lift.nCurFloor = rx[4];
    lift.nCarPos = Word(rx + 5);
    lift.nDoorState = rx[7] & 0x07;

    lift.nCtrlModePrev = lift.nCtrlMode.load();
    lift.nCtrlMode = rx[8] & 0x0F;
    lift.nRunState = rx[8] >> 6;
    lift.bFlagA = (rx[8] >> 4) & 1;
    lift.bFlagB = (rx[8] >> 5) & 1;

    TakeFaultCode(lift, rx[9]);

    const bool pageInRange = page >= 0 && page < kLampPages;
    if (pageInRange) {
        pages.nCarLamp[page] = rx[10];
        pages.nHallLampLo[page] = rx[11];
        pages.nHallLampHi[page] = rx[12];
    }
    lift.nModel = rx[13] & 0x07;

    if (lift.bRecInit == 0) {
        lift.nCtrlModePrev = lift.nCtrlMode.load();
        if (pageInRange) {
            pages.nCarLampOld[page] = rx[10];
            pages.nHallLampLoOld[page] = rx[11];
            pages.nHallLampHiOld[page] = rx[12];
        }
    }
}

int ParseParamReply(const std::uint8_t* rx, int n, int liftNum, strLiftInf& lift, strLiftPage& pages)
{
    if (n == 0)
        return COMM_NO_REPLY;
    if (n != kPageReplyLen || !FrameCrcOk(rx, n))
        return COMM_BAD_FRAME;
    if (rx[0] != liftNum)
        return COMM_BAD_REPLY;
    if (rx[2] > 1)
        lift.nMaxFloor = rx[2];
    lift.nMinFloor = rx[3];
    lift.nCurFloor = rx[4];
    lift.nCarPos = Word(rx + 5);
    if (rx[2] == 0)
        return COMM_NO_REPLY;
    pages.nPageCount = PageCountOf(rx[2]);
    return COMM_OK;
}

int ParseFloorCallReply(const std::uint8_t* rx, int n, int liftNum, strLiftInf& lift)
{
    if (n != kPageReplyLen || !FrameCrcOk(rx, n))
        return COMM_BAD_FRAME;
    if (rx[0] != liftNum)
        return COMM_BAD_REPLY;
    if (rx[2] > 1)
        lift.nMaxFloor = rx[2];
    lift.nCurFloor = rx[4];
    lift.nCarPos = Word(rx + 5);
    lift.nRunState = rx[8] >> 6;
    lift.nCtrlMode = rx[8] & 0x0F;
    return COMM_OK;
}

int JudgeLockReply(const std::uint8_t* rx, int n, int checkKind, int wholeLock, int onFlag)
{
    if (n < 3 || !FrameCrcOk(rx, n))
        return 0;
    if (rx[1] == 0)
        return 1;
    if (checkKind < 1 || checkKind > 4)
        return 2;
    static constexpr std::uint8_t kConfirmBit[5] = {0, 0x02, 0x04, 0x08, 0x10};
    const bool confirmed = (rx[2] & kConfirmBit[checkKind]) != 0;
    const bool wanted = (checkKind == 1 ? wholeLock : onFlag) == 1;
    return confirmed == wanted ? 2 : 1;
}
