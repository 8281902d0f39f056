// Sets the game's behaviour switches for one test and puts back the classic ones after it.
#pragma once

#include "foundation/enhancements.h"

namespace isora::test {

class ScopedSwitches {
 public:
  explicit ScopedSwitches(const Enhancements& on = Enhancements::All()) { SetEnhanced(on); }
  ~ScopedSwitches() { SetEnhanced(Enhancements{}); }
  ScopedSwitches(const ScopedSwitches&) = delete;
  ScopedSwitches& operator=(const ScopedSwitches&) = delete;
};

}  // namespace isora::test
