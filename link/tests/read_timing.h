// Measures reads against the line's time-out model: a read of n bytes ends
// when n bytes have come, 100 ms after a byte when no further byte follows,
// or after 2 ms per byte asked for plus 500 ms when nothing came at all.
//
// The model's numbers are written out here, not taken from the port, so a
// changed constant in the port shows. Each expectation's window stops well
// short of where another ending would fall, so a read that ends the wrong way
// cannot pass: a read that should end at a gap must end before halfway to its
// total time-out, and one that waits out the total time-out must not end 100
// ms late. Shared by the pty tests, the simulator tests and the Wine tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "port.h"

namespace rq30::test {

constexpr double kModelIntervalMs = 100;
constexpr double kModelPerByteMs = 2;
constexpr double kModelConstantMs = 500;

inline double TotalTimeOutMs(int n) {
  return kModelConstantMs + kModelPerByteMs * n;
}

struct TimedRead {
  bool ok = false;
  int got = -1;
  double ms = 0;  // from the call to its return
};

inline TimedRead ReadTimed(Port& port, uint8_t* buffer, int n) {
  using Clock = std::chrono::steady_clock;
  TimedRead r;
  const auto start = Clock::now();
  r.ok = port.ReadPort(buffer, n, r.got);
  r.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return r;
}

// `early`: how much sooner than the model a clock may report the end (the
// kernel's poll is exact to a few ms; Wine's timers fire up to a tick early).

// Nothing came: a successful read of nothing at 500 + 2n ms.
inline void ExpectTotalTimeOut(const TimedRead& r, int n, double early = 5) {
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.got, 0);
  const double end = TotalTimeOutMs(n);
  EXPECT_GE(r.ms, end - early) << "ended before the total time-out of " << end << " ms";
  EXPECT_LT(r.ms, end + kModelIntervalMs)
      << "ended long after the total time-out of " << end << " ms";
}

// Whether ExpectEndAtGap below holds, for a case that may be tried again.
inline bool EndedAtGap(const TimedRead& r, int n, int got, double lastByteMs, double early = 5) {
  const double end = lastByteMs + kModelIntervalMs;
  return r.ok && r.got == got && r.ms >= end - early && r.ms < (end + TotalTimeOutMs(n)) / 2;
}

// The reply stopped after `got` bytes, the last of them `lastByteMs` after the
// read began: the read ends one interval later with those bytes.
inline void ExpectEndAtGap(const TimedRead& r, int n, int got, double lastByteMs,
                           double early = 5) {
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.got, got);
  const double end = lastByteMs + kModelIntervalMs;
  EXPECT_GE(r.ms, end - early) << "ended before the interval after the last byte";
  EXPECT_LT(r.ms, (end + TotalTimeOutMs(n)) / 2)
      << "did not end at the gap (" << end << " ms) but near the total time-out ("
      << TotalTimeOutMs(n) << " ms)";
}

}  // namespace rq30::test
