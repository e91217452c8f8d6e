#include "link/PollWorkers.h"

#include <algorithm>

#include "link/LiftComm.h"
#include "link/LiftDataStore.h"
#include "link/LiftMessages.h"
#include "link/PollThread.h"

namespace {

constexpr int kShortestReplyWaitMs = 30;

bool Running() { return g_hPollThreadRun.IsSet(); }

// Before an exchange with a lift: waits until the line is clear for this page
// of it (see CLiftComm::LineClearAt) and tells whether to go on. A stop cuts
// the wait short, so it never waits behind a late reply.
bool ClearToExchange(const CLiftComm* context, const strLiftInf& lift, int page)
{
    WorkerSleepUntil(context->LineClearAt(lift.nLiftNum, page));
    return Running();
}

LPARAM ContextParam(CLiftComm* context) { return reinterpret_cast<LPARAM>(context); }

void Post(int msg, WPARAM wParam, LPARAM lParam) { PostMessage(g_hPollTarget.data(), msg, wParam, lParam); }

// A pass in which nothing could be exchanged (no port, or nothing to poll)
// waits one reply wait instead of spinning.
void IdleAfterEmptyPass(const CLiftComm* context)
{
    WorkerSleep(std::max(context->m_nReplyWait, kShortestReplyWaitMs));
}

// Pages a worker exchanges: what the record says, within the command block.
int PagesToExchange(const strLiftPage& page) { return std::clamp<int>(page.nPageCount, 0, kCmdPages); }

void EndBatch(int msg, WPARAM wParam, LPARAM lParam)
{
    Post(msg, wParam, lParam);
    g_hPollThreadRun.Reset();
}

bool Standing(const strLiftInf& lift) { return lift.nRunState == 0 || lift.nRunState == 3; }

unsigned HeightOfOneLift(CLiftComm* context)
{
    strLiftInf& lift = *context->m_pLiftInf;
    int cycles = 0;
    while (Running()) {
        if (context->SendFloorCallRetry(lift) != 0) {
            EndBatch(WM_READ_FAILED, 0, ContextParam(context));
            return 0;
        }
        if (lift.nCurFloor == lift.nMaxFloor && Standing(lift) && lift.nCtrlMode == 7) {
            EndBatch(WM_READ_FINISHED, 2, context->m_nLiftIndex);
            return 0;
        }
        if (lift.nCtrlMode != 7 || lift.nFaultCode != 0) {
            EndBatch(WM_READ_FINISHED, 4, context->m_nLiftIndex);
            return 0;
        }
        Post(WM_READ_PROGRESS, lift.nRunState == 2 ? 4 : 2, ContextParam(context));
        ++cycles;
        if (cycles > 150 && lift.nRunState == 0) {
            EndBatch(WM_READ_FINISHED, 5, ContextParam(context));
            return 0;
        }
    }
    return 0;
}

unsigned HeightsOfAllLifts(CLiftComm* context)
{
    strLiftInf* lifts = context->m_pLiftInf;
    // Every slot is called to its top floor first. The run event is looked at
    // between slots so that a stop does not wait for all 64 calls.
    for (int k = 0; k < kLiftSlots && Running(); ++k) {
        if (context->SendFloorCallRetry(lifts[k]) != 0)
            lifts[k].bOffline = 1;
        lifts[k].bHeightKnown = 0;
    }
    int slot = 0;
    while (Running()) {
        strLiftInf& lift = lifts[slot];
        slot = (slot + 1) % kLiftSlots;
        if (context->SendFloorCallRetry(lift) != 0)
            lift.bOffline = 1;
        if (lift.bOffline == 0 && lift.nCurFloor == lift.nMaxFloor && Standing(lift)) {
            lift.nHeight = lift.nCarPos.load();
            lift.bHeightKnown = 1;
        }
        Post(WM_READ_PROGRESS, 3, ContextParam(context));

        bool installedOnline = false;
        bool anyLeft = false;
        for (int k = 0; k < kLiftSlots; ++k) {
            const strLiftInf& l = lifts[k];
            if (l.bOffline != 0)
                continue;
            if (l.nKind != 0)
                installedOnline = true;
            if (l.bHeightKnown == 0 && l.nCtrlMode == 7 && l.nFaultCode == 0)
                anyLeft = true;
        }
        if (!installedOnline) {
            EndBatch(WM_READ_FINISHED, 6, 0);
            return 0;
        }
        if (!anyLeft) {
            EndBatch(WM_READ_FINISHED, 3, 0);
            return 0;
        }
    }
    return 0;
}

} // namespace

unsigned PollAllThreadProc(CLiftComm* context)
{
    while (Running()) {
        bool polled = false;
        bool onlyPortErrors = true;
        for (int s = 0; s < kStationCount; ++s) {
            if (context->m_Station[s].byLiftMask == 0)
                continue;
            polled = true;
            strLiftInf* lifts = context->m_pLiftInf + 4 * s;
            strLiftFault* faults = context->m_pLiftFault ? context->m_pLiftFault + 4 * s : nullptr;
            // A pass of silent stations takes seconds: a stop is honoured
            // before every poll, so it never waits longer than one exchange.
            if (!Running())
                return 0;
            int r = context->PollStation(s);
            onlyPortErrors = onlyPortErrors && r == COMM_PORT_ERROR;
            if (r != COMM_OK) {
                for (int i = 0; i < 4; ++i)
                    lifts[i].bOffline = 1;
                // Three more polls; only the last one counts.
                for (int retry = 0; retry < 3; ++retry) {
                    if (!Running())
                        return 0;
                    r = context->PollStation(s);
                    onlyPortErrors = onlyPortErrors && r == COMM_PORT_ERROR;
                }
            }
            if (r == COMM_OK)
                ParseStationStatus(context->m_PollRx.data(), lifts, faults);
        }
        if (!polled || onlyPortErrors)
            IdleAfterEmptyPass(context);
    }
    return 0;
}

unsigned PollGroupThreadProc(CLiftComm* context)
{
    while (Running()) {
        const strGroupInf& group = *context->m_pGroup;
        const int members = std::clamp<int>(group.nLiftCount, 0, kMaxGroupMembers);
        bool exchanged = false;
        bool onlyPortErrors = true;
        for (int m = 0; m < members; ++m) {
            if (!Running())
                return 0;  // between members too: a large group's pass is long
            const int liftNum = group.byLiftNum[m];
            if (liftNum < 1 || liftNum > kLiftSlots)
                continue;
            const int k = liftNum - 1;
            strLiftInf& lift = context->m_pLiftInf[k];
            strLiftPage& page = context->m_pLiftPage[k];
            strLiftCmd& cmd = context->m_pLiftCmd[k];
            if (lift.nKind == 0)
                continue;
            if (page.nPageCount == 0) {
                if (!ClearToExchange(context, lift, 0))
                    return 0;
                const int r = context->ReadLiftParams(lift, page);
                exchanged = true;
                onlyPortErrors = onlyPortErrors && r == COMM_PORT_ERROR;
                if (r != COMM_OK)
                    lift.bOffline = 1;
            }
            const int pages = PagesToExchange(page);
            for (int p = 0; p < pages; ++p) {
                if (!ClearToExchange(context, lift, p))
                    return 0;
                page.nCurPage = p;
                const int r = context->ExchangePageRetry(1, lift, page, cmd);
                exchanged = true;
                onlyPortErrors = onlyPortErrors && r == 2;
                if (r != 0)
                    break;
            }
            Post(WM_LIFT_STATUS, WPARAM(k), ContextParam(context));
        }
        Post(WM_POLL_DONE, 0, 0);
        if (!exchanged || onlyPortErrors)
            IdleAfterEmptyPass(context);
    }
    return 0;
}

unsigned PollOneThreadProc(CLiftComm* context)
{
    strLiftInf& lift = *context->m_pLiftInf;
    strLiftPage& page = *context->m_pLiftPage;
    strLiftCmd& cmd = *context->m_pLiftCmd;
    const WPARAM liftNum = WPARAM(lift.nLiftNum.load());

    // Before every exchange and retry, so that a stop ends the worker within
    // one exchange and the page switch is not held for the rest of a pass:
    // wait until the line is clear, park here while the user-interface thread
    // sends a lock command, and end on a stop.
    auto mayExchange = [&](int p) {
        if (!ClearToExchange(context, lift, p))
            return false;
        CWorkerThread::PausePoint();
        return Running();
    };

    WorkerSleep(500);
    int failure = 0;  // kept from pass to pass
    while (Running()) {
        const int pages = PagesToExchange(page);
        for (int p = 0; p < pages; ++p) {
            if (!mayExchange(p))
                return 0;
            page.nCurPage = p;
            int r = context->ExchangePage(lift, page, cmd, 0);
            if (r == COMM_OK) {
                lift.bOffline = 0;
                failure = 0;
            } else if (r == COMM_PORT_ERROR) {
                lift.bOffline = 1;
                failure = 2;
                Post(WM_LIFT_COMM_FAILED, 2, LPARAM(liftNum));
            } else if (lift.bOffline == 1) {
                failure = 1;
                Post(WM_LIFT_COMM_FAILED, 1, LPARAM(liftNum));
            } else {
                bool settled = false;
                for (int retry = 0; retry < 4 && !settled; ++retry) {
                    if (!mayExchange(p))
                        return 0;
                    r = context->ExchangePage(lift, page, cmd, 0);
                    if (r == COMM_OK) {
                        failure = 0;
                        settled = true;
                    } else if (r == COMM_PORT_ERROR) {
                        lift.bOffline = 1;
                        failure = 2;
                        Post(WM_LIFT_COMM_FAILED, 2, LPARAM(liftNum));
                        settled = true;
                    }
                }
                if (!settled) {
                    lift.bOffline = 1;
                    failure = 1;
                    Post(WM_LIFT_COMM_FAILED, 1, LPARAM(liftNum));
                }
            }
        }
        WorkerSleep(10);
        if (failure == 1 || failure == 2)
            Post(WM_LIFT_COMM_FAILED, WPARAM(failure), LPARAM(liftNum));
        CWorkerThread::PausePoint();  // also for a lift with no page to exchange
    }
    return 0;
}

unsigned BatchThreadProc(CLiftComm* context)
{
    switch (context->m_nBatchMode) {
    case 2: return HeightOfOneLift(context);
    case 3: return HeightsOfAllLifts(context);
    default: return 0;
    }
}
