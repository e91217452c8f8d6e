#pragma once
// Calls and commands the operator asked for, carried by the next page requests.
// The user-interface thread registers calls (RegisterCall, link/CallRegistry.h),
// the worker counts them down and clears the bits; both use atomic
// read-modify-write steps. A countdown below 0, -(n+1), is a registration not
// yet taken by a request; it reads as n once the next request of its page is built.
#include <array>
#include <cstdint>

#include "platform/RelaxedAtomic.h"

constexpr int kCmdPages = 7;                   // the command block covers 7 pages
constexpr int kCmdFloors = kCmdPages * 8;      // = 56 floors

struct strLiftCmd {
    Relaxed<std::int32_t> nLiftNum;
    Relaxed<std::int32_t> bOneShot;
    Relaxed<std::int32_t> bCmdBit0;
    Relaxed<std::int32_t> bCmdBit1;
    Relaxed<std::int32_t> nMode;
    std::array<Relaxed<std::int32_t>, kCmdPages> nCarCall;
    std::array<Relaxed<std::int32_t>, kCmdPages> nHallCallLo;
    std::array<Relaxed<std::int32_t>, kCmdPages> nHallCallHi;
    std::array<Relaxed<std::int16_t>, kCmdFloors> nCarCallCnt;
    std::array<Relaxed<std::int16_t>, kCmdFloors> nUpCallCnt;
    std::array<Relaxed<std::int16_t>, kCmdFloors> nDownCallCnt;
    Relaxed<std::int16_t> nOneShotCnt;
};
