#pragma once
// The group view's animation thread: turns the coarse position reports of the
// group worker into steps of about 40 ms and posts WM_CAR_ANIM_STEP.
#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/ManualResetEvent.h"
#include "platform/WorkerThread.h"
#include "views/CarAnimSlot.h"

constexpr int WM_CAR_ANIM_STEP = 0x400 + 55;

// The running animation thread (or null), its run event (owned by the main
// window's CAnimRunEvent) and the window it posts to.
extern std::unique_ptr<CWorkerThread> g_pAnimThread;
extern CManualResetEvent* g_hAnimThreadRun;
extern QPointer<QObject> g_hAnimTarget;

// Steps the 8 animSlots while g_hAnimThreadRun is set; returns 0.
int CarAnimThreadProc(strCarAnimSlot* animSlots);

// Milliseconds of a monotonic clock, wrapping like a tick count.
std::uint32_t GetTickCount32();
