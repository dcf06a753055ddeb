#include "com_mapping.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "config_dir.h"

namespace rq30::sim {

namespace {

void MakeFolders(const std::string& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      throw std::runtime_error("vtq45-sim: cannot create " + part + ": " + std::strerror(errno));
    }
  }
}

bool ReadLink(const std::string& path, std::string& target) {
  char buffer[4096];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return false;
  target.assign(buffer, static_cast<std::size_t>(n));
  return true;
}

// A link to /dev/pts/N whose pty is gone: what a killed simulator leaves.
bool StalePtyLink(const std::string& path) {
  std::string target;
  if (!ReadLink(path, target)) return false;
  struct stat st;
  return target.rfind("/dev/pts/", 0) == 0 && stat(target.c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace

std::string ComLinkPath(int number) {
  // The folder the program looks in for its COM names.
  return ConfigDir() + "/COM" + std::to_string(number);
}

void ComMapping::Map(int number, const std::string& target) {
  Remove();
  const std::string path = ComLinkPath(number);
  MakeFolders(path.substr(0, path.rfind('/')));

  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && !StalePtyLink(path)) {
    std::string existing;
    const std::string what =
        ReadLink(path, existing) ? "is a link to " + existing : "exists and is not a link";
    throw std::runtime_error("vtq45-sim: " + path + " " + what +
                             "; not replacing it. Remove it or choose another --com.");
  }
  // Made beside it and renamed over it, so a client never finds COMn missing
  // or half made.
  const std::string temporary = path + ".vtq45-sim." + std::to_string(getpid());
  unlink(temporary.c_str());
  if (symlink(target.c_str(), temporary.c_str()) != 0 ||
      rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string error = std::strerror(errno);
    unlink(temporary.c_str());
    throw std::runtime_error("vtq45-sim: cannot link " + path + " to " + target + ": " + error);
  }
  path_ = path;
  target_ = target;
}

void ComMapping::Remove() {
  if (path_.empty()) return;
  std::string current;
  if (ReadLink(path_, current) && current == target_) unlink(path_.c_str());
  path_.clear();
  target_.clear();
}

}  // namespace rq30::sim
