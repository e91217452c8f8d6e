#pragma once
// Messages of the single-lift page's locks: the page to itself, the floor-lock
// editor and its floor buttons, the lock-period editor.
#include "platform/WindowMessage.h"

// Page to itself: wParam 1 lock the whole lift, 0 unlock; lParam 0.
constexpr int WM_LIFT_LOCK = 8000;
// Lock-period editor to the page: wParam 0; lParam 1 enabled, 0 disabled.
constexpr int WM_LOCKTIME_SET = 8001;
// Floor-lock editor (OK) to the page: wParam 1 set the edited floors, 0 clear;
// lParam the floor-lock mode 2, 3 or 4.
constexpr int WM_FLOOR_LOCK = 8500;
// Floor button to the floor-lock editor: wParam 1 now out of the set, 2 now in
// it; lParam the floor 1..40.
constexpr int WM_FLOOR_TOGGLED = WM_USER + 600;
