#pragma once
// The program's icon: a lift car between two shaft rails, drawn at run time so
// that it needs no file beside the executable.
#include <QIcon>

QIcon LiftStationIcon();
