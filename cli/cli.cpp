#include "cli.h"

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>

#include "bridge.h"
#include "link.h"
#include "ini_file.h"
#include "load_sequence.h"
#include "measurement_log.h"
#include "number_text.h"
#include "param_file.h"
#include "param_keys.h"
#include "param_values.h"
#include "record_download.h"
#include "safe_file.h"
#include "serial_port.h"
#include "settings_store.h"
#include "table_layout.h"
#include "table_text.h"
#include "trace_port.h"
#include "write_sequence.h"

namespace rq30::cli {

namespace {

const char kUsageText[] =
    "usage: rq30ctl [OPTIONS] COMMAND [ARGS]\n"
    "options (defaults: the program's stored settings PORT/COM, PORT/BAUDRATE,\n"
    "ADRESA/DA, ADRESA/SA):\n"
    "  --port COMn|PATH   serial line\n"
    "  --baud B           rate in bit/s\n"
    "  --da A             controller address 0..127\n"
    "  --sa A             computer address 0..126\n"
    "  --locale NAME      number, date and time texts of this locale (default C: a point)\n"
    "  --trace            every telegram sent and received, in hex, on standard error\n"
    "commands (each takes --help):\n"
    "  ident                          device type, firmware and firmware variant\n"
    "  scan [--from A] [--to B]       the addresses that answer a probe\n"
    "  read TABLE                     the table's fields, one MNEMONIC=value a line\n"
    "  write TABLE MNEMONIC=VALUE...  reads the table, changes the fields, writes it\n"
    "  live [--interval S] [--count N] [--log FILE]\n"
    "                                 live values every S seconds\n"
    "  records [--out FILE]           the record memory as the program lists it\n"
    "  params save FILE               the controller's parameter set into a file\n"
    "  params load FILE [--eeprom]    a parameter set file into the controller\n"
    "  params diff FILE               keys whose value differs from the controller's\n"
    "  probe                          whether the controller address answers\n"
    "  eeprom                         the controller stores its parameters\n"
    "  bridge --broker mqtt://HOST    publishes the live values to an MQTT broker\n"
    "exit: 0 done, 1 an exchange or a file failed, 2 bad usage, 3 differences found\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string port;
  int baud = kDefaultBaudRate;
  int da = 0;
  int sa = 0;
  std::string locale = "C";
  bool trace = false;
  std::vector<std::string> command;
};

int Number(const std::string& text, int low, int high, const std::string& what) {
  long v = 0;
  if (!ParseInt(text, v) || v < low || v > high) {
    throw UsageError(what + " must be a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return static_cast<int>(v);
}

// The line the program itself would use: its stored port, rate and addresses.
void StoredDefaults(Options& o) {
  auto store = OpenSettingsStore();
  int com = store->ReadInteger("PORT", "COM", 1);
  if (com < 1) com = 1;
  o.port = "COM" + std::to_string(com);
  o.baud = store->ReadInteger("PORT", "BAUDRATE", kDefaultBaudRate);
  o.da = store->ReadInteger("ADRESA", "DA", 0);
  o.sa = store->ReadInteger("ADRESA", "SA", 0);
}

Options Parse(const std::vector<std::string>& args) {
  Options o;
  StoredDefaults(o);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--port") {
      o.port = value();
    } else if (arg == "--baud") {
      o.baud = Number(value(), 1, 4000000, "--baud");
    } else if (arg == "--da") {
      o.da = Number(value(), 0, 127, "--da");
    } else if (arg == "--sa") {
      o.sa = Number(value(), 0, 126, "--sa");
    } else if (arg == "--locale") {
      o.locale = value();
    } else if (arg == "--trace") {
      o.trace = true;
    } else if (arg.rfind("--", 0) == 0 && arg != "--help") {
      throw UsageError("unknown option " + arg);
    } else {
      o.command.assign(args.begin() + static_cast<long>(i), args.end());
      break;
    }
  }
  return o;
}

// Options of one command: "--name value" pairs and plain arguments.
struct CommandArgs {
  std::vector<std::string> plain;
  std::vector<std::pair<std::string, std::string>> named;
  std::vector<std::string> flags;
  bool help = false;

  bool Has(const std::string& flag) const {
    for (const std::string& f : flags) {
      if (f == flag) return true;
    }
    return false;
  }

  const std::string* Get(const std::string& name) const {
    for (const auto& [n, v] : named) {
      if (n == name) return &v;
    }
    return nullptr;
  }
};

CommandArgs SplitCommand(const std::vector<std::string>& cmd,
                         const std::vector<std::string>& valued,
                         const std::vector<std::string>& flags) {
  CommandArgs a;
  for (std::size_t i = 1; i < cmd.size(); ++i) {
    const std::string& s = cmd[i];
    bool flag = false;
    for (const std::string& f : flags) flag = flag || f == s;
    if (s == "--help") {
      a.help = true;
    } else if (flag) {
      a.flags.push_back(s);
    } else if (s.rfind("--", 0) == 0) {
      bool known = false;
      for (const std::string& v : valued) known = known || v == s;
      if (!known) throw UsageError(cmd[0] + ": unknown option " + s);
      if (i + 1 >= cmd.size()) throw UsageError(s + " needs a value");
      a.named.emplace_back(s, cmd[++i]);
    } else {
      a.plain.push_back(s);
    }
  }
  return a;
}

// Texts of the chosen locale: the decimal point, and dates and times.
struct LocaleTexts {
  char point = '.';
  bool iso = true;  // the C locale: ISO dates

  explicit LocaleTexts(const std::string& name) {
    if (!std::setlocale(LC_ALL, name.c_str())) {
      throw UsageError("locale " + name + " is not installed");
    }
    const char* dp = std::localeconv()->decimal_point;
    point = dp && dp[0] && !dp[1] ? dp[0] : '.';
    iso = name == "C" || name == "POSIX";
  }
  std::string Date(const std::tm& t) const { return Format(t, iso ? "%Y-%m-%d" : "%x"); }
  std::string Time(const std::tm& t) const { return Format(t, iso ? "%H:%M:%S" : "%X"); }

 private:
  static std::string Format(const std::tm& t, const char* format) {
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &t);
    return std::string(buffer, n);
  }
};

std::tm Now() {
  const std::time_t t = std::time(nullptr);
  return *std::localtime(&t);  // one thread: the shared result is ours
}

// The line, opened, with the link and its image.
struct Session {
  Session(const Options& o, Io& io) : link(image) {
    port.SetBaudRate(o.baud);
    const std::string& p = o.port;
    const bool comName = p.size() > 3 && p.compare(0, 3, "COM") == 0 &&
                         p.find_first_not_of("0123456789", 3) == std::string::npos;
    if (comName) {
      port.OpenPort(std::atoi(p.c_str() + 3));
    } else {
      port.OpenPath(p);
    }
    if (o.trace) {
      trace = std::make_unique<TracePort>(port, io.err);
      link.SetPort(trace.get());
    } else {
      link.SetPort(&port);
    }
    link.SetPause(io.pause);
    link.SetDeviceAddress(o.da);
    link.SetComputerAddress(o.sa);
    link.SetReporter([&io](const std::string& text, const std::string&) {
      io.err << "rq30ctl: " << text << '\n';
    });
  }

  TableImage image{};
  SerialPort port;
  std::unique_ptr<TracePort> trace;
  Link link;
};

void Expect(int result, const std::string& what) {
  if (!result) throw Failure(what + ": no valid answer from the controller");
}

int TableNumber(const CommandArgs& a, const std::string& command) {
  if (a.plain.empty()) throw UsageError(command + " needs a table number");
  return Number(a.plain[0], 0, kTableCount - 1, "TABLE");
}

int Ident(Session& s, Io& io) {
  Expect(s.link.ReadDeviceType(), "device type");
  io.out << "device: " << s.image.deviceType << '\n';
  Expect(s.link.ReadFirmwareVersion(), "firmware version");
  io.out << "firmware: " << s.image.firmwareVersion << '\n';
  const int variant = paramset::FirmwareVariantOf(s.image.firmwareVersion);
  io.out << "variant: " << (variant ? std::to_string(variant) : std::string("unknown")) << '\n';
  return kOk;
}

int Scan(const Options& o, Session& s, const CommandArgs& a, Io& io) {
  const int from = a.Get("--from") ? Number(*a.Get("--from"), 0, 126, "--from") : 0;
  const int to = a.Get("--to") ? Number(*a.Get("--to"), 0, 126, "--to") : 126;
  if (from > to) throw UsageError("--from must not be above --to");
  int found = 0;
  for (int address = from; address <= to && !io.interrupted(); ++address) {
    if (io.terminal) io.err << "\rscanning " << address << " of " << from << ".." << to << std::flush;
    s.link.SetDeviceAddress(address);
    if (s.link.ProbeAddress()) {
      if (io.terminal) io.err << '\r' << std::string(40, ' ') << '\r';
      io.out << address << std::endl;
      ++found;
    }
  }
  if (io.terminal) io.err << '\r' << std::string(40, ' ') << '\r' << std::flush;
  s.link.SetDeviceAddress(o.da);
  io.err << found << (found == 1 ? " address answers\n" : " addresses answer\n");
  return kOk;
}

int Read(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const int table = TableNumber(a, "read");
  if (!LayoutOf(table).decodable) throw UsageError("table " + a.plain[0] + " has no read layout");
  Expect(s.link.ReadTable(table), "read table " + a.plain[0]);
  for (const std::string& line : TableFieldTexts(table, s.image, texts.point)) io.out << line << '\n';
  return kOk;
}

int Write(Session& s, const CommandArgs& a, const LocaleTexts& texts) {
  const int table = TableNumber(a, "write");
  if (!LayoutOf(table).encodable) throw UsageError("table " + a.plain[0] + " cannot be written");
  if (a.plain.size() < 2) throw UsageError("write needs MNEMONIC=VALUE");
  Expect(s.link.ReadTable(table), "read table " + a.plain[0]);
  for (std::size_t i = 1; i < a.plain.size(); ++i) {
    const std::string& pair = a.plain[i];
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) throw UsageError("expected MNEMONIC=VALUE, got " + pair);
    const std::string error =
        SetTableField(table, pair.substr(0, eq), pair.substr(eq + 1), s.image, texts.point);
    if (!error.empty()) throw UsageError(error);
  }
  if (!s.link.WriteTable(table)) {
    throw Failure("write table " + a.plain[0] + ": not acknowledged (code " +
                  std::to_string(s.link.AckErrorCode()) + ")");
  }
  return kOk;
}

// One sample as the program's log records it: the panel texts, time, date.
std::string LiveLine(const TableImage& image, const LocaleTexts& texts, const std::tm& now) {
  const LiveTable& live = image.live;
  return RecordLine(FormatFixed(live.measured, 5, 2, texts.point),
                    FormatFixed(live.setpoint, 5, 2, texts.point),
                    FormatFixed(live.output * 0.1, 4, 1, texts.point),
                    live.fault != 0 ? "PORUCHA" : "není porucha", texts.Time(now), texts.Date(now));
}

int Live(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const int intervalMs =
      a.Get("--interval") ? Number(*a.Get("--interval"), 0, 86400, "--interval") * 1000 : 1000;
  const int count = a.Get("--count") ? Number(*a.Get("--count"), 1, 1 << 30, "--count") : 0;
  const std::string* logPath = a.Get("--log");

  MeasurementLog log;
  if (logPath) {
    const std::tm now = Now();
    log.AppendHeader(texts.Date(now), texts.Time(now));
  }
  // The file is rewritten whole, through a temporary file, as the program
  // does: often enough that little is lost, seldom enough for a week's log.
  constexpr int kRewriteEveryMs = 60 * 1000;
  int sinceWrite = 0;
  int failed = 0;
  for (int n = 0; (count == 0 || n < count) && !io.interrupted(); ++n) {
    if (n > 0) io.pause(intervalMs);
    if (io.interrupted()) break;
    if (!s.link.ReadTable(11)) {
      ++failed;
      io.err << "rq30ctl: live values: no valid answer; the last values stand\n";
    }
    const std::string line = LiveLine(s.image, texts, Now());
    io.out << line << std::endl;
    if (logPath) {
      log.Append(line);
      sinceWrite += intervalMs;
      if (sinceWrite >= kRewriteEveryMs) {
        log.WriteTo(*logPath);
        sinceWrite = 0;
      }
    }
  }
  if (logPath) log.WriteTo(*logPath);
  return failed ? kFailed : kOk;
}

int Records(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const RecordDownloadResult result = DownloadRecords(s.link, s.image, io.pause);
  const std::tm now = Now();
  const std::vector<std::string> lines = RecordListing(
      result.download, texts.Date(now), texts.Time(now), std::string(1, texts.point));
  if (const std::string* out = a.Get("--out")) {
    WriteFileReplacing(*out, JoinCrLfCp1250(lines));
  } else {
    for (const std::string& line : lines) io.out << line << '\n';
  }
  if (result.blockFailed) throw Failure("record memory: some blocks did not arrive");
  return kOk;
}

// The controller's whole parameter set in the loading window's order; any
// table that does not answer makes the command fail.
int LoadFromController(Session& s, Io& io, const std::string& what) {
  std::vector<int> silent;
  paramset::LoadHooks hooks;
  hooks.pause = io.pause;
  hooks.readDone = [&](int table, int ok) {
    if (!ok) silent.push_back(table);
  };
  const int variant = paramset::LoadParameterSet(s.link, hooks);
  if (variant == 0) {
    throw Failure(what + ": no VTQ45 firmware identified (\"" +
                  std::string(s.image.firmwareVersion) + "\")");
  }
  if (!silent.empty()) {
    std::string tables;
    for (int t : silent) tables += (tables.empty() ? "" : ", ") + std::to_string(t);
    throw Failure(what + ": no valid answer for table " + tables);
  }
  return variant;
}

IniFile OpenParameterFile(const std::string& path) {
  std::string bytes;
  if (ReadWholeFile(path, bytes) != FileRead::kOk) throw Failure("cannot read " + path);
  return IniFile::FromBytes(path, bytes);
}

int ParamsSave(Session& s, const std::string& path, const LocaleTexts& texts, Io& io) {
  const int variant = LoadFromController(s, io, "params save");
  paramset::SaveImage(path, s.image, variant, texts.point);
  return kOk;
}

int ParamsDiff(Session& s, const std::string& path, const LocaleTexts& texts, Io& io) {
  const IniFile file = OpenParameterFile(path);
  const int variant = LoadFromController(s, io, "params diff");
  TableImage fromFile = s.image;
  paramset::LoadImage(file, fromFile, variant, texts.point);
  int differences = 0;
  for (const paramset::Key& key : paramset::Keys()) {
    // Only what the controller holds: keys behind a slot, on a page this
    // firmware offers.
    if (key.slot == paramset::Slot::kNone) continue;
    if (!paramset::PageShown(key.page, variant) && !paramset::SavedFromImage(key, variant)) continue;
    const std::string mine = paramset::ShownValue(fromFile, key, variant, texts.point);
    const std::string theirs = paramset::ShownValue(s.image, key, variant, texts.point);
    if (mine == theirs) continue;
    ++differences;
    io.out << key.section << '/' << key.name << ": file " << paramset::FileValue(file, key)
           << ", controller " << theirs << '\n';
  }
  return differences ? kDifferent : kOk;
}

int ParamsLoad(Session& s, const std::string& path, bool eeprom, const LocaleTexts& texts,
               Io& io) {
  const IniFile file = OpenParameterFile(path);
  paramset::LoadHooks hooks;
  hooks.pause = io.pause;
  const int variant = paramset::Identify(s.link, hooks);
  if (variant == 0) {
    throw Failure("params load: no VTQ45 firmware identified (\"" +
                  std::string(s.image.firmwareVersion) + "\")");
  }
  // The program selection stays the controller's, as in the editor.
  if (variant >= 2) s.link.ReadTable(16);
  const paramset::ImageLoad load = paramset::LoadImage(file, s.image, variant, texts.point);
  if (!load.rejected.empty() || load.badComp) {
    const paramset::Key& bad = load.badComp ? *load.badComp : *load.rejected.front();
    throw Failure("params load: " + path + ": " + bad.section + "/" + bad.name +
                  " is not a number; nothing written");
  }

  int failed = 0;
  auto report = [&](const std::string& what, int ok) {
    io.out << what << (ok ? ": written\n" : ": FAILED (code " +
                                               std::to_string(s.link.AckErrorCode()) + ")\n");
    if (!ok) ++failed;
  };
  for (int page = 1; page < paramset::kEditorPages; ++page) {
    if (!paramset::PageShown(page, variant)) continue;
    const int table =
        page == paramset::kGoPage && variant == 3 ? 19 : paramset::PageTable(page);
    const int ok = s.link.WriteTable(table);
    report("table " + std::to_string(table), ok);
    // The controller answers at its new address from now on.
    if (ok && table == 10) s.link.SetDeviceAddress(s.image.address.address);
  }
  if (variant == 1) {
    report("table 0", s.link.WriteTable(0));
  } else {
    paramset::WriteHooks writeHooks;
    writeHooks.pause = io.pause;
    report("program data", paramset::WriteProgramData(s.link, s.image, writeHooks));
  }
  if (eeprom) {
    if (failed) {
      io.err << "rq30ctl: EEPROM not stored: not every write succeeded\n";
    } else {
      report("EEPROM", s.link.StoreToEeprom());
    }
  }
  if (failed) throw Failure("params load: " + std::to_string(failed) + " write(s) failed");
  return kOk;
}

int Params(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const std::string& what = a.plain[0];
  const std::string& path = a.plain[1];
  if (what == "save") return ParamsSave(s, path, texts, io);
  if (what == "diff") return ParamsDiff(s, path, texts, io);
  return ParamsLoad(s, path, a.Has("--eeprom"), texts, io);
}

const char* CommandHelp(const std::string& name) {
  if (name == "ident") return "usage: rq30ctl ident\n  device type and firmware texts\n";
  if (name == "scan") {
    return "usage: rq30ctl scan [--from A] [--to B]\n"
           "  probes addresses A..B (default 0..126); prints each that answers\n";
  }
  if (name == "read") return "usage: rq30ctl read TABLE\n  the table's fields, MNEMONIC=value\n";
  if (name == "write") {
    return "usage: rq30ctl write TABLE MNEMONIC=VALUE...\n"
           "  reads the table, changes the named fields, writes it back\n";
  }
  if (name == "live") {
    return "usage: rq30ctl live [--interval SECONDS] [--count N] [--log FILE]\n"
           "  reads the live values every interval (default 1 s) until N samples or Ctrl+C;\n"
           "  each line is a record of the program's measurement log; --log writes that\n"
           "  log (Windows-1250, CR LF), rewritten whole every minute and at the end\n";
  }
  if (name == "records") {
    return "usage: rq30ctl records [--out FILE]\n"
           "  downloads the record memory; prints the program's listing or saves it\n";
  }
  if (name == "params") {
    return "usage: rq30ctl params save FILE | params load FILE [--eeprom] | params diff FILE\n"
           "  save: reads the whole parameter set of the identified firmware and writes\n"
           "        the program's parameter set file (470 keys)\n"
           "  load: writes the file's tables to the controller page by page, and the\n"
           "        program data; --eeprom then has the controller store them\n"
           "  diff: lists every key whose value differs between the file and the\n"
           "        controller; exit 3 when any does\n";
  }
  if (name == "probe") return "usage: rq30ctl probe\n  whether the controller address answers\n";
  if (name == "eeprom") return "usage: rq30ctl eeprom\n  the controller stores its parameters\n";
  return nullptr;
}

int Dispatch(const Options& o, Io& io) {
  if (o.command.empty() || o.command[0] == "--help") {
    if (o.command.empty()) throw UsageError("no command");
    io.out << kUsageText;
    return kOk;
  }
  const std::string& name = o.command[0];
  if (name == "bridge") return RunBridge({o.port, o.baud, o.da, o.sa, o.trace}, o.command, io);
  const char* help = CommandHelp(name);
  if (!help) throw UsageError("unknown command " + name);
  std::vector<std::string> valued;
  if (name == "scan") valued = {"--from", "--to"};
  if (name == "live") valued = {"--interval", "--count", "--log"};
  if (name == "records") valued = {"--out"};
  std::vector<std::string> flags;
  if (name == "params") flags = {"--eeprom"};
  const CommandArgs a = SplitCommand(o.command, valued, flags);
  if (a.help) {
    io.out << help;
    return kOk;
  }
  const LocaleTexts texts(o.locale);
  // Usage is checked before the line is opened.
  if (name == "read" || name == "write") TableNumber(a, name);
  if (name == "params") {
    const bool known = !a.plain.empty() && (a.plain[0] == "save" || a.plain[0] == "load" ||
                                            a.plain[0] == "diff");
    if (!known || a.plain.size() != 2) throw UsageError("params needs save, load or diff and a FILE");
    if (a.Has("--eeprom") && a.plain[0] != "load") throw UsageError("--eeprom goes with params load");
  }

  Session s(o, io);
  if (name == "ident") return Ident(s, io);
  if (name == "scan") return Scan(o, s, a, io);
  if (name == "read") return Read(s, a, texts, io);
  if (name == "write") return Write(s, a, texts);
  if (name == "live") return Live(s, a, texts, io);
  if (name == "records") return Records(s, a, texts, io);
  if (name == "params") return Params(s, a, texts, io);
  if (name == "probe") {
    Expect(s.link.ProbeAddress(), "address " + std::to_string(o.da));
    io.out << "address " << o.da << " answers\n";
    return kOk;
  }
  if (!s.link.StoreToEeprom()) {
    throw Failure("EEPROM: not acknowledged (code " + std::to_string(s.link.AckErrorCode()) + ")");
  }
  return kOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, Io& io) {
  try {
    return Dispatch(Parse(args), io);
  } catch (const UsageError& e) {
    io.err << "rq30ctl: " << e.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const std::exception& e) {
    io.err << "rq30ctl: " << e.what() << '\n';
    return kFailed;
  }
}

}  // namespace rq30::cli
