#pragma once
// Parameters of one stored fault row.
#include <array>

struct strErrIDInf {
    std::array<int, 8> nID{};  // ID1..ID8, rounded to the nearest integer
    int nErrCount = 0;         // fault code
};
