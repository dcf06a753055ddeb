// The parameter set file: an INI file of the keys in param_keys.h, read and
// written the way the Windows private-profile functions do it (IniFile), in
// Windows-1250 with CR LF, numbers saved in the locale's decimal separator.
// A load takes either separator: the file holds no thousands separators, so
// a file saved where the separator is a comma loads where it is a point.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ini_file.h"
#include "param_keys.h"
#include "table_image.h"

namespace rq30::paramset {

// The key's value as a load reads it: the file's text, or the key's default
// when the file lacks the key or its section.
std::string FileValue(const IniFile& file, const Key& key);

// Writes every key in file order with the value `valueOf` gives it. A new
// file gets the keys in that order; an existing one is updated in place and
// keeps whatever else it holds (sections, keys, comments and blank lines of
// others). The file is written once, whole, at the end; throws
// std::runtime_error("Unable to write to <path>") when it cannot be, and the
// file is then as it was.
//
// After the keys, a firmware variant of 1..3 goes into the program's own
// section (param_set.h); 0, an unidentified controller, leaves whatever the
// file says there.
void SaveParameterSet(const std::string& path,
                      const std::function<std::string(const Key&)>& valueOf, int variant);

// The COMP values a load puts into the image, in file order: SP, SP[n],
// TEP and CAS; POCATEK is a text of page 0 and is handed back in `start`
// (when given) instead. Stops at the first value that does not parse and
// returns its key, leaving everything before it loaded; nullptr when all
// parsed.
const Key* LoadCompValues(const IniFile& file, TableImage& image, char decimalSeparator,
                          std::optional<std::string>* start = nullptr);

// What the command-line client needs without any window.
//
// Save: the file the editor writes when it has just read the controller
// and every page the variant offers has been shown (ShownValue).
void SaveImage(const std::string& path, const TableImage& image, int variant,
               char decimalSeparator);

// Load: the file into the image as the editor's load and its page collects
// put it there. Page values that do not parse become 0 and are listed; the
// program type and number stay as page 0 shows them; the COMP values stop
// at the first bad one.
struct ImageLoad {
  std::vector<const Key*> rejected;  // page values that became 0
  const Key* badComp = nullptr;      // the COMP value the load stopped at
};
ImageLoad LoadImage(const IniFile& file, TableImage& image, int variant, char decimalSeparator);

}  // namespace rq30::paramset
