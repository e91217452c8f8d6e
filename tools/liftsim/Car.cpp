#include "Car.h"

#include <algorithm>

using std::chrono::milliseconds;

CCar::CCar(int floors, int height, SCarTiming timing, TimePoint now)
    : m_nFloors(std::clamp(floors, 1, 255)), m_nHeight(std::max(height, 0)), m_Timing(timing), m_tPhaseStart(now),
      m_tNow(now)
{
    m_Timing.nFloorMs = std::max(m_Timing.nFloorMs, 1);
    m_Timing.nDoorMs = std::max(m_Timing.nDoorMs, 0);
}

std::bitset<256>& CCar::Lamps(ECallKind kind)
{
    return kind == ECallKind::Car ? m_CarLamps : kind == ECallKind::Up ? m_UpLamps : m_DownLamps;
}

const std::bitset<256>& CCar::Lamps(ECallKind kind) const
{
    return kind == ECallKind::Car ? m_CarLamps : kind == ECallKind::Up ? m_UpLamps : m_DownLamps;
}

bool CCar::Lamp(ECallKind kind, int floor) const
{
    return floor >= 1 && floor <= m_nFloors && Lamps(kind).test(std::size_t(floor));
}

bool CCar::AnyCallAt(int floor) const
{
    return Lamp(ECallKind::Car, floor) || Lamp(ECallKind::Up, floor) || Lamp(ECallKind::Down, floor);
}

bool CCar::CallsBeyond(int floor, int direction) const
{
    for (int f = floor + direction; f >= 1 && f <= m_nFloors; f += direction)
        if (AnyCallAt(f))
            return true;
    return false;
}

long long CCar::LevelOf(int floor) const
{
    if (m_nFloors < 2)
        return 0;
    return (long long)(floor - 1) * m_nHeight / (m_nFloors - 1);
}

milliseconds CCar::PhaseLength() const
{
    // The door time is split a quarter opening, a half open, a quarter closing.
    const int opening = m_Timing.nDoorMs / 4;
    const int open = m_Timing.nDoorMs / 2;
    switch (m_Phase) {
    case EPhase::Moving:
        return milliseconds(m_Timing.nFloorMs);
    case EPhase::DoorOpening:
        return milliseconds(opening);
    case EPhase::DoorOpen:
        return milliseconds(open);
    case EPhase::DoorClosing:
        return milliseconds(m_Timing.nDoorMs - opening - open);
    case EPhase::Idle:
        break;
    }
    return milliseconds(0);
}

void CCar::StartDoors(TimePoint t)
{
    m_Phase = EPhase::DoorOpening;
    m_tPhaseStart = t;
}

void CCar::Decide(TimePoint t)
{
    m_Phase = EPhase::Idle;
    m_tPhaseStart = t;
    if (AnyCallAt(m_nFloor)) {
        for (const ECallKind kind : {ECallKind::Car, ECallKind::Up, ECallKind::Down})
            Lamps(kind).reset(std::size_t(m_nFloor));
        StartDoors(t);
        return;
    }
    int direction = 0;
    if (m_nDirection != 0 && CallsBeyond(m_nFloor, m_nDirection)) {
        direction = m_nDirection;
    } else if (m_nDirection != 0 && CallsBeyond(m_nFloor, -m_nDirection)) {
        direction = -m_nDirection;
    } else {
        // No direction yet: head for the nearest call, upwards on a tie.
        for (int distance = 1; distance < m_nFloors && direction == 0; ++distance) {
            if (AnyCallAt(m_nFloor + distance))
                direction = 1;
            else if (AnyCallAt(m_nFloor - distance))
                direction = -1;
        }
    }
    if (direction != 0) {
        m_nDirection = direction;
        m_Phase = EPhase::Moving;
    }
}

void CCar::ArriveAt(TimePoint t)
{
    const auto floor = std::size_t(m_nFloor);
    const bool goOn = CallsBeyond(m_nFloor, m_nDirection);
    std::bitset<256>& sameWay = m_nDirection > 0 ? m_UpLamps : m_DownLamps;
    std::bitset<256>& otherWay = m_nDirection > 0 ? m_DownLamps : m_UpLamps;
    // Collective: stop for a car call, a hall call in the running direction, or
    // at the last call of the run (which also serves its other hall call).
    bool served = false;
    if (m_CarLamps.test(floor) || sameWay.test(floor)) {
        m_CarLamps.reset(floor);
        sameWay.reset(floor);
        served = true;
    }
    if (!goOn && otherWay.test(floor)) {
        otherWay.reset(floor);
        served = true;
    }
    if (served)
        StartDoors(t);
    else if (!goOn)
        Decide(t); // the calls of this run were withdrawn
    else
        m_tPhaseStart = t; // next floor segment
}

void CCar::Update(TimePoint now)
{
    if (now < m_tNow)
        now = m_tNow;
    m_tNow = now;
    while (m_Phase != EPhase::Idle) {
        const TimePoint end = m_tPhaseStart + PhaseLength();
        if (end > now)
            break;
        switch (m_Phase) {
        case EPhase::Moving:
            m_nFloor += m_nDirection;
            ArriveAt(end);
            break;
        case EPhase::DoorOpening:
            m_Phase = EPhase::DoorOpen;
            m_tPhaseStart = end;
            break;
        case EPhase::DoorOpen:
            m_Phase = EPhase::DoorClosing;
            m_tPhaseStart = end;
            break;
        case EPhase::DoorClosing:
            Decide(end);
            break;
        case EPhase::Idle:
            break;
        }
    }
}

void CCar::AddCall(ECallKind kind, int floor, TimePoint now)
{
    if (floor < 1 || floor > m_nFloors)
        return;
    Update(now);
    const bool standingHere = m_Phase != EPhase::Moving && floor == m_nFloor;
    if (standingHere) {
        // A call where the car stands is answered by the doors, not by a lamp.
        if (m_Phase == EPhase::DoorClosing || m_Phase == EPhase::Idle)
            StartDoors(m_tNow);
        else if (m_Phase == EPhase::DoorOpen)
            m_tPhaseStart = m_tNow; // hold the doors open a while longer
        return;
    }
    Lamps(kind).set(std::size_t(floor));
    if (m_Phase == EPhase::Idle)
        Decide(m_tNow);
}

void CCar::PutAtFloor(int floor, TimePoint now)
{
    Update(now);
    m_nFloor = std::clamp(floor, 1, m_nFloors);
    m_nDirection = 0;
    Decide(m_tNow);
}

int CCar::CurrentFloor() const
{
    if (m_Phase != EPhase::Moving)
        return m_nFloor;
    // The floor indicator switches half way between two floors.
    const auto elapsed = std::chrono::duration_cast<milliseconds>(m_tNow - m_tPhaseStart).count();
    return elapsed * 2 >= m_Timing.nFloorMs ? m_nFloor + m_nDirection : m_nFloor;
}

long long CCar::Position() const
{
    const long long here = LevelOf(m_nFloor);
    if (m_Phase != EPhase::Moving)
        return here;
    const long long next = LevelOf(m_nFloor + m_nDirection);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(m_tNow - m_tPhaseStart).count();
    const long long done = std::clamp<long long>(elapsed, 0, m_Timing.nFloorMs);
    return here + (next - here) * done / m_Timing.nFloorMs;
}

int CCar::RunState() const
{
    if (m_Phase == EPhase::Moving)
        return m_nDirection > 0 ? RUN_UP : RUN_DOWN;
    return m_Phase == EPhase::Idle ? RUN_IDLE : RUN_STOPPED;
}

int CCar::DoorState() const
{
    switch (m_Phase) {
    case EPhase::DoorOpening:
        return DOOR_OPENING;
    case EPhase::DoorOpen:
        return DOOR_OPEN;
    case EPhase::DoorClosing:
        return DOOR_CLOSING;
    default:
        return DOOR_CLOSED;
    }
}
