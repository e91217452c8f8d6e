#pragma once
// Helpers of the widget tests: a window that records the messages it gets,
// the call rows the recorder wrote, and (shared with other folders) a UI text
// table and pixel probes.
#include <QCoreApplication>
#include <QObject>
#include <vector>

#include "database/DBServer.h"
#include "platform/WindowMessage.h"
#include "support/PixelProbes.h"

namespace view_test {

struct RecordedMessage {
    int msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const RecordedMessage&) const = default;
};

// Stands in for the main window or a view: keeps every window message.
class MessageSink : public QObject {
public:
    std::vector<RecordedMessage> messages;

    bool event(QEvent* e) override
    {
        if (auto* m = dynamic_cast<CWindowMessage*>(e)) {
            messages.push_back({m->message(), m->wParam(), m->lParam()});
            return true;
        }
        return QObject::event(e);
    }

    // Delivers what was posted and returns the messages of that number.
    std::vector<RecordedMessage> Take(int msg)
    {
        QCoreApplication::sendPostedEvents(this);
        std::vector<RecordedMessage> out;
        for (const auto& m : messages)
            if (m.msg == msg)
                out.push_back(m);
        return out;
    }
};

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

} // namespace view_test
