#include "settings_ini.h"

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include <gtest/gtest.h>

#include "config_dir.h"
#include "settings_store.h"
#include "temp_dir.h"

namespace rq30 {
namespace {

// Points XDG_CONFIG_HOME and HOME into a private folder for one test.
class SettingsIniTest : public testing::Test {
 protected:
  void SetUp() override {
    SaveEnv("XDG_CONFIG_HOME", savedXdg_);
    SaveEnv("HOME", savedHome_);
    ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    ::setenv("HOME", dir_.File("home").c_str(), 1);
  }
  void TearDown() override {
    RestoreEnv("XDG_CONFIG_HOME", savedXdg_);
    RestoreEnv("HOME", savedHome_);
  }

  std::string SettingsPath() const { return dir_.File("config/QelFW_K47/settings.ini"); }

  TempDir dir_;

 private:
  struct Saved {
    bool set = false;
    std::string value;
  };
  static void SaveEnv(const char* name, Saved& saved) {
    const char* value = std::getenv(name);
    saved.set = value != nullptr;
    if (value != nullptr) saved.value = value;
  }
  static void RestoreEnv(const char* name, const Saved& saved) {
    if (saved.set) {
      ::setenv(name, saved.value.c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  Saved savedXdg_;
  Saved savedHome_;
};

TEST_F(SettingsIniTest, FirstRunCreatesTheFolderAndReadsDefaults) {
  auto store = OpenSettingsStore();
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("config/QelFW_K47")));
  EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
  EXPECT_EQ(store->ReadInteger("GRAF", "POCET", 200), 200);
  EXPECT_EQ(store->ReadInteger("DESKTOP", "Left", 192), 192);
}

TEST_F(SettingsIniTest, WrittenValuesReadBackAsDecimalText) {
  auto store = OpenSettingsStore();
  store->WriteInteger("ADRESA", "SA", 3);
  store->WriteInteger("ADRESA", "DA", 126);
  store->WriteInteger("GRAF", "MRIZ", static_cast<int32_t>(0x8000000F));
  store->WriteInteger("GRAF", "R3D", std::numeric_limits<int32_t>::max());
  store->WriteInteger("ADRESA", "SA", 4);
  EXPECT_EQ(ReadBytes(SettingsPath()),
            "[ADRESA]\r\nSA=4\r\nDA=126\r\n"
            "[GRAF]\r\nMRIZ=-2147483633\r\nR3D=2147483647\r\n");

  auto reopened = OpenSettingsStore();
  EXPECT_EQ(reopened->ReadInteger("ADRESA", "SA", 0), 4);
  EXPECT_EQ(reopened->ReadInteger("adresa", "da", 0), 126);
  EXPECT_EQ(reopened->ReadInteger("GRAF", "MRIZ", 0), static_cast<int32_t>(0x8000000F));
  EXPECT_EQ(reopened->ReadInteger("GRAF", "R3D", 0), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(reopened->ReadInteger("GRAF", "PERO", 255), 255);
}

// Every INI value is text; one that is not a 32-bit whole number reads as the
// caller's default, like a registry string that does not convert.
TEST_F(SettingsIniTest, MalformedValuesGiveTheDefault) {
  const struct {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"abc", 200},  {"", 200},           {"12abc", 200},       {"1,5", 200},
      {"0x10", 200}, {"2147483648", 200}, {"-2147483649", 200}, {" 300 ", 300},
      {"-5", -5},    {"+40", 40},
  };
  std::filesystem::create_directories(dir_.File("config/QelFW_K47"));
  for (const auto& c : cases) {
    WriteBytes(SettingsPath(), std::string("[GRAF]\r\nPOCET=") + c.text + "\r\n");
    EXPECT_EQ(OpenSettingsStore()->ReadInteger("GRAF", "POCET", 200), c.expected)
        << '"' << c.text << '"';
  }
}

TEST_F(SettingsIniTest, StoredTextIsCutAtItsFirstNul) {
  int32_t value = 0;
  EXPECT_TRUE(ParseStoredInteger(std::string("42\0junk", 7), value));
  EXPECT_EQ(value, 42);
}

TEST_F(SettingsIniTest, FolderThatCannotBeCreatedFailsTheWrite) {
  std::filesystem::create_directories(dir_.File("config"));
  WriteBytes(dir_.File("config/QelFW_K47"), "a file in the folder's place");
  auto store = OpenSettingsStore();
  EXPECT_EQ(store->ReadInteger("PORT", "COM", 1), 1);
  try {
    store->WriteInteger("PORT", "COM", 3);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Failed to create key PORT");
  }
}

TEST_F(SettingsIniTest, FileThatCannotBeWrittenFailsTheWrite) {
  std::filesystem::create_directories(SettingsPath());  // a folder in the file's place
  auto store = OpenSettingsStore();
  try {
    store->WriteInteger("PORT", "BAUDRATE", 9600);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'BAUDRATE'");
  }
}

TEST_F(SettingsIniTest, ConfigDirFallsBackToHome) {
  EXPECT_EQ(ConfigDir(), dir_.File("config/QelFW_K47"));
  for (const char* unusable : {"", "relative/path"}) {
    ::setenv("XDG_CONFIG_HOME", unusable, 1);
    EXPECT_EQ(ConfigDir(), dir_.File("home/.config/QelFW_K47")) << '"' << unusable << '"';
  }
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ConfigDir(), dir_.File("home/.config/QelFW_K47"));
}

}  // namespace
}  // namespace rq30
