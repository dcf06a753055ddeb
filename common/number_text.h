// Number texts as the operator sees and types them: the controller's floats
// in fixed-point form with the locale's decimal separator, and the parsers
// that every entry field and the command-line client share.
#pragma once

#include <string>

namespace rq30 {

// Rounds `value` once, to at most `significantDigits` significant digits and
// at most `decimals` decimals (so 12.3456 with 5 and 2 gives 12,35), then
// writes it with exactly `decimals` decimals: 21.5 -> "21,50",
// 1234.567 -> "1234,60". Exact halves round away from zero.
//
// A value whose integer part needs more than `significantDigits` digits is
// written in exponent form, as the Windows number formatting of the original
// program did: the mantissa rounded to `significantDigits` digits without
// trailing zeros, 'E', the exponent's sign and its digits without leading
// zeros: 123456 (5, 2) -> "1,2346E+5", 100000 -> "1E+5".
//
// A result that rounds to zero has no minus sign. NaN gives "NAN", infinities
// "INF" and "-INF". significantDigits is clamped to 1..18, decimals to 0..18.
std::string FormatFixed(double value, int significantDigits, int decimals, char decimalSeparator);

// Reads a decimal number: optional sign, digits with at most one
// `decimalSeparator` (digits on at least one side), optional exponent
// (E or e, optional sign, digits). Blanks and tabs around the number are
// allowed; anything else, thousands separators, the other separator (a point
// where the separator is a comma), "inf", "nan" and numbers beyond the range
// of double are rejected. On failure `out` is left unchanged.
bool ParseFloat(const std::string& text, char decimalSeparator, double& out);

// Reads a whole number: optional sign and decimal digits, blanks and tabs
// around allowed; fails on anything else and on values beyond `long`.
// On failure `out` is left unchanged.
bool ParseInt(const std::string& text, long& out);

}  // namespace rq30
