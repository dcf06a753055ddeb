// The four things the telegram layer needs of a serial line.
#pragma once

#include <cstdint>

namespace rq30 {

class Port {
 public:
  virtual ~Port() = default;

  // Reads up to n bytes within the line's time-outs. Returns true when the
  // platform read succeeded (a short or empty read still succeeds) and sets
  // `got` to the number of bytes read.
  virtual bool ReadPort(uint8_t* buffer, int n, int& got) = 0;

  // As ReadPort, but waits `firstByteMs` for the first byte instead of the
  // line's own total time-out; once bytes come, the line's rules end the
  // read. A line that cannot do this reads as ReadPort.
  virtual bool ReadPortWithin(uint8_t* buffer, int n, int& got, int firstByteMs) {
    (void)firstByteMs;
    return ReadPort(buffer, n, got);
  }

  // Purges both queues (receive first), then writes n bytes. Returns true on
  // success and sets `written`.
  virtual bool WritePort(const uint8_t* buffer, int n, int& written) = 0;

  virtual void PurgeReceive() = 0;
  virtual void PurgeTransmit() = 0;
};

}  // namespace rq30
