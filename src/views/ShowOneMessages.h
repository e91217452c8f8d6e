#pragma once
// Messages between the single-lift page and its call, mode and lock buttons.
#include "platform/WindowMessage.h"

// Car-call button: wParam 1, lParam floor 1..56.
constexpr int WM_CAR_CALL = WM_USER + 40;
// Hall-call button: wParam 2 up, 3 down; lParam floor 1..56.
constexpr int WM_HALL_CALL = WM_USER + 45;
// Mode button: wParam 1 switch on, 2 switch off, 3 one-shot; lParam kind 1..8.
constexpr int WM_STATE_SWITCH = WM_USER + 50;
// Lock button: wParam its on-value before the click, lParam its kind.
constexpr int WM_BUTSTATE_CLICK = 9000;
