#pragma once
// Call lamps that the controller reports, page by page (8 floors a page).
#include <array>
#include <cstdint>

#include "platform/RelaxedAtomic.h"

constexpr int kLampPages = 8;  // the lamp arrays hold pages 0..7

struct strLiftPage {
    Relaxed<std::int32_t> nPageCount;  // ceil(nMaxFloor / 8); 0 = not yet known
    Relaxed<std::int32_t> nCurPage;    // page of the exchange in progress
    std::array<Relaxed<std::int32_t>, kLampPages> nCarLamp;
    std::array<Relaxed<std::int32_t>, kLampPages> nCarLampOld;
    std::array<Relaxed<std::int32_t>, kLampPages> nHallLampLo;
    std::array<Relaxed<std::int32_t>, kLampPages> nHallLampLoOld;
    std::array<Relaxed<std::int32_t>, kLampPages> nHallLampHi;
    std::array<Relaxed<std::int32_t>, kLampPages> nHallLampHiOld;
};
