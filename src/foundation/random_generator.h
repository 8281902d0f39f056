// The game's small random generator: Park-Miller minimal standard (48271) by Schrage's method,
// seeded from the clock. Each caller makes one, draws once or twice and drops it.
#pragma once

#include <cstdint>

namespace isora {

class RandomGenerator {
 public:
  // A seed above zero is taken as the state; zero or below seeds from Clock::CalendarTime().
  void Seed(int32_t seed);
  // Advances and returns the state: 1 .. 2147483646 for any non-zero state.
  int32_t Next();
  // 0 .. n-1 through the double constant 4.656612875245797e-10.
  int32_t Draw(int32_t n);

  int32_t State() const { return state_; }

 private:
  int32_t state_ = 0;
};

}  // namespace isora
