#include "link/LiftComm.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"

namespace {

void SleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int StationOfLift(const strLiftInf& lift) { return (lift.nLiftNum - 1) / 4 + 1; }

} // namespace

int ReplyWaitOfIndex(int baudIndex)
{
    static constexpr int kWait[] = {80, 60, 50, 40, 30};
    return (baudIndex >= 0 && baudIndex < 5) ? kWait[baudIndex] : -1;
}

CLiftComm::CLiftComm()
{
    g_hPollThreadRun.Set();
}

bool CLiftComm::OpenComm(int port, int baudIndex)
{
    if (const int wait = ReplyWaitOfIndex(baudIndex); wait >= 0)
        m_nReplyWait = wait;
    return m_Port.OpenPort(port, baudIndex) == 1;
}

int CLiftComm::SendAndWait(const std::uint8_t* tx, int txLen, int waitMs)
{
    m_Port.PurgeTx();
    m_Port.PurgeRx();
    const auto began = Clock::now();
    const int written = m_Port.WriteData(tx, txLen);
    if (written != txLen)
        return written;
    m_Port.DrainTx();
    m_tRequestEnd = std::max(Clock::now(), began + m_Port.WireTime(txLen));
    std::this_thread::sleep_until(m_tRequestEnd + std::chrono::milliseconds(std::max(waitMs, 0)));
    return written;
}

int CLiftComm::Transact(const std::uint8_t* tx, int txLen, FrameBuf& rx, int waitMs, int* received)
{
    *received = 0;
    if (g_hComPort == kPortClosed)
        return COMM_PORT_ERROR;
    rx.fill(0);
    if (SendAndWait(tx, txLen, waitMs) != txLen)
        return COMM_PORT_ERROR;
    *received = m_Port.ReadData(rx.data());
    return *received == 0 ? COMM_NO_REPLY : COMM_OK;
}

std::chrono::steady_clock::time_point CLiftComm::LineClearAt(int liftNum, int page) const
{
    const strLateReply& late = m_LateReply[std::uint8_t(liftNum)];
    return page == late.nPage ? late.tRetry : late.tSure;
}

template <typename Check>
int CLiftComm::PageTransact(int page, int txLen, Check check)
{
    if (g_hComPort == kPortClosed)
        return COMM_PORT_ERROR;
    const std::uint8_t liftNum = m_PollTx[0];
    std::this_thread::sleep_until(LineClearAt(liftNum, page));
    strLateReply& late = m_LateReply[liftNum];
    // An earlier request of this page may still be answered, so this reply
    // may be its, and this request's own may come late.
    const bool earlierMayCome = Clock::now() < late.tSure;
    int n = 0;
    int r = Transact(m_PollTx.data(), txLen, m_PollRx, m_nReplyWait, &n);
    if (r == COMM_PORT_ERROR)
        return r;  // nothing went out, or a part of a frame that no controller answers
    if (r == COMM_OK)
        r = check(n);
    if (r != COMM_OK || earlierMayCome) {
        late.nPage = page;
        late.tSure = m_tRequestEnd + std::chrono::milliseconds(kLateReplyToleranceMs) + m_Port.WireTime(kPageReplyLen);
    }
    late.tRetry = r == COMM_OK ? Clock::time_point{} : Clock::now() + std::chrono::milliseconds(m_nReplyWait);
    return r;
}

int CLiftComm::PollStation(int station)
{
    if (station < 0 || station >= kStationCount)
        return COMM_NO_REPLY;
    const int len = BuildStatusRequest(m_PollTx.data(), m_Station[station].nAddr);
    int n = 0;
    if (const int r = Transact(m_PollTx.data(), len, m_PollRx, kStatusReplyWaitMs, &n); r != COMM_OK)
        return r;
    return CheckStatusReply(m_PollRx.data(), n, m_PollTx[0], true);
}

int CLiftComm::PollStationForScan(strLiftInf* firstLift)
{
    const int len = BuildStatusRequest(m_PollTx.data(), StationOfLift(*firstLift));
    int n = 0;
    if (const int r = Transact(m_PollTx.data(), len, m_PollRx, m_nReplyWait, &n); r != COMM_OK)
        return r;
    if (const int r = CheckStatusReply(m_PollRx.data(), n, m_PollTx[0], false); r != COMM_OK)
        return r;
    ParseScanStatus(m_PollRx.data(), firstLift);
    return COMM_OK;
}

bool CLiftComm::ProbeStation()
{
    const int len = BuildStatusRequest(m_PollTx.data(), 1);
    int n = 0;
    if (Transact(m_PollTx.data(), len, m_PollRx, m_nReplyWait, &n) != COMM_OK)
        return false;
    return CheckStatusReply(m_PollRx.data(), n, 1, true) == COMM_OK;
}

int CLiftComm::ReadStationConfig(strLiftInf* firstLift, strLiftPage* firstPage)
{
    const int len = BuildConfigRequest(m_PollTx.data(), StationOfLift(*firstLift));
    int n = 0;
    if (const int r = Transact(m_PollTx.data(), len, m_PollRx, m_nReplyWait, &n); r != COMM_OK)
        return r;
    if (const int r = CheckConfigReply(m_PollRx.data(), n, m_PollTx[0]); r != COMM_OK)
        return r;
    ParseConfigReply(m_PollRx.data(), firstLift, firstPage);
    return COMM_OK;
}

int CLiftComm::BuildPageRequest(const strLiftInf& lift, const strLiftPage& page, strLiftCmd& cmd,
                                int groupPoll)
{
    strPageRequest req;
    req.nLiftNum = lift.nLiftNum;
    req.nPage = page.nCurPage;
    req.bOneShot = TakeOneShot(cmd);
    req.nMode = cmd.nMode;
    req.bCmdBit0 = cmd.bCmdBit0 != 0;
    req.bCmdBit1 = cmd.bCmdBit1 != 0;
    // Only pages within the command block carry calls.
    m_PageSent = TakePageCalls(cmd, req.nPage);
    m_nPageSent = req.nPage;
    req.byCarCall = m_PageSent.byCarCall;
    req.byHallCallLo = m_PageSent.byHallCallLo;
    req.byHallCallHi = m_PageSent.byHallCallHi;
    req.bCallFlag = groupPoll == 0;
    return BuildPageRequestFrame(m_PollTx.data(), req);
}

void CLiftComm::ParsePageReply(strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd)
{
    ParsePageFields(m_PollRx.data(), m_nPageSent, lift, page);
    AgeSentCalls(cmd, m_PageSent);
}

int CLiftComm::ExchangePage(strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd, int groupPoll)
{
    // A closed port sends nothing, so it must not use up the one-shot count either.
    if (g_hComPort == kPortClosed)
        return COMM_PORT_ERROR;
    const int len = BuildPageRequest(lift, page, cmd, groupPoll);
    const int r = PageTransact(m_nPageSent, len, [&](int n) { return CheckPageReply(m_PollRx.data(), n, m_PollTx[0]); });
    if (r == COMM_OK)
        ParsePageReply(lift, page, cmd);
    return r;
}

int CLiftComm::ReadLiftParams(strLiftInf& lift, strLiftPage& page)
{
    const int len = BuildParamRequest(m_PollTx.data(), lift.nLiftNum);
    // Its reply is the reply of page 0.
    return PageTransact(0, len, [&](int n) { return ParseParamReply(m_PollRx.data(), n, m_PollTx[0], lift, page); });
}

int CLiftComm::SendFloorCall(strLiftInf& lift, int floor)
{
    m_CallTx.fill(0);
    m_CallRx.fill(0);
    const int len = BuildFloorCallRequest(m_CallTx.data(), lift.nLiftNum, floor);
    if (g_hComPort == kPortClosed)
        return COMM_NO_REPLY;
    int n = 0;
    const int r = Transact(m_CallTx.data(), len, m_CallRx, m_nReplyWait, &n);
    if (r == COMM_PORT_ERROR)
        return r;
    return ParseFloorCallReply(m_CallRx.data(), n, m_CallTx[0], lift);
}

int CLiftComm::ExchangePageRetry(int groupPoll, strLiftInf& lift, strLiftPage& page, strLiftCmd& cmd)
{
    int r = ExchangePage(lift, page, cmd, groupPoll);
    if (r == COMM_OK) {
        lift.bOffline = 0;
        return 0;
    }
    if (r == COMM_PORT_ERROR) {
        lift.bOffline = 1;
        return 2;
    }
    if (lift.bOffline == 1)
        return 1;  // an offline lift costs one attempt per pass
    for (int attempt = 0; attempt < 4; ++attempt) {
        // The pause before a retry is waited here, where a stop cuts it short.
        WorkerSleepUntil(LineClearAt(lift.nLiftNum, page.nCurPage));
        if (!g_hPollThreadRun.IsSet())
            return 1;  // stopped: the lift keeps the state it had
        r = ExchangePage(lift, page, cmd, groupPoll);
        if (r == COMM_OK)
            return 0;
        if (r == COMM_PORT_ERROR) {
            lift.bOffline = 1;
            return 2;
        }
    }
    lift.bOffline = 1;
    return 1;
}

int CLiftComm::SendFloorCallRetry(strLiftInf& lift)
{
    int r = SendFloorCall(lift, lift.nMaxFloor);
    if (r == COMM_OK) {
        lift.bOffline = 0;
        return 0;
    }
    // A wrong-address reply (another lift's, late) is a line fault like a bad frame.
    if (r != COMM_BAD_FRAME && r != COMM_NO_REPLY && r != COMM_BAD_REPLY)
        return 3;
    SleepMs(m_nReplyWait);
    for (int attempt = 0; attempt < 4; ++attempt) {
        r = SendFloorCall(lift, lift.nMaxFloor);
        if (r == COMM_OK)
            return 0;
    }
    if (r == COMM_PORT_ERROR)
        return 3;
    lift.bOffline = 1;
    return 1;
}

void CLiftComm::UseWholeTables(const CLiftDataStore& store)
{
    m_pLiftInf = store.m_pLiftInf;
    m_pLiftPage = store.m_pLiftPage;
    m_pLiftCmd = store.m_pLiftCmd;
    m_pLiftFault = store.m_pLiftFault;
}

void CLiftComm::BuildStationTable(strLiftInf* lifts)
{
    m_pLiftInf = lifts;
    for (int k = 0; k < kStationCount * 4; ++k) {
        if (lifts[k].nKind == 0)
            continue;
        strStationInf& station = m_Station[k / 4];
        station.nAddr = k / 4 + 1;
        station.byLiftMask |= std::uint8_t(1 << (k % 4));
    }
}

int CLiftComm::SendLockCommand(int floorLockMode, int wholeLock, const std::int32_t* floors, int onFlag,
                               int liftNum, int checkKind)
{
    m_LockTx.fill(0);
    m_LockRx.fill(0);
    const int len = BuildLockRequest(m_LockTx.data(), liftNum, floorLockMode, wholeLock, floors, onFlag);
    if (g_hComPort == kPortClosed)
        return 3;

    static constexpr std::uint8_t kConfirmBit[5] = {0, 0x02, 0x04, 0x08, 0x10};
    const bool checked = checkKind >= 1 && checkKind <= 4;
    int written = 0;
    int received = 0;
    for (int send = 0; send < kLockMaxSends; ++send) {
        written = SendAndWait(m_LockTx.data(), len, m_nReplyWait);
        // The reply buffer is not cleared between sends: a short read keeps
        // the tail of the reply before.
        received = m_Port.ReadData(m_LockRx.data());
        if (!checked || (m_LockRx[2] & kConfirmBit[checkKind]))
            break;
    }
    if (written != len)
        return 1;
    return JudgeLockReply(m_LockRx.data(), received, checkKind, wholeLock, onFlag);
}

void CLiftComm::ScanAllStations(strLiftInf* lifts, strLiftPage* pages)
{
    m_pLiftInf = lifts;
    for (int s = 0; s < kStationCount; ++s) {
        strLiftInf* first = lifts + 4 * s;
        bool polled = false;
        for (int attempt = 0; attempt < 4 && !polled; ++attempt)
            polled = PollStationForScan(first) == COMM_OK;
        if (!polled) {
            for (int i = 0; i < 4; ++i)
                first[i].bOffline = 1;
        }
        for (int attempt = 0; attempt < 4; ++attempt) {
            if (ReadStationConfig(first, pages + 4 * s) == COMM_OK)
                break;
        }
        SendMessage(g_hPollTarget.data(), WM_READ_PROGRESS, 1, s + 1);
    }
    SendMessage(g_hPollTarget.data(), WM_READ_FINISHED, 1, 0);
}
