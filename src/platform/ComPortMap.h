#pragma once
// "COM1".."COM8" stay the names shown and stored; each maps to a device path.
#include <QString>

// Device path of port n (1-based): environment LIFT_COMn, then the settings
// store (key "Ports/COMn"), then /dev/ttyS(n-1).
QString ComDevicePath(int port);
