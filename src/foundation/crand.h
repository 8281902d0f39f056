// The C library's rand()/srand() as the game relies on it: one process-wide generator,
// state = state * 214013 + 2531011, result (state >> 16) & 0x7FFF, seed 1 at start.
#pragma once

#include <cstdint>

namespace isora {

namespace CRand {
constexpr int kRandMax = 0x7FFF;
void Srand(uint32_t seed);
int Rand();
}  // namespace CRand

}  // namespace isora
