// The operating-system half of safe_file.cpp, one implementation per
// platform (safe_file_posix.cpp, safe_file_win.cpp). Paths are UTF-8.
#pragma once

#include <string>

#include "safe_file.h"

namespace rq30 {
namespace platform {

FileRead ReadWholeFile(const std::string& path, std::string& bytes);

// Creates a new file named `path` + ".tmp" + ProcessNumber() + a separator
// and a unique part, in the folder of `path`, writes `bytes`,
// flushes them to the disk and closes it. On success `tempPath` names it; on
// failure nothing is left behind.
bool WriteTemporaryBeside(const std::string& path, const std::string& bytes, std::string& tempPath);

// Atomically replaces `path` (existing or not) by `tempPath`.
bool MoveOver(const std::string& tempPath, const std::string& path);

void RemoveFile(const std::string& path);

// The number this process goes by, as written into its temporary names.
long ProcessNumber();
// True when no process with that number runs any more.
bool ProcessGone(long number);

}  // namespace platform
}  // namespace rq30
