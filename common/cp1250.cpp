#include "cp1250.h"

#include <cstdint>

namespace rq30 {
namespace {

// Unicode code points of the bytes 0x80..0xFF.
constexpr char32_t kHighHalf[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    // Every character of the table lies in the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char EncodeOne(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  for (int i = 0; i < 128; ++i) {
    if (kHighHalf[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Decodes one character at text[pos]; sets `length` to the bytes consumed
// (at least 1) and returns false for malformed input. Never looks past `end`.
bool DecodeOne(const std::string& text, size_t pos, char32_t& c, size_t& length) {
  const auto byteAt = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byteAt(pos);
  length = 1;
  int more;
  char32_t min;
  if (lead < 0x80) {
    c = lead;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1, c = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2, c = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3, c = lead & 0x07, min = 0x10000;
  } else {
    return false;  // a continuation byte, an overlong lead or beyond Unicode
  }
  for (int i = 0; i < more; ++i) {
    if (pos + length >= text.size()) return false;
    const uint8_t next = byteAt(pos + length);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
    ++length;
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  return true;
}

}  // namespace

std::string Cp1250ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    AppendUtf8(b < 0x80 ? char32_t{b} : kHighHalf[b - 0x80], out);
  }
  return out;
}

std::string Utf8ToCp1250(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c = 0;
    size_t length = 1;
    out += DecodeOne(utf8, pos, c, length) ? EncodeOne(c) : '?';
    pos += length;
  }
  return out;
}

}  // namespace rq30
