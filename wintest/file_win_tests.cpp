// Whole-file writes, the INI file and the settings folder through the wide
// Windows file calls, under Wine. Paths are UTF-8 in the program; the folder
// names here carry Czech letters so that a path passed through an ANSI call
// would show.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "config_dir.h"
#include "ini_file.h"
#include "safe_file.h"

namespace rq30 {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(n - 1));
  return utf8;
}

// A fresh folder "měření-<n>" in the user's temporary folder, removed with
// its files afterwards.
class CzechFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = Utf8(temp) + "měření-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(Wide(folder_).c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::string& name : Entries()) DeleteFileW(Wide(File(name)).c_str());
    RemoveDirectoryW(Wide(folder_).c_str());
  }

  std::string File(const std::string& name) const { return folder_ + "\\" + name; }

  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(Wide(folder_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = Utf8(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  std::string Read(const std::string& path) const {
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), FileRead::kOk) << path;
    return bytes;
  }

  std::string folder_;
};

TEST_F(CzechFolder, WritesNewAndReplacesOldWithoutLeftovers) {
  const std::string path = File("záznam.txt");
  WriteFileReplacing(path, "první\r\n");
  EXPECT_EQ(Read(path), "první\r\n");
  const std::string big(3 << 20, 'x');  // more than one WriteFile chunk
  WriteFileReplacing(path, big);
  EXPECT_EQ(Read(path), big);
  WriteFileReplacing(path, "");
  EXPECT_EQ(Read(path), "");
  EXPECT_EQ(Entries(), std::vector<std::string>{"záznam.txt"});
}

TEST_F(CzechFolder, ReadTellsMissingFromFailed) {
  std::string bytes = "kept";
  EXPECT_EQ(ReadWholeFile(File("nic.txt"), bytes), FileRead::kMissing);
  EXPECT_EQ(ReadWholeFile(File("nic\\nic.txt"), bytes), FileRead::kMissing);
  ASSERT_TRUE(CreateDirectoryW(Wide(File("složka")).c_str(), nullptr));
  EXPECT_EQ(ReadWholeFile(File("složka"), bytes), FileRead::kFailed);
  RemoveDirectoryW(Wide(File("složka")).c_str());
  EXPECT_EQ(bytes, "kept");
}

TEST_F(CzechFolder, MissingFolderThrowsWithTheFileName) {
  const std::string path = File("chybí\\x.txt");
  try {
    WriteFileReplacing(path, "x");
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
  }
}

// A file another program holds open without sharing cannot be replaced on
// Windows: the old content stays and no temporary file is left behind.
TEST_F(CzechFolder, FileHeldOpenKeepsItsOldContent) {
  const std::string path = File("log.txt");
  WriteFileReplacing(path, "old");
  const HANDLE held = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(TryWriteFileReplacing(path, "new"));
  CloseHandle(held);
  EXPECT_EQ(Read(path), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"log.txt"});
}

TEST_F(CzechFolder, IniFileIsWindows1250WithCrLf) {
  const std::string path = File("sada.ini");
  {
    IniFile ini(path);
    ini.WriteString("ALARM1", "RALA", "2");
    ini.WriteString("POZNÁMKA", "Text", "měřič č. 5");
    ini.Flush();
  }
  EXPECT_EQ(Read(path), "[ALARM1]\r\nRALA=2\r\n[POZN\xC1MKA]\r\nText=m\xEC\xF8i\xE8 \xE8. 5\r\n");
  const IniFile again(path);
  EXPECT_EQ(again.ReadString("alarm1", "rala", ""), "2");
  EXPECT_EQ(again.ReadString("POZNÁMKA", "Text", ""), "měřič č. 5");
}

// The per-user folder follows %APPDATA%, whatever letters its path holds.
TEST(ConfigDirWin, FollowsAppData) {
  const wchar_t* saved = _wgetenv(L"APPDATA");
  const std::wstring keep = saved != nullptr ? saved : L"";
  ASSERT_EQ(_wputenv_s(L"APPDATA", L"C:\\users\\Jiří\\AppData\\Roaming"), 0);
  EXPECT_EQ(ConfigDir(), "C:\\users\\Jiří\\AppData\\Roaming\\QelFW_K47");
  ASSERT_EQ(_wputenv_s(L"APPDATA", L""), 0);  // removes it
  EXPECT_EQ(ConfigDir(), ".\\QelFW_K47");
  _wputenv_s(L"APPDATA", keep.c_str());
}

}  // namespace
}  // namespace rq30
