// Deliberate misbehaviour of the simulated controller, so that the program's
// recovery paths can be tried against a line that fails on purpose.
#pragma once

#include <cstdint>

namespace rq30::sim {

struct Faults {
  // The next N replies the controller would send are swallowed.
  int dropReplies = 0;
  // The next N replies go out with their checksum off by one.
  int corruptReplies = 0;
  // Non-zero: every write (table, block, EEPROM store) is refused with a
  // short acknowledgement carrying this function code, and nothing is stored.
  uint8_t nakCode = 0;
  // With nakCode: only the next N writes are refused, the later ones are
  // carried out (a controller busy for a moment); 0 refuses every write.
  int nakTimes = 0;
  // Transport timing, applied by the pty server: a pause before each reply,
  // a pause between two reply bytes, and the wire time of a line at this rate
  // (11 bits per byte: start, 8 data, parity, stop); 0 switches each off.
  int delayMs = 0;
  int gapMs = 0;
  int baud = 0;
};

}  // namespace rq30::sim
