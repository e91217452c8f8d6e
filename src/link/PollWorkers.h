#pragma once
// The communication workers. Each takes its context, loops while the run event
// is set (tested before the first pass and after each pass, and within a pass
// before each exchange or member, so that a stop waits for one exchange at
// most) and reports through the lift records and posted messages.
class CLiftComm;

// All-lifts view: status poll of every station in the station table.
unsigned PollAllThreadProc(CLiftComm* context);
// Group view: page exchanges with the members of m_pGroup.
unsigned PollGroupThreadProc(CLiftComm* context);
// Single-lift view: page exchanges with one lift; pauses at exchange
// boundaries when asked (CWorkerThread::RequestPause).
unsigned PollOneThreadProc(CLiftComm* context);
// Configuration page: height run of one lift (mode 2) or of all lifts (mode 3).
unsigned BatchThreadProc(CLiftComm* context);
