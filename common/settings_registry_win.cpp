// The settings store in the registry: HKEY_CURRENT_USER\QelFW_K47\<section>,
// each value a REG_SZ holding the decimal text with its terminating NUL.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cp1250.h"
#include "settings_store.h"

namespace rq30 {
namespace {

constexpr char kStoreKey[] = "QelFW_K47";

// The ANSI registry calls take names in the system code page, Windows-1250
// on a Czech system; the names the program uses are plain ASCII anyway.
std::string Ansi(const std::string& utf8) {
  return Utf8ToCp1250(utf8);
}

class KeyHandle {
 public:
  KeyHandle() = default;
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class RegistrySettingsStore : public SettingsStore {
 public:
  RegistrySettingsStore() {
    // Created at once so that a first run leaves the store key behind; a
    // failure shows only when a section cannot be created on writing.
    KeyHandle store;
    RegCreateKeyExA(HKEY_CURRENT_USER, kStoreKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                    KEY_ALL_ACCESS, nullptr, store.Out(), nullptr);
  }

  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) override {
    KeyHandle handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, handle.Out()) !=
        ERROR_SUCCESS) {
      return defaultValue;
    }
    const std::string name = Ansi(key);
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return defaultValue;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw InvalidDataTypeError(key);

    // The value may grow between the two calls; ask again until it fits.
    std::vector<BYTE> data;
    do {
      data.resize(size + 1);
      size = static_cast<DWORD>(data.size());
      status = RegQueryValueExA(handle.Get(), name.c_str(), nullptr, &type, data.data(), &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) return defaultValue;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw InvalidDataTypeError(key);

    // The stored data need not end in a NUL; the text is cut at the first.
    const std::string text(reinterpret_cast<const char*>(data.data()),
                           std::min<size_t>(size, data.size()));
    int32_t value = defaultValue;
    return ParseStoredInteger(text, value) ? value : defaultValue;
  }

  void WriteInteger(const std::string& section, const std::string& key, int32_t value) override {
    KeyHandle handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, handle.Out(),
                        nullptr) != ERROR_SUCCESS) {
      throw CreateKeyError(section);
    }
    const std::string text = std::to_string(value);
    if (RegSetValueExA(handle.Get(), Ansi(key).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS) {
      throw SetDataError(key);
    }
  }

 private:
  static std::string SectionPath(const std::string& section) {
    return std::string(kStoreKey) + "\\" + Ansi(section);
  }
};

}  // namespace

std::unique_ptr<SettingsStore> OpenSettingsStore() {
  return std::make_unique<RegistrySettingsStore>();
}

}  // namespace rq30
