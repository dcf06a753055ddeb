// vtq45-sim: a VTQ45 controller simulator on a pseudo-terminal.
//
// Prints the pty's slave path as its first line, then serves the controller
// protocol on it until SIGINT or SIGTERM, running the simulated process in
// real time. With --com N it maps COMn of the program to the pty for as long
// as it runs.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <string>
#include <vector>

#include "calendar.h"
#include "com_mapping.h"
#include "controller_model.h"
#include "pty_server.h"

namespace {

using rq30::sim::Firmware;

const char kUsage[] =
    "usage: vtq45-sim [--com N] [--address A]... [--firmware 1|2|3|unknown|silent|foreign]\n"
    "                 [--drop N] [--corrupt N] [--nak CODE] [--gap MS] [--delay MS]\n"
    "                 [--baud B] [--help]\n"
    "\n"
    "Simulates a VTQ45 controller on a pseudo-terminal and prints its path first.\n"
    "  --com N        map COMN ($XDG_CONFIG_HOME/QelFW_K47/COMN) to the pty while running\n"
    "  --address A    bus address served, 0..126; repeat for several (default 0)\n"
    "  --firmware F   1, 2, 3 (default), unknown (FW-K-47-04), silent, or foreign\n"
    "                 (a device of another kind)\n"
    "  --drop N       swallow the next N replies\n"
    "  --corrupt N    send the next N replies with a wrong checksum\n"
    "  --nak CODE     refuse every write with this acknowledgement code, 1..255\n"
    "  --gap MS       pause between two reply bytes\n"
    "  --delay MS     pause before each reply\n"
    "  --baud B       take the wire time of this rate (11 bits per byte)\n"
    "Stops on Ctrl+C or SIGTERM.\n";

struct Options {
  int com = 0;
  std::vector<uint8_t> addresses;
  Firmware firmware = Firmware::V3;
  rq30::sim::Faults faults;
  bool help = false;
};

bool ParseInt(const std::string& text, long min, long max, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && value >= min && value <= max;
}

const char* const kValueOptions[] = {"--com", "--address", "--firmware", "--drop", "--corrupt",
                                     "--nak", "--gap",     "--delay",    "--baud"};

bool TakesValue(const std::string& name) {
  for (const char* option : kValueOptions) {
    if (name == option) return true;
  }
  return false;
}

// Takes one option with its value; false when the value does not fit.
bool Apply(const std::string& name, const std::string& value, Options& options) {
  long n = 0;
  if (name == "--com" && ParseInt(value, 1, 99, n)) {
    options.com = static_cast<int>(n);
  } else if (name == "--address" && ParseInt(value, 0, 126, n)) {
    options.addresses.push_back(static_cast<uint8_t>(n));
  } else if (name == "--firmware") {
    return rq30::sim::ParseFirmware(value, options.firmware);
  } else if (name == "--drop" && ParseInt(value, 0, 1000000, n)) {
    options.faults.dropReplies = static_cast<int>(n);
  } else if (name == "--corrupt" && ParseInt(value, 0, 1000000, n)) {
    options.faults.corruptReplies = static_cast<int>(n);
  } else if (name == "--nak" && ParseInt(value, 1, 255, n)) {
    options.faults.nakCode = static_cast<uint8_t>(n);
  } else if (name == "--gap" && ParseInt(value, 0, 10000, n)) {
    options.faults.gapMs = static_cast<int>(n);
  } else if (name == "--delay" && ParseInt(value, 0, 60000, n)) {
    options.faults.delayMs = static_cast<int>(n);
  } else if (name == "--baud" && ParseInt(value, 50, 4000000, n)) {
    options.faults.baud = static_cast<int>(n);
  } else {
    return false;
  }
  return true;
}

// Takes "--name value" and "--name=value"; false with a message otherwise.
bool Parse(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    std::string value;
    const auto equals = name.find('=');
    const bool inlineValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
    if (inlineValue) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (!TakesValue(name)) {
      error = "unknown argument " + name;
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) {
        error = name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (!Apply(name, value, options)) {
      error = "bad value for " + name + ": " + value;
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!Parse(argc, argv, options, error)) {
    std::fprintf(stderr, "vtq45-sim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  // Blocked before the server thread exists, so only sigwait below sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    rq30::sim::ControllerModel model(options.firmware, options.addresses);
    model.Injected() = options.faults;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    rq30::sim::SetClock(model.Image().clock, local);

    rq30::sim::PtyServer server(model);
    server.Start();
    rq30::sim::ComMapping mapping;
    if (options.com > 0) mapping.Map(options.com, server.SlavePath());

    // The path comes first and alone, once everything is ready to serve.
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    std::string addresses;
    for (uint8_t a : model.Addresses()) addresses += " " + std::to_string(a);
    std::fprintf(stderr, "vtq45-sim: %s serving address%s%s%s\n", server.SlavePath().c_str(),
                 model.Addresses().size() > 1 ? "es" : "", addresses.c_str(),
                 mapping.Path().empty() ? "" : (" as " + mapping.Path()).c_str());

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.PullPlug();
    mapping.Remove();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
