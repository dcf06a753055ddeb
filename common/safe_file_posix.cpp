#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

#include "safe_file_platform.h"

namespace rq30 {
namespace platform {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// mkstemp creates the file for its owner only; the file that replaces
// `path` keeps the permissions of the old one, or gets those of a newly
// created file.
mode_t ModeFor(const std::string& path) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
  std::string content;
  char buffer[65536];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (n < 0) return FileRead::kFailed;
  bytes = std::move(content);
  return FileRead::kOk;
}

bool WriteTemporaryBeside(const std::string& path, const std::string& bytes,
                          std::string& tempPath) {
  std::string pattern = path + ".tmp" + std::to_string(ProcessNumber()) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  tempPath = name.data();
  bool ok = ::fchmod(fd, ModeFor(path)) == 0;
  ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) RemoveFile(tempPath);
  return ok;
}

bool MoveOver(const std::string& tempPath, const std::string& path) {
  return std::rename(tempPath.c_str(), path.c_str()) == 0;
}

void RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

long ProcessNumber() { return static_cast<long>(::getpid()); }

bool ProcessGone(long number) {
  return number > 0 && ::kill(static_cast<pid_t>(number), 0) != 0 && errno == ESRCH;
}

}  // namespace platform
}  // namespace rq30
