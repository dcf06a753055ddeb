// rq30ctl params against the simulator: a set saved from one controller and
// restored into another gives it exactly the first one's parameters and
// nothing else; files that are no sound set are refused before any write.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli.h"
#include "controller_memory.h"
#include "ini_file.h"
#include "param_keys.h"
#include "param_set.h"
#include "param_values.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using paramset::Key;
using testing::SimLine;
using testing::SimLineOptions;

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result Ctl(std::vector<std::string> args) {
  std::ostringstream out, err;
  cli::Io io{out, err, [](int) {}};
  const int code = cli::Run(args, io);
  return {code, out.str(), err.str()};
}

// Outlives the simulators: each keeps its own configuration folder.
class Folder {
 public:
  Folder() {
    char name[] = "/tmp/rq30-params-XXXXXX";
    if (!mkdtemp(name)) ADD_FAILURE() << "mkdtemp failed";
    path_ = name;
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

sim::Firmware FirmwareOf(int variant) {
  return variant == 1 ? sim::Firmware::V1 : variant == 2 ? sim::Firmware::V2 : sim::Firmware::V3;
}

SimLineOptions Controller(int variant, uint8_t address) {
  SimLineOptions o;
  o.firmware = FirmwareOf(variant);
  o.addresses = {address};
  o.openPort = false;  // the client opens COM1 itself
  return o;
}

// Every value of the variant's set distinct from its neighbours and from
// the other seed's: list positions spread over each list, floats with a
// quarter that the file's two decimals carry exactly, int16 fields beyond
// one byte.
void Distinctive(TableImage& m, int variant, int seed) {
  const paramset::SetPlan plan = paramset::PlanFor(variant, true);
  int i = 0;
  for (const Key& key : paramset::Keys()) {
    ++i;
    if (!paramset::InPlan(plan, key)) continue;
    std::string text;
    if (key.form == paramset::Form::kList) {
      text = std::to_string((i * 7 + seed) % paramset::ListCount(key, variant));
    } else if (key.slot == paramset::Slot::kFloat) {
      const float value = (seed == 1 ? 1.0f : -1.0f) *
                          (static_cast<float>((i * 13 + seed * 101) % 900) + 0.25f * seed);
      text = paramset::FloatText(value, '.');
    } else if (key.slot == paramset::Slot::kByte) {
      text = std::to_string(key.section == "ADD" ? 10 + seed : (i * 11 + seed * 5) % 250);
    } else {
      text = std::to_string((i * 97 + seed * 1000) % 65536);
    }
    ASSERT_TRUE(paramset::StoreValue(m, key, text, '.')) << key.name << "=" << text;
  }
  // One place in the controller: the single setpoint is the list's first.
  if (variant >= 2) m.sp = m.setpointList[0];
  m.clock = {static_cast<uint8_t>(seed), 30, 12, 3, 17, 6, 26};
  m.programSelection = {static_cast<uint8_t>(seed), static_cast<uint8_t>(seed + 4)};
}

std::vector<uint8_t> Area(const TableImage& image, int variant, int table) {
  std::vector<uint8_t> area;
  sim::ReadArea(table, FirmwareOf(variant), image, area);
  return area;
}

// The tables and program areas a variant's set lives in, as the controller
// keeps them (the address table aside).
std::vector<int> SetAreas(int variant) {
  if (variant == 1) return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 17, 18};
}

TableImage Memory(SimLine& line) {
  return line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
}

int Writes(SimLine& line) {
  return line.WithModel([](sim::ControllerModel& m) { return m.WriteRequests(); });
}

bool SameMemory(const TableImage& a, const TableImage& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void SetKey(const std::string& path, const std::string& section, const std::string& key,
            const std::string& value) {
  IniFile file(path);
  file.WriteString(section, key, value);
  file.Flush();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct ChangedKey {
  const char* section;
  const char* key;
  const char* value;
};

class RoundTrip : public ::testing::TestWithParam<int> {};

// Save from A, restore into B holding other values: B then holds A's set,
// keeps its clock, address, recording rate and program selection, and diff
// finds nothing either side. One key changed in the file is what diff
// reports and all that a second load changes.
TEST_P(RoundTrip, RestoresExactlyTheSet) {
  const int variant = GetParam();
  Folder folder;
  const std::string path = folder.File("a.ini");
  TableImage a{};
  {
    SimLine line(Controller(variant, 11));
    line.WithModel([&](sim::ControllerModel& m) {
      Distinctive(m.Image(), variant, 1);
      return 0;
    });
    Result r = Ctl({"--da", "11", "params", "save", path});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Ctl({"--da", "11", "params", "diff", path});
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Writes(line), 0);
    a = Memory(line);
  }
  EXPECT_EQ(IniFile(path).ReadString("RQ30", "VARIANTA", ""), std::to_string(variant));

  SimLine line(Controller(variant, 12));
  line.WithModel([&](sim::ControllerModel& m) {
    Distinctive(m.Image(), variant, 2);
    return 0;
  });
  const TableImage before = Memory(line);
  for (int table : SetAreas(variant)) ASSERT_NE(Area(a, variant, table), Area(before, variant, table));

  Result r = Ctl({"--da", "12", "params", "load", path});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("read back: as written\n"), std::string::npos) << r.out;
  const TableImage after = Memory(line);
  for (int table : SetAreas(variant)) {
    EXPECT_EQ(Area(after, variant, table), Area(a, variant, table)) << "table " << table;
  }
  EXPECT_EQ(Area(after, variant, 10), Area(before, variant, 10)) << "address table";
  if (variant == 3) {
    EXPECT_EQ(Area(after, variant, 15), Area(before, variant, 15)) << "clock";
  }
  if (variant >= 2) {
    EXPECT_EQ(Area(after, variant, 16), Area(before, variant, 16)) << "selection";
  }

  r = Ctl({"--da", "12", "params", "diff", path});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "");

  const ChangedKey changes[] = {{"PID", "TD", "-17.25"}, {"COMP", "TEP[6][11]", "321.50"},
                                {"GO", "MIN", "59"}};
  const ChangedKey& change = changes[variant - 1];
  SetKey(path, change.section, change.key, change.value);
  r = Ctl({"--da", "12", "params", "diff", path});
  EXPECT_EQ(r.code, 3);
  const std::string prefix = std::string(change.section) + "/" + change.key + ": file " +
                             change.value + ", controller ";
  EXPECT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;

  r = Ctl({"--da", "12", "params", "load", path});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  TableImage expected = after;
  ASSERT_TRUE(paramset::StoreValue(expected, *paramset::FindKey(change.section, change.key),
                                   change.value, '.'));
  EXPECT_TRUE(SameMemory(Memory(line), expected));
}

INSTANTIATE_TEST_SUITE_P(Firmware, RoundTrip, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Variant" + std::to_string(info.param);
                         });

// Nothing reaches the controller from a file that is no sound set of its
// firmware: each is refused with exit 2, without a single write telegram,
// and the controller's memory stays as it was.
TEST(ParamsLoad, RefusesBeforeWritingAnything) {
  SimLine line(Controller(2, 4));
  Folder folder;
  const std::string good = folder.File("good.ini");
  ASSERT_EQ(Ctl({"--da", "4", "params", "save", good}).code, 0);
  const std::string saved = ReadBytes(good);
  const std::size_t comp = saved.find("[COMP]");
  ASSERT_NE(comp, std::string::npos);
  std::string utf16 = "\xFF\xFE";
  for (char c : saved.substr(0, 200)) utf16 += std::string{c, '\0'};

  struct Case {
    const char* name;
    std::string bytes;
    std::vector<ChangedKey> changes;
    const char* says;
  };
  const Case cases[] = {
      {"empty", "", {}, "the file is empty"},
      {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), {}, "not text"},
      {"UTF-16", utf16, {}, "not text"},
      {"truncated", saved.substr(0, saved.size() / 2), {}, "missing"},
      {"no COMP", saved.substr(0, comp), {}, "no [COMP] section"},
      {"other variant", saved, {{"RQ30", "VARIANTA", "3"}}, "firmware 3"},
      {"list position outside", saved, {{"GO", "PUC", "4"}}, "GO/PUC: position 4"},
      {"outside without variant", saved, {{"RQ30", "VARIANTA", ""}, {"GO", "PUC", "3"}},
       "GO/PUC: position 3"},
      {"alarm mode outside", saved, {{"ALARM2", "RALA", "7"}}, "ALARM2/RALA"},
      {"float out of range", saved, {{"DACO", "AEND", "1e39"}}, "DACO/AEND"},
      {"not a number", saved, {{"ONOF", "HHEA", "abc"}}, "ONOF/HHEA"},
      {"program time", saved, {{"COMP", "CAS[3][4]", "70000"}}, "COMP/CAS[3][4]"},
  };
  const TableImage before = Memory(line);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.File("bad.ini");
    WriteBytes(path, c.bytes);
    for (const ChangedKey& k : c.changes) SetKey(path, k.section, k.key, k.value);
    const Result r = Ctl({"--da", "4", "params", "load", path, "--eeprom"});
    EXPECT_EQ(r.code, 2) << r.out << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Writes(line), 0);
    EXPECT_TRUE(SameMemory(Memory(line), before));
  }

  // The file that says nothing of its firmware is taken as the controller's.
  const std::string old = folder.File("old.ini");
  WriteBytes(old, saved.substr(0, saved.find("[RQ30]")));
  const Result r = Ctl({"--da", "4", "params", "load", old});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("does not say its firmware"), std::string::npos) << r.err;
}

// A set of another firmware goes in only on request, and then only what
// both firmwares hold: a firmware 2 set leaves a firmware 3 controller's
// start time as it was.
TEST(ParamsLoad, OtherVariantWritesOnlyWhatBothHold) {
  Folder folder;
  const std::string path = folder.File("v2.ini");
  {
    SimLine line(Controller(2, 5));
    line.WithModel([](sim::ControllerModel& m) {
      Distinctive(m.Image(), 2, 1);
      return 0;
    });
    ASSERT_EQ(Ctl({"--da", "5", "params", "save", path}).code, 0);
  }
  SimLine line(Controller(3, 5));
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().programStartTime = {21, 6, 15};
    return 0;
  });
  EXPECT_EQ(Ctl({"--da", "5", "params", "load", path}).code, 2);
  EXPECT_EQ(Writes(line), 0);
  const Result r = Ctl({"--da", "5", "params", "load", path, "--other-variant"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("table 14: written"), std::string::npos) << r.out;
  const TableImage after = Memory(line);
  EXPECT_EQ(after.programStartTime.date, 21);
  EXPECT_EQ(after.programStartTime.hour, 6);
  EXPECT_EQ(after.programStartTime.min, 15);
}

// The address table only on request: then the controller moves to the
// file's address, and the rest of the load follows it there.
TEST(ParamsLoad, AddressOnlyWithItsOption) {
  Folder folder;
  const std::string path = folder.File("a.ini");
  {
    SimLine line(Controller(3, 9));
    ASSERT_EQ(Ctl({"--da", "9", "params", "save", path}).code, 0);
  }
  SetKey(path, "ADD", "ZAZNAM", "300");
  SimLine line(Controller(3, 6));
  ASSERT_EQ(Ctl({"--da", "6", "params", "load", path}).code, 0);
  EXPECT_EQ(Memory(line).address.address, 6);
  EXPECT_NE(Memory(line).address.rate, 300);
  EXPECT_EQ(Ctl({"--da", "6", "params", "diff", path}).code, 0);
  EXPECT_EQ(Ctl({"--da", "6", "params", "diff", path, "--with-address"}).code, 3);

  const Result r = Ctl({"--da", "6", "params", "load", path, "--with-address", "--eeprom"});
  ASSERT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Memory(line).address.address, 9);
  EXPECT_EQ(Memory(line).address.rate, 300);
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 1);
  EXPECT_EQ(Ctl({"--da", "9", "params", "diff", path, "--with-address"}).code, 0);
}

// A controller that keeps a value other than the one sent fails the load,
// naming the key; no EEPROM store follows.
TEST(ParamsLoad, ReadBackNamesWhatTheControllerDidNotTake) {
  SimLine line(Controller(3, 2));
  Folder folder;
  const std::string path = folder.File("a.ini");
  ASSERT_EQ(Ctl({"--da", "2", "params", "save", path}).code, 0);
  SetKey(path, "SENS", "STRS", "-40.25");
  // Once the tables are written, the controller changes the range start
  // by itself (its keypad, say) before the load reads it back.
  std::ostringstream out, err;
  bool changed = false;
  cli::Io io{out, err, [&](int) {
               // The pauses between program blocks: the table writes are over.
               if (changed) return;
               changed = line.WithModel([](sim::ControllerModel& m) {
                 if (m.WriteRequests() < 10) return false;
                 m.Image().sensor.strs = 0.5f;
                 return true;
               });
             }};
  const int code = cli::Run({"--da", "2", "params", "load", path, "--eeprom"}, io);
  EXPECT_EQ(code, 1);
  EXPECT_NE(err.str().find("the controller holds other values for SENS/STRS\n"),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("EEPROM not stored"), std::string::npos);
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 0);
}

// A write the controller refused and then carried out on its repeat is
// written; a refusal that stands names its own code.
TEST(ParamsLoad, RefusedThenAcknowledgedIsWritten) {
  SimLine line(Controller(3, 3));
  Folder folder;
  const std::string path = folder.File("a.ini");
  ASSERT_EQ(Ctl({"--da", "3", "params", "save", path}).code, 0);
  line.WithModel([](sim::ControllerModel& m) {
    m.Injected().nakCode = 5;
    m.Injected().nakTimes = 1;
    return 0;
  });
  Result r = Ctl({"--da", "3", "write", "0", "SP=12.5"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Memory(line).sp, 12.5f);

  line.WithModel([](sim::ControllerModel& m) {
    m.Injected().nakCode = 5;
    m.Injected().nakTimes = 1;
    return 0;
  });
  r = Ctl({"--da", "3", "params", "load", path});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("table 1: written\n"), std::string::npos) << r.out;

  line.WithModel([](sim::ControllerModel& m) {
    m.Injected().nakCode = 5;
    m.Injected().nakTimes = 0;
    return 0;
  });
  r = Ctl({"--da", "3", "params", "load", path, "--eeprom"});
  EXPECT_EQ(r.code, 4);  // the controller refused
  EXPECT_NE(r.out.find("table 1: FAILED, not acknowledged (code 5)\n"), std::string::npos) << r.out;
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 0);
}

// Commands that need an answer refuse the broadcast address before they
// send anything; the EEPROM store may go to every controller.
TEST(Broadcast, OnlyTheEepromStoreMayGoToEveryController) {
  SimLine line(Controller(3, 0));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--da", "127", "write", "0", "SP=5"},
           {"--da", "127", "read", "0"},
           {"--da", "127", "records"},
           {"--da", "127", "ident"},
           {"--da", "127", "probe"},
           {"--da", "127", "params", "save", line.home.Dir() + "/x.ini"},
           {"--da", "127", "clock", "set"}}) {
    SCOPED_TRACE(args[2]);
    const Result r = Ctl(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("broadcast address 127"), std::string::npos) << r.err;
    EXPECT_TRUE(line.Requests().empty());
  }
  // Nobody acknowledges a broadcast: the store goes out (three times, as
  // an unanswered request does) and is reported as unconfirmed.
  const TableImage before = Memory(line);
  const Result r = Ctl({"--da", "127", "eeprom"});
  EXPECT_EQ(r.code, 1);
  EXPECT_GE(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 1);
  EXPECT_TRUE(SameMemory(Memory(line), before));
}

TEST(ClockSet, SetsTheClockAndNothingElse) {
  SimLine line(Controller(3, 8));
  const TableImage before = Memory(line);
  Result r = Ctl({"--da", "8", "clock", "set", "2026-12-13T07:08:09"});
  ASSERT_EQ(r.code, 0) << r.err;
  TableImage expected = before;
  expected.clock = {9, 8, 7, 7, 13, 12, 26};  // 13 December 2026 is a Sunday
  EXPECT_TRUE(SameMemory(Memory(line), expected));

  for (const char* bad : {"2026-02-29T00:00:00", "1999-12-31T23:59:59", "2026-12-13 07:08:09",
                          "2026-12-13T24:00:00"}) {
    EXPECT_EQ(Ctl({"--da", "8", "clock", "set", bad}).code, 2) << bad;
  }
  r = Ctl({"--da", "8", "clock", "set", "now"});
  EXPECT_EQ(r.code, 0) << r.err;
}

TEST(ClockSet, FirmwareWithoutAClockGetsNothing) {
  SimLine line(Controller(2, 8));
  const Result r = Ctl({"--da", "8", "clock", "set"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no clock"), std::string::npos) << r.err;
  EXPECT_EQ(Writes(line), 0);
}

}  // namespace
}  // namespace rq30
