// rq30ctl run in-process against the simulator on a pty mapped to COM1 in a
// private configuration folder, with faults where they matter.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli.h"
#include "cp1250.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using testing::SimLine;
using testing::SimLineOptions;

SimLineOptions Controllers(std::vector<uint8_t> addresses) {
  SimLineOptions o;
  o.addresses = std::move(addresses);
  o.openPort = false;  // the client opens COM1 itself
  return o;
}

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result Ctl(std::vector<std::string> args, std::function<void(int)> pause = [](int) {}) {
  std::ostringstream out, err;
  cli::Io io{out, err, std::move(pause)};
  const int code = cli::Run(args, io);
  return {code, out.str(), err.str()};
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Rq30ctl, IdentReadWriteAndEeprom) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) { return m.Image().live.measured = 21.5f; });

  Result r = Ctl({"ident"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("firmware: FW-K-47-03\n"), std::string::npos);

  r = Ctl({"read", "11"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("MEAS=21.5\n", 0), 0u);

  r = Ctl({"write", "0", "sp=55.25"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.Image().sp; }), 55.25f);

  r = Ctl({"eeprom"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.EepromStores(); }), 1);
}

TEST(Rq30ctl, StoredSettingsChooseTheLine) {
  SimLine line(Controllers({7}));
  {
    std::ofstream settings(line.home.Dir() + "/QelFW_K47/settings.ini");
    settings << "[ADRESA]\r\nDA=7\r\n";
  }
  Result r = Ctl({"probe"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "address 7 answers\n");
  r = Ctl({"--da", "8", "probe"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "rq30ctl: address 8: no valid answer from the controller\n");
}

TEST(Rq30ctl, ScanListsWhoAnswersAndSkipsTheSilent) {
  SimLine line(Controllers({1, 3}));
  const Result r = Ctl({"scan", "--from", "0", "--to", "4"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1\n3\n");
  EXPECT_EQ(r.err, "2 addresses answer\n");
}

TEST(Rq30ctl, RefusedWriteNamesTheCode) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().nakCode = 5; });
  const Result r = Ctl({"write", "0", "SP=1"});
  EXPECT_EQ(r.code, 4);
  EXPECT_EQ(r.err, "rq30ctl: write table 0: not acknowledged (code 5)\n");
}

TEST(Rq30ctl, LiveWritesTheProgramsLog) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().live.measured = 21.5f;
    m.Image().live.setpoint = 55.0f;
    m.Image().live.output = 523;
    return 0;
  });
  const std::string path = line.home.Dir() + "/live.txt";
  const Result r = Ctl({"live", "--interval", "0", "--count", "3", "--log", path});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("21.50; 55.00; 52.3; není porucha;   ", 0), 0u) << r.out;

  const std::string file = ReadBytes(path);
  EXPECT_EQ(file.rfind(Utf8ToCp1250("Začátek měření na regulátoru VTQ45   "), 0), 0u);
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = file.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(file.substr(at, end - at));
  }
  EXPECT_EQ(at, file.size());  // every line ends in CR LF, the last too
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], std::string(65, '-'));
  // Semicolon-separated columns, as a spreadsheet splits them.
  for (int i = 3; i < 6; ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ';'), 5) << lines[i];
    EXPECT_EQ(lines[i].rfind("21.50; 55.00; 52.3; ", 0), 0u);
  }
}

TEST(Rq30ctl, LiveKeepsGoingWhenReadsFail) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().dropReplies = 100; });
  const Result r = Ctl({"live", "--interval", "0", "--count", "2"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");  // no record for a sample that did not come
  EXPECT_NE(r.err.find("(2 missed)"), std::string::npos) << r.err;
}

TEST(Rq30ctl, RecordsAsTheProgramListsThem) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) {
    m.SetFirmware(sim::Firmware::V3);
    m.Image().recordMemory.ringIndex = 5;
    for (int i = 0; i < kRecordValues; ++i) m.Image().recordValues[i] = 1000.0f + i;
    return 0;
  });
  const std::string path = line.home.Dir() + "/zaznam.txt";
  Result r = Ctl({"records", "--out", path});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string file = Cp1250ToUtf8(ReadBytes(path));
  EXPECT_NE(file.find("Počet zaznamenaných hodnot 256\r\n"), std::string::npos);
  EXPECT_NE(file.find("\r\n1;   1005.00\r\n2;   1004.00\r\n"), std::string::npos);

  // The adapter pulled out after the ring index was read: every block
  // fails, the listing still comes from the table image, and the exit says so.
  int pauses = 0;
  r = Ctl({"records"}, [&](int) {
    if (++pauses == 2) line.server.PullPlug();
  });
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Počet zaznamenaných hodnot 256\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n256;   0.00\n"), std::string::npos);
  EXPECT_EQ(r.err, "rq30ctl: record memory: some blocks did not arrive\n");
}

TEST(Rq30ctl, TraceShowsEveryTelegram) {
  SimLine line(Controllers({0}));
  const Result r = Ctl({"--trace", "read", "0"});
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.err.find(" > 68 08 08 68 00 00 6C 01 00 04 00 00 71 16\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(" < 68 07 07 68 00 00 08"), std::string::npos) << r.err;
}

TEST(Rq30ctl, UsageErrors) {
  SimLine line(Controllers({0}));
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"dance"},
                                             {"read"},
                                             {"read", "20"},
                                             {"read", "13"},
                                             {"write", "11", "MEAS=1"},
                                             {"write", "0", "XX=1"},
                                             {"write", "0", "SP=abc"},
                                             {"--da", "200", "probe"},
                                             {"scan", "--from", "9", "--to", "3"},
                                             {"live", "--every", "1"},
                                             {"--locale", "xx_NOWHERE", "read", "0"},
                                             {"probe", "extra"},
                                             {"read", "0", "1"},
                                             {"ident", "--bogus"},
                                             {"records", "--out"},
                                             {"help", "dance"},
                                             {"--version", "probe"}}) {
    const Result r = Ctl(args);
    EXPECT_EQ(r.code, 2) << (args.empty() ? "(none)" : args[0]) << ": " << r.err;
    EXPECT_NE(r.err.find("usage: rq30ctl"), std::string::npos);
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"live", "--help"}, {"live", "-h"}, {"help", "live"}}) {
    const Result help = Ctl(args);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: rq30ctl live", 0), 0u) << args[1];
  }
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
    const Result usage = Ctl(args);
    EXPECT_EQ(usage.code, 0);
    EXPECT_NE(usage.out.find("  7  a device of another kind answered\n"), std::string::npos);
  }
  const Result version = Ctl({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("rq30ctl 1.", 0), 0u) << version.out;
}

// The line's options may follow the command, as git's and systemctl's do.
TEST(Rq30ctl, OptionsAfterTheCommand) {
  SimLine line(Controllers({6}));
  const Result r = Ctl({"probe", "--da", "6"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "address 6 answers\n");
}

TEST(Rq30ctl, IdentNamesTheFirmwareVariant) {
  SimLine line(Controllers({0}));
  EXPECT_NE(Ctl({"ident"}).out.find("variant: 3\n"), std::string::npos);
  line.WithModel([](sim::ControllerModel& m) {
    m.SetFirmware(sim::Firmware::Unknown);
    return 0;
  });
  EXPECT_NE(Ctl({"ident"}).out.find("variant: unknown\n"), std::string::npos);
}

// A firmware 3 text on a controller of firmware 2: neither the program
// start with its start time nor the clock answers, and no file is written.
TEST(Rq30ctl, ParameterSaveFailsOnATableThatDoesNotAnswer) {
  SimLine line(Controllers({0}));
  line.WithModel([](sim::ControllerModel& m) {
    m.SetFirmware(sim::Firmware::V2);
    m.SetTexts("VTQ45", "FW-K-47-03");
    return 0;
  });
  const std::string other = line.home.Dir() + "/other.ini";
  Result r = Ctl({"params", "save", other});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "rq30ctl: params save: no valid answer for table 19, 15\n");
  EXPECT_FALSE(std::filesystem::exists(other));

  EXPECT_EQ(Ctl({"params", "diff", line.home.Dir() + "/missing.ini"}).code, 5);
  EXPECT_EQ(Ctl({"params", "save"}).code, 2);
  EXPECT_EQ(Ctl({"params", "save", other, "--eeprom"}).code, 2);
  EXPECT_EQ(Ctl({"params", "diff", other, "--other-variant"}).code, 2);
}

TEST(Rq30ctl, MissingPortIsAFailureWithTheProgramsText) {
  SimLine line(Controllers({0}));
  std::filesystem::create_symlink(line.home.Dir() + "/gone", line.home.Dir() + "/QelFW_K47/COM6");
  const Result r = Ctl({"--port", "COM6", "probe"});
  EXPECT_EQ(r.code, 6);
  EXPECT_EQ(r.err, "rq30ctl: Sériový port COM6 nelze otevřít\n");
}

}  // namespace
}  // namespace rq30

namespace rq30 {
namespace {

// One case per exit code, each from the situation a script would meet.
TEST(Rq30ctl, ExitCodes) {
  struct Case {
    int code;
    std::function<std::vector<std::string>(SimLine&)> setUp;
  };
  const std::vector<Case> cases = {
      {0, [](SimLine&) { return std::vector<std::string>{"--da", "4", "probe"}; }},
      {1, [](SimLine&) { return std::vector<std::string>{"--da", "5", "probe"}; }},
      {2, [](SimLine&) { return std::vector<std::string>{"--da", "4", "dance"}; }},
      {3,
       [](SimLine& line) {
         const std::string file = line.home.Dir() + "/set.ini";
         EXPECT_EQ(Ctl({"--da", "4", "params", "save", file}).code, 0);
         line.WithModel([](sim::ControllerModel& m) { return m.Image().sp = 61.5f; });
         return std::vector<std::string>{"--da", "4", "params", "diff", file};
       }},
      {4,
       [](SimLine& line) {
         line.WithModel([](sim::ControllerModel& m) { return m.Injected().nakCode = 3; });
         return std::vector<std::string>{"--da", "4", "write", "0", "SP=1"};
       }},
      {5,
       [](SimLine& line) {
         return std::vector<std::string>{"--da", "4", "records", "--out",
                                         line.home.Dir() + "/no/such/folder/z.txt"};
       }},
      {6, [](SimLine&) { return std::vector<std::string>{"--port", "COM9", "--da", "4", "probe"}; }},
      {7,
       [](SimLine& line) {
         line.WithModel([](sim::ControllerModel& m) {
           m.SetFirmware(sim::Firmware::Foreign);
           return 0;
         });
         return std::vector<std::string>{"--da", "4", "ident"};
       }},
  };
  for (const Case& c : cases) {
    SimLine line(Controllers({4}));
    const std::vector<std::string> args = c.setUp(line);
    const Result r = Ctl(args);
    EXPECT_EQ(r.code, c.code) << args.back() << ": " << r.err;
  }
}

TEST(Rq30ctl, IdentShowsADeviceOfAnotherKind) {
  SimLine line(Controllers({4}));
  line.WithModel([](sim::ControllerModel& m) {
    m.SetFirmware(sim::Firmware::Foreign);
    return 0;
  });
  const Result r = Ctl({"--da", "4", "ident"});
  EXPECT_EQ(r.code, 7);
  EXPECT_EQ(r.out,
            "device: jiné zařízení\n"
            "text 1: VTQ12 dvoukanalovy zapisovac\n"
            "text 2: Vyrobni cislo 12-04117\n"
            "text 3: FW-R-12-05\n");
}

// The firmware is asked for even when the device type got no answer.
TEST(Rq30ctl, IdentAsksForTheFirmwareWhateverTheDeviceTypeDid) {
  SimLine line(Controllers({4}));
  // The link sends a request three times before it gives up.
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().dropReplies = 3; });
  const Result r = Ctl({"--da", "4", "ident"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("firmware: FW-K-47-03\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("device type: no valid answer"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace rq30

namespace rq30 {
namespace {

// A value the editor would not take goes nowhere: not even the read that
// precedes a write is sent, and the controller's memory stays as it was.
TEST(Rq30ctl, RefusedValuesSendNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string named;  // what the message must name
  };
  const std::vector<Case> cases = {
      {{"write", "1", "RALA=99"}, "RALA is a list: a position from 0 to 3, not 99"},
      {{"write", "1", "RALA=-1"}, "RALA is a list: a position from 0 to 3"},
      {{"write", "1", "SPHI=1e39"}, "SPHI takes a number a float can hold"},
      {{"write", "1", "SPLO=5", "SPHI=abc"}, "SPHI takes a number"},
      {{"write", "0", "SP=nan"}, "SP takes a number"},
  };
  SimLine line(Controllers({4}));
  const TableImage before = line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--da", "4"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = Ctl(args);
    EXPECT_EQ(r.code, 2) << c.args.back();
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  EXPECT_TRUE(line.Requests().empty());
  const TableImage after = line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);

  // The same fields within their ranges go out.
  const Result ok = Ctl({"--da", "4", "write", "1", "RALA=3", "SPHI=1e30"});
  EXPECT_EQ(ok.code, 0) << ok.err;
  EXPECT_EQ(line.WithModel([](sim::ControllerModel& m) { return m.Image().alarm1.rala; }), 3);
}

}  // namespace
}  // namespace rq30
