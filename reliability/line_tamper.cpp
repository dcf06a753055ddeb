#include "line_tamper.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace rq30::reliability {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("line tamper: " + what + ": " + std::strerror(errno));
}

// No echo, no line editing, no translation of the bytes.
bool MakeRaw(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void WriteAll(int fd, const uint8_t* bytes, size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, bytes, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;  // the other end is gone: the bytes are lost, as on a line
    bytes += w;
    n -= static_cast<size_t>(w);
  }
}

}  // namespace

LineTamper::LineTamper(std::string controllerPath) : controllerPath_(std::move(controllerPath)) {}

LineTamper::~LineTamper() {
  PullPlug();
}

void LineTamper::PullPlug() {
  Stop();
  for (int* fd : {&master_, &slave_, &controller_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

void LineTamper::Start() {
  if (thread_.joinable()) return;
  if (master_ < 0) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) Fail("no pseudo-terminal");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) Fail("no slave name");
    slavePath_ = name;
    if (!MakeRaw(master_)) Fail("cannot set raw mode");
    slave_ = open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) Fail("cannot open " + slavePath_);
    controller_ = open(controllerPath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (controller_ < 0) Fail("cannot open " + controllerPath_);
    if (!MakeRaw(controller_)) Fail("cannot set raw mode on " + controllerPath_);
    if (pipe(wake_) != 0) Fail("no pipe");
  }
  stop_ = false;
  thread_ = std::thread(&LineTamper::Run, this);
}

void LineTamper::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  const char byte = 0;
  if (write(wake_[1], &byte, 1) < 0) {
    // The thread still sees stop_ within one poll.
  }
  thread_.join();
}

void LineTamper::CutReplies(int replies, int keepBytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  cutsLeft_ = replies;
  keepBytes_ = keepBytes;
}

void LineTamper::Run() {
  while (!stop_) {
    pollfd fds[3] = {{master_, POLLIN, 0}, {controller_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 3, 50) < 0 && errno != EINTR) return;
    if (fds[2].revents & POLLIN) {
      char drain[16];
      if (read(wake_[0], drain, sizeof drain) < 0) {
        // Nothing to drain: the stop flag decides.
      }
    }
    if (fds[0].revents & POLLIN) FromProgram();
    if (fds[1].revents & POLLIN) FromController();
    // The simulator's pty is gone (its plug pulled): wait to be stopped.
    if (fds[1].revents & (POLLHUP | POLLERR)) usleep(20000);
  }
}

void LineTamper::FromProgram() {
  uint8_t buffer[256];
  const ssize_t n = read(master_, buffer, sizeof buffer);
  if (n <= 0) return;
  ++requests_;
  {
    // A request starts the next reply: it is cut while cuts are left.
    std::lock_guard<std::mutex> lock(mutex_);
    if (cutsLeft_ > 0) {
      --cutsLeft_;
      budget_ = keepBytes_;
      ++cut_;
    } else {
      budget_ = -1;
    }
  }
  WriteAll(controller_, buffer, static_cast<size_t>(n));
}

void LineTamper::FromController() {
  uint8_t buffer[256];
  const ssize_t n = read(controller_, buffer, sizeof buffer);
  if (n <= 0) return;
  size_t pass = static_cast<size_t>(n);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (budget_ >= 0) {
      if (static_cast<long>(pass) > budget_) pass = static_cast<size_t>(budget_);
      budget_ -= static_cast<long>(pass);
    }
  }
  WriteAll(master_, buffer, pass);
}

}  // namespace rq30::reliability
