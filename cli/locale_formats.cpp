#include "locale_formats.h"

#include <cstdio>
#include <cstdlib>

namespace rq30::cli {

namespace {

struct Entry {
  const char* name;  // "ll_CC" before "ll"
  LocaleFormat format;
};

// Qt's short date (with the year in four digits, as the program writes it)
// and long time without the zone, per language.
const Entry kFormats[] = {
    {"cs", {',', "dd.MM.yyyy", "H:mm:ss"}},
    {"sk", {',', "d. M. yyyy", "H:mm:ss"}},
    {"de", {',', "dd.MM.yyyy", "HH:mm:ss"}},
    {"pl", {',', "d.MM.yyyy", "HH:mm:ss"}},
    {"fr", {',', "dd/MM/yyyy", "HH:mm:ss"}},
    {"en_GB", {'.', "dd/MM/yyyy", "HH:mm:ss"}},
    {"en", {'.', "M/d/yyyy", "h:mm:ss AP"}},
    {"C", {'.', "", ""}},
    {"POSIX", {'.', "", ""}},
};

std::string Two(int v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", v);
  return buffer;
}

// Runs of one pattern letter become the field; everything else is copied.
std::string Expand(const std::tm& t, const std::string& pattern) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    std::size_t n = 1;
    while (i + n < pattern.size() && pattern[i + n] == c) ++n;
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    switch (c) {
      case 'd': out += n == 1 ? std::to_string(t.tm_mday) : Two(t.tm_mday); break;
      case 'M': out += n == 1 ? std::to_string(t.tm_mon + 1) : Two(t.tm_mon + 1); break;
      case 'y': out += std::to_string(t.tm_year + 1900); break;
      case 'H': out += n == 1 ? std::to_string(t.tm_hour) : Two(t.tm_hour); break;
      case 'h': out += n == 1 ? std::to_string(hour12) : Two(hour12); break;
      case 'm': out += Two(t.tm_min); break;
      case 's': out += Two(t.tm_sec); break;
      case 'A':
        if (i + 1 < pattern.size() && pattern[i + 1] == 'P') {
          out += t.tm_hour < 12 ? "AM" : "PM";
          n = 2;
        } else {
          out.append(n, c);
        }
        break;
      default: out.append(n, c); break;
    }
    i += n;
  }
  return out;
}

}  // namespace

std::optional<LocaleFormat> FormatOf(const std::string& name) {
  std::string base = name.substr(0, name.find_first_of(".@"));
  if (base.empty()) base = "C";
  for (const std::string& candidate : {base, base.substr(0, base.find('_'))}) {
    for (const Entry& e : kFormats) {
      if (candidate == e.name) return e.format;
    }
  }
  return std::nullopt;
}

std::string EnvironmentLocale(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

std::string FormatDate(const std::tm& t, const std::string& pattern) {
  if (pattern.empty()) {
    return std::to_string(t.tm_year + 1900) + "-" + Two(t.tm_mon + 1) + "-" + Two(t.tm_mday);
  }
  return Expand(t, pattern);
}

std::string FormatTime(const std::tm& t, const std::string& pattern) {
  if (pattern.empty()) return Two(t.tm_hour) + ":" + Two(t.tm_min) + ":" + Two(t.tm_sec);
  return Expand(t, pattern);
}

}  // namespace rq30::cli
