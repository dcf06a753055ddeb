// The INI file reader and writer on arbitrary file contents.
//
// Input: a few names to look up, a key to write, then the file's bytes.
// Held to:
//  - the text as written (Bytes) reads back the same and writes back
//    byte for byte the same: one load and save settles a file;
//  - a written value reads back exactly, before and after a save and load;
//  - writing one key changes no other key's value;
//  - any byte string survives the trip through UTF-8 and back to
//    Windows-1250 unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "cp1250.h"
#include "ini_file.h"

namespace {

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "fuzz_ini_file: %s\n", what);
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

// A name the program could write: a letter, then letters, digits and the
// characters of the indexed keys (SP[3], TEP[2][15], RE-3, RE_1).
std::string WritableName(const std::string& raw, bool key) {
  static const char kFirst[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  static const char kRest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-[]";
  std::string name(1, kFirst[raw.empty() ? 0 : static_cast<uint8_t>(raw[0]) % 52]);
  const std::size_t restSize =
      key ? sizeof kRest - 1 : sizeof kRest - 3;  // no brackets in sections
  for (std::size_t i = 1; i < raw.size(); ++i)
    name += kRest[static_cast<uint8_t>(raw[i]) % restSize];
  return name;
}

// A value as the program writes them: numbers, texts with inner blanks and
// Czech letters; never blanks at the ends or enclosing quotes.
std::string WritableValue(const std::string& raw) {
  static const char* const kPieces[] = {"0", "1", "9", "-", ",", ".", "E",
                                        "x", " ", "č", "Ž", "ů", "\""};
  std::string value;
  for (char c : raw) value += kPieces[static_cast<uint8_t>(c) % 13];
  while (!value.empty() && value.front() == ' ') value.erase(value.begin());
  while (!value.empty() && value.back() == ' ') value.pop_back();
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value.back() = 'x';
  return value;
}

std::string Folded(const std::string& utf8) {
  std::string bytes = rq30::Utf8ToCp1250(utf8);
  for (char& c : bytes) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return bytes;
}

// Not a value any file can hold: it has a line break.
const std::string kMissing = "\n(missing)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  rq30::fuzz::ByteReader in(data, size);
  struct Name {
    std::string section, key;
  };
  std::vector<Name> probes = {{"ALARM1", "RALA"}, {"COMP", "TEP[2][15]"}, {"GRAF", "POCET"}};
  for (int i = 0; i < 3; ++i) {
    std::string section = in.Text(12);
    std::string key = in.Text(12);
    probes.push_back({section, key});
  }
  const std::string section = WritableName(in.Text(10), false);
  const std::string key = WritableName(in.Text(10), true);
  const std::string value = WritableValue(in.Text(16));
  const std::string file = in.Rest();

  Require(rq30::Utf8ToCp1250(rq30::Cp1250ToUtf8(file)) == file,
          "Windows-1250 bytes do not survive UTF-8");

  rq30::IniFile ini = rq30::IniFile::FromBytes("fuzz.ini", file);
  const std::string saved = ini.Bytes();
  const rq30::IniFile reloaded = rq30::IniFile::FromBytes("fuzz.ini", saved);
  Require(reloaded.Bytes() == saved, "a saved file does not save back the same");

  std::vector<std::string> before;
  for (const Name& p : probes) {
    before.push_back(ini.ReadString(p.section, p.key, kMissing));
    Require(reloaded.ReadString(p.section, p.key, kMissing) == before.back(),
            "a saved file reads differently");
  }

  ini.WriteString(section, key, value);
  Require(ini.ReadString(section, key, kMissing) == value, "a written value does not read back");
  const rq30::IniFile written = rq30::IniFile::FromBytes("fuzz.ini", ini.Bytes());
  Require(written.ReadString(section, key, kMissing) == value, "a written value is lost by saving");

  for (std::size_t i = 0; i < probes.size(); ++i) {
    if (Folded(probes[i].section) == Folded(section) && Folded(probes[i].key) == Folded(key))
      continue;
    Require(ini.ReadString(probes[i].section, probes[i].key, kMissing) == before[i],
            "writing one key changed another");
    Require(written.ReadString(probes[i].section, probes[i].key, kMissing) == before[i],
            "writing one key changed another in the file");
  }
  return 0;
}
