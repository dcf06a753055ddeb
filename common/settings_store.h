// The program's stored settings: signed 32-bit integers addressed by section
// and key (GRAF/POCET, PORT/COM, ...), kept as decimal text. On Windows they
// live in the registry under HKEY_CURRENT_USER\QelFW_K47\<section>; elsewhere
// in $XDG_CONFIG_HOME/QelFW_K47/settings.ini with the same sections, keys and
// texts.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace rq30 {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The stored value, or `defaultValue` when the section or the value does
  // not exist, is empty, or its text is not a whole number within 32 bits.
  // A registry value of a non-string type throws
  // std::runtime_error("Invalid data type for '<key>'").
  virtual int32_t ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) = 0;

  // Stores the value's decimal text at once, creating the section as needed.
  // Throws std::runtime_error("Failed to create key <section>") when the
  // section cannot be created and ("Failed to set data for '<key>'") when the
  // value cannot be written.
  virtual void WriteInteger(const std::string& section, const std::string& key, int32_t value) = 0;
};

// Opens the platform's store, creating its root (the registry key or the
// settings folder) if it does not exist yet. Never fails: a store that cannot
// be created reads defaults and throws on writing.
std::unique_ptr<SettingsStore> OpenSettingsStore();

// The stored text as an integer, as both stores read it: the text up to its
// first NUL, a whole number within 32 bits. Returns false for anything else.
bool ParseStoredInteger(const std::string& text, int32_t& value);

// The exceptions of the store contract, with the program's texts.
std::runtime_error InvalidDataTypeError(const std::string& key);
std::runtime_error CreateKeyError(const std::string& section);
std::runtime_error SetDataError(const std::string& key);

}  // namespace rq30
