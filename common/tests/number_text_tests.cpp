#include "number_text.h"

#include <climits>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace rq30 {
namespace {

struct FormatCase {
  double value;
  int significant;
  int decimals;
  char separator;
  const char* text;
};

TEST(FormatFixed, Table) {
  const FormatCase cases[] = {
      // The measured value and the parameters: five digits, two decimals.
      {21.5, 5, 2, ',', "21,50"},
      {1234.567, 5, 2, ',', "1234,60"},  // the fifth digit limits, not the decimals
      {12.3456, 5, 2, ',', "12,35"},     // the decimals limit
      {12345.5, 5, 2, ',', "12346,00"},
      {99999.4, 5, 2, ',', "99999,00"},
      {-21.5, 5, 2, ',', "-21,50"},
      {0.0, 5, 2, ',', "0,00"},
      {-0.0, 5, 2, ',', "0,00"},
      {-0.001, 5, 2, ',', "0,00"},  // no "-0,00"
      {0.004, 5, 2, ',', "0,00"},
      {0.005, 5, 2, ',', "0,01"},
      {0.125, 5, 2, ',', "0,13"},  // an exact half goes away from zero
      {-0.125, 5, 2, ',', "-0,13"},
      {9.995, 5, 2, ',', "9,99"},  // the double lies just below the half
      {99.999, 5, 2, ',', "100,00"},
      // The output: four digits, one decimal.
      {52.3, 4, 1, ',', "52,3"},
      {100.0, 4, 1, ',', "100,0"},
      {9999.96, 4, 1, ',', "1E+4"},
      // Too many integer digits: exponent form.
      {123456.0, 5, 2, ',', "1,2346E+5"},
      {-123456.0, 5, 2, ',', "-1,2346E+5"},
      {100000.0, 5, 2, ',', "1E+5"},
      {99999.6, 5, 2, ',', "1E+5"},  // rounding adds the sixth digit
      {1.5e20, 5, 2, ',', "1,5E+20"},
      // Other separators and shapes.
      {21.5, 5, 2, '.', "21.50"},
      {2.5, 5, 0, ',', "3"},
      {3.14159, 3, 4, ',', "3,1400"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.significant, c.decimals, c.separator), c.text)
        << c.value << " (" << c.significant << ", " << c.decimals << ")";
  }
}

TEST(FormatFixed, NotANumberAndInfinities) {
  EXPECT_EQ(FormatFixed(std::nan(""), 5, 2, ','), "NAN");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 5, 2, ','), "INF");
  EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 5, 2, ','), "-INF");
}

// What the program writes it must read back: the parameter set file and the
// editor's fields go through both.
TEST(FormatFixed, ParsesBackToTheRoundedValue) {
  for (double v = -1234.5678; v < 1234.0; v += 3.3331) {
    double back = 0;
    const std::string text = FormatFixed(v, 5, 2, ',');
    ASSERT_TRUE(ParseFloat(text, ',', back)) << text;
    EXPECT_NEAR(back, v, 0.05) << text;
  }
  double back = 0;
  ASSERT_TRUE(ParseFloat(FormatFixed(-123456.0, 5, 2, ','), ',', back));
  EXPECT_DOUBLE_EQ(back, -123460.0);
}

struct ParseFloatCase {
  const char* text;
  char separator;
  bool ok;
  double value;
};

TEST(ParseFloat, Table) {
  const ParseFloatCase cases[] = {
      {"21,5", ',', true, 21.5},
      {"  21,5\t", ',', true, 21.5},
      {"-1,5E+3", ',', true, -1500.0},
      {"+7", ',', true, 7.0},
      {"1e2", ',', true, 100.0},
      {",5", ',', true, 0.5},
      {"5,", ',', true, 5.0},
      {"21.5", '.', true, 21.5},
      {"21.5", ',', false, 0},  // a point where the comma is the separator
      {"21,5", '.', false, 0},
      {"", ',', false, 0},
      {"   ", ',', false, 0},
      {"-", ',', false, 0},
      {",", ',', false, 0},
      {"1e", ',', false, 0},
      {"1e+", ',', false, 0},
      {"1,2,3", ',', false, 0},
      {"1 000", ',', false, 0},
      {"12a", ',', false, 0},
      {"abc", ',', false, 0},
      {"0x10", ',', false, 0},
      {"inf", ',', false, 0},
      {"nan", ',', false, 0},
      {"1e999", ',', false, 0},
  };
  for (const ParseFloatCase& c : cases) {
    double out = -42.0;
    EXPECT_EQ(ParseFloat(c.text, c.separator, out), c.ok) << '"' << c.text << '"';
    EXPECT_DOUBLE_EQ(out, c.ok ? c.value : -42.0) << '"' << c.text << '"';
  }
}

TEST(ParseInt, Table) {
  const std::string max = std::to_string(LONG_MAX);
  const std::string min = std::to_string(LONG_MIN);
  // One past each end: the last digit raised by one.
  std::string aboveMax = max;
  ++aboveMax.back();
  std::string belowMin = min;
  ++belowMin.back();

  const struct {
    std::string text;
    bool ok;
    long value;
  } cases[] = {
      {"200", true, 200},
      {" -5 ", true, -5},
      {"+7", true, 7},
      {"007", true, 7},
      {"", false, 0},
      {"-", false, 0},
      {"1.5", false, 0},
      {"1,5", false, 0},
      {"12a", false, 0},
      {"abc", false, 0},
      {"1 0", false, 0},
      {"--1", false, 0},
      {max, true, LONG_MAX},
      {min, true, LONG_MIN},
      {aboveMax, false, 0},
      {belowMin, false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    long out = -42;
    EXPECT_EQ(ParseInt(c.text, out), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(out, c.ok ? c.value : -42) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace rq30
