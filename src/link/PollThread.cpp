#include "link/PollThread.h"

#include <algorithm>
#include <chrono>
#include <thread>

std::unique_ptr<CWorkerThread> g_pPollThread;
CManualResetEvent g_hPollThreadRun{false};
QPointer<QObject> g_hPollTarget;

void StartPollThread(LiftThreadProc proc, CLiftComm* context, QObject* target,
                     const std::function<void(CLiftComm&)>& setPointers)
{
    StopPollThread();
    g_hPollTarget = target;
    if (setPointers)
        setPointers(*context);
    g_hPollThreadRun.Set();
    // Linux gives an ordinary thread no higher priority; the line sets the pace anyway.
    g_pPollThread = std::make_unique<CWorkerThread>([proc, context] { proc(context); });
}

int StopPollThread()
{
    if (g_hPollThreadRun.IsSet()) {
        g_hPollThreadRun.Reset();
        if (g_pPollThread) {
            // A worker parked at its pause point must wake to see the stop.
            g_pPollThread->Resume();
            g_pPollThread->Join();
        }
    }
    g_pPollThread.reset();
    return 1;
}

void WorkerSleep(int ms)
{
    WorkerSleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

void WorkerSleepUntil(std::chrono::steady_clock::time_point end)
{
    using Clock = std::chrono::steady_clock;
    while (g_hPollThreadRun.IsSet()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            return;
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(10)));
    }
}
