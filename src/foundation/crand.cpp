#include "foundation/crand.h"

namespace isora::CRand {
namespace {
uint32_t state = 1;
}

void Srand(uint32_t seed) { state = seed; }

int Rand() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace isora::CRand
