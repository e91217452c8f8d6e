#pragma once
// A window that keeps the window messages it gets: it stands in for the main
// window, a view, or the window the workers post to.
#include <QCoreApplication>
#include <QObject>
#include <functional>
#include <vector>

#include "platform/WindowMessage.h"

namespace view_test {

struct RecordedMessage {
    int msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const RecordedMessage&) const = default;
};

class MessageSink : public QObject {
public:
    std::vector<RecordedMessage> messages;
    std::function<void(const RecordedMessage&)> onMessage;  // runs as each one arrives

    bool event(QEvent* e) override
    {
        if (auto* m = dynamic_cast<CWindowMessage*>(e)) {
            messages.push_back({m->message(), m->wParam(), m->lParam()});
            if (onMessage)
                onMessage(messages.back());
            return true;
        }
        return QObject::event(e);
    }
    // The messages of that number, and of that wParam unless it is negative.
    std::vector<RecordedMessage> Of(int msg, int wParam = -1) const
    {
        std::vector<RecordedMessage> out;
        for (const auto& m : messages)
            if (m.msg == msg && (wParam < 0 || m.wParam == WPARAM(wParam)))
                out.push_back(m);
        return out;
    }
    int Count(int msg, int wParam = -1) const { return int(Of(msg, wParam).size()); }
    // Delivers what was posted and returns the messages of that number.
    std::vector<RecordedMessage> Take(int msg)
    {
        QCoreApplication::sendPostedEvents(this);
        return Of(msg);
    }
};

} // namespace view_test
