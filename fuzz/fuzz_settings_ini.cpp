// The settings store's INI backend on an arbitrary settings.ini.
//
// Input: a value to store, the key to store it under, two more keys to
// watch, then the file's bytes, which are put on disk as the store's file.
// Held to:
//  - a key of the program reads as the whole number its text holds, or as
//    its default when the text is not a whole number within 32 bits (checked
//    against a parser written here);
//  - a stored value reads back, and storing it changes no other key.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "byte_reader.h"
#include "ini_file.h"
#include "safe_file.h"
#include "settings_ini.h"

namespace {

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "fuzz_settings_ini: %s\n", what);
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

struct Key {
  const char* section;
  const char* key;
  int32_t fallback;
};

const Key kKeys[] = {
    {"DESKTOP", "Left", 192},
    {"DESKTOP", "Top", 107},
    {"DESKTOP", "Height", 523},
    {"DESKTOP", "Width", 718},
    {"GRAF", "PERO", 255},
    {"GRAF", "MRIZ", -2147483633},
    {"GRAF", "POZADI", -2147483633},
    {"GRAF", "G3D", 1},
    {"GRAF", "R3D", 35},
    {"GRAF", "POCET", 200},
    {"ZAZNAM", "JEDNOTKY", 1},
    {"ZAZNAM", "LIST", 1},
    {"ZAZNAM", "SOUBOR", 15},
    {"ADRESA", "SA", 0},
    {"ADRESA", "DA", 0},
    {"PORT", "COM", 1},
    {"PORT", "BAUDRATE", 9600},
};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

// A stored text as a whole number: cut at its first NUL, blanks and tabs
// around, an optional sign, decimal digits, within 32 bits.
bool StoredNumber(const std::string& stored, int32_t& out) {
  std::string text = stored.substr(0, stored.find('\0'));
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  text = text.substr(b, e - b);
  bool negative = false;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return false;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return false;
  out = static_cast<int32_t>(value);
  return true;
}

const std::string& FilePath() {
  static const std::string path = [] {
    // Memory-backed where it can be: a settings write syncs its file.
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = base + "/rq30-fuzz-settings-XXXXXX";
    if (!mkdtemp(folder.data())) Finding("no temporary folder");
    static std::string made = folder;
    std::atexit([] { std::filesystem::remove_all(made); });
    return folder + "/settings.ini";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  rq30::fuzz::ByteReader in(data, size);
  int32_t stored = 0;
  for (int i = 0; i < 4; ++i)
    stored = static_cast<int32_t>(static_cast<uint32_t>(stored) << 8 | in.Byte());
  // Three keys a run: every key costs a read of the whole file.
  const int watched[3] = {in.Byte() % kKeyCount, in.Byte() % kKeyCount, in.Byte() % kKeyCount};
  const int target = watched[0];
  const std::string file = in.Rest();

  const std::string& path = FilePath();
  Require(rq30::TryWriteFileReplacing(path, file), "cannot lay out the settings file");
  rq30::IniSettingsStore store(path);

  int32_t before[3];
  for (int w = 0; w < 3; ++w) {
    const Key& key = kKeys[watched[w]];
    before[w] = store.ReadInteger(key.section, key.key, key.fallback);
    const std::string text = rq30::IniFile(path).ReadString(key.section, key.key, "");
    int32_t expected = key.fallback;
    StoredNumber(text, expected);
    Require(before[w] == expected, "a stored text reads as the wrong number");
  }

  store.WriteInteger(kKeys[target].section, kKeys[target].key, stored);
  for (int w = 0; w < 3; ++w) {
    const Key& key = kKeys[watched[w]];
    const int32_t now = store.ReadInteger(key.section, key.key, key.fallback);
    const bool same = watched[w] == target;
    Require(now == (same ? stored : before[w]),
            same ? "a stored value does not read back" : "storing one key changed another");
  }
  return 0;
}
