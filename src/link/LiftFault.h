#pragma once
// Fault-change tracking of the status poll.
#include <cstdint>

#include "platform/RelaxedAtomic.h"

struct strLiftFault {
    Relaxed<std::uint8_t> bNewFault;
    Relaxed<std::int32_t> nFaultCode;
    Relaxed<std::int32_t> nFaultCodePrev;
    Relaxed<std::int32_t> nFaultCount;
    Relaxed<std::int32_t> nReserved1;
    Relaxed<std::int32_t> nReserved2;
    Relaxed<std::int16_t> nReserved3;
};
