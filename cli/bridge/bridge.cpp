// The bridge's loop: a sample on every grid point of the wall clock, the
// broker's traffic in between. Everything runs on this one thread, the
// serial line as everywhere in the program; libmosquitto is driven from here.
#include "bridge.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "bridge_messages.h"
#include "link.h"
#include "live_json.h"
#include "mqtt_session.h"
#include "serial_port.h"
#include "trace_port.h"

namespace rq30::cli {

namespace {

using SystemClock = std::chrono::system_clock;

const char kShortUsage[] =
    "usage: rq30ctl [--port P] [--baud B] [--da A] [--sa A] bridge --broker URL [--topic PREFIX]\n"
    "       [--interval S] [--user U --password-file F] [--cafile F] [--cert F --key F]\n"
    "       [--insecure] [--ha-discovery [PREFIX]]      (rq30ctl bridge --help)\n";

// Passes everything to the line and remembers when the operating system
// failed a read or write: the device has gone (an adapter pulled), which a
// silent controller never causes.
class WatchedPort : public Port {
 public:
  explicit WatchedPort(Port& line) : line_(line) {}
  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    return Note(line_.ReadPort(buffer, n, got));
  }
  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    return Note(line_.WritePort(buffer, n, written));
  }
  void PurgeReceive() override { line_.PurgeReceive(); }
  void PurgeTransmit() override { line_.PurgeTransmit(); }
  bool Failed() const { return failed_; }
  void Reset() { failed_ = false; }

 private:
  bool Note(bool ok) {
    failed_ = failed_ || !ok;
    return ok;
  }
  Port& line_;
  bool failed_ = false;
};

// The controller on its line: opened at start, reopened once per sample
// after the device has gone, read-only.
class Controller {
 public:
  Controller(const BridgeLine& line, Io& io) : line_(line), io_(io), watched_(port_), link_(image_) {
    if (line.trace) {
      trace_ = std::make_unique<TracePort>(watched_, io.err);
      link_.SetPort(trace_.get());
    } else {
      link_.SetPort(&watched_);
    }
    link_.SetPause(io.pause);
    link_.SetDeviceAddress(line.da);
    link_.SetComputerAddress(line.sa);
    // The status topic and standard error tell of failures once per change.
    link_.SetReporter([](const std::string&, const std::string&) {});
    port_.SetBaudRate(line.baud);
  }

  // True when the line is open, opening it if needed.
  bool Open() {
    if (port_.IsOpen()) return true;
    try {
      const std::string& p = line_.port;
      const bool comName = p.size() > 3 && p.compare(0, 3, "COM") == 0 &&
                           p.find_first_not_of("0123456789", 3) == std::string::npos;
      if (comName) {
        port_.OpenPort(std::atoi(p.c_str() + 3));
      } else {
        port_.OpenPath(p);
      }
    } catch (const std::exception& e) {
      if (!reportedClosed_) io_.err << "rq30ctl: " << e.what() << "; trying again every sample\n";
      reportedClosed_ = true;
      return false;
    }
    if (reportedClosed_) io_.err << "rq30ctl: line " << line_.port << " open again\n";
    reportedClosed_ = false;
    watched_.Reset();
    return true;
  }

  // One read of the live values; a device that has gone is closed.
  bool ReadLive() {
    if (link_.ReadTable(11)) return true;
    if (watched_.Failed()) {
      io_.err << "rq30ctl: line " << line_.port << " has gone; reopening it every sample\n";
      reportedClosed_ = true;
      port_.ClosePort();
    }
    return false;
  }

  bool ReadIdent() { return link_.ReadDeviceType() && link_.ReadFirmwareVersion(); }

  const TableImage& Image() const { return image_; }

 private:
  BridgeLine line_;
  Io& io_;
  TableImage image_{};
  SerialPort port_;
  WatchedPort watched_;
  std::unique_ptr<TracePort> trace_;
  Link link_;
  bool reportedClosed_ = false;
};

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !name[0]) return "localhost";
  return name;
}

// The first grid point of `intervalS` seconds after `t`.
std::time_t NextGridPoint(std::time_t t, int intervalS) { return (t / intervalS + 1) * intervalS; }

class Bridge {
 public:
  Bridge(const BridgeOptions& options, const BridgeLine& line, const std::string& password,
         Io& io)
      : o_(options),
        line_(line),
        io_(io),
        mqtt_(options, password, "rq30-" + options.prefix, options.prefix + "/status", io.err),
        controller_(line, io) {
    mqtt_.SetOnConnected([this] { PublishState(); });
  }

  int Run() {
    controller_.Open();
    std::time_t next = NextGridPoint(SystemClock::to_time_t(SystemClock::now()), o_.intervalS);
    while (!io_.interrupted()) {
      const auto due = SystemClock::from_time_t(next);
      const auto now = SystemClock::now();
      if (now >= due) {
        Sample(next);
        next = NextGridPoint(std::max(next, SystemClock::to_time_t(SystemClock::now())),
                             o_.intervalS);
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
      if (!mqtt_.Service(static_cast<int>(std::min<long long>(left + 1, 100)))) return kFailed;
    }
    mqtt_.Close(o_.prefix + "/status", "offline", 2000);
    return kOk;
  }

 private:
  void Sample(std::time_t when) {
    if (!controller_.Open() || !controller_.ReadLive()) {
      identDue_ = true;  // whoever answers next may be another controller
      SetStatus("no-reply");
      return;
    }
    if (identDue_ && controller_.ReadIdent()) {
      identDue_ = false;
      ident_ = IdentJson(controller_.Image()).dump();
      firmware_ = IdentJson(controller_.Image())["firmware"].get<std::string>();
      mqtt_.Publish(o_.prefix + "/ident", ident_, 1, true);
      PublishDiscovery();
    }
    SetStatus("online");
    mqtt_.Publish(o_.prefix + "/live", LiveJson(controller_.Image().live, when).dump(), 0, false);
  }

  void SetStatus(const std::string& status) {
    if (status == status_) return;
    if (status == "no-reply") {
      io_.err << "rq30ctl: address " << line_.da << " on " << line_.port << ": no reply\n";
    } else if (!status_.empty()) {
      io_.err << "rq30ctl: address " << line_.da << " on " << line_.port << ": answers again\n";
    }
    status_ = status;
    mqtt_.Publish(o_.prefix + "/status", status_, 1, true);
  }

  // On every new connection: what the broker should hold for late
  // subscribers, newest first known.
  void PublishState() {
    if (!ident_.empty()) mqtt_.Publish(o_.prefix + "/ident", ident_, 1, true);
    if (!status_.empty()) mqtt_.Publish(o_.prefix + "/status", status_, 1, true);
    PublishDiscovery();
  }

  void PublishDiscovery() {
    if (!o_.haDiscovery) return;
    for (const MqttMessage& m : HaDiscoveryMessages(o_.haPrefix, o_.prefix, firmware_)) {
      mqtt_.Publish(m.topic, m.payload, 1, m.retain);
    }
  }

  const BridgeOptions& o_;
  BridgeLine line_;
  Io& io_;
  MqttSession mqtt_;
  Controller controller_;
  bool identDue_ = true;
  std::string ident_;
  std::string firmware_;
  std::string status_;
};

}  // namespace

int RunBridge(const BridgeLine& line, const std::vector<std::string>& command, Io& io) {
  try {
    const BridgeOptions options = ParseBridgeOptions(command, line, HostName());
    if (options.help) {
      io.out << options.helpText;
      return kOk;
    }
    const std::string password =
        options.passwordFile.empty() ? std::string() : ReadPasswordFile(options.passwordFile);
    Bridge bridge(options, line, password, io);
    return bridge.Run();
  } catch (const BridgeUsageError& e) {
    io.err << "rq30ctl: " << e.what() << '\n' << kShortUsage;
    return kUsage;
  } catch (const std::exception& e) {
    io.err << "rq30ctl: " << e.what() << '\n';
    return kFailed;
  }
}

}  // namespace rq30::cli
