// The options of `rq30ctl bridge`, parsed and checked before anything is
// opened: every fault in them ends the bridge at start with exit 2 and a
// message that names it.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace rq30::cli {

// The serial line and addresses the global options (or the stored settings)
// chose for this run.
struct BridgeLine {
  std::string port;  // "COM1" or a device path
  int baud = 9600;
  int da = 0;
  int sa = 0;
  bool trace = false;
};

struct BrokerUrl {
  bool tls = false;  // mqtts://
  std::string host;  // without the brackets of an IPv6 literal
  int port = 1883;
};

struct BridgeOptions {
  BrokerUrl broker;
  std::string prefix;   // topic prefix, no trailing '/'
  int intervalS = 1;
  std::string user;
  std::string passwordFile;
  std::string cafile;
  std::string cert;
  std::string key;
  bool insecure = false;
  bool haDiscovery = false;
  std::string haPrefix = "homeassistant";
  bool help = false;
  std::string helpText;
};

// A fault in the options; its text names the fault.
struct BridgeUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// "mqtt://HOST[:PORT]" or "mqtts://HOST[:PORT]"; an IPv6 host in brackets.
BrokerUrl ParseBrokerUrl(const std::string& url);

// Empty when the text can be a topic prefix, else why not (wildcards,
// empty levels, a leading '$' that brokers keep for themselves).
std::string PrefixFault(const std::string& prefix);

// rq30/<host name>/<port name>/<device address>; the port name is "COM1" or
// the last part of a device path; characters a topic level cannot hold
// become '_'.
std::string DefaultPrefix(const std::string& hostName, const std::string& port, int da);

// `command` starts with "bridge". Throws BridgeUsageError.
BridgeOptions ParseBridgeOptions(const std::vector<std::string>& command,
                                 const BridgeLine& line, const std::string& hostName);

// The password: the first line of the file. Refuses (BridgeUsageError) a
// file that others may read or write, or one that cannot be read.
std::string ReadPasswordFile(const std::string& path);

}  // namespace rq30::cli
