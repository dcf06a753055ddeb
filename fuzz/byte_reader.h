// Takes a fuzz input apart from the front: single bytes, runs of bytes and
// short strings. An exhausted input gives zeros and empty runs, so a target
// never has to check before it asks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rq30::fuzz {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::size_t Left() const { return size_ - pos_; }

  uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }

  std::vector<uint8_t> Take(std::size_t n) {
    if (n > Left()) n = Left();
    std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }

  // A string of at most `limit` bytes, its length given by the next byte.
  std::string Text(std::size_t limit) {
    const std::size_t n = Byte() % (limit + 1);
    const std::vector<uint8_t> bytes = Take(n);
    return std::string(bytes.begin(), bytes.end());
  }

  std::string Rest() {
    const std::vector<uint8_t> bytes = Take(Left());
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace rq30::fuzz
