// Serves a ControllerModel on a pseudo-terminal, so that the program (or any
// serial client) can open the slave side like a serial line.
//
// The master side is put in raw mode (a fresh slave would echo otherwise);
// the server keeps a slave descriptor of its own open, so that the master
// never sees a hang-up while a client closes and reopens the line. A pty
// keeps no parity and no rate: the server emulates wire time itself when the
// model's faults ask for a rate.
//
// Incoming bytes are framed as the bus does it: 0x68 starts a telegram of
// LE + 6 bytes, 0x10 one of 6 bytes; any other leading byte is dropped, and an
// incomplete telegram is discarded after 50 ms of quiet.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controller_model.h"

namespace rq30::sim {

constexpr int kQuietGapMs = 50;

class PtyServer {
 public:
  explicit PtyServer(ControllerModel& model);
  ~PtyServer();  // pulls the plug
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Opens the pty if it is not open yet and starts serving in a background
  // thread. Throws std::runtime_error when no pty can be had.
  void Start();
  // Stops serving; the pty stays, so a client keeps a line that is silent.
  void Stop();
  // Stops and closes the pty, as if the line were unplugged: a client's
  // reads and writes fail and the slave path goes away.
  void PullPlug();

  bool Serving() const { return thread_.joinable(); }
  // "/dev/pts/N"; empty before Start.
  const std::string& SlavePath() const { return slavePath_; }

  // Advance the model's process with the wall clock while serving (on by
  // default); tests that step the process themselves switch it off.
  void SetRealTime(bool on) { realTime_ = on; }

  // Runs f on the model under the server's lock: the only safe way to touch
  // the model while the server runs.
  template <typename F>
  auto WithModel(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    return f(model_);
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Open();
  void Close();
  void Run();
  void TakeBytes(const uint8_t* bytes, std::size_t n);
  void Serve(const std::vector<uint8_t>& request);
  void Send(const std::vector<uint8_t>& reply, const Faults& timing);
  bool WriteAll(const uint8_t* bytes, std::size_t n);
  // Waits, unless Stop comes first; false then.
  bool WaitFor(std::chrono::microseconds span);
  void AdvanceProcess();

  ControllerModel& model_;
  std::mutex mutex_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> realTime_{true};

  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up
  int wake_[2] = {-1, -1};
  std::string slavePath_;

  std::vector<uint8_t> pending_;
  Clock::time_point lastByte_;
  Clock::time_point lastStep_;
};

}  // namespace rq30::sim
