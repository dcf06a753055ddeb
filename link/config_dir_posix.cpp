#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "config_dir.h"

namespace rq30 {
namespace {

std::string HomeDir() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : ".";
}

}  // namespace

std::string ConfigDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string base = xdg != nullptr && xdg[0] == '/' ? xdg : HomeDir() + "/.config";
  return base + "/QelFW_K47";
}

}  // namespace rq30
