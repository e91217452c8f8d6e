#include "views/CarAnimThread.h"

#include <chrono>
#include <thread>

std::unique_ptr<CWorkerThread> g_pAnimThread;
CManualResetEvent* g_hAnimThreadRun = nullptr;
QPointer<QObject> g_hAnimTarget;

std::uint32_t GetTickCount32()
{
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool CarAnimPass(strCarAnimSlot* animSlots, std::uint32_t now)
{
    bool anyStep = false;
    for (int k = 0; k < kCarAnimSlots; ++k) {
        strCarAnimSlot& slot = animSlots[k];
        if (!slot.bActive)
            continue;
        if (slot.nStepsDone < slot.nStepsTotal && now - slot.nLastTick >= kCarAnimMinStepMs) {
            slot.nLastTick = now;
            slot.nStepsDone = slot.nStepsDone + 1;
            // Stays set until the page has drawn the step: the next pass
            // comes long before the page takes the message.
            slot.bStepped.store(1, std::memory_order_release);
            anyStep = true;
        }
        if (slot.nStepsDone >= slot.nStepsTotal)
            slot.bActive = 0;
    }
    return anyStep;
}

int CarAnimThreadProc(strCarAnimSlot* animSlots)
{
    // The target is set before the thread starts and outlives it: the page
    // is destroyed only after its threads are stopped.
    QObject* target = g_hAnimTarget.data();
    while (g_hAnimThreadRun && g_hAnimThreadRun->IsSet()) {
        if (CarAnimPass(animSlots, GetTickCount32()))
            PostMessage(target, WM_CAR_ANIM_STEP, 0, reinterpret_cast<LPARAM>(animSlots));
        // A pass with nothing to step would spin a core; a millisecond is far
        // below the 41 ms step.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}

void StopCarAnimThread()
{
    if (!g_pAnimThread)
        return;
    if (g_hAnimThreadRun)
        g_hAnimThreadRun->Reset();
    g_pAnimThread->Resume();
    g_pAnimThread->Join();
    g_pAnimThread.reset();
}
