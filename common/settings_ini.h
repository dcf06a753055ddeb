// The settings store as an INI file, for systems without a registry.
//
// Every INI value is text, so the registry's one failure of type (a value
// that is not a string) cannot happen here: a text that is not a whole number
// reads as the default, like a registry string that does not convert.
#pragma once

#include <string>

#include "settings_store.h"

namespace rq30 {

class IniSettingsStore : public SettingsStore {
 public:
  // Creates the file's folder if it is missing (a failure shows only when a
  // write fails). The file itself appears with the first write.
  explicit IniSettingsStore(std::string path);

  // Reads the file afresh each time, as a registry read sees the registry.
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) override;
  // Writes the whole file at once, so a write that fails loses nothing.
  void WriteInteger(const std::string& section, const std::string& key, int32_t value) override;

  const std::string& Path() const { return path_; }

 private:
  bool MakeFolder() const;

  std::string path_;
};

}  // namespace rq30
