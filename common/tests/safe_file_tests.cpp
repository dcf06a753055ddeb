#include "safe_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "temp_dir.h"
#include "unprivileged.h"

namespace rq30 {
namespace {

using testing::ElementsAre;

TEST(WriteFileReplacing, WritesNewAndReplacesOldWithoutLeftovers) {
  TempDir dir;
  const std::string path = dir.File("log.txt");
  WriteFileReplacing(path, std::string("first\r\n\0x", 10));
  EXPECT_EQ(ReadBytes(path), std::string("first\r\n\0x", 10));
  WriteFileReplacing(path, "second");
  EXPECT_EQ(ReadBytes(path), "second");
  EXPECT_THAT(Entries(dir.Path()), ElementsAre("log.txt"));
}

TEST(WriteFileReplacing, MissingFolderThrowsWithTheFileName) {
  TempDir dir;
  const std::string path = dir.File("missing/log.txt");
  try {
    WriteFileReplacing(path, "x");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
  }
}

// A folder where the file should be: the rename fails after the temporary
// file was written, which must then go away again.
TEST(WriteFileReplacing, FailedRenameRemovesTheTemporaryFile) {
  TempDir dir;
  const std::string path = dir.File("taken");
  std::filesystem::create_directory(path);
  EXPECT_THROW(WriteFileReplacing(path, "x"), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_THAT(Entries(dir.Path()), ElementsAre("taken"));
}

// The file itself stays writable: only the folder is read-only, so the
// replacement, never the file, is what cannot be made.
TEST(WriteFileReplacing, ReadOnlyFolderKeepsTheOldFile) {
  TempDir dir;
  const std::string folder = dir.File("ro");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/log.txt";
  WriteBytes(path, "old");
  for (const std::string& p : {dir.Path(), folder, path}) HandOver(p);
  ::chmod(folder.c_str(), 0555);
  EXPECT_TRUE(InUnprivilegedChild([&] {
    try {
      WriteFileReplacing(path, "new");
    } catch (const std::runtime_error&) {
      return true;
    }
    return false;
  })) << "no error";
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_THAT(Entries(folder), ElementsAre("log.txt"));
}

TEST(WriteFileReplacing, ReplacedFileKeepsItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("shared.txt");
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0640);
  WriteFileReplacing(path, "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(ReadWholeFile, TellsMissingFromUnreadable) {
  TempDir dir;
  std::string bytes = "unchanged";
  EXPECT_EQ(ReadWholeFile(dir.File("none"), bytes), FileRead::kMissing);
  EXPECT_EQ(ReadWholeFile(dir.Path(), bytes), FileRead::kFailed);  // a folder
  EXPECT_EQ(bytes, "unchanged");
  WriteBytes(dir.File("f"), "abc");
  EXPECT_EQ(ReadWholeFile(dir.File("f"), bytes), FileRead::kOk);
  EXPECT_EQ(bytes, "abc");
}

TEST(JoinCrLfCp1250, EveryLineEndsInCrLf) {
  EXPECT_EQ(JoinCrLfCp1250({"Měření", "", "中"}),
            "M\xEC\xF8"
            "en\xED\r\n\r\n?\r\n");
  EXPECT_EQ(JoinCrLfCp1250({}), "");
}

}  // namespace
}  // namespace rq30
