#pragma once
// The one communication worker: its thread object, run event and the window
// it reports to, with the start and stop protocol.
#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

#include "platform/ManualResetEvent.h"
#include "platform/WorkerThread.h"

class CLiftComm;

using LiftThreadProc = unsigned (*)(CLiftComm*);

// The running worker, or null. Deleted only by StopPollThread.
extern std::unique_ptr<CWorkerThread> g_pPollThread;
// Set = keep running, reset = stop; tested by each worker between passes.
extern CManualResetEvent g_hPollThreadRun;
// The window the workers post to and the scan sends to.
extern QPointer<QObject> g_hPollTarget;

// Stops any running worker, sets the target, lets setPointers fill the
// context's pointers and mode for the worker, sets the run event, starts proc.
void StartPollThread(LiftThreadProc proc, CLiftComm* context, QObject* target,
                     const std::function<void(CLiftComm&)>& setPointers = {});

// Resets the run event, wakes a paused worker, waits for it to end and
// deletes its thread object. Returns 1.
int StopPollThread();

// Sleeps the worker for ms, or less when the run event is reset meanwhile.
void WorkerSleep(int ms);
// The same, until a point in time.
void WorkerSleepUntil(std::chrono::steady_clock::time_point end);
