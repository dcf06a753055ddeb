// A controller on a serial line for tests: the simulator served on a
// pseudo-terminal, mapped to a COM name in a private configuration folder,
// and the program's own SerialPort and Link opened on it. No test that uses
// it can reach a real serial port.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "com_mapping.h"
#include "controller_model.h"
#include "link.h"
#include "pty_server.h"
#include "serial_port.h"
#include "table_image.h"

namespace rq30::testing {

// A fresh XDG_CONFIG_HOME for the life of the object.
class PrivateConfigHome {
 public:
  PrivateConfigHome() {
    char tmpl[] = "/tmp/rq30-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  ~PrivateConfigHome() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  PrivateConfigHome(const PrivateConfigHome&) = delete;
  PrivateConfigHome& operator=(const PrivateConfigHome&) = delete;
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

struct SimLineOptions {
  sim::Firmware firmware = sim::Firmware::V3;
  std::vector<uint8_t> addresses = {0};
  int com = 1;
  bool openPort = true;   // open the program's SerialPort on COMn
  bool realTime = false;  // let the process run with the wall clock
};

class SimLine {
 public:
  explicit SimLine(SimLineOptions options = {})
      : model(options.firmware, options.addresses), server(model), link(image, &port) {
    server.SetRealTime(options.realTime);
    server.Start();
    mapping.Map(options.com, server.SlavePath());
    link.SetPause([this](int ms) { pauses.push_back(ms); });
    if (options.openPort) port.OpenPort(options.com);
  }
  ~SimLine() {
    port.ClosePort();
    server.Stop();
  }
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  // Runs f on the controller under the server's lock.
  template <typename F>
  auto WithModel(F&& f) {
    return server.WithModel(std::forward<F>(f));
  }

  std::vector<sim::Request> Requests() {
    return WithModel([](sim::ControllerModel& m) { return m.Requests(); });
  }
  void ClearRequests() {
    WithModel([](sim::ControllerModel& m) { m.ClearRequests(); });
  }

  PrivateConfigHome home;  // first: everything below lives in it
  sim::ControllerModel model;
  sim::PtyServer server;
  sim::ComMapping mapping;
  TableImage image{};
  SerialPort port;
  Link link;
  std::vector<int> pauses;  // the link's fixed pauses, recorded instead of slept
};

}  // namespace rq30::testing
