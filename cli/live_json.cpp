#include "live_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rq30::cli {

namespace {

// The controller's single-precision value as the decimal a reader expects:
// 21.3f is written 21.3, not 21.299999237060547, and reads back as 21.3f.
nlohmann::ordered_json Value(float v) {
  if (!std::isfinite(v)) return nullptr;
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text - 1, v);
  *r.ptr = '\0';
  return std::strtod(text, nullptr);
}

// Seconds east of UTC at `when`, from the local and the UTC broken-down
// times: portable where tm_gmtoff is not (the Windows runtime).
long OffsetSeconds(std::time_t when, const std::tm& local) {
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &when);
#else
  gmtime_r(&when, &utc);
#endif
  long days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  return ((days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min) * 60 +
         local.tm_sec - utc.tm_sec;
}

}  // namespace

std::string IsoLocalTime(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char text[40];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const long offset = OffsetSeconds(when, local);
  const long minutes = std::labs(offset) / 60;
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return std::string(text, n) + zone;
}

nlohmann::ordered_json LiveJson(const LiveTable& live, std::time_t when) {
  nlohmann::ordered_json relays = nlohmann::ordered_json::array();
  for (int bit = 0; bit < 4; ++bit) relays.push_back((live.relays >> bit & 1) != 0);
  return {
      {"measured", Value(live.measured)},
      {"setpoint", Value(live.setpoint)},
      // Tenths of a percent; divided, not multiplied by 0.1, so 523 is 52.3.
      {"output", live.output / 10.0},
      {"relays", relays},
      {"terminal", Value(live.terminal)},
      {"fault", live.fault != 0},
      {"time", IsoLocalTime(when)},
  };
}

}  // namespace rq30::cli
