#pragma once
// Fault texts of one controller model, row i for the i-th fault code in the
// table's text order of ErrCount (ERR1, ERR10, ..., ERR2).
#include <QString>
#include <QStringList>
#include <array>
#include <map>

constexpr int kErrLevelRows = 150;  // rows of the first two fault-text tables

struct strErrInfTab {
    std::array<int, kErrLevelRows> nLevel{};  // VELA-S and VELA-M tables only
    QStringList strLevel;                     // enhanced model's table only
    QStringList strErrCount;                  // "ERR12"
    QStringList strErrName;
    QStringList strErrCause;
    QStringList strErrDeal;
};

// Numeric fault code to fault name in the language in force (enhanced model's table).
using CErrNameMap = std::map<int, QString>;
