#pragma once
// The database password: built into the program, never asked of the operator.
// The build's seeding tool includes this header too, so the shipped file and
// the station always agree.
inline constexpr char kDbPassword[] = "73915068242";
