#include "bridge_options.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include <CLI/CLI.hpp>

namespace rq30::cli {

namespace {

const char kDescription[] =
    "Publishes the controller's live values to an MQTT broker, read-only.\n"
    "Topics under PREFIX (default rq30/<host>/<port>/<device address>):\n"
    "  PREFIX/live    every sample, the JSON object of `rq30ctl --json live`, QoS 0\n"
    "  PREFIX/ident   {\"device\", \"firmware\", \"variant\"}, retained; sent at start\n"
    "                 and whenever the controller answers again after the line or\n"
    "                 the controller was away\n"
    "  PREFIX/status  retained: online, no-reply (a read failed), offline (stopped;\n"
    "                 also the connection's last will)\n"
    "Samples are taken on the wall clock's grid of S seconds. The bridge runs until\n"
    "SIGTERM or Ctrl+C; a lost broker, a lost line or a silent controller do not\n"
    "end it. It reconnects to the broker with back-off (1, 2, 4 ... at most 30 s\n"
    "between tries). While the broker is away nothing is queued: samples taken\n"
    "then are dropped, only the newest ident and status are kept and sent again\n"
    "on reconnect. A connection that stalls without closing holds at most one\n"
    "keep-alive period (30 s) of samples before it is dropped.\n"
    "Bad options, a password file others may read, or (at start) a broker whose\n"
    "certificate fails verification or that refuses the credentials end it.";

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void CheckReadable(const std::string& path, const char* option) {
  std::ifstream in(path);
  if (!in) throw BridgeUsageError(std::string(option) + ": cannot read " + path);
}

}  // namespace

BrokerUrl ParseBrokerUrl(const std::string& url) {
  BrokerUrl b;
  const std::size_t sep = url.find("://");
  if (sep == std::string::npos) {
    throw BridgeUsageError("--broker " + url + ": not a URL (mqtt://HOST[:PORT] or mqtts://...)");
  }
  const std::string scheme = url.substr(0, sep);
  if (scheme == "mqtts") {
    b.tls = true;
    b.port = 8883;
  } else if (scheme != "mqtt") {
    throw BridgeUsageError("--broker " + url + ": unknown scheme \"" + scheme +
                           "\" (mqtt:// or mqtts://)");
  }
  std::string rest = url.substr(sep + 3);
  if (rest.find('@') != std::string::npos) {
    throw BridgeUsageError("--broker " + url +
                           ": no user or password in the URL; use --user and --password-file");
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  if (rest.find_first_of("/?#") != std::string::npos) {
    throw BridgeUsageError("--broker " + url + ": a broker URL has no path");
  }
  std::string portText;
  if (!rest.empty() && rest[0] == '[') {  // [v6 address]:port
    const std::size_t close = rest.find(']');
    if (close == std::string::npos) throw BridgeUsageError("--broker " + url + ": unclosed '['");
    b.host = rest.substr(1, close - 1);
    const std::string after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') throw BridgeUsageError("--broker " + url + ": text after the host");
      portText = after.substr(1);
      if (portText.empty()) throw BridgeUsageError("--broker " + url + ": empty port");
    }
  } else {
    const std::size_t colon = rest.find(':');
    b.host = rest.substr(0, colon);
    if (colon != std::string::npos) {
      portText = rest.substr(colon + 1);
      if (portText.empty()) throw BridgeUsageError("--broker " + url + ": empty port");
    }
  }
  if (b.host.empty()) throw BridgeUsageError("--broker " + url + ": no host");
  if (!portText.empty()) {
    if (!AllDigits(portText) || portText.size() > 5 || std::stoi(portText) < 1 ||
        std::stoi(portText) > 65535) {
      throw BridgeUsageError("--broker " + url + ": port must be a number from 1 to 65535");
    }
    b.port = std::stoi(portText);
  }
  return b;
}

std::string PrefixFault(const std::string& prefix) {
  if (prefix.empty()) return "is empty";
  if (prefix.find_first_of("+#") != std::string::npos) return "holds a wildcard (+ or #)";
  if (prefix.find('\0') != std::string::npos) return "holds a NUL character";
  if (prefix.front() == '/' || prefix.back() == '/' || prefix.find("//") != std::string::npos) {
    return "has an empty level";
  }
  if (prefix.front() == '$') return "starts with $, which brokers keep for themselves";
  return "";
}

std::string DefaultPrefix(const std::string& hostName, const std::string& port, int da) {
  auto level = [](std::string s) {
    for (char& c : s) {
      if (c == '/' || c == '+' || c == '#' || c == '$' || c == '\0') c = '_';
    }
    return s.empty() ? std::string("_") : s;
  };
  const std::size_t slash = port.find_last_of("/\\");
  const std::string portName = slash == std::string::npos ? port : port.substr(slash + 1);
  return "rq30/" + level(hostName) + "/" + level(portName) + "/" + std::to_string(da);
}

BridgeOptions ParseBridgeOptions(const std::vector<std::string>& command,
                                 const BridgeLine& line, const std::string& hostName) {
  BridgeOptions o;
  CLI::App app(kDescription, "rq30ctl bridge");
  app.set_help_flag("-h,--help", "this text");
  app.footer(
      "The line comes from rq30ctl's own options before `bridge` (--port, --baud, --da,\n"
      "--sa, --trace), or else from the program's stored settings.\n"
      "Exit: 0 stopped by a signal, 1 a fault at the broker at start, 2 bad options.");
  std::string broker, prefix, interval = "1";
  app.add_option("--broker", broker, "mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883)")
      ->required()
      ->type_name("URL");
  app.add_option("--topic", prefix, "topic prefix")->type_name("PREFIX");
  app.add_option("--interval", interval, "seconds between samples, a whole number from 1 (1)")
      ->type_name("S");
  app.add_option("--user", o.user, "user name at the broker")->type_name("USER");
  app.add_option("--password-file", o.passwordFile,
                 "the password is the file's first line; others must not read the file")
      ->type_name("FILE");
  app.add_option("--cafile", o.cafile, "CA certificates (PEM) that sign the broker's certificate;"
                                       " default: the system's")
      ->type_name("FILE");
  app.add_option("--cert", o.cert, "client certificate (PEM), with --key")->type_name("FILE");
  app.add_option("--key", o.key, "client key (PEM), with --cert")->type_name("FILE");
  app.add_flag("--insecure", o.insecure, "mqtts without checking the broker's certificate");
  CLI::Option* ha = app.add_option("--ha-discovery", o.haPrefix,
                                   "Home Assistant discovery messages under this prefix"
                                   " (homeassistant)")
                        ->expected(0, 1)
                        ->type_name("[PREFIX]");

  std::vector<std::string> args(command.begin() + 1, command.end());
  std::reverse(args.begin(), args.end());
  try {
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    o.help = true;
    o.helpText = app.help();
    return o;
  } catch (const CLI::ParseError& e) {
    throw BridgeUsageError(std::string("bridge: ") + e.what());
  }

  o.broker = ParseBrokerUrl(broker);
  o.prefix = prefix.empty() ? DefaultPrefix(hostName, line.port, line.da) : prefix;
  if (const std::string fault = PrefixFault(o.prefix); !fault.empty()) {
    throw BridgeUsageError("--topic " + o.prefix + ": the prefix " + fault);
  }
  if (!AllDigits(interval) || interval.size() > 5 || std::stoi(interval) < 1 ||
      std::stoi(interval) > 86400) {
    throw BridgeUsageError("--interval " + interval +
                           ": must be a whole number of seconds from 1 to 86400");
  }
  o.intervalS = std::stoi(interval);
  o.haDiscovery = ha->count() > 0;
  if (o.haDiscovery) {
    if (o.haPrefix.empty()) o.haPrefix = "homeassistant";
    if (const std::string fault = PrefixFault(o.haPrefix); !fault.empty()) {
      throw BridgeUsageError("--ha-discovery " + o.haPrefix + ": the prefix " + fault);
    }
  }
  if (!o.broker.tls && (!o.cafile.empty() || !o.cert.empty() || !o.key.empty() || o.insecure)) {
    throw BridgeUsageError("--cafile, --cert, --key and --insecure need an mqtts:// broker");
  }
  if (o.cert.empty() != o.key.empty()) throw BridgeUsageError("--cert and --key go together");
  if (!o.passwordFile.empty() && o.user.empty()) {
    throw BridgeUsageError("--password-file needs --user");
  }
  if (!o.cafile.empty()) CheckReadable(o.cafile, "--cafile");
  if (!o.cert.empty()) CheckReadable(o.cert, "--cert");
  if (!o.key.empty()) CheckReadable(o.key, "--key");
  return o;
}

std::string ReadPasswordFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw BridgeUsageError("--password-file: cannot read " + path);
  if (st.st_mode & (S_IROTH | S_IWOTH)) {
    throw BridgeUsageError("--password-file " + path +
                           ": others may read or write it; chmod o-rw " + path);
  }
  std::ifstream in(path, std::ios::binary);
  std::string password;
  if (!in || !std::getline(in, password)) {
    throw BridgeUsageError("--password-file: cannot read " + path);
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) throw BridgeUsageError("--password-file " + path + ": the first line is empty");
  return password;
}

}  // namespace rq30::cli
