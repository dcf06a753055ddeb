// rq30ctl: the controller link from a command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "link.h"
#include "serial_port.h"
#include "table_layout.h"
#include "table_text.h"

namespace {

using namespace rq30;

const char kUsage[] =
    "usage: rq30ctl [--port COMn|PATH] [--baud B] [--da A] [--sa A] COMMAND\n"
    "commands:\n"
    "  ident                          device type and firmware texts\n"
    "  read TABLE                     the table's fields, one MNEMONIC=value a line\n"
    "  write TABLE MNEMONIC=VALUE...  reads the table, changes the fields, writes it\n"
    "  probe                          asks whether the device address answers\n"
    "  records                        ring index and the 256 record values\n"
    "  eeprom                         the controller stores its parameters\n"
    "defaults: --port COM1 --baud 9600 --da 0 --sa 0\n"
    "exit: 0 done, 1 the exchange failed, 2 bad usage\n";

struct Options {
  std::string port = "COM1";
  int baud = kDefaultBaudRate;
  int da = 0;
  int sa = 0;
  std::vector<std::string> command;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct ExchangeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int ParseNumber(const std::string& text, int low, int high, const char* what) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) {
    throw UsageError(std::string(what) + " must be a number from " + std::to_string(low) +
                     " to " + std::to_string(high));
  }
  return static_cast<int>(v);
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--port") {
      o.port = value();
    } else if (arg == "--baud") {
      o.baud = ParseNumber(value(), 1, 4000000, "--baud");
    } else if (arg == "--da") {
      o.da = ParseNumber(value(), 0, 127, "--da");
    } else if (arg == "--sa") {
      o.sa = ParseNumber(value(), 0, 126, "--sa");
    } else if (arg.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + arg);
    } else {
      o.command.assign(argv + i, argv + argc);
      break;
    }
  }
  if (o.command.empty()) throw UsageError("no command");
  return o;
}

void Open(SerialPort& port, const Options& o) {
  port.SetBaudRate(o.baud);
  const bool comName = o.port.size() > 3 && o.port.compare(0, 3, "COM") == 0 &&
                       o.port.find_first_not_of("0123456789", 3) == std::string::npos;
  if (comName) {
    port.OpenPort(std::atoi(o.port.c_str() + 3));
  } else {
    port.OpenPath(o.port);
  }
}

void Expect(int result, const std::string& what) {
  if (!result) throw ExchangeError(what + ": no valid answer from the controller");
}

int TableArgument(const std::vector<std::string>& cmd) {
  if (cmd.size() < 2) throw UsageError(cmd[0] + " needs a table number");
  return ParseNumber(cmd[1], 0, kTableCount - 1, "TABLE");
}

void Run(const Options& o) {
  const std::vector<std::string>& cmd = o.command;
  const std::string& name = cmd[0];
  const bool known = name == "ident" || name == "read" || name == "write" || name == "probe" ||
                     name == "records" || name == "eeprom";
  if (!known) throw UsageError("unknown command " + name);
  const int table = (name == "read" || name == "write") ? TableArgument(cmd) : -1;
  if (name == "write" && cmd.size() < 3) throw UsageError("write needs MNEMONIC=VALUE");
  if (name == "read" && !LayoutOf(table).decodable) {
    throw UsageError("table " + cmd[1] + " cannot be read as a table");
  }
  if (name == "write" && !LayoutOf(table).encodable) {
    throw UsageError("table " + cmd[1] + " cannot be written");
  }

  static TableImage image{};
  SerialPort port;
  Open(port, o);
  Link link(image, &port);
  link.SetDeviceAddress(o.da);
  link.SetComputerAddress(o.sa);

  if (name == "ident") {
    Expect(link.ReadDeviceType(), "device type");
    std::printf("device: %s\n", image.deviceType);
    Expect(link.ReadFirmwareVersion(), "firmware version");
    std::printf("firmware: %s\n", image.firmwareVersion);
  } else if (name == "read") {
    Expect(link.ReadTable(table), "read table " + cmd[1]);
    for (const std::string& line : TableFieldTexts(table, image)) std::puts(line.c_str());
  } else if (name == "write") {
    Expect(link.ReadTable(table), "read table " + cmd[1]);
    for (std::size_t i = 2; i < cmd.size(); ++i) {
      const std::size_t eq = cmd[i].find('=');
      if (eq == std::string::npos) throw UsageError("expected MNEMONIC=VALUE, got " + cmd[i]);
      const std::string error = SetTableField(table, cmd[i].substr(0, eq), cmd[i].substr(eq + 1), image);
      if (!error.empty()) throw UsageError(error);
    }
    if (!link.WriteTable(table)) {
      throw ExchangeError("write table " + cmd[1] + ": not acknowledged (code " +
                          std::to_string(link.AckErrorCode()) + ")");
    }
  } else if (name == "probe") {
    Expect(link.ProbeAddress(), "address " + std::to_string(o.da));
    std::printf("address %d answers\n", o.da);
  } else if (name == "records") {
    Expect(link.ReadTable(12), "record memory table");
    std::printf("index=%d\n", image.recordMemory.ringIndex);
    for (int block = 0; block < 16; ++block) Expect(link.ReadRecordBlock(block), "record block");
    for (int i = 0; i < kRecordValues; ++i) {
      std::printf("%d=%s\n", i, FloatText(image.recordValues[i]).c_str());
    }
  } else if (name == "eeprom") {
    if (!link.StoreToEeprom()) {
      throw ExchangeError("EEPROM: not acknowledged (code " + std::to_string(link.AckErrorCode()) + ")");
    }
  }
  port.ClosePort();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Run(ParseOptions(argc, argv));
    return 0;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "rq30ctl: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rq30ctl: %s\n", e.what());
    return 1;
  }
}
