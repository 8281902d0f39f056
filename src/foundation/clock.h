// Every source of time in the game: tick count, calendar time and UTC system time.
// Headless runs and tests install a fixed source so that a run repeats exactly.
#pragma once

#include <cstdint>

namespace isora {

struct SystemTime {
  int year = 0, month = 0, dayOfWeek = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  virtual uint32_t TickCount() = 0;    // milliseconds since some start, wrapping at 2^32
  virtual int64_t CalendarTime() = 0;  // seconds since 1970-01-01 UTC, the C time() value
  virtual SystemTime UtcNow() = 0;     // UTC date and time with milliseconds
  virtual SystemTime LocalNow() = 0;   // the machine's local date and time with milliseconds
};

// A source that only moves when told to: tests and headless runs.
class FixedClock : public ClockSource {
 public:
  uint32_t ticks = 0;
  int64_t calendar = 0;
  SystemTime utc{};
  uint32_t TickCount() override { return ticks; }
  int64_t CalendarTime() override { return calendar; }
  SystemTime UtcNow() override { return utc; }
  // A virtual clock has no time zone: its local time is its UTC time, the same on every machine.
  SystemTime LocalNow() override { return utc; }
  // Advances ticks, calendar seconds and the UTC time together.
  void Advance(uint32_t ms);

 private:
  uint32_t carryMs_ = 0;
};

namespace Clock {
uint32_t TickCount();
int64_t CalendarTime();
SystemTime UtcNow();
// What people read (save labels, screenshot names, log lines) is in local time.
SystemTime LocalNow();
// Installs a source (not owned); nullptr restores the real clock. Returns the previous one.
ClockSource* SetSource(ClockSource* source);
// UTC calendar fields of a time() value.
SystemTime FromCalendar(int64_t seconds, int millisecond = 0);
}  // namespace Clock

// Installs a clock source for the lifetime of a scope.
class ScopedClock {
 public:
  explicit ScopedClock(ClockSource* s) : previous_(Clock::SetSource(s)) {}
  ~ScopedClock() { Clock::SetSource(previous_); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  ClockSource* previous_;
};

}  // namespace isora
