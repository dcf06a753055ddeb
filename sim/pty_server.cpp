#include "pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace rq30::sim {

namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kIdlePollMs = 20;
constexpr int kBitsPerByte = 11;  // start, 8 data, parity, stop

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("vtq45-sim: " + what + ": " + std::strerror(errno));
}

int PollMs(microseconds span) {
  const auto ms = (span.count() + 999) / 1000;
  return static_cast<int>(ms < 0 ? 0 : ms);
}

}  // namespace

PtyServer::PtyServer(ControllerModel& model) : model_(model) {}

PtyServer::~PtyServer() {
  PullPlug();
}

void PtyServer::Open() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) Fail("no pseudo-terminal");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    Close();
    Fail("cannot unlock the pseudo-terminal");
  }
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) {
    Close();
    Fail("no slave name");
  }
  slavePath_ = name;

  // The line discipline sits on the slave side but is reached through either
  // end; raw mode here means a client that opens the slave sees no echo.
  termios tio;
  if (tcgetattr(master_, &tio) != 0) {
    Close();
    Fail("cannot read the pty settings");
  }
  cfmakeraw(&tio);
  if (tcsetattr(master_, TCSANOW, &tio) != 0) {
    Close();
    Fail("cannot set raw mode");
  }
  slave_ = open(name, O_RDWR | O_NOCTTY);
  if (slave_ < 0) {
    Close();
    Fail("cannot open " + slavePath_);
  }
  // A reply into a full queue nobody reads is lost, as on a real line,
  // instead of blocking the server.
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

void PtyServer::Close() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

void PtyServer::Start() {
  if (Serving()) return;
  if (master_ < 0) {
    Open();
  } else {
    // What was sent while nobody listened is lost, as with a controller that was off.
    uint8_t discard[256];
    while (read(master_, discard, sizeof discard) > 0) {
    }
  }
  if (wake_[0] < 0 && pipe(wake_) != 0) Fail("no pipe");
  stop_ = false;
  pending_.clear();
  lastStep_ = lastByte_ = Clock::now();
  thread_ = std::thread(&PtyServer::Run, this);
}

void PtyServer::Stop() {
  if (!Serving()) return;
  stop_ = true;
  const char byte = 0;
  if (write(wake_[1], &byte, 1) < 0) {
    // The thread still sees stop_ within one idle poll.
  }
  thread_.join();
  char drain[16];
  fcntl(wake_[0], F_SETFL, O_NONBLOCK);
  while (read(wake_[0], drain, sizeof drain) > 0) {
  }
}

void PtyServer::PullPlug() {
  Stop();
  Close();
  for (int& fd : wake_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

void PtyServer::Run() {
  uint8_t buffer[256];
  while (!stop_) {
    int timeout = kIdlePollMs;
    if (!pending_.empty()) {
      const auto quiet = milliseconds(kQuietGapMs) - (Clock::now() - lastByte_);
      timeout = std::min(timeout, PollMs(duration_cast<microseconds>(quiet)));
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR) break;
    if (stop_ || (fds[1].revents & POLLIN)) break;
    if (fds[0].revents & POLLIN) {
      const ssize_t got = read(master_, buffer, sizeof buffer);
      if (got > 0) {
        lastByte_ = Clock::now();
        TakeBytes(buffer, static_cast<std::size_t>(got));
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      // Cannot happen while our own slave descriptor is open; do not spin.
      WaitFor(milliseconds(kIdlePollMs));
    }
    if (!pending_.empty() && Clock::now() - lastByte_ >= milliseconds(kQuietGapMs)) {
      pending_.clear();  // a telegram that never completed
    }
    AdvanceProcess();
  }
}

void PtyServer::TakeBytes(const uint8_t* bytes, std::size_t n) {
  pending_.insert(pending_.end(), bytes, bytes + n);
  while (!pending_.empty() && !stop_) {
    std::size_t need;
    if (pending_[0] == 0x68) {
      if (pending_.size() < 2) return;
      need = std::size_t{pending_[1]} + 6;
    } else if (pending_[0] == 0x10) {
      need = 6;
    } else {
      pending_.erase(pending_.begin());  // noise before a start byte
      continue;
    }
    if (pending_.size() < need) return;
    const std::vector<uint8_t> request(pending_.begin(), pending_.begin() + need);
    pending_.erase(pending_.begin(), pending_.begin() + need);
    Serve(request);
  }
}

void PtyServer::Serve(const std::vector<uint8_t>& request) {
  AdvanceProcess();
  std::vector<uint8_t> reply;
  Faults timing;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reply = model_.Handle(request.data(), request.size());
    timing = model_.Injected();
  }
  // The pty delivered the request at once; on a real line its last byte
  // arrives only after the wire time of the whole telegram.
  if (timing.baud > 0) {
    const auto wire = microseconds(1000000LL * kBitsPerByte *
                                   static_cast<long long>(request.size()) / timing.baud);
    if (!WaitFor(wire)) return;
  }
  if (reply.empty()) return;
  if (timing.delayMs > 0 && !WaitFor(milliseconds(timing.delayMs))) return;
  Send(reply, timing);
}

void PtyServer::Send(const std::vector<uint8_t>& reply, const Faults& timing) {
  if (timing.gapMs <= 0 && timing.baud <= 0) {
    WriteAll(reply.data(), reply.size());
    return;
  }
  const microseconds byteTime(timing.baud > 0 ? 1000000LL * kBitsPerByte / timing.baud : 0);
  std::size_t sent = 0;
  auto start = Clock::now();
  while (sent < reply.size()) {
    if (sent > 0 && timing.gapMs > 0) {
      if (!WaitFor(milliseconds(timing.gapMs))) return;
      start = Clock::now() - byteTime * static_cast<long long>(sent);
    }
    // Every byte leaves once its wire time has passed; with gaps, one at a time.
    std::size_t due = reply.size();
    if (byteTime.count() > 0) {
      const auto elapsed = duration_cast<microseconds>(Clock::now() - start);
      due = std::min(reply.size(), static_cast<std::size_t>(elapsed / byteTime));
      if (due <= sent) {
        if (!WaitFor(byteTime * static_cast<long long>(sent + 1) - elapsed)) return;
        continue;
      }
    }
    if (timing.gapMs > 0) due = sent + 1;
    if (!WriteAll(reply.data() + sent, due - sent)) return;
    sent = due;
  }
}

bool PtyServer::WriteAll(const uint8_t* bytes, std::size_t n) {
  while (n > 0) {
    const ssize_t written = write(master_, bytes, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;  // queue full or line gone: the rest is lost
    bytes += written;
    n -= static_cast<std::size_t>(written);
  }
  return true;
}

bool PtyServer::WaitFor(microseconds span) {
  const auto until = Clock::now() + span;
  while (!stop_) {
    const auto left = duration_cast<microseconds>(until - Clock::now());
    if (left.count() <= 0) return true;
    pollfd wake = {wake_[0], POLLIN, 0};
    if (poll(&wake, 1, PollMs(left)) > 0) return false;
  }
  return false;
}

void PtyServer::AdvanceProcess() {
  const auto now = Clock::now();
  const double seconds = std::chrono::duration<double>(now - lastStep_).count();
  lastStep_ = now;
  if (!realTime_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  model_.Step(seconds);
}

}  // namespace rq30::sim
