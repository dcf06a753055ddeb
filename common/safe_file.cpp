#include "safe_file.h"

#include <stdexcept>

#include "cp1250.h"
#include "safe_file_platform.h"

namespace rq30 {

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
  return platform::ReadWholeFile(path, bytes);
}

bool TryWriteFileReplacing(const std::string& path, const std::string& bytes) {
  std::string tempPath;
  if (!platform::WriteTemporaryBeside(path, bytes, tempPath)) return false;
  if (!platform::MoveOver(tempPath, path)) {
    platform::RemoveFile(tempPath);
    return false;
  }
  return true;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
  if (!TryWriteFileReplacing(path, bytes)) throw std::runtime_error("Cannot create file " + path);
}

std::string JoinCrLfCp1250(const std::vector<std::string>& utf8Lines) {
  std::string bytes;
  for (const std::string& line : utf8Lines) {
    bytes += Utf8ToCp1250(line);
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace rq30
