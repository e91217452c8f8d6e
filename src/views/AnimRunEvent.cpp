#include "views/AnimRunEvent.h"

#include "views/CarAnimThread.h"

CAnimRunEvent::CAnimRunEvent()
{
    g_hAnimThreadRun = &m_event;
}

CAnimRunEvent::~CAnimRunEvent()
{
    if (g_hAnimThreadRun == &m_event)
        g_hAnimThreadRun = nullptr;
}
