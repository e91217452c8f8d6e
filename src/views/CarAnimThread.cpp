#include "views/CarAnimThread.h"

#include <chrono>
#include <thread>

#include "platform/WindowMessage.h"

std::unique_ptr<CWorkerThread> g_pAnimThread;
CManualResetEvent* g_hAnimThreadRun = nullptr;
QPointer<QObject> g_hAnimTarget;

std::uint32_t GetTickCount32()
{
    using namespace std::chrono;
    return std::uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int CarAnimThreadProc(strCarAnimSlot* animSlots)
{
    QObject* target = g_hAnimTarget.data();
    while (g_hAnimThreadRun && g_hAnimThreadRun->IsSet()) {
        bool anyStep = false;
        for (int k = 0; k < kCarAnimSlots; ++k) {
            strCarAnimSlot& slot = animSlots[k];
            if (!slot.bActive)
                continue;
            const std::uint32_t now = GetTickCount32();
            if (slot.nStepsDone < slot.nStepsTotal) {
                if (now - slot.nLastTick >= 41) {
                    slot.nLastTick = now;
                    slot.nStepsDone = slot.nStepsDone + 1;
                    slot.bStepped = 1;
                    anyStep = true;
                } else {
                    slot.bStepped = 0;
                }
            }
            if (slot.nStepsDone >= slot.nStepsTotal)
                slot.bActive = 0;
        }
        if (anyStep)
            PostMessage(target, WM_CAR_ANIM_STEP, 0, reinterpret_cast<LPARAM>(animSlots));
        // A pass with nothing to step would spin a core; a millisecond is far
        // below the 41 ms step.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}
