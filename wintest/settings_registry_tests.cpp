// The settings store in the registry of Wine's private prefix:
// HKEY_CURRENT_USER\QelFW_K47\<section>, values as REG_SZ decimal text.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "settings_store.h"

namespace rq30 {
namespace {

constexpr char kStoreKey[] = "QelFW_K47";

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// Puts a value into a section as another program (or a hand edit) might.
void PutRaw(const std::string& section, const std::string& name, DWORD type,
            const std::string& data) {
  HKEY key = nullptr;
  const std::string path = std::string(kStoreKey) + "\\" + section;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct RawValue {
  DWORD type = REG_NONE;
  std::string data;
};

RawValue GetRaw(const std::string& section, const std::string& name) {
  RawValue value;
  const std::string path = std::string(kStoreKey) + "\\" + section;
  char data[256];
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                   &value.type, data, &size) == ERROR_SUCCESS) {
    value.data.assign(data, size);
  }
  return value;
}

// What `reg query` prints for a section: the registry as a user sees it,
// read by another program than the store.
std::string RegQuery(const std::string& section) {
  const std::string command = std::string("reg query HKCU\\") + kStoreKey + "\\" + section;
  FILE* pipe = _popen(command.c_str(), "r");
  if (pipe == nullptr) return std::string();
  std::string out;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) out += line;
  _pclose(pipe);
  return out;
}

class RegistryStore : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kStoreKey); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kStoreKey); }
};

TEST_F(RegistryStore, FirstOpenCreatesTheStoreKeyAndReadsDefaults) {
  ASSERT_FALSE(KeyExists(kStoreKey));
  auto store = OpenSettingsStore();
  EXPECT_TRUE(KeyExists(kStoreKey));
  EXPECT_EQ(store->ReadInteger("GRAF", "POCET", 200), 200);
  EXPECT_EQ(store->ReadInteger("PORT", "BAUDRATE", 9600), 9600);
  // Reading creates no section; the first write does.
  EXPECT_FALSE(KeyExists(std::string(kStoreKey) + "\\GRAF"));
  store->WriteInteger("GRAF", "POCET", 500);
  EXPECT_TRUE(KeyExists(std::string(kStoreKey) + "\\GRAF"));
  EXPECT_EQ(store->ReadInteger("GRAF", "POCET", 200), 500);
  EXPECT_EQ(store->ReadInteger("GRAF", "R3D", 35), 35);  // section there, value not
}

TEST_F(RegistryStore, ValuesAreDecimalTextWithTheirNul) {
  struct Case {
    const char* section;
    const char* key;
    int32_t value;
    const char* text;
  };
  const Case cases[] = {
      {"GRAF", "MRIZ", static_cast<int32_t>(0x8000000Fu), "-2147483633"},  // button face
      {"GRAF", "PERO", 255, "255"},
      {"PORT", "COM", 1, "1"},
      {"DESKTOP", "Left", -8, "-8"},
      {"ZAZNAM", "LIST", 0, "0"},
      {"ADRESA", "SA", std::numeric_limits<int32_t>::max(), "2147483647"},
      {"ADRESA", "DA", std::numeric_limits<int32_t>::min(), "-2147483648"},
  };
  auto store = OpenSettingsStore();
  for (const Case& c : cases) store->WriteInteger(c.section, c.key, c.value);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const RawValue raw = GetRaw(c.section, c.key);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data, std::string(c.text) + '\0');
    EXPECT_EQ(OpenSettingsStore()->ReadInteger(c.section, c.key, 12345), c.value);
  }

  const std::string listing = RegQuery("GRAF");
  EXPECT_NE(listing.find("MRIZ    REG_SZ    -2147483633"), std::string::npos) << listing;
  EXPECT_NE(listing.find("PERO    REG_SZ    255"), std::string::npos) << listing;
}

// Values the program did not write itself read as the stored text says, or
// as the default when the text is no whole number within 32 bits.
TEST_F(RegistryStore, ForeignStringValuesReadAsTheirTextOrTheDefault) {
  struct Case {
    const char* name;
    DWORD type;
    std::string data;
    int32_t expected;
  };
  const int32_t kDefault = 77;
  const Case cases[] = {
      {"plain", REG_SZ, std::string("42\0", 3), 42},
      {"no NUL at the end", REG_SZ, "42", 42},
      {"cut at the first NUL", REG_SZ, std::string{'4', '2', '\0', '9', '9'}, 42},
      {"expandable string", REG_EXPAND_SZ, std::string("-15\0", 4), -15},
      {"empty", REG_SZ, std::string("\0", 1), kDefault},
      {"no data at all", REG_SZ, "", kDefault},
      {"not a number", REG_SZ, std::string("abc\0", 4), kDefault},
      {"number and text", REG_SZ, std::string("12abc\0", 6), kDefault},
      {"beyond 32 bits", REG_SZ, std::string("2147483648\0", 11), kDefault},
      {"far beyond 32 bits", REG_SZ, std::string("99999999999999999999\0", 21), kDefault},
  };
  for (const Case& c : cases) PutRaw("GRAF", c.name, c.type, c.data);
  auto store = OpenSettingsStore();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(store->ReadInteger("GRAF", c.name, kDefault), c.expected);
  }
}

TEST_F(RegistryStore, NonStringValueIsAnError) {
  const DWORD number = 200;
  PutRaw("GRAF", "POCET", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
  PutRaw("GRAF", "R3D", REG_BINARY, std::string("35", 2));
  auto store = OpenSettingsStore();
  for (const char* key : {"POCET", "R3D"}) {
    SCOPED_TRACE(key);
    try {
      store->ReadInteger("GRAF", key, 1);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Invalid data type for '") + key + "'");
    }
  }
}

// Names beyond the registry's limits (a key name of 40000 characters, a
// value name over 16383) make the two writing steps fail.
TEST_F(RegistryStore, WriteFailuresNameTheSectionOrTheKey) {
  auto store = OpenSettingsStore();
  const std::string section(40000, 'S');
  try {
    store->WriteInteger(section, "POCET", 1);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to create key " + section);
  }
  const std::string key(16384, 'K');
  try {
    store->WriteInteger("GRAF", key, 1);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to set data for '" + key + "'");
  }
  EXPECT_EQ(store->ReadInteger("GRAF", "POCET", 200), 200);
}

}  // namespace
}  // namespace rq30
