// Telegram frames as the controller sends them: data replies and short
// acknowledgements in the bus's FDL formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rq30::sim {

constexpr uint8_t kStartVariable = 0x68;
constexpr uint8_t kStartShort = 0x10;
constexpr uint8_t kEnd = 0x16;
constexpr uint8_t kFcRead = 0x6C;
constexpr uint8_t kFcWrite = 0x63;
constexpr uint8_t kFcProbe = 0x69;
constexpr uint8_t kFcDataReply = 0x08;
constexpr uint8_t kAckOk = 0x00;

// Arithmetic checksum: the sum of n bytes modulo 256.
uint8_t Checksum(const uint8_t* bytes, std::size_t n);

// 68 LE LE 68 to from fc data CS 16, with LE = data size + 3. The caller
// keeps the data at 252 bytes or fewer, so that LE fits its byte.
std::vector<uint8_t> VariableFrame(uint8_t to, uint8_t from, uint8_t fc,
                                   const std::vector<uint8_t>& data);

// 10 to from code CS 16.
std::vector<uint8_t> ShortAck(uint8_t to, uint8_t from, uint8_t code);

}  // namespace rq30::sim
