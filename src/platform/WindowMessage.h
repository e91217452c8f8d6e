#pragma once
// Window messages: a posted Qt event whose type is QEvent::User + the message
// number, carrying the two message parameters.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr int WM_USER = 0x400;

class CWindowMessage : public QEvent {
public:
    CWindowMessage(int msg, WPARAM wParam, LPARAM lParam)
        : QEvent(EventType(msg)), m_msg(msg), m_wParam(wParam), m_lParam(lParam)
    {
        m_published.store(true, std::memory_order_release);
    }

    static QEvent::Type EventType(int msg) { return QEvent::Type(QEvent::User + msg); }

    // A message made on a worker is read on the user-interface thread; Qt's
    // queue orders the two, but with locks a race detector cannot see, so the
    // hand-over is stated once more with an atomic.
    int message() const { return Published().m_msg; }
    WPARAM wParam() const { return Published().m_wParam; }
    LPARAM lParam() const { return Published().m_lParam; }

private:
    const CWindowMessage& Published() const
    {
        (void)m_published.load(std::memory_order_acquire);
        return *this;
    }

    int m_msg;
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::atomic<bool> m_published{false};
};

// Queues a message for target's thread; safe from any thread. False when the
// target is gone.
bool PostMessage(QObject* target, int msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers a message synchronously on the calling (user-interface) thread.
LRESULT SendMessage(QObject* target, int msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Drops messages of one number still queued for target.
void RemovePostedMessages(QObject* target, int msg);

// A window's message map: one handler per message number. A window owns one,
// fills it in its constructor and calls Dispatch from QObject::event().
class CMessageMap {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;

    void On(int msg, Handler handler) { m_handlers[msg] = std::move(handler); }
    bool Handles(int msg) const { return m_handlers.count(msg) != 0; }

    // True when the event was a window message that this map handled;
    // result receives the handler's value.
    bool Dispatch(QEvent* event, LRESULT* result = nullptr) const;
    LRESULT Call(int msg, WPARAM wParam, LPARAM lParam) const;

private:
    std::map<int, Handler> m_handlers;
};
