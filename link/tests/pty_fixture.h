// A pseudo-terminal standing in for a serial line, mapped to a COM name in a
// private configuration folder, so tests never touch a real port.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace rq30::test {

class TempConfigHome {
 public:
  TempConfigHome() {
    char tmpl[] = "/tmp/rq30-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    dir_ = tmpl;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    std::filesystem::create_directories(dir_ + "/QelFW_K47");
  }
  ~TempConfigHome() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& Dir() const { return dir_; }
  std::string ComLink(int n) const { return dir_ + "/QelFW_K47/COM" + std::to_string(n); }
  void Map(int n, const std::string& target) const {
    std::filesystem::create_symlink(target, ComLink(n));
  }

 private:
  std::string dir_;
};

class RawPty {
 public:
  RawPty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      throw std::runtime_error("no pty");
    }
    termios t{};
    tcgetattr(master_, &t);
    cfmakeraw(&t);
    tcsetattr(master_, TCSANOW, &t);
    slave_ = ptsname(master_);
    // Holding the slave open keeps the master from seeing a hang-up
    // between the client's open and close.
    holder_ = open(slave_.c_str(), O_RDWR | O_NOCTTY);
  }
  ~RawPty() {
    if (holder_ >= 0) close(holder_);
    if (master_ >= 0) close(master_);
  }
  const std::string& SlavePath() const { return slave_; }
  int Master() const { return master_; }
  // As when a USB adapter is pulled out.
  void Pull() {
    close(master_);
    master_ = -1;
  }
  void Send(const void* data, size_t n) const {
    if (write(master_, data, n) != static_cast<ssize_t>(n)) throw std::runtime_error("pty write");
  }

 private:
  int master_ = -1;
  int holder_ = -1;
  std::string slave_;
};

}  // namespace rq30::test
