#pragma once
// The C runtime's rand()/srand() sequence, reproduced so that seeded runs and the
// scripts' "Rand"/"FRand" give the same numbers on every platform. Each thread has its
// own state, starting at 1.
#include <cstdint>

namespace crt {

constexpr int kRandMax = 0x7FFF;

void SeedRand(std::uint32_t seed);
int Rand();

} // namespace crt
