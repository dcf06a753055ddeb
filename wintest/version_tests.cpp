// The program's version as the about box reads it from the executable's own
// version resource: built twice, into a program that carries the resource
// and into one that does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_info.h"

namespace rq30 {
namespace {

#ifdef RQ30_HAS_VERSION_RESOURCE

std::vector<char> OwnVersionResource() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path, &ignored));
  if (block.empty() ||
      !GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data())) {
    ADD_FAILURE() << "no version resource";
    block.clear();
  }
  return block;
}

TEST(VersionResource, AboutBoxReadsFileVersionFromTheCzechStringTable) {
  EXPECT_EQ(ProgramVersion(), "1.1.0.0");
}

// What Explorer shows: the numeric version and the language of the strings,
// Czech (0x0405) in code page 1250.
TEST(VersionResource, FixedVersionAndTranslationMatch) {
  std::vector<char> block = OwnVersionResource();
  ASSERT_FALSE(block.empty());
  void* value = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &size));
  ASSERT_GE(size, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);  // 1.1
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0

  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &size));
  ASSERT_GE(size, 4u);
  const auto* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(translation[0], 0x0405);
  EXPECT_EQ(translation[1], 1250);
}

#else

TEST(VersionResource, ProgramWithoutResourceHasAnEmptyVersion) {
  EXPECT_EQ(ProgramVersion(), "");
}

#endif

}  // namespace
}  // namespace rq30
