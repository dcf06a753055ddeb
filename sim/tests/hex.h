// Telegrams written the way the protocol tables write them.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace rq30::sim::test {

// "68 08 08 68 05 00 6C 01 0B 11 00 00 CS 16" to bytes. "CS" becomes the
// checksum: the sum of the bytes from offset 4 (variable telegrams, 0x68) or
// from offset 1 (short telegrams, 0x10) up to it, modulo 256.
inline std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    if (token == "CS") {
      const std::size_t from = !bytes.empty() && bytes[0] == 0x68 ? 4 : 1;
      unsigned sum = 0;
      for (std::size_t i = from; i < bytes.size(); ++i) sum += bytes[i];
      bytes.push_back(static_cast<uint8_t>(sum));
    } else {
      bytes.push_back(static_cast<uint8_t>(std::stoul(token, nullptr, 16)));
    }
  }
  return bytes;
}

// A write request for `table` at `offset` carrying `data`, to address 5 from 0.
inline std::vector<uint8_t> WriteRequest(int table, int offset, const std::vector<uint8_t>& data,
                                         uint8_t to = 5) {
  const auto le = static_cast<uint8_t>(data.size() + 8);
  std::vector<uint8_t> t = {0x68,
                            le,
                            le,
                            0x68,
                            to,
                            0x00,
                            0x63,
                            0x02,
                            static_cast<uint8_t>(table),
                            static_cast<uint8_t>(data.size()),
                            static_cast<uint8_t>(offset >> 8),
                            static_cast<uint8_t>(offset)};
  t.reserve(t.size() + data.size() + 2);
  for (uint8_t b : data) t.push_back(b);
  unsigned sum = 0;
  for (std::size_t i = 4; i < t.size(); ++i) sum += t[i];
  t.push_back(static_cast<uint8_t>(sum));
  t.push_back(0x16);
  return t;
}

// A read request for `length` bytes of `table` at `offset`, to address 5 from 0.
inline std::vector<uint8_t> ReadRequest(int table, int length, int offset = 0, uint8_t to = 5) {
  std::vector<uint8_t> t = {0x68,
                            0x08,
                            0x08,
                            0x68,
                            to,
                            0x00,
                            0x6C,
                            0x01,
                            static_cast<uint8_t>(table),
                            static_cast<uint8_t>(length),
                            static_cast<uint8_t>(offset >> 8),
                            static_cast<uint8_t>(offset)};
  unsigned sum = 0;
  for (std::size_t i = 4; i < t.size(); ++i) sum += t[i];
  t.push_back(static_cast<uint8_t>(sum));
  t.push_back(0x16);
  return t;
}

// True when `reply` is a well-formed data reply (start, length, function
// code 0x08, end byte, checksum), as the program checks it.
inline bool ValidDataReply(const std::vector<uint8_t>& r) {
  if (r.size() < 9 || r[0] != 0x68 || r[1] != r[2] || r[3] != 0x68 || r[6] != 0x08) return false;
  const std::size_t le = r[1];
  if (r.size() != le + 6 || r.back() != 0x16) return false;
  unsigned sum = 0;
  for (std::size_t i = 4; i < 4 + le; ++i) sum += r[i];
  return static_cast<uint8_t>(sum) == r[4 + le];
}

// The data bytes of a data reply.
inline std::vector<uint8_t> Data(const std::vector<uint8_t>& r) {
  if (r.size() < 9) return {};
  return std::vector<uint8_t>(r.begin() + 7, r.end() - 2);
}

}  // namespace rq30::sim::test
