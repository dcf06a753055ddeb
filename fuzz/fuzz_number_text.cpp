// The number parsers and the fixed-point formatter on arbitrary texts and
// values.
//
// Held to:
//  - ParseInt accepts exactly an optional sign and decimal digits (blanks and
//    tabs around) within `long`, with the value std::from_chars gives;
//  - ParseFloat accepts exactly the number grammar of the entry fields with
//    the given separator, with the value strtod gives, and leaves the output
//    alone on failure;
//  - FormatFixed of any finite value gives a text that ParseFloat reads back
//    within the rounding the digits allow, made only of digits, the
//    separator, a sign and the exponent mark.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "number_text.h"

namespace {

[[noreturn]] void Finding(const char* what, const std::string& text) {
  std::fprintf(stderr, "fuzz_number_text: %s: \"%s\"\n", what, text.c_str());
  std::abort();
}

void Require(bool condition, const char* what, const std::string& text) {
  if (!condition) Finding(what, text);
}

bool Blank(char c) {
  return c == ' ' || c == '\t';
}
bool Digit(char c) {
  return c >= '0' && c <= '9';
}

std::string Trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The float grammar, with the text rewritten for strtod; false when the text
// is not a number at all.
bool FloatGrammar(const std::string& text, char separator, std::string& ascii) {
  const std::string s = Trimmed(text);
  std::size_t i = 0;
  ascii.clear();
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ascii += s[i++];
  int digits = 0;
  while (i < s.size() && Digit(s[i])) ascii += s[i++], ++digits;
  if (i < s.size() && s[i] == separator) {
    ascii += '.';
    ++i;
    while (i < s.size() && Digit(s[i])) ascii += s[i++], ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ascii += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ascii += s[i++];
    int exponentDigits = 0;
    while (i < s.size() && Digit(s[i])) ascii += s[i++], ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

void CheckParseInt(const std::string& text) {
  long out = 12345;
  const bool ok = rq30::ParseInt(text, out);
  std::string s = Trimmed(text);
  if (!s.empty() && s[0] == '+' && s.size() > 1 && s[1] != '-' && s[1] != '+') s.erase(0, 1);
  bool grammar = !s.empty();
  for (std::size_t i = 0; i < s.size() && grammar; ++i)
    grammar = Digit(s[i]) || (i == 0 && s[i] == '-' && s.size() > 1);
  long expected = 0;
  const auto result = std::from_chars(s.data(), s.data() + s.size(), expected);
  const bool fits = grammar && result.ec == std::errc() && result.ptr == s.data() + s.size();
  Require(ok == fits,
          ok ? "ParseInt took a text that is no whole number" : "ParseInt refused a whole number",
          text);
  Require(ok ? out == expected : out == 12345,
          "ParseInt gave the wrong value or touched its output", text);
}

void CheckParseFloat(const std::string& text, char separator) {
  double out = 0.5;
  const bool ok = rq30::ParseFloat(text, separator, out);
  std::string ascii;
  if (!FloatGrammar(text, separator, ascii)) {
    Require(!ok, "ParseFloat took a text outside the grammar", text);
    Require(out == 0.5, "a refused text changed the output", text);
    return;
  }
  errno = 0;
  char* end = nullptr;
  const double reference = std::strtod(ascii.c_str(), &end);
  const bool underflow = errno == ERANGE && std::fabs(reference) < 2.3e-308;
  if (!std::isfinite(reference)) {
    Require(!ok, "ParseFloat took a number beyond double", text);
    return;
  }
  // Below the smallest normal double the C++ libraries disagree about
  // reporting a range error; what matters is that nothing wrong comes back.
  if (ok) {
    Require(std::isfinite(out), "ParseFloat gave a non-finite value", text);
    Require(out == reference, "ParseFloat gave another value than strtod", text);
  } else {
    Require(underflow, "ParseFloat refused a number", text);
  }
}

void CheckFormat(double value, int significant, int decimals, char separator) {
  const std::string text = rq30::FormatFixed(value, significant, decimals, separator);
  if (std::isnan(value)) {
    Require(text == "NAN", "NaN is not NAN", text);
    return;
  }
  if (std::isinf(value)) {
    Require(text == (value < 0 ? "-INF" : "INF"), "infinity misnamed", text);
    return;
  }
  for (char c : text) {
    Require(Digit(c) || c == separator || c == '-' || c == '+' || c == 'E', "a stray character",
            text);
  }
  double back = 0;
  if (!rq30::ParseFloat(text, separator, back)) {
    // Rounding to few digits may carry a value near the top of the double
    // range past it (1.8E+308 with one digit is 2E+308): only then may the
    // text be unreadable.
    std::string ascii;
    Require(FloatGrammar(text, separator, ascii) && std::isinf(std::strtod(ascii.c_str(), nullptr)),
            "a formatted number does not read back", text);
    return;
  }
  const int sig = significant < 1 ? 1 : significant > 18 ? 18 : significant;
  const int places = decimals < 0 ? 0 : decimals > 18 ? 18 : decimals;
  const double tolerance = 0.5 * std::pow(10.0, -places) +
                           std::fabs(value) * 0.5 * std::pow(10.0, 1 - sig) +
                           std::fabs(value) * 1e-15 + 1e-300;
  Require(std::fabs(back - value) <= tolerance, "a formatted number reads back too far off", text);
  if (text.find('E') == std::string::npos && places > 0) {
    const std::size_t at = text.find(separator);
    Require(at != std::string::npos && text.size() - at - 1 == static_cast<std::size_t>(places),
            "not exactly the decimals asked for", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  rq30::fuzz::ByteReader in(data, size);
  const uint8_t mode = in.Byte();
  const char separator = (mode & 1) ? ',' : '.';
  double value = 0;
  const std::vector<uint8_t> raw = in.Take(sizeof value);
  if (!raw.empty()) std::memcpy(&value, raw.data(), raw.size());
  const int significant = static_cast<int8_t>(in.Byte()) % 24;
  const int decimals = static_cast<int8_t>(in.Byte()) % 24;
  const std::string text = in.Rest();

  CheckParseInt(text);
  CheckParseFloat(text, separator);
  CheckFormat(value, significant, decimals, separator);
  // The program's own formats: measured values, output, record values.
  CheckFormat(value, 5, 2, separator);
  CheckFormat(value, 4, 1, separator);
  return 0;
}
