#include "cli.h"

#include <algorithm>
#include <string>

#include <CLI/CLI.hpp>

#include "bridge.h"
#include "cli_support.h"
#include "load_sequence.h"
#include "cp1250.h"
#include "json_output.h"
#include "number_text.h"
#include "settings_store.h"
#include "table_layout.h"
#include "table_text.h"

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
    "  --locale NAME      number, date and time texts of this locale (C: points and\n"
    "                     ISO dates); by default the environment's (LC_ALL,\n"
    "                     LC_NUMERIC, LC_TIME, LANG) as the program takes them\n"
    "  --trace            every telegram sent and received, in hex, on standard error\n"
    "commands (each takes --help):\n"
    "  ident                          device type, firmware and firmware variant\n"
    "  scan [--from A] [--to B]       the addresses that answer a probe\n"
    "  read TABLE                     the table's fields, one MNEMONIC=value a line\n"
    "  write TABLE MNEMONIC=VALUE...  reads the table, changes the fields, writes it\n"
    "  live [--interval S] [--count N] [--log FILE]\n"
    "                                 live values every S seconds\n"
    "  records [--out FILE]           the record memory as the program lists it\n"
    "  params save FILE               the controller's whole parameter set into a file\n"
    "  params load FILE [--eeprom] [--with-address] [--other-variant]\n"
    "                                 a parameter set file into the controller, checked\n"
    "  params diff FILE [--with-address]\n"
    "                                 keys whose value differs from the controller's\n"
    "  clock set [now|YYYY-MM-DDTHH:MM:SS]\n"
    "                                 sets the controller's clock (firmware 3)\n"
    "  probe                          whether the controller address answers\n"
    "  eeprom                         the controller stores its parameters (may go to\n"
    "                                 the broadcast address 127; no other command can)\n"
    "  bridge --broker mqtt://HOST    publishes the live values to an MQTT broker\n"
    "  help [COMMAND]                 this text, or the command's\n"
    "general options, before or after the command: --json (machine-readable output\n"
    "of ident, scan, read, live, records and params diff), --quiet (no progress),\n"
    "-h/--help, --version\n"
    "exit status:\n"
    "  0  done\n"
    "  1  the controller did not answer\n"
    "  2  bad usage or a refused input; nothing was sent\n"
    "  3  differences found (params diff)\n"
    "  4  the controller refused (a non-zero acknowledgement)\n"
    "  5  a file could not be read or written\n"
    "  6  the serial line could not be opened\n"
    "  7  a device of another kind answered\n";

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

// The line's and the output's options; given to the main parser and again
// to the one that sorts them out of the bridge's own arguments.
struct GlobalTexts {
  std::string baud, da, sa;
};
void AddGlobalOptions(CLI::App& app, Options& o, GlobalTexts& t) {
  app.add_option("--port", o.port);
  app.add_option("--baud", t.baud);
  app.add_option("--da", t.da);
  app.add_option("--sa", t.sa);
  app.add_option("--locale", o.locale);
  app.add_flag("--trace", o.trace);
  app.add_flag("--json", o.json);
  app.add_flag("-q,--quiet", o.quiet);
}

// The numbers are checked here rather than by CLI11, so that the message
// names the option and its range.
void TakeGlobalNumbers(const GlobalTexts& t, Options& o) {
  if (!t.baud.empty()) o.baud = Number(t.baud, 1, 4000000, "--baud");
  if (!t.da.empty()) o.da = Number(t.da, 0, 127, "--da");
  if (!t.sa.empty()) o.sa = Number(t.sa, 0, 126, "--sa");
}

// Every command, with its options and whether it takes plain arguments.
struct CommandSpec {
  const char* name;
  std::vector<const char*> valued;
  std::vector<const char*> flags;
  bool plain;
};
const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"ident", {}, {}, false},
      {"scan", {"--from", "--to"}, {}, false},
      {"read", {}, {}, true},
      {"write", {}, {}, true},
      {"live", {"--interval", "--count", "--log"}, {}, false},
      {"records", {"--out"}, {}, false},
      {"params", {}, {"--eeprom", "--with-address", "--other-variant"}, true},
      {"clock", {}, {}, true},
      {"probe", {}, {}, false},
      {"eeprom", {}, {}, false},
      {"help", {}, {}, true},
  };
  return commands;
}

struct Parsed {
  Options options;
  std::string name;  // empty: no command
  CommandArgs args;
  bool help = false;  // -h/--help before any command
  std::vector<std::string> bridge;  // the bridge's own arguments, after "bridge"
};

// Options may stand before or after the command (the command falls through
// to the main parser for the line's); the usage texts are our own, so
// CLI11's help flags are replaced by plain ones.
Parsed Parse(const std::vector<std::string>& args) {
  Parsed p;
  Options& o = p.options;
  StoredDefaults(o);
  CLI::App app{"rq30ctl"};
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.allow_windows_style_options(false);
  app.set_help_flag();
  app.require_subcommand(0, 1);
  GlobalTexts texts;
  AddGlobalOptions(app, o, texts);
  app.add_flag("--version", o.version);
  app.add_flag("-h,--help", p.help);

  std::vector<std::string> values(64);  // one per command option, stable addresses
  std::vector<std::pair<CLI::App*, const CommandSpec*>> subs;
  std::size_t next = 0;
  std::vector<std::pair<std::string, std::size_t>> valuedAt;
  for (const CommandSpec& spec : Commands()) {
    CLI::App* sub = app.add_subcommand(spec.name);
    sub->fallthrough();
    sub->allow_windows_style_options(false);
    sub->set_help_flag();
    sub->add_flag("-h,--help", p.args.help);
    for (const char* name : spec.valued) sub->add_option(name, values.at(next++));
    for (const char* name : spec.flags) sub->add_flag(name);
    if (spec.plain) sub->add_option("ARGS", p.args.plain);
    subs.emplace_back(sub, &spec);
  }
  CLI::App* bridge = app.add_subcommand("bridge");
  bridge->prefix_command();
  bridge->set_help_flag();

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    throw UsageError(e.what());
  }

  next = 0;
  for (const auto& [sub, spec] : subs) {
    for (const char* name : spec->valued) {
      const std::string& value = values[next++];
      if (sub->parsed() && sub->get_option(name)->count() > 0) p.args.named.emplace_back(name, value);
    }
    if (!sub->parsed()) continue;
    p.name = spec->name;
    for (const char* name : spec->flags) {
      if (sub->get_option(name)->count() > 0) p.args.flags.push_back(name);
    }
  }
  if (bridge->parsed()) {
    // The line's options among the bridge's own are ours; the rest is its.
    CLI::App line{"rq30ctl bridge"};
    line.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    line.allow_windows_style_options(false);
    line.set_help_flag();
    line.allow_extras();
    AddGlobalOptions(line, o, texts);
    std::vector<std::string> rest = bridge->remaining();
    std::reverse(rest.begin(), rest.end());
    try {
      line.parse(rest);
    } catch (const CLI::ParseError& e) {
      throw UsageError(e.what());
    }
    p.name = "bridge";
    p.bridge = line.remaining();
  }
  TakeGlobalNumbers(texts, o);
  return p;
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
           "  reads the live values on the wall clock's second grid, every SECONDS (default\n"
           "  1; 0: as fast as the line allows), until N samples or Ctrl+C, SIGTERM or\n"
           "  SIGHUP; each line is a record of the program's measurement log. --log FILE\n"
           "  writes that log (Windows-1250, CR LF): the header at once, then each record\n"
           "  appended and flushed as it is taken. A sample without an answer writes no\n"
           "  record and is counted on standard error; a line that vanished is opened\n"
           "  again once per interval. --json: one JSON object per sample\n";
  }
  if (name == "records") {
    return "usage: rq30ctl records [--out FILE]\n"
           "  downloads the record memory (16 blocks; progress on a terminal) and prints\n"
           "  the program's listing, or saves it to FILE only when every block arrived\n"
           "  (else exit 1 and FILE stays as it was)\n";
  }
  if (name == "params") {
    return "usage: rq30ctl params save FILE\n"
           "       rq30ctl params load FILE [--eeprom] [--with-address] [--other-variant]\n"
           "       rq30ctl params diff FILE [--with-address]\n"
           "  save: reads the identified firmware's whole parameter set (every table, the\n"
           "        setpoint list, all ten programs) into the program's parameter set file\n"
           "  load: checks the whole file first and writes nothing if any value is wrong;\n"
           "        then writes the parameter set and nothing else (never the clock or the\n"
           "        program selection; the address table only with --with-address), reads\n"
           "        it all back and compares; --eeprom then has the controller store it.\n"
           "        A file of another firmware is refused unless --other-variant, which\n"
           "        writes only what both firmwares hold\n"
           "  diff: lists every key of the set whose value differs between the file and\n"
           "        the controller; exit 3 when any does\n";
  }
  if (name == "clock") {
    return "usage: rq30ctl clock set [now|YYYY-MM-DDTHH:MM:SS]\n"
           "  sets the controller's clock (table 15, firmware 3) to this computer's local\n"
           "  time or to the given one (years 2000..2099)\n";
  }
  if (name == "probe") return "usage: rq30ctl probe\n  whether the controller address answers\n";
  if (name == "eeprom") return "usage: rq30ctl eeprom\n  the controller stores its parameters\n";
  return nullptr;
}

// How many plain arguments each command takes, at least and at most.
std::pair<std::size_t, std::size_t> PlainArguments(const std::string& name) {
  if (name == "read") return {1, 1};
  if (name == "write") return {2, 1000};
  if (name == "params") return {2, 2};
  if (name == "clock") return {1, 2};
  return {0, 0};
}

int Dispatch(const Parsed& p, Io& io) {
  const Options& o = p.options;
  const std::string& name = p.name;
  const CommandArgs& a = p.args;
  if (o.version) {
    if (!name.empty()) throw UsageError("--version takes no command");
    io.out << "rq30ctl " << RQ30_VERSION << '\n';
    return kOk;
  }
  if (p.help) {
    io.out << kUsageText;
    return kOk;
  }
  if (name.empty()) throw UsageError("no command");
  if (name == "help") {
    if (a.plain.empty() && !a.help) {
      io.out << kUsageText;
      return kOk;
    }
    const char* help = a.plain.size() == 1 && !a.help ? CommandHelp(a.plain[0]) : nullptr;
    if (!help) throw UsageError("help takes one command name");
    io.out << help;
    return kOk;
  }
  if (name == "bridge") {
    std::vector<std::string> command = {"bridge"};
    command.insert(command.end(), p.bridge.begin(), p.bridge.end());
    return RunBridge({o.port, o.baud, o.da, o.sa, o.trace}, command, io);
  }
  const char* help = CommandHelp(name);
  if (a.help) {
    io.out << help;
    return kOk;
  }
  const auto [fewest, most] = PlainArguments(name);
  if (a.plain.size() < fewest) throw UsageError(name + ": too few arguments");
  if (a.plain.size() > most) throw UsageError(name + ": unexpected argument " + a.plain[most]);
  const LocaleTexts texts(o.locale);
  if (o.json) RequireJson();
  // Usage is checked before the line is opened.
  if (name == "read" || name == "write") TableNumber(a, name);
  if (name == "write") CheckWriteValues(a, TableNumber(a, name), texts);
  if (name == "params") {
    const bool known = !a.plain.empty() && (a.plain[0] == "save" || a.plain[0] == "load" ||
                                            a.plain[0] == "diff");
    if (!known || a.plain.size() != 2) throw UsageError("params needs save, load or diff and a FILE");
    for (const char* flag : {"--eeprom", "--other-variant"}) {
      if (a.Has(flag) && a.plain[0] != "load") throw UsageError(std::string(flag) + " goes with params load");
    }
    if (a.Has("--with-address") && a.plain[0] == "save") {
      throw UsageError("--with-address goes with params load and diff");
    }
  }
  if (name == "clock" && (a.plain.empty() || a.plain[0] != "set" || a.plain.size() > 2)) {
    throw UsageError("clock needs set and at most a time");
  }
  // A read or a write that wants its acknowledgement gets no answer from
  // the broadcast address, and a read-modify-write would send every
  // controller on the bus a table it never had.
  if (o.da == kBroadcastAddress && name != "eeprom" && name != "scan") {
    throw Refusal(name + " needs an answer from one controller, and the broadcast address " +
                     std::to_string(kBroadcastAddress) +
                     " gets none: give the controller's own address (only eeprom may broadcast)");
  }

  Session s(o, io);
  if (name == "ident") return IdentCommand(s, io);
  if (name == "scan") return ScanCommand(s, a, io);
  if (name == "read") return ReadCommand(s, a, texts, io);
  if (name == "write") return WriteCommand(s, a, texts);
  if (name == "live") return LiveCommand(s, a, texts, io);
  if (name == "records") return RecordsCommand(s, a, texts, io);
  if (name == "params") return ParamsCommand(s, a, texts, io);
  if (name == "clock") return ClockCommand(s, a, io);
  if (name == "probe") return ProbeCommand(s, io);
  return EepromCommand(s);
}

int Report(Io& io, const std::exception& e, int code) {
  io.err << "rq30ctl: " << e.what() << '\n';
  return code;
}

}  // namespace

int Run(const std::vector<std::string>& args, Io& io) {
  try {
    return Dispatch(Parse(args), io);
  } catch (const UsageError& e) {
    io.err << "rq30ctl: " << e.what() << '\n' << kUsageText;
    return kUsage;
  } catch (const Refusal& e) {
    io.err << "rq30ctl: " << e.what() << '\n';
    return kUsage;
  } catch (const ControllerRefusal& e) {
    return Report(io, e, kRefused);
  } catch (const FileError& e) {
    return Report(io, e, kFileError);
  } catch (const PortError& e) {
    return Report(io, e, kPortError);
  } catch (const OtherDevice& e) {
    return Report(io, e, kOtherDevice);
  } catch (const std::exception& e) {
    return Report(io, e, kFailed);
  }
}

}  // namespace rq30::cli
