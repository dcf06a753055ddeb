#include "settings_ini.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "ini_file.h"

namespace rq30 {

IniSettingsStore::IniSettingsStore(std::string path) : path_(std::move(path)) {
  MakeFolder();
}

bool IniSettingsStore::MakeFolder() const {
  const std::filesystem::path folder = std::filesystem::u8path(path_).parent_path();
  if (folder.empty()) return true;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

int32_t IniSettingsStore::ReadInteger(const std::string& section, const std::string& key,
                                      int32_t defaultValue) {
  int32_t value = defaultValue;
  if (!ParseStoredInteger(IniFile(path_).ReadString(section, key, ""), value)) {
    return defaultValue;
  }
  return value;
}

void IniSettingsStore::WriteInteger(const std::string& section, const std::string& key,
                                    int32_t value) {
  if (!MakeFolder()) throw CreateKeyError(section);
  IniFile ini(path_);
  ini.WriteString(section, key, std::to_string(value));
  try {
    ini.Flush();
  } catch (const std::runtime_error&) {
    throw SetDataError(key);
  }
}

}  // namespace rq30
