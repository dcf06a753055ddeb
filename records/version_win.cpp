#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <vector>

#include "program_info.h"

namespace rq30 {

// Reads the version from the program's own file, so that the about box shows
// what Explorer shows in the file's properties.
std::string ProgramVersion() {
  char path[MAX_PATH];
  const DWORD pathLength = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (pathLength == 0 || pathLength >= MAX_PATH) return std::string();

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return std::string();  // no version resource

  std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
  if (!GetFileVersionInfoA(path, 0, size, buffer.data())) return std::string();

  void* value = nullptr;
  UINT valueLength = 0;
  if (!VerQueryValueA(buffer.data(), "\\StringFileInfo\\040504E2\\FileVersion", &value,
                      &valueLength) ||
      value == nullptr || valueLength == 0) {
    return std::string();
  }
  // The length counts characters and may include the terminating zero.
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, valueLength));
}

}  // namespace rq30
