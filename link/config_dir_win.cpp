#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <string>

#include "config_dir.h"

namespace rq30 {
namespace {

std::string Utf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(n - 1));  // without the terminating NUL
  return utf8;
}

}  // namespace

std::string ConfigDir() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  const std::string base = appData != nullptr ? Utf8(appData) : std::string(".");
  return base + "\\QelFW_K47";
}

}  // namespace rq30
