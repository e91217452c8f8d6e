#pragma once
// Messages that the link's workers and the station scan send to the window in
// g_hPollTarget. lParam "context" is the CLiftComm pointer.
#include "platform/WindowMessage.h"

// wParam 1 scan done (lParam 0); 2 height of one lift measured (lift index);
// 3 all heights done (0); 4 the lift left mode 7 or reports a fault (lift
// index); 5 time-out, the lift stands (context); 6 no installed lift online (0).
constexpr int WM_READ_FINISHED = WM_USER + 9;
// Height run of one lift failed: wParam 0, lParam context.
constexpr int WM_READ_FAILED = WM_USER + 10;
// Single-lift worker: wParam 1 no valid reply, 2 port closed or short write;
// lParam the lift number. Shares its number with WM_READ_FAILED: the two
// receivers are never shown together.
constexpr int WM_LIFT_COMM_FAILED = WM_USER + 10;
// Group worker, after each pass over the members: 0, 0.
constexpr int WM_POLL_DONE = WM_USER + 21;
// wParam 1 scan (lParam station 1..16); 2 height run of one lift going on,
// 4 the same while the lift runs (lParam context); 3 height run of all lifts
// going on (lParam context).
constexpr int WM_READ_PROGRESS = WM_USER + 30;
// Group worker, after each member: wParam 0-based lift index, lParam context.
constexpr int WM_LIFT_STATUS = WM_USER + 31;
