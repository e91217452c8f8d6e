#pragma once
// The station's two alarms, decided over every lift the station knows of:
// the fault alarm goes up for a fault that has just come in on any lift and
// the fire-service alarm for a lift that has just gone into fire service;
// each comes down once no lift has one standing. Every page asks after it
// has taken in its poll's replies, so an alarm comes whichever page is shown.
#include <QPointer>
#include <array>

#include "link/LiftDataStore.h"

class CAlarmWatch {
public:
    // Posts WM_FAULT_ALARM (the new code, or 0) and WM_ALARM2 (2 shows, 0
    // hides) to the main window for what changed since the last look.
    void Check();

    // Fire service: the fire status bit of the status poll, or a controller
    // mode that turns the single-lift page's fire-service button on.
    static bool InFireService(const strLiftInf& lift);
    static bool FireServiceMode(int mode) { return mode == 3 || mode == 4; }

    const strLiftInf* m_pLiftInf = nullptr;  // the store's lift table, kLiftSlots records
    QPointer<QObject> m_hMainWnd;

private:
    // Per lift: the fault code that last raised the alarm (0 none) and
    // whether its fire service has.
    std::array<int, kLiftSlots> m_nAlarmedFault{};
    std::array<bool, kLiftSlots> m_bFireAlarmed{};
};
