#include "foundation/clock.h"

#include <chrono>
#include <ctime>

namespace isora {
namespace {

class RealClock : public ClockSource {
 public:
  uint32_t TickCount() override {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  int64_t CalendarTime() override { return static_cast<int64_t>(std::time(nullptr)); }
  SystemTime UtcNow() override {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    int64_t secs = ms / 1000;
    return Clock::FromCalendar(secs, static_cast<int>(ms % 1000));
  }
  SystemTime LocalNow() override {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &secs) != 0) return UtcNow();
#else
    if (localtime_r(&secs, &local) == nullptr) return UtcNow();
#endif
    SystemTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.dayOfWeek = local.tm_wday;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
  }
};

RealClock realClock;
ClockSource* current = &realClock;

}  // namespace

void FixedClock::Advance(uint32_t ms) {
  ticks += ms;
  carryMs_ += ms;
  int64_t secs = carryMs_ / 1000;
  carryMs_ %= 1000;
  calendar += secs;
  utc = Clock::FromCalendar(calendar, static_cast<int>(carryMs_));
}

namespace Clock {
uint32_t TickCount() { return current->TickCount(); }
int64_t CalendarTime() { return current->CalendarTime(); }
SystemTime UtcNow() { return current->UtcNow(); }
SystemTime LocalNow() { return current->LocalNow(); }

ClockSource* SetSource(ClockSource* source) {
  ClockSource* previous = current == &realClock ? nullptr : current;
  current = source ? source : &realClock;
  return previous;
}

SystemTime FromCalendar(int64_t seconds, int millisecond) {
  // Days-from-civil inverse (proleptic Gregorian), so no time zone or locale is consulted.
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rem = seconds - days * 86400;
  SystemTime t;
  t.hour = static_cast<int>(rem / 3600);
  t.minute = static_cast<int>(rem % 3600 / 60);
  t.second = static_cast<int>(rem % 60);
  t.millisecond = millisecond;
  t.dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  t.year = static_cast<int>(y + (m <= 2));
  t.month = static_cast<int>(m);
  t.day = static_cast<int>(d);
  return t;
}
}  // namespace Clock

}  // namespace isora
