// Numbers, dates and times as the program's windows write them for the
// user's locale, without an installed system locale: the program takes
// them from Qt's own locale data, so rq30ctl carries the same formats for
// the languages it meets, and both write the same files on one desktop.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace rq30::cli {

struct LocaleFormat {
  char point = '.';
  std::string date;  // Qt-style pattern: d dd M MM yyyy; empty: ISO 8601
  std::string time;  // H HH h hh mm ss AP; empty: ISO 8601
};

// The format of a locale name ("cs_CZ.UTF-8", "de_DE@euro", "C"); nothing
// for a language it does not know.
std::optional<LocaleFormat> FormatOf(const std::string& name);

// The locale name the environment gives a category: LC_ALL, else the
// category's own variable (LC_NUMERIC, LC_TIME), else LANG; "C" when none.
std::string EnvironmentLocale(const char* category);

// A date or a time by a pattern of LocaleFormat.
std::string FormatDate(const std::tm& t, const std::string& pattern);
std::string FormatTime(const std::tm& t, const std::string& pattern);

}  // namespace rq30::cli
