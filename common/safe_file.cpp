#include "safe_file.h"

#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "cp1250.h"
#include "safe_file_platform.h"

namespace rq30 {

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
  return platform::ReadWholeFile(path, bytes);
}

namespace {

namespace fs = std::filesystem;

// The process number in a temporary name "<file>.tmp<number><sep>...", or
// -1 when `name` is not one of ours for `file`.
long TemporaryOwner(const std::string& name, const std::string& file) {
  const std::string prefix = file + ".tmp";
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
  std::size_t i = prefix.size();
  long number = 0;
  const std::size_t digits = i;
  while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])) && i - digits < 10) {
    number = number * 10 + (name[i] - '0');
    ++i;
  }
  if (i == digits || i >= name.size() || (name[i] != '.' && name[i] != '_')) return -1;
  return number;
}

// A write killed between creating its temporary file and renaming it leaves
// that file behind. Ours carry the writer's process number: those of a
// process that no longer runs are removed; a running writer's are left.
void RemoveLeftovers(const std::string& path) {
  std::error_code error;
  const fs::path target = fs::u8path(path);
  const std::string file = target.filename().u8string();
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().u8string();
    const long owner = TemporaryOwner(name, file);
    if (owner <= 0 || owner == platform::ProcessNumber() || !platform::ProcessGone(owner)) continue;
    std::error_code isFile;
    if (it->is_regular_file(isFile)) platform::RemoveFile(it->path().u8string());
  }
}

}  // namespace

bool TryWriteFileReplacing(const std::string& path, const std::string& bytes) {
  RemoveLeftovers(path);
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
