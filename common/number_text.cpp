#include "number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <sstream>

namespace rq30 {
namespace {

// Decimal digits of |value|: value = 0.d1d2d3... * 10^(exponent + 1), so the
// first digit has the weight 10^exponent.
struct Digits {
  std::string digits;
  int exponent = 0;
};

// Eighteen significant digits, like the extended-precision conversion of the
// Windows formatting, so that a double such as 0.125 still ends in an exact
// half that the rounding below takes away from zero.
Digits DigitsOf(double magnitude) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17e", magnitude);
  Digits d;
  const std::string text(buffer);
  const size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') d.digits += text[i];
  }
  d.exponent = std::stoi(text.substr(e + 1));
  return d;
}

// Keeps the first `keep` digits (keep may be 0 or negative), rounding half
// away from zero; a carry out of the first digit raises the exponent.
Digits RoundTo(Digits d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return d;
  if (keep < 0) return Digits{"", d.exponent};
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  return d;
}

std::string ExponentForm(const Digits& all, bool negative, int significant, char separator) {
  Digits d = RoundTo(all, significant);
  std::string mantissa = d.digits.substr(0, static_cast<size_t>(significant));
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  std::string out = negative ? "-" : "";
  out += mantissa[0];
  if (mantissa.size() > 1) out += separator + mantissa.substr(1);
  out += d.exponent < 0 ? "E-" : "E+";
  out += std::to_string(std::abs(d.exponent));
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text without blanks and tabs at either end.
std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string FormatFixed(double value, int significantDigits, int decimals, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const int significant = std::clamp(significantDigits, 1, 18);
  const int places = std::clamp(decimals, 0, 18);
  const bool negative = std::signbit(value);

  Digits all = value == 0 ? Digits{"0", 0} : DigitsOf(std::fabs(value));
  if (all.exponent + 1 > significant) {
    return ExponentForm(all, negative, significant, decimalSeparator);
  }
  Digits d = RoundTo(all, std::min(significant, all.exponent + 1 + places));
  if (d.exponent + 1 > significant) {  // 99999.6 rounds up to six digits
    return ExponentForm(all, negative, significant, decimalSeparator);
  }

  // Digit of weight 10^power, zero where the rounded digits do not reach.
  const auto digitAt = [&d](int power) {
    const int index = d.exponent - power;
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
  };
  std::string text;
  for (int power = std::max(d.exponent, 0); power >= 0; --power) text += digitAt(power);
  if (places > 0) {
    text += decimalSeparator;
    for (int power = -1; power >= -places; --power) text += digitAt(power);
  }
  const bool zero = d.digits.find_first_not_of('0') == std::string::npos;
  return negative && !zero ? "-" + text : text;
}

bool ParseFloat(const std::string& text, char decimalSeparator, double& out) {
  const std::string s = Trimmed(text);
  size_t i = 0;
  std::string ascii;  // the same number with a point, for the C conversion
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ascii += s[i++];
  int mantissaDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ascii += s[i++], ++mantissaDigits;
  if (i < s.size() && s[i] == decimalSeparator) {
    ascii += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) ascii += s[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ascii += s[i++];
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ascii += s[i++];
    int exponentDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ascii += s[i++], ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != s.size()) return false;

  // The classic locale: the process locale may have a decimal comma.
  std::istringstream stream(ascii);
  stream.imbue(std::locale::classic());
  double value = 0;
  stream >> value;
  if (stream.fail() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

bool ParseInt(const std::string& text, long& out) {
  const std::string s = Trimmed(text);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  // Accumulate towards the sign so that the most negative long fits.
  long value = 0;
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return false;
    const int digit = s[i] - '0';
    if (negative) {
      if (value < (std::numeric_limits<long>::min() + digit) / 10) return false;
      value = value * 10 - digit;
    } else {
      if (value > (std::numeric_limits<long>::max() - digit) / 10) return false;
      value = value * 10 + digit;
    }
  }
  out = value;
  return true;
}

}  // namespace rq30
