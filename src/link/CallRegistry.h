#pragma once
// Calls and the one-shot request in a lift's command block, shared without a
// lock between the user-interface thread (registers) and the worker (sends,
// counts down, clears).
//
// A call is its bit in the page's call byte plus its countdown. The countdown
// tells how many more answered page requests carry the call after the next
// one. To keep a registration from being counted against a request that was
// built before it, a registration stores its countdown negated, -(n+1):
// "registered, not yet taken". Only the worker turns it positive, when it
// builds a request, and only the worker counts positive values down. So the
// worker's compare-and-swap on a value it took can never succeed against a
// newer registration (those are negative), and a call is aged only by the
// replies to requests built after it was registered.
//
// Clearing an expired call races with a re-registration of the same call; the
// worker clears the bit and then looks at the countdown again, re-setting the
// bit when a registration has come in meanwhile. The bit operations carry
// release/acquire order so that the countdown written before the bit is seen.
#include <array>
#include <cstdint>

#include "link/LiftCmd.h"

enum class CallKind { Car = 1, Up = 2, Down = 3 };

// Registers a call of floor 1..56 that goes out in countdown+1 answered page
// requests of its page (or more, when the same call is still pending with a
// longer count). False (and nothing written) for a floor or kind outside the
// command block.
bool RegisterCall(strLiftCmd& cmd, int floor, CallKind kind, int countdown);

// Asks for the one-shot bit in the next `count` page requests of the lift.
void RequestOneShot(strLiftCmd& cmd, int count);

// What one page request carried: its call bytes and, per carried call, the
// countdown it was sent with (-1: registered again while it was built; that
// reply does not age it).
struct strSentCalls {
    int nPage = -1;  // -1: no call byte was sent (page outside the command block)
    std::uint8_t byCarCall = 0;
    std::uint8_t byHallCallLo = 0;
    std::uint8_t byHallCallHi = 0;
    std::array<std::int16_t, 8> nCarCnt{};
    std::array<std::int16_t, 8> nUpCnt{};
    std::array<std::int16_t, 8> nDownCnt{};
};

// Takes the calls of `page` for a request being built (worker side).
strSentCalls TakePageCalls(strLiftCmd& cmd, int page);
// Ages the calls a request carried, once its valid reply has arrived.
void AgeSentCalls(strLiftCmd& cmd, const strSentCalls& sent);
// One-shot bit for the request being built: counts the request and clears
// the flag after the last one. True when the request carries the bit.
bool TakeOneShot(strLiftCmd& cmd);
