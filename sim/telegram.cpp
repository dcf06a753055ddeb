#include "telegram.h"

namespace rq30::sim {

uint8_t Checksum(const uint8_t* bytes, std::size_t n) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < n; ++i) sum += bytes[i];
  return static_cast<uint8_t>(sum);
}

std::vector<uint8_t> VariableFrame(uint8_t to, uint8_t from, uint8_t fc,
                                   const std::vector<uint8_t>& data) {
  const auto le = static_cast<uint8_t>(data.size() + 3);
  std::vector<uint8_t> frame;
  frame.reserve(data.size() + 9);
  for (uint8_t b : {kStartVariable, le, le, kStartVariable, to, from, fc}) frame.push_back(b);
  for (uint8_t b : data) frame.push_back(b);
  frame.push_back(Checksum(frame.data() + 4, le));
  frame.push_back(kEnd);
  return frame;
}

std::vector<uint8_t> ShortAck(uint8_t to, uint8_t from, uint8_t code) {
  std::vector<uint8_t> frame = {kStartShort, to, from, code, 0, kEnd};
  frame[4] = Checksum(frame.data() + 1, 3);
  return frame;
}

}  // namespace rq30::sim
