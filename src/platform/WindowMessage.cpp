#include "platform/WindowMessage.h"

#include <QCoreApplication>

bool PostMessage(QObject* target, int msg, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new CWindowMessage(msg, wParam, lParam));
    return true;
}

LRESULT SendMessage(QObject* target, int msg, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return 0;
    CWindowMessage message(msg, wParam, lParam);
    QCoreApplication::sendEvent(target, &message);
    return 0;
}

void RemovePostedMessages(QObject* target, int msg)
{
    if (target)
        QCoreApplication::removePostedEvents(target, CWindowMessage::EventType(msg));
}

bool CMessageMap::Dispatch(QEvent* event, LRESULT* result) const
{
    if (event->type() < QEvent::User)
        return false;
    auto* message = dynamic_cast<CWindowMessage*>(event);
    if (!message)
        return false;
    auto it = m_handlers.find(message->message());
    if (it == m_handlers.end())
        return false;
    LRESULT value = it->second(message->wParam(), message->lParam());
    if (result)
        *result = value;
    return true;
}

LRESULT CMessageMap::Call(int msg, WPARAM wParam, LPARAM lParam) const
{
    auto it = m_handlers.find(msg);
    return it == m_handlers.end() ? 0 : it->second(wParam, lParam);
}
