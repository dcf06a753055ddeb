// rq30ctl clock set: the controller's clock (table 15), set on purpose and
// never as a side effect of restoring a parameter set.
#include <cstdio>
#include <ctime>
#include <string>

#include "cli_support.h"
#include "load_sequence.h"

namespace rq30::cli {

namespace {

constexpr int kClockTable = 15;
constexpr int kFirmwareWithClock = 3;

bool LeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : days[month - 1];
}

// 1 Monday .. 7 Sunday, as the controller counts (Sakamoto's method gives
// 0 for Sunday).
int Weekday(int year, int month, int day) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int y = month < 3 ? year - 1 : year;
  const int sunday0 = (y + y / 4 - y / 100 + y / 400 + offsets[month - 1] + day) % 7;
  return sunday0 == 0 ? 7 : sunday0;
}

// YYYY-MM-DDTHH:MM:SS, a real date of 2000..2099 (the controller keeps two
// year digits).
ClockTable ParseTime(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char t = 0;
  int used = 0;
  const bool shaped = text.size() == 19 &&
                      std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day,
                                  &t, &hour, &minute, &second, &used) == 7 &&
                      used == 19 && t == 'T';
  if (!shaped || year < 2000 || year > 2099 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
      minute < 0 || second < 0) {
    throw UsageError("clock set needs now or a time YYYY-MM-DDTHH:MM:SS of 2000..2099, not " +
                     text);
  }
  ClockTable clock{};
  clock.sec = static_cast<uint8_t>(second);
  clock.min = static_cast<uint8_t>(minute);
  clock.hour = static_cast<uint8_t>(hour);
  clock.wday = static_cast<uint8_t>(Weekday(year, month, day));
  clock.mday = static_cast<uint8_t>(day);
  clock.mont = static_cast<uint8_t>(month);
  clock.year = static_cast<uint8_t>(year - 2000);
  return clock;
}

std::string NowText() {
  const std::tm now = Now();
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &now);
  return text;
}

}  // namespace

int ClockCommand(Session& s, const CommandArgs& a, Io& io) {
  const bool now = a.plain.size() < 2 || a.plain[1] == "now";
  const std::string text = now ? NowText() : a.plain[1];
  const ClockTable clock = ParseTime(text);
  paramset::LoadHooks hooks;
  hooks.pause = io.pause;
  const int variant = paramset::Identify(s.link, hooks);
  if (variant != kFirmwareWithClock) {
    throw Failure("clock set: the controller's firmware has no clock (variant " +
                  (variant ? std::to_string(variant) : std::string("unknown")) +
                  "); nothing written");
  }
  s.image.clock = clock;
  if (!s.link.WriteTable(kClockTable)) ThrowWriteFailure(s.link, "clock set");
  io.out << "clock: " << text << '\n';
  return kOk;
}

}  // namespace rq30::cli
