#pragma once
// One animation channel of the group view, shared between the page (which
// arms it on each status report) and the animation thread (which steps it).
#include <cstdint>

#include "platform/RelaxedAtomic.h"

constexpr int kCarAnimSlots = 8;

struct strCarAnimSlot {
    Relaxed<std::uint8_t> bActive;
    Relaxed<std::uint8_t> bStepped;    // stepped since the page last drew it
    Relaxed<std::uint32_t> nLastTick;  // ms tick of the last step
    Relaxed<std::uint32_t> nStepsDone;
    Relaxed<std::uint32_t> nStepsTotal;
};
