#pragma once
// Helpers of the widget tests: the call and fault rows the recorder wrote, and (shared
// with other folders) a window that keeps its messages, a UI text table and
// pixel probes.
#include <vector>

#include "database/DBServer.h"
#include "support/MessageSink.h"
#include "support/Files.h"
#include "support/PixelProbes.h"

namespace view_test {

// Call rows of lift n in all its day tables, as (CallSign, CallNum).
inline std::vector<std::pair<int, int>> CallRows(CDBServer& db, int n)
{
    std::vector<std::pair<int, int>> rows;
    auto index = db.m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1 Order by CountNum").arg(n));
    for (index ? index->MoveFirst() : void(); index && !index->IsEOF(); index->MoveNext()) {
        auto rs = db.m_pAdo->GetRecordSet(QStringLiteral("Select * From ") + index->GetText(QStringLiteral("TabName")));
        for (rs ? rs->MoveFirst() : void(); rs && !rs->IsEOF(); rs->MoveNext())
            rows.emplace_back(rs->GetInt(QStringLiteral("CallSign")), rs->GetInt(QStringLiteral("CallNum")));
    }
    return rows;
}

// Codes of lift n's fault rows, oldest first.
inline std::vector<int> FaultRows(CDBServer& db, int n)
{
    std::vector<int> codes;
    auto rs = db.m_pAdo->GetRecordSet(QStringLiteral("Select * From KALOR_LiftData_%1_Err").arg(n));
    for (rs ? rs->MoveFirst() : void(); rs && !rs->IsEOF(); rs->MoveNext())
        codes.push_back(rs->GetInt(QStringLiteral("ErrCount")));
    return codes;
}

} // namespace view_test
