#include "calendar.h"

namespace rq30::sim {

namespace {

int DaysInMonth(int month, int year) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  // Two-digit years all lie in 2000-2099, where every fourth year is a leap year.
  if (month == 2 && year % 4 == 0) return 29;
  return kDays[month - 1];
}

}  // namespace

void AdvanceOneSecond(ClockTable& clock) {
  if (++clock.sec < 60) return;
  clock.sec = 0;
  if (++clock.min < 60) return;
  clock.min = 0;
  if (++clock.hour < 24) return;
  clock.hour = 0;
  clock.wday = clock.wday >= 7 ? 1 : clock.wday + 1;
  if (++clock.mday <= DaysInMonth(clock.mont, clock.year)) return;
  clock.mday = 1;
  if (++clock.mont <= 12) return;
  clock.mont = 1;
  clock.year = clock.year >= 99 ? 0 : clock.year + 1;
}

void SetClock(ClockTable& clock, const std::tm& time) {
  clock.sec = static_cast<uint8_t>(time.tm_sec > 59 ? 59 : time.tm_sec);
  clock.min = static_cast<uint8_t>(time.tm_min);
  clock.hour = static_cast<uint8_t>(time.tm_hour);
  clock.wday = static_cast<uint8_t>(time.tm_wday == 0 ? 7 : time.tm_wday);  // Monday is 1
  clock.mday = static_cast<uint8_t>(time.tm_mday);
  clock.mont = static_cast<uint8_t>(time.tm_mon + 1);
  clock.year = static_cast<uint8_t>(time.tm_year % 100);
}

}  // namespace rq30::sim
