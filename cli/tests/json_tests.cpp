// --json output of every command that has one, read back with a real JSON
// parser: a script's view of rq30ctl.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using nlohmann::json;
using testing::SimLine;
using testing::SimLineOptions;

SimLineOptions Controller(uint8_t address) {
  SimLineOptions o;
  o.addresses = {address};
  o.openPort = false;
  return o;
}

struct Output {
  int code;
  std::string out;
  std::string err;
};

Output Ctl(std::vector<std::string> args) {
  std::ostringstream out, err;
  cli::Io io{out, err, [](int) {}};
  const int code = cli::Run(args, io);
  return {code, out.str(), err.str()};
}

// The whole output as one JSON document; a parse error fails the test.
json Parsed(const Output& o) {
  try {
    return json::parse(o.out);
  } catch (const json::exception& e) {
    ADD_FAILURE() << e.what() << "\n" << o.out;
    return nullptr;
  }
}

TEST(Rq30ctlJson, IdentScanReadRecordsAndDiff) {
  SimLine line(Controller(12));
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().alarm1.sphi = 80.25f;
    m.Image().alarm1.rala = 2;
    m.Image().recordMemory.ringIndex = 5;
    for (int i = 0; i < kRecordValues; ++i) m.Image().recordValues[i] = 1000.0f + i;
    return 0;
  });

  // Options after the command, as a script may write them.
  json j = Parsed(Ctl({"ident", "--da", "12", "--json"}));
  EXPECT_EQ(j, json::parse(R"({"device":"VTQ45","firmware":"FW-K-47-03","variant":3})"));

  Output o = Ctl({"--json", "scan", "--from", "10", "--to", "13"});
  EXPECT_EQ(o.code, 0);
  EXPECT_EQ(Parsed(o), json::parse(R"({"addresses":[12]})"));

  j = Parsed(Ctl({"--json", "--da", "12", "read", "1"}));
  ASSERT_TRUE(j.is_object());
  EXPECT_TRUE(j["SPHI"].is_number());
  EXPECT_DOUBLE_EQ(j["SPHI"].get<double>(), 80.25);
  EXPECT_TRUE(j["RALA"].is_number_integer());
  EXPECT_EQ(j["RALA"], 2);

  j = Parsed(Ctl({"--json", "--da", "12", "records"}));
  ASSERT_TRUE(j["values"].is_array());
  ASSERT_EQ(j["values"].size(), 256u);
  EXPECT_DOUBLE_EQ(j["values"][0].get<double>(), 1005.0);  // newest first
  EXPECT_DOUBLE_EQ(j["values"][1].get<double>(), 1004.0);
  EXPECT_TRUE(j["time"].is_string());

  const std::string file = line.home.Dir() + "/set.ini";
  ASSERT_EQ(Ctl({"--da", "12", "params", "save", file}).code, 0);
  o = Ctl({"--json", "--da", "12", "params", "diff", file});
  EXPECT_EQ(o.code, 0);
  EXPECT_EQ(Parsed(o), json::parse(R"({"differences":[]})"));
  line.WithModel([](sim::ControllerModel& m) { return m.Image().alarm1.sphi = 90.5f; });
  o = Ctl({"--json", "--da", "12", "params", "diff", file});
  EXPECT_EQ(o.code, 3);
  j = Parsed(o);
  ASSERT_EQ(j["differences"].size(), 1u) << o.out;
  EXPECT_EQ(j["differences"][0]["key"], "ALARM1/SPHI");
  EXPECT_EQ(j["differences"][0]["file"], "80.25");
  EXPECT_EQ(j["differences"][0]["controller"], "90.50");
}

TEST(Rq30ctlJson, LiveIsOneObjectPerLine) {
  SimLine line(Controller(12));
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().live.measured = 21.5f;
    m.Image().live.output = 523;
    return 0;
  });
  const Output o = Ctl({"--json", "--da", "12", "live", "--interval", "0", "--count", "3"});
  ASSERT_EQ(o.code, 0) << o.err;
  std::istringstream lines(o.out);
  int n = 0;
  for (std::string text; std::getline(lines, text); ++n) {
    const json j = json::parse(text);
    EXPECT_DOUBLE_EQ(j["measured"].get<double>(), 21.5);
    EXPECT_NEAR(j["output"].get<double>(), 52.3, 1e-9);
    ASSERT_TRUE(j["relays"].is_array());
    EXPECT_EQ(j["relays"].size(), 4u);
    EXPECT_TRUE(j["fault"].is_boolean());
    for (const char* key : {"setpoint", "terminal", "time"}) EXPECT_TRUE(j.contains(key)) << key;
  }
  EXPECT_EQ(n, 3);
}

TEST(Rq30ctlJson, AForeignDeviceNamesItsTexts) {
  SimLine line(Controller(12));
  line.WithModel([](sim::ControllerModel& m) {
    m.SetFirmware(sim::Firmware::Foreign);
    return 0;
  });
  const Output o = Ctl({"--json", "--da", "12", "ident"});
  EXPECT_EQ(o.code, 7);
  const json j = Parsed(o);
  EXPECT_EQ(j["device"], "jiné zařízení");
  EXPECT_EQ(j["foreign"][2], "FW-R-12-05");
}

}  // namespace
}  // namespace rq30
