#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "com_device_names.h"
#include "serial_port.h"

namespace rq30 {

QString ComDeviceName(int number) {
  const std::string path = SerialPort::DevicePath(number);
  if (path.empty()) return QString();
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n > 0) return QString::fromLocal8Bit(target, static_cast<int>(n));
  }
  return QString::fromLocal8Bit(path.c_str());
}

}  // namespace rq30
