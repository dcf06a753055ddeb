#include "cp1250.h"

#include <gtest/gtest.h>

namespace rq30 {
namespace {

// Windows-1250 codes of the Czech letters, from the code page's table.
const char kCzechUtf8[] = "ěščřžýáíéůúťďňó ĚŠČŘŽÝÁÍÉŮÚŤĎŇÓ";
const char kCzechCp1250[] =
    "\xEC\x9A\xE8\xF8\x9E\xFD\xE1\xED\xE9\xF9\xFA\x9D\xEF\xF2\xF3 "
    "\xCC\x8A\xC8\xD8\x8E\xDD\xC1\xCD\xC9\xD9\xDA\x8D\xCF\xD2\xD3";

TEST(Cp1250, CzechLettersBothWays) {
  EXPECT_EQ(Utf8ToCp1250(kCzechUtf8), kCzechCp1250);
  EXPECT_EQ(Cp1250ToUtf8(kCzechCp1250), kCzechUtf8);
}

TEST(Cp1250, SignsOfTheCodePage) {
  EXPECT_EQ(Utf8ToCp1250("€ „“ – ° ×"), "\x80 \x84\x93 \x96 \xB0 \xD7");
}

TEST(Cp1250, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
}

TEST(Cp1250, MissingCharactersAndMalformedUtf8BecomeQuestionMarks) {
  const struct {
    const char* name;
    std::string utf8;
    std::string cp1250;
  } cases[] = {
      {"cjk", "a中b", "a?b"},
      {"spanish n", "ñ", "?"},
      {"emoji is one character", "x😀y", "x?y"},
      {"truncated at the end", "a\xC4", "a?"},
      {"truncated three-byte", "\xE2\x82", "?"},
      {"bad continuation kept",
       "\xC4"
       "a",
       "?a"},
      {"stray continuations", "\x80\xBF", "??"},
      {"overlong slash", "\xC0\xAF", "??"},
      {"overlong three-byte", "\xE0\x80\xAF", "?"},
      {"surrogate", "\xED\xA0\x80", "?"},
      {"beyond Unicode", "\xF4\x90\x80\x80", "?"},
      {"invalid leads", "\xFF\xFE", "??"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1250(c.utf8), c.cp1250) << c.name;
  }
}

}  // namespace
}  // namespace rq30
