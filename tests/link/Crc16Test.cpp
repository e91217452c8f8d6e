#include <gtest/gtest.h>

#include "link/Crc16.h"

TEST(Crc16, KnownValues)
{
    EXPECT_EQ(CalcCrc16(nullptr, 0), 0xFFFF);
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(CalcCrc16(digits, sizeof digits), 0x4B37);
    // Status request of station 1 ends EC 02 (low byte first).
    const std::uint8_t status[] = {0x01, 0x10, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(CalcCrc16(status, sizeof status), 0x02EC);
}
