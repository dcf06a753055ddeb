// A scripted serial line for telegram tests: records every write, purge and
// pause in one event list and hands out prepared replies, one per read. A
// read shorter than its reply leaves the rest for the next read, as a line
// does, until a write or a purge throws it away.
#pragma once

#include <cstdint>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "port.h"

namespace rq30::test {

using Bytes = std::vector<uint8_t>;

// "68 08 08 68" -> bytes.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

inline std::string ToHex(const Bytes& bytes) {
  std::string out;
  static const char* digits = "0123456789ABCDEF";
  for (uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// The addresses of the telegram tests: the controller answers at 5, the
// computer is 3. Neither is 0, so a checksum that skips an address byte, or a
// check that reads one byte off, shows.
constexpr uint8_t kDeviceAddress = 5;
constexpr uint8_t kComputerAddress = 3;

// A data reply 68 LE LE 68 to from 08 data CS 16 around the given data; a
// reply goes to the computer, from the controller.
inline Bytes DataReply(const Bytes& data, uint8_t to = kComputerAddress,
                       uint8_t from = kDeviceAddress) {
  Bytes r = {0x68, 0, 0, 0x68, to, from, 0x08};
  r.insert(r.end(), data.begin(), data.end());
  const auto le = static_cast<uint8_t>(data.size() + 3);
  r[1] = r[2] = le;
  unsigned sum = 0;
  for (std::size_t i = 4; i < r.size(); ++i) sum += r[i];
  r.push_back(static_cast<uint8_t>(sum));
  r.push_back(0x16);
  return r;
}

inline Bytes ShortAck(uint8_t fc = 0, uint8_t to = kComputerAddress,
                      uint8_t from = kDeviceAddress) {
  return {0x10, to, from, fc, static_cast<uint8_t>(to + from + fc), 0x16};
}

class FakePort : public Port {
 public:
  // Each read takes the next scripted reply (an empty one: nothing came).
  std::deque<Bytes> replies;
  std::vector<Bytes> writes;
  // "W" write, "R<n>" read of n bytes, "PR"/"PT" purges, "S<ms>" pauses.
  std::vector<std::string> events;
  bool readFails = false;

  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    events.push_back("R" + std::to_string(n));
    got = 0;
    if (readFails) return false;
    if (rest_.empty()) {
      if (replies.empty()) return true;
      rest_ = replies.front();
      replies.pop_front();
    }
    for (; got < n && got < static_cast<int>(rest_.size()); ++got) buffer[got] = rest_[got];
    rest_.erase(rest_.begin(), rest_.begin() + got);
    return true;
  }

  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    DropPartlyRead();
    events.push_back("W");
    writes.emplace_back(buffer, buffer + n);
    written = n;
    return true;
  }

  void PurgeReceive() override {
    DropPartlyRead();
    events.push_back("PR");
  }
  void PurgeTransmit() override { events.push_back("PT"); }

  void Pause(int ms) { events.push_back("S" + std::to_string(ms)); }

 private:
  void DropPartlyRead() { rest_.clear(); }

  Bytes rest_;  // what a shorter read left of its reply
};

}  // namespace rq30::test
