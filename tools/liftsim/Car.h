#pragma once
// One car in its shaft: call lamps, collective run between floors and the door
// cycle, all driven by the steady clock. The model is lazy: every query first
// catches up with the time given, so no timer is needed and the same sequence
// of calls and times always gives the same state.
#include <bitset>
#include <chrono>
#include <cstdint>

using SimClock = std::chrono::steady_clock;
using TimePoint = SimClock::time_point;

struct SCarTiming
{
    int nFloorMs = 1500; // time per floor, at least 1
    int nDoorMs = 2000;  // whole door cycle: opening, open, closing
};

enum class ECallKind { Car, Up, Down };

class CCar
{
public:
    // Run state as the page reply's bits 6-7 carry it.
    // 0 idle (no run, doors closed), 1 up, 2 down, 3 stopped at a landing
    // with its doors at work: what the station's painter and tiles read.
    static constexpr int RUN_IDLE = 0;
    static constexpr int RUN_UP = 1;
    static constexpr int RUN_DOWN = 2;
    static constexpr int RUN_STOPPED = 3;
    // Door states 0..7 of the page reply.
    static constexpr int DOOR_OPENING = 1;
    static constexpr int DOOR_OPEN = 2;
    static constexpr int DOOR_CLOSING = 3;
    static constexpr int DOOR_CLOSED = 4;

    CCar(int floors, int height, SCarTiming timing, TimePoint now);

    void Update(TimePoint now);
    // A call for a floor outside 1..floors is ignored.
    void AddCall(ECallKind kind, int floor, TimePoint now);
    // Moves the car to the floor at once, doors closed; calls stay lit.
    void PutAtFloor(int floor, TimePoint now);

    int Floors() const { return m_nFloors; }
    int CurrentFloor() const;
    // Car level in mm above the bottom floor (top floor = shaft height).
    long long Position() const;
    int RunState() const;
    int DoorState() const;
    bool Moving() const { return m_Phase == EPhase::Moving; }
    bool Lamp(ECallKind kind, int floor) const;

private:
    enum class EPhase { Idle, Moving, DoorOpening, DoorOpen, DoorClosing };

    std::bitset<256>& Lamps(ECallKind kind);
    const std::bitset<256>& Lamps(ECallKind kind) const;
    bool AnyCallAt(int floor) const;
    bool CallsBeyond(int floor, int direction) const;
    long long LevelOf(int floor) const;
    // Standing with doors closed at time t: serve the floor or start a run.
    void Decide(TimePoint t);
    // The car has reached m_nFloor while moving at time t: stop or go on.
    void ArriveAt(TimePoint t);
    void StartDoors(TimePoint t);
    std::chrono::milliseconds PhaseLength() const;

    int m_nFloors;
    int m_nHeight;
    SCarTiming m_Timing;
    EPhase m_Phase = EPhase::Idle;
    TimePoint m_tPhaseStart;
    int m_nFloor = 1;     // standing floor, or the floor the current run segment left
    int m_nDirection = 0; // +1 up, -1 down, 0 none yet
    TimePoint m_tNow;
    std::bitset<256> m_CarLamps, m_UpLamps, m_DownLamps; // bit f = floor f
};
