// A fixed clock installed for a test's lifetime: tick count, time() and UTC time only move when
// the test says so.
#pragma once

#include <gtest/gtest.h>

#include "foundation/clock.h"

namespace isora::test {

// Installs a FixedClock at the given UTC calendar time (seconds since 1970) for its lifetime.
class InstalledClock {
 public:
  explicit InstalledClock(int64_t calendarSeconds = 0, int millisecond = 0) {
    Set(calendarSeconds, millisecond);
    previous_ = Clock::SetSource(&clock);
  }
  ~InstalledClock() { Clock::SetSource(previous_); }
  InstalledClock(const InstalledClock&) = delete;
  InstalledClock& operator=(const InstalledClock&) = delete;

  void Set(int64_t calendarSeconds, int millisecond = 0) {
    clock.calendar = calendarSeconds;
    clock.utc = Clock::FromCalendar(calendarSeconds, millisecond);
  }

  FixedClock clock;

 private:
  ClockSource* previous_ = nullptr;
};

// A fixture whose tests run with the clock fixed at 1970-01-01 00:00:00 UTC, tick 0.
class FixedClockTest : public ::testing::Test {
 protected:
  InstalledClock clock_;
};

}  // namespace isora::test
