#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "safe_file_platform.h"

namespace rq30 {
namespace platform {
namespace {

// The program's paths are UTF-8 (they come from Qt); the wide Windows calls
// take any file name, whatever the system's ANSI code page.
std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  return wide;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::kMissing
                                                                          : FileRead::kFailed;
  }
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
    content.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) return FileRead::kFailed;
  bytes = std::move(content);
  return FileRead::kOk;
}

bool WriteTemporaryBeside(const std::string& path, const std::string& bytes,
                          std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate =
        path + ".tmp" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
    // CREATE_NEW fails on an existing name, so no one else's file is touched.
    HANDLE file = CreateFileW(Wide(candidate).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    tempPath = candidate;
    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok) RemoveFile(tempPath);
    return ok;
  }
  return false;
}

bool MoveOver(const std::string& tempPath, const std::string& path) {
  return MoveFileExW(Wide(tempPath).c_str(), Wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path) {
  DeleteFileW(Wide(path).c_str());
}

long ProcessNumber() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessGone(long number) {
  if (number <= 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(number));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

}  // namespace platform
}  // namespace rq30
