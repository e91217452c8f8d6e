#pragma once
// Window messages between the lift views, their widgets and the main window.
// Each number is named once here; the handler's owner documents its parameters.
#include "platform/WindowMessage.h"

// Main window: show the group page; lParam is the group index.
constexpr int WM_SHOW_GROUP = WM_USER + 12;
// Main window: open the single-lift page; wParam 1, lParam the lift number 1..64.
constexpr int WM_OPEN_LIFT = WM_USER + 13;
// Main window: lParam > 0 shows the fault alarm for that code, 0 hides it.
constexpr int WM_FAULT_ALARM = WM_USER + 70;
// Main window: wParam 2 shows the second alarm, anything else hides it.
constexpr int WM_ALARM2 = WM_USER + 71;
// All-lifts page: a tile or header saw the button go up during a drag.
constexpr int WM_CELL_DRAG_END = WM_USER + 200;
