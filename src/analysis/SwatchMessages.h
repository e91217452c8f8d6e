#pragma once
// Messages a colour swatch sends its receiver (wParam 0, lParam the swatch number).
#include "platform/WindowMessage.h"

constexpr int WM_SWATCH_HOVER = WM_USER + 60;   // the mouse moved over the swatch
constexpr int WM_COLOR_PICKED = WM_USER + 100;  // a colour was chosen for the swatch
