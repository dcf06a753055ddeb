// rq30ctl as a headless logger and a downloader that a script can trust:
// samples on the wall clock's second grid, a log complete at every moment,
// and no listing written from blocks that never came.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli.h"
#include "cp1250.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::SimLine;
using testing::SimLineOptions;
using Clock = std::chrono::system_clock;

SimLineOptions Controller(uint8_t address) {
  SimLineOptions o;
  o.addresses = {address};
  o.openPort = false;
  return o;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(bytes.substr(at, end - at));
  }
  EXPECT_EQ(at, bytes.size()) << "a line without its CR LF at the end";
  return lines;
}

// A wall clock that only the pauses move on, plus a little for every look
// at it, as the reads over the line would take in real life.
struct FakeClock {
  Clock::time_point now;
  milliseconds perLook{0};

  Clock::time_point Look() {
    now += perLook;
    return now;
  }
};

// A fixed local start, so that every record's time is known.
Clock::time_point LocalAt(int hour, int minute, int second, int ms) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 10;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&t)) + milliseconds(ms);
}

TEST(Rq30ctlLogger, AnHourAtOneSecondHoldsThirtySixHundredRecordsOnTheGrid) {
  SimLine line(Controller(9));
  const std::string path = line.home.Dir() + "/hodina.txt";
  FakeClock clock{LocalAt(11, 59, 59, 700), milliseconds(3)};
  const Clock::time_point end = LocalAt(12, 59, 59, 700);  // an hour after the start

  std::ostringstream out, err;
  cli::Io io{out, err, [&](int ms) { clock.now += milliseconds(ms); },
             [&] { return clock.now >= end; }};
  io.clock = [&] { return clock.Look(); };
  const int code = cli::Run({"--da", "9", "live", "--interval", "1", "--log", path}, io);
  ASSERT_EQ(code, 0) << err.str();

  const std::vector<std::string> lines = CrLfLines(ReadBytes(path));
  ASSERT_EQ(lines.size(), 3u + 3600u);
  // 12:00:00 up to 12:59:59, each second once, none twice, none left out.
  for (int i = 0; i < 3600; ++i) {
    char time[16];
    std::snprintf(time, sizeof time, "12:%02d:%02d;", i / 60, i % 60);
    ASSERT_NE(lines[3 + i].find(std::string(";   ") + time), std::string::npos)
        << "record " << i << ": " << lines[3 + i];
  }
}

// A sample whose read fails leaves no record; the line pulled out is opened
// again at the following samples and the log goes on when it is back.
TEST(Rq30ctlLogger, FailedReadsWriteNoRecordAndAVanishedLineIsReopened) {
  SimLine line(Controller(9));
  const std::string path = line.home.Dir() + "/vypadek.txt";
  FakeClock clock{LocalAt(8, 0, 0, 0)};
  int samples = 0;
  std::ostringstream out, err;
  cli::Io io{out, err, [&](int ms) { clock.now += milliseconds(ms); },
             [] { return false; }};
  io.clock = [&] {
    // The plug is pulled as the wait for the third sample ends, and put
    // back (a new pty under the same COM name) as the sixth sample's ends:
    // the line failed at that sample is reopened for the seventh.
    const Clock::time_point t = clock.Look();
    const int second = static_cast<int>(
        std::chrono::duration_cast<seconds>(t - LocalAt(8, 0, 0, 0)).count());
    if (second == 2 && samples == 0) {
      line.server.PullPlug();
      samples = 1;
    } else if (second == 5 && samples == 1) {
      line.server.Start();
      line.mapping.Map(1, line.server.SlavePath());
      samples = 2;
    }
    return t;
  };
  const int code =
      cli::Run({"--da", "9", "live", "--interval", "1", "--count", "8", "--log", path}, io);
  EXPECT_EQ(code, 1);  // some samples missed

  const std::vector<std::string> lines = CrLfLines(ReadBytes(path));
  ASSERT_EQ(lines.size(), 3u + 4u) << err.str();
  const char* times[] = {"08:00:00;", "08:00:01;", "08:00:06;", "08:00:07;"};
  for (int i = 0; i < 4; ++i) EXPECT_NE(lines[3 + i].find(times[i]), std::string::npos) << lines[3 + i];
  EXPECT_NE(err.str().find("08:00:05: no valid answer, no record (4 missed)"), std::string::npos)
      << err.str();
}

// A dropped SSH session: SIGHUP after three records ends the real program
// normally, and the log holds its header and whole records only.
TEST(Rq30ctlLogger, HangUpLeavesACompleteLog) {
  SimLineOptions options = Controller(9);
  options.realTime = true;
  SimLine line(options);
  const std::string path = line.home.Dir() + "/ssh.txt";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    freopen("/dev/null", "w", stdout);
    execl(RQ30CTL_PATH, "rq30ctl", "--da", "9", "live", "--interval", "1", "--log", path.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  // The header is on the disk before the first sample.
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    bytes = ReadBytes(path);
    if (std::count(bytes.begin(), bytes.end(), '\n') >= 6) break;
    std::this_thread::sleep_for(milliseconds(20));
  }
  ASSERT_GE(std::count(bytes.begin(), bytes.end(), '\n'), 6) << "three records in time";
  kill(child, SIGHUP);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::vector<std::string> lines = CrLfLines(ReadBytes(path));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0].rfind(Utf8ToCp1250("Začátek měření na regulátoru VTQ45"), 0), 0u);
  for (std::size_t i = 3; i < lines.size(); ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ';'), 5) << lines[i];
  }
}

TEST(Rq30ctlRecords, ASilentControllerLeavesTheOldListingByteIdentical) {
  SimLine line(Controller(9));
  const std::string path = line.home.Dir() + "/zaznam.txt";
  const std::string old = "an older listing\r\n1;   12.50\r\n";
  std::ofstream(path, std::ios::binary) << old;

  int pauses = 0;
  std::ostringstream out, err;
  cli::Io io{out, err, [&](int) {
               if (++pauses == 2) line.server.Stop();
             }};
  EXPECT_EQ(cli::Run({"--da", "9", "records", "--out", path}, io), 1);
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_NE(err.str().find("left as it was"), std::string::npos) << err.str();
  // Nothing of a temporary file stays beside it.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(line.home.Dir())) {
    files += entry.is_regular_file();
  }
  EXPECT_EQ(files, 1);
}

// Progress is for a person at a terminal: never in a script's captured
// standard error, and not with --quiet.
TEST(Rq30ctlRecords, ProgressOnlyOnATerminalAndNotWhenQuiet) {
  SimLine line(Controller(9));
  struct Case {
    bool terminal;
    std::vector<std::string> args;
    bool shown;
  };
  const std::vector<Case> cases = {
      {true, {"--da", "9", "records"}, true},
      {true, {"--da", "9", "records", "--quiet"}, false},
      {false, {"--da", "9", "records"}, false},
      {true, {"--da", "9", "scan", "--from", "8", "--to", "9"}, true},
      {true, {"-q", "--da", "9", "scan", "--from", "8", "--to", "9"}, false},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    cli::Io io{out, err, [](int) {}};
    io.terminal = c.terminal;
    ASSERT_EQ(cli::Run(c.args, io), 0) << err.str();
    const bool shown = err.str().find(" of 16 blocks done") != std::string::npos ||
                       err.str().find(" of 2 addresses done") != std::string::npos;
    EXPECT_EQ(shown, c.shown) << c.args[2] << (c.terminal ? " on a terminal" : "") << ": "
                              << err.str();
  }
}

// A parameter set's writes and their read-back show their progress the same
// way; the written items stay on standard output either way.
TEST(Rq30ctlParams, LoadProgressOnlyOnATerminalAndNotWhenQuiet) {
  SimLine line(Controller(9));
  const std::string file = line.home.Dir() + "/set.ini";
  {
    std::ostringstream out, err;
    cli::Io io{out, err, [](int) {}};
    ASSERT_EQ(cli::Run({"--da", "9", "params", "save", file}, io), 0) << err.str();
  }
  struct Case {
    bool terminal;
    std::vector<std::string> args;
    bool shown;
  };
  const std::vector<Case> cases = {
      {true, {"--da", "9", "params", "load", file}, true},
      {true, {"--da", "9", "params", "load", file, "--quiet"}, false},
      {false, {"--da", "9", "params", "load", file}, false},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    cli::Io io{out, err, [](int) {}};
    io.terminal = c.terminal;
    ASSERT_EQ(cli::Run(c.args, io), 0) << err.str();
    EXPECT_EQ(err.str().find("params load: 1 writes done") != std::string::npos, c.shown) << err.str();
    EXPECT_EQ(err.str().find(" read back") != std::string::npos, c.shown) << err.str();
    EXPECT_NE(out.str().find(": written\n"), std::string::npos);
    EXPECT_NE(out.str().find("read back: as written\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace rq30
