// The whole program on a simulated controller: its windows created as at
// start-up, COM1 mapped (in a private configuration folder) to a tamper
// that sits in front of the simulator's pty, operator dialogs scripted,
// fixed pauses recorded instead of slept. Nothing here can reach a real
// serial port.
#pragma once

#include <QComboBox>
#include <QDateTime>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "controller_model.h"
#include "line_tamper.h"
#include "link.h"
#include "program_windows.h"
#include "pty_server.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "table_image.h"

namespace rq30::reliability {

// Counts the telegrams the program hands to its line, in front of the port
// dialog's serial port: what the program sent, whatever became of it on the
// way (a purge after a failure may still take back the last request).
class CountingLine : public Port {
 public:
  explicit CountingLine(Port& line) : line_(line) {}
  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    return line_.ReadPort(buffer, n, got);
  }
  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    ++writes;
    return line_.WritePort(buffer, n, written);
  }
  void PurgeReceive() override { line_.PurgeReceive(); }
  void PurgeTransmit() override { line_.PurgeTransmit(); }

  int writes = 0;

 private:
  Port& line_;
};

class ProgramOnLine {
 public:
  explicit ProgramOnLine(std::vector<uint8_t> addresses = {0})
      : model(sim::Firmware::V3, std::move(addresses)), server(model), link(image) {
    server.SetRealTime(false);
    server.Start();
    tamper = std::make_unique<LineTamper>(server.SlavePath());
    tamper->Start();
    mapping.Map(1, tamper->SlavePath());
    link.SetPause([this](int ms) { pauses.push_back(ms); });
    windows = std::make_unique<ProgramWindows>(image, link);
    windows->main.SetClock([this] { return now; });
    windows->records.SetPause([this](int ms) { pauses.push_back(ms); });
    windows->editor.SetPause([this](int ms) { pauses.push_back(ms); });
    counter = std::make_unique<CountingLine>(windows->port.Port());
    link.SetPort(counter.get());
    // An operator takes a moment to read a message box; meanwhile whatever
    // the controller still answers to the last repeat of a failed exchange
    // has arrived, as it would have on a real line.
    dialogs.SetOnCall(
        [](const DialogCall&) { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
  }
  ~ProgramOnLine() {
    link.SetPort(nullptr);
    windows.reset();
    tamper.reset();
    server.Stop();
  }

  template <typename F>
  auto WithModel(F&& f) {
    return server.WithModel(std::forward<F>(f));
  }

  // Sets the controller's faults under the server's lock.
  void Inject(const sim::Faults& faults) {
    WithModel([&](sim::ControllerModel& m) {
      m.Injected() = faults;
      return 0;
    });
  }

  // Requests the controller received, of a table (-1: any).
  int RequestsFor(int table) {
    return WithModel([table](sim::ControllerModel& m) {
      int n = 0;
      for (const sim::Request& r : m.Requests()) n += table < 0 || r.table == table;
      return n;
    });
  }

  // The operator chooses COMn in the port dialog's list (index n), which
  // closes and reopens the line even when it is the current choice.
  void ChoosePort(int n) {
    auto* list = windows->port.findChild<QComboBox*>("cb_com");
    list->setCurrentIndex(n);
    emit list->activated(n);
  }

  testing::PrivateConfigHome home;  // first: everything below lives in it
  sim::ControllerModel model;
  sim::PtyServer server;
  std::unique_ptr<LineTamper> tamper;
  sim::ComMapping mapping;
  TableImage image{};
  Link link;
  ScriptedDialogs dialogs;
  std::vector<int> pauses;
  QDateTime now{QDate(2026, 12, 6), QTime(9, 5, 7)};
  std::unique_ptr<ProgramWindows> windows;
  std::unique_ptr<CountingLine> counter;
};

}  // namespace rq30::reliability
