// What every rq30ctl command shares: its errors, options and arguments, the
// locale's texts and the opened line. One command per file builds on this.
#pragma once

#include <chrono>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cli.h"
#include "link.h"
#include "serial_port.h"
#include "table_image.h"
#include "trace_port.h"

namespace rq30::cli {

// Bad usage: exit 2, the message and the usage text, nothing sent.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A request refused before anything was written to a controller (a file
// that is no sound parameter set, the broadcast address for a command that
// needs an answer): exit 2, the message alone.
struct Refusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The controller did not answer: exit 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The controller answered with a non-zero acknowledgement: exit 4.
struct ControllerRefusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A file could not be read or written: exit 5.
struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The serial line could not be opened: exit 6.
struct PortError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A device of another kind answered: exit 7.
struct OtherDevice : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string port;
  int baud = kDefaultBaudRate;
  int da = 0;
  int sa = 0;
  std::string locale;  // empty: the environment's, as the program takes it
  bool trace = false;
  bool json = false;     // machine-readable output
  bool quiet = false;    // no progress on standard error
  bool version = false;
  std::vector<std::string> command;
};

// A whole number from `low` to `high`, or a UsageError naming `what`.
int Number(const std::string& text, int low, int high, const std::string& what);

// Options of one command: "--name value" pairs, flags and plain arguments.
struct CommandArgs {
  std::vector<std::string> plain;
  std::vector<std::pair<std::string, std::string>> named;
  std::vector<std::string> flags;
  bool help = false;

  bool Has(const std::string& flag) const;
  const std::string* Get(const std::string& name) const;
};

// Texts of the chosen locale: the decimal point, and dates and times. An
// empty name takes the environment's (LC_ALL, LC_NUMERIC for numbers,
// LC_TIME for dates and times, LANG); a name of no known language is a
// UsageError, one from the environment falls back to the C locale.
struct LocaleTexts {
  char point = '.';
  std::string datePattern;  // empty: ISO 8601
  std::string timePattern;

  explicit LocaleTexts(const std::string& name);
  std::string Date(const std::tm& t) const;
  std::string Time(const std::tm& t) const;
};

std::tm Now();
// The local calendar time of a clock reading.
std::tm LocalTime(std::chrono::system_clock::time_point t);

// The line, opened, with the link and its image. A line that cannot be
// opened is a PortError.
struct Session {
  Session(const Options& o, Io& io);
  // Closes and opens the line again (an adapter pulled out and put back);
  // false while it cannot be opened.
  bool Reopen();

  Options options;
  TableImage image{};
  SerialPort port;
  std::unique_ptr<TracePort> trace;
  Link link;
};

// A Failure unless the exchange succeeded.
void Expect(int result, const std::string& what);

// Why a write or EEPROM store failed: the controller's refusal code of that
// very exchange, or that nothing acknowledged it.
std::string WriteFailure(const Link& link);
// Throws ControllerRefusal when the controller refused the last exchange,
// else Failure; `what` starts the message.
[[noreturn]] void ThrowWriteFailure(const Link& link, const std::string& what);

// The table number of a read or a write, its first plain argument.
int TableNumber(const CommandArgs& a, const std::string& command);
// Every MNEMONIC=VALUE of a write, checked as the editor checks its fields
// before anything is sent; throws a UsageError naming the field and its
// range.
void CheckWriteValues(const CommandArgs& a, int table, const LocaleTexts& texts);

// The commands in files of their own.
int IdentCommand(Session& s, Io& io);
int ScanCommand(Session& s, const CommandArgs& a, Io& io);
int ReadCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io);
int WriteCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts);
int ProbeCommand(Session& s, Io& io);
int EepromCommand(Session& s);
int ParamsCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io);
int ClockCommand(Session& s, const CommandArgs& a, Io& io);
int LiveCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io);
int RecordsCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io);

}  // namespace rq30::cli
