#pragma once
// The fault rows of one configured lift as the fault query reads them back,
// newest first; entry k of the four lists belongs to the same row.
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

#include "database/ErrIDInf.h"

constexpr int kFaultCodeCounts = 150;  // counted fault codes 0..149

struct strLiftFaultStat {
    int nRealAddr = 0;  // 0 in records the last query did not use
    int nKind = 0;
    int nErrTotal = 0;
    QString strName;
    QStringList arrErrTime;  // 'YYYY-MM-DD HH:MM:SS'
    QList<int> lstLiftState;
    QList<int> lstErrCode;
    QList<strErrIDInf> lstErrID;
    std::array<int, kFaultCodeCounts> nCodeCount{};

    // What a query starts from; nKind and strName stay until it fills them.
    void Clear()
    {
        nRealAddr = 0;
        nErrTotal = 0;
        arrErrTime.clear();
        lstLiftState.clear();
        lstErrCode.clear();
        lstErrID.clear();
        nCodeCount.fill(0);
    }
};
