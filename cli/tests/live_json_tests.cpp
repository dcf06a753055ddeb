// The JSON object of one live sample, parsed back with a real JSON parser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "live_json.h"

namespace rq30::cli {
namespace {

// Sets TZ for the life of the object (POSIX rules, so no time zone files
// are needed) and puts the old one back.
class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old, hadOld_ = true;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TimeZone() {
    if (hadOld_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

// 2026-01-15 12:00:00 UTC and 2026-07-15 12:00:00 UTC.
constexpr std::time_t kWinterNoon = 1768478400;
constexpr std::time_t kSummerNoon = 1784116800;

TEST(LiveJson, FieldsAsAReaderExpectsThem) {
  TimeZone tz("UTC0");
  LiveTable live{};
  live.measured = 21.3f;
  live.setpoint = 55.0f;
  live.output = 523;      // tenths of a percent
  live.relays = 0x09;     // relays 1 and 4
  live.terminal = -4.75f;
  live.fault = 7;         // any non-zero byte is a fault
  const std::string text = LiveJson(live, kWinterNoon).dump();
  EXPECT_EQ(text,
            "{\"measured\":21.3,\"setpoint\":55.0,\"output\":52.3,"
            "\"relays\":[true,false,false,true],\"terminal\":-4.75,\"fault\":true,"
            "\"time\":\"2026-01-15T12:00:00+00:00\"}");
  const nlohmann::json j = nlohmann::json::parse(text);
  EXPECT_EQ(static_cast<float>(j["measured"].get<double>()), 21.3f);
}

TEST(LiveJson, EdgeValues) {
  TimeZone tz("UTC0");
  LiveTable live{};
  live.output = 1000;
  live.relays = 0xF6;  // upper bits are not relays
  live.measured = std::numeric_limits<float>::quiet_NaN();
  live.terminal = std::numeric_limits<float>::infinity();
  const nlohmann::json j = nlohmann::json::parse(LiveJson(live, kWinterNoon).dump());
  EXPECT_EQ(j["output"].get<double>(), 100.0);
  EXPECT_EQ(j["relays"], nlohmann::json::parse("[false,true,true,false]"));
  EXPECT_TRUE(j["measured"].is_null());
  EXPECT_TRUE(j["terminal"].is_null());
  EXPECT_EQ(j["fault"], false);
  // output 65535 (an int16 taken unsigned) stays a plain number.
  live.output = 65535;
  EXPECT_EQ(nlohmann::json::parse(LiveJson(live, kWinterNoon).dump())["output"].get<double>(),
            6553.5);
}

TEST(LiveJson, LocalTimeCarriesItsOffset) {
  const struct {
    const char* tz;
    std::time_t when;
    const char* expected;
  } cases[] = {
      {"CET-1CEST,M3.5.0,M10.5.0/3", kWinterNoon, "2026-01-15T13:00:00+01:00"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kSummerNoon, "2026-07-15T14:00:00+02:00"},
      {"<+0530>-5:30", kWinterNoon, "2026-01-15T17:30:00+05:30"},
      {"<-03>3", kWinterNoon, "2026-01-15T09:00:00-03:00"},
      // Across midnight and the year: local 2025-12-31 23:30 at UTC-5.
      {"<-05>5", 1767241800, "2025-12-31T23:30:00-05:00"},
      {"<+14>-14", 1767225600 - 3600, "2026-01-01T13:00:00+14:00"},
  };
  for (const auto& c : cases) {
    TimeZone tz(c.tz);
    EXPECT_EQ(IsoLocalTime(c.when), c.expected) << c.tz;
  }
}

}  // namespace
}  // namespace rq30::cli
