// The warning shown when the connected device is of another kind: it gave
// no VTQ45 identification but answered in its own format with three texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rq30 {

constexpr int kForeignTextLength = 32;
constexpr int kForeignTextCount = 3;

// The message as Windows-1250 bytes: the notice, then each of the three
// 32-byte texts of `foreignTexts` after a carriage return, taken whole
// whatever they hold. The message ends at its first zero byte, so a text
// ends at a zero and drops everything after it. `size` is the size of
// `foreignTexts`; missing bytes count as zeros.
std::string ForeignDeviceMessage(const uint8_t* foreignTexts, std::size_t size);

}  // namespace rq30
