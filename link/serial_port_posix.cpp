// POSIX backend of SerialPort (Linux): termios2 carries any rate through
// BOTHER, so the list's 14400, 56000, 128000 and 256000 reach drivers that
// can make them. Reads realise the Windows time-out model with poll().
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

#include "config_dir.h"
#include "line_settings_posix.h"
#include "serial_port.h"

namespace rq30 {

struct SerialPort::LineConfig {
  struct termios2 tio {};
};

namespace {

using Clock = std::chrono::steady_clock;

int Fd(intptr_t handle) { return static_cast<int>(handle); }

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// A rate the driver had to round is still the line the user asked for; a
// driver that kept something else entirely has not taken the settings.
bool RateKept(unsigned asked, unsigned kept) {
  const double ratio = static_cast<double>(kept) / static_cast<double>(asked);
  return ratio > 0.95 && ratio < 1.05;
}

}  // namespace

SerialPort::SerialPort() : config_(std::make_unique<LineConfig>()) {}

SerialPort::~SerialPort() { OsClose(); }

// COMn is what the user's COMn link in the config folder points to (a USB
// adapter, or the simulator's pty); without one, the n-th on-board port.
std::string SerialPort::DevicePath(int number) {
  const std::string mapped = ConfigDir() + "/COM" + std::to_string(number);
  struct stat st {};
  if (lstat(mapped.c_str(), &st) == 0) return mapped;
  if (number < 1) return std::string();
  return "/dev/ttyS" + std::to_string(number - 1);
}

bool SerialPort::OsOpen(const std::string& path) {
  if (path.empty()) return false;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  // Not shared: nobody else may open the line while we hold it.
  ioctl(fd, TIOCEXCL);
  handle_ = fd;
  return true;
}

// The tty layer's queues are the kernel's own and always large enough.
bool SerialPort::OsSetQueueSizes() { return true; }

// The time-outs are applied by OsRead on every read.
bool SerialPort::OsSetTimeouts() { return true; }

bool SerialPort::OsGetConfig() {
  termios2& t = config_->tio;
  if (ioctl(Fd(handle_), TCGETS2, &t) != 0) return false;
  SetLineFormat(t);
  return true;
}

bool SerialPort::OsSetConfig() {
  termios2& t = config_->tio;
  const auto baud = static_cast<unsigned>(baud_ > 0 ? baud_ : kDefaultBaudRate);
  SetLineRate(t, baud);
  const int fd = Fd(handle_);
  if (ioctl(fd, TCSETS2, &t) != 0) return false;
  // A pty keeps no parity, so judge by what every line keeps.
  termios2 back{};
  if (ioctl(fd, TCGETS2, &back) != 0) return false;
  return RateKept(baud, back.c_ospeed) && (back.c_cflag & CSIZE) == CS8 &&
         (back.c_lflag & ICANON) == 0;
}

void SerialPort::OsClose() {
  if (handle_ != -1) close(Fd(handle_));
  handle_ = -1;
}

// Ends when n bytes have come, when the line stays quiet for the interval
// after a byte, or when the total time for n bytes has passed.
// With firstByteMs given, the wait for the first byte is that long instead,
// and the total is never shorter than it.
bool SerialPort::OsRead(uint8_t* buffer, int n, int& got, int firstByteMs) {
  got = 0;
  if (n == 0) return true;
  const int fd = Fd(handle_);
  const auto start = Clock::now();
  int totalMs = kReadTotalPerByteMs * n + kReadTotalConstantMs;
  if (firstByteMs > totalMs) totalMs = firstByteMs;
  const auto deadline = start + std::chrono::milliseconds(totalMs);
  const auto firstDeadline =
      firstByteMs >= 0 ? start + std::chrono::milliseconds(firstByteMs) : deadline;
  while (got < n) {
    int wait = MillisecondsLeft(got > 0 ? deadline : firstDeadline);
    if (got > 0 && wait > kReadIntervalMs) wait = kReadIntervalMs;
    if (wait == 0) break;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (ready == 0) break;
    if (p.revents & (POLLERR | POLLNVAL)) return false;
    const ssize_t r = read(fd, buffer + got, static_cast<size_t>(n - got));
    if (r > 0) {
      got += static_cast<int>(r);
    } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
      return false;  // the device has gone (an adapter pulled, the pty closed)
    }
  }
  return true;
}

bool SerialPort::OsWrite(const uint8_t* buffer, int n, int& written) {
  written = 0;
  const int fd = Fd(handle_);
  // Writes have no time-out of their own; this guard only keeps a stuck
  // driver from freezing the program for ever.
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (written < n) {
    const ssize_t w = write(fd, buffer + written, static_cast<size_t>(n - written));
    if (w > 0) {
      written += static_cast<int>(w);
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{fd, POLLOUT, 0};
    const int wait = MillisecondsLeft(deadline);
    if (wait == 0 || poll(&p, 1, wait) < 0) return false;
  }
  return true;
}

void SerialPort::OsPurge(bool receive) {
  ioctl(Fd(handle_), TCFLSH, receive ? TCIFLUSH : TCOFLUSH);
}

}  // namespace rq30
