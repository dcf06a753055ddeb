#include "foreign_message.h"

#include <algorithm>
#include <cstring>

#include "cp1250.h"

namespace rq30 {
namespace {

constexpr std::size_t kMessageBuffer = 255;

const uint8_t* TextAt(const uint8_t* foreignTexts, std::size_t size, int which,
                      uint8_t (&copy)[kForeignTextLength]) {
  std::memset(copy, 0, sizeof copy);
  const std::size_t start = static_cast<std::size_t>(which) * kForeignTextLength;
  if (foreignTexts != nullptr && start < size) {
    const std::size_t n = std::min<std::size_t>(kForeignTextLength, size - start);
    std::memcpy(copy, foreignTexts + start, n);
  }
  return copy;
}

}  // namespace

std::string ForeignDeviceMessage(const uint8_t* foreignTexts, std::size_t size) {
  // Built in a zero-filled buffer and cut at the first zero, so a zero inside
  // a text ends the whole message there.
  char buffer[kMessageBuffer] = {};
  std::size_t at = 0;
  const std::string notice =
      Utf8ToCp1250("Identifikováno zařízení pro které je nutné použít jiný software ");
  std::memcpy(buffer, notice.data(), notice.size());
  at += notice.size();
  for (int which = 0; which < kForeignTextCount; ++which) {
    uint8_t text[kForeignTextLength];
    buffer[at++] = '\r';
    std::memcpy(buffer + at, TextAt(foreignTexts, size, which, text), kForeignTextLength);
    at += kForeignTextLength;
  }
  static_assert(64 + kForeignTextCount * (1 + kForeignTextLength) < kMessageBuffer,
                "the message and its closing zero fit the buffer");
  return std::string(buffer, strnlen(buffer, at));
}

}  // namespace rq30
