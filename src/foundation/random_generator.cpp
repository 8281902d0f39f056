#include "foundation/random_generator.h"

#include <bit>
#include <cstring>

#include "foundation/clock.h"

namespace isora {

void RandomGenerator::Seed(int32_t seed) {
  if (seed > 0) {
    state_ = seed;
    return;
  }
  uint32_t t = static_cast<uint32_t>(static_cast<int32_t>(Clock::CalendarTime()));
  int32_t s = static_cast<int32_t>(t * t);
  if (s > 0) {
    state_ = s ^ 0x5EECE66D;
  } else if (s < 0) {
    state_ = static_cast<int32_t>((static_cast<uint32_t>(s) ^ 0xDEECE66Du) & 0x7FFFFFFFu);
  } else {
    state_ = 0x5EECE66D;
  }
}

int32_t RandomGenerator::Next() {
  constexpr int32_t q = 44488, r = 3399;
  int32_t hi = state_ / q;
  int32_t lo = state_ % q;
  state_ = 48271 * lo - r * hi;
  if (state_ < 0) state_ += 2147483647;
  return state_;
}

int32_t RandomGenerator::Draw(int32_t n) {
  // 1 / 2147483647 rounded as the original constant: bits 0x3E00000000200000.
#ifdef __cpp_lib_bit_cast
  static const double kScale = std::bit_cast<double>(0x3E00000000200000ull);
#else
  // Standard libraries without bit_cast (emscripten's): the same bits through memcpy.
  static const double kScale = [] {
    const uint64_t bits = 0x3E00000000200000ull;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }();
#endif
  return static_cast<int32_t>(static_cast<double>(Next()) * kScale * static_cast<double>(n));
}

}  // namespace isora
