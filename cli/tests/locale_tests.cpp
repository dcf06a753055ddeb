// Numbers, dates and times of rq30ctl follow the environment as the
// program's windows do, on a machine with no system locale installed
// (the tests' own machine has none but C).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

#include "cli.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using std::chrono::system_clock;
using testing::SimLine;
using testing::SimLineOptions;

// The locale variables for the life of the object, restored after.
class Environment {
 public:
  explicit Environment(const std::vector<std::pair<const char*, const char*>>& set) {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"}) {
      const char* old = getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      unsetenv(name);
    }
    for (const auto& [name, value] : set) setenv(name, value, 1);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name, value->c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(Rq30ctlLocale, LiveRecordsFollowTheEnvironment) {
  SimLineOptions options;
  options.addresses = {5};
  options.openPort = false;
  SimLine line(options);
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().live.measured = 21.5f;
    m.Image().live.setpoint = 55.0f;
    m.Image().live.output = 523;
    return 0;
  });
  std::tm at{};
  at.tm_year = 126;
  at.tm_mon = 11;
  at.tm_mday = 10;
  at.tm_hour = 9;
  at.tm_min = 5;
  at.tm_sec = 7;
  at.tm_isdst = -1;
  const system_clock::time_point when = system_clock::from_time_t(std::mktime(&at));

  struct Case {
    std::vector<std::pair<const char*, const char*>> env;
    std::vector<std::string> extra;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{{"LANG", "cs_CZ.UTF-8"}}, {}, "21,50; 55,00; 52,3; není porucha;   9:05:07;   10.12.2026"},
      {{{"LC_ALL", "de_DE.UTF-8"}, {"LANG", "en_US.UTF-8"}},
       {},
       "21,50; 55,00; 52,3; není porucha;   09:05:07;   10.12.2026"},
      // Czech dates with the points of the C locale.
      {{{"LANG", "cs_CZ.UTF-8"}, {"LC_NUMERIC", "C"}},
       {},
       "21.50; 55.00; 52.3; není porucha;   9:05:07;   10.12.2026"},
      {{{"LANG", "en_US.UTF-8"}}, {}, "21.50; 55.00; 52.3; není porucha;   9:05:07 AM;   12/10/2026"},
      {{{"LANG", "cs_CZ.UTF-8"}},
       {"--locale", "C"},
       "21.50; 55.00; 52.3; není porucha;   09:05:07;   2026-12-10"},
      {{}, {}, "21.50; 55.00; 52.3; není porucha;   09:05:07;   2026-12-10"},
      {{{"LANG", "sk_SK.UTF-8"}},
       {"--locale", "cs_CZ.UTF-8"},
       "21,50; 55,00; 52,3; není porucha;   9:05:07;   10.12.2026"},
  };
  for (const Case& c : cases) {
    Environment env(c.env);
    std::ostringstream out, err;
    cli::Io io{out, err, [](int) {}};
    io.clock = [&] { return when; };
    std::vector<std::string> args = {"--da", "5", "live", "--count", "1"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    ASSERT_EQ(cli::Run(args, io), 0) << err.str();
    EXPECT_EQ(out.str(), c.expected + "\n") << (c.env.empty() ? "(none)" : c.env[0].second);
  }
}

}  // namespace
}  // namespace rq30
