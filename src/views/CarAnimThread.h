#pragma once
// The group view's animation thread: turns the coarse position reports of the
// group worker into steps of about 40 ms and posts WM_CAR_ANIM_STEP.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "platform/ManualResetEvent.h"
#include "platform/WindowMessage.h"
#include "platform/WorkerThread.h"
#include "views/CarAnimSlot.h"

// Group view: a slot took a step; wParam 0, lParam the slot array.
constexpr int WM_CAR_ANIM_STEP = WM_USER + 55;

// A report interval is cut into steps of this many milliseconds ...
constexpr std::uint32_t kCarAnimStepDivisorMs = 40;
// ... and one step follows the last after at least this many.
constexpr std::uint32_t kCarAnimMinStepMs = 41;

// The running animation thread (or null), its run event (owned by the main
// window's CAnimRunEvent) and the window it posts to.
extern std::unique_ptr<CWorkerThread> g_pAnimThread;
extern CManualResetEvent* g_hAnimThreadRun;
extern QPointer<QObject> g_hAnimTarget;

// Steps the 8 animSlots while g_hAnimThreadRun is set; returns 0.
int CarAnimThreadProc(strCarAnimSlot* animSlots);

// One pass over the 8 slots at tick now: every active slot whose last step
// is at least kCarAnimMinStepMs old takes one and is marked stepped (the page
// clears the mark when it draws); a slot that has taken all its steps goes
// inactive. True when any slot stepped.
bool CarAnimPass(strCarAnimSlot* animSlots, std::uint32_t now);

// Resets the run event and waits for a running animation thread to end;
// nothing when none runs.
void StopCarAnimThread();

// Milliseconds of a monotonic clock, wrapping like a tick count.
std::uint32_t GetTickCount32();
