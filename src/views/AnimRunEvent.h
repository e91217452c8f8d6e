#pragma once
// Owner of the animation thread's run event: creating it publishes the event
// (set) in g_hAnimThreadRun; the main window keeps it for its whole life and
// hands it to the group view.
#include "platform/ManualResetEvent.h"

class CAnimRunEvent {
public:
    CAnimRunEvent();
    ~CAnimRunEvent();
    CAnimRunEvent(const CAnimRunEvent&) = delete;
    CAnimRunEvent& operator=(const CAnimRunEvent&) = delete;

    CManualResetEvent m_event{true};
};
