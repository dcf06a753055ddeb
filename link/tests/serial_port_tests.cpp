// The POSIX serial port on a pseudo-terminal: COM mapping, the open and
// configuration failures, and the read time-out model as measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "pty_fixture.h"
#include "read_timing.h"
#include "serial_port.h"

namespace rq30 {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string OpenError(SerialPort& port, int number) {
  try {
    port.OpenPort(number);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

class SerialOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    home.Map(4, pty.SlavePath());
    port.OpenPort(4);
  }
  test::TempConfigHome home;
  test::RawPty pty;
  SerialPort port;
};

TEST(SerialPortOpen, FailuresNameThePortAndLeaveNoLine) {
  test::TempConfigHome home;
  SerialPort port;
  home.Map(7, home.Dir() + "/no-such-device");
  EXPECT_EQ(OpenError(port, 7), "Sériový port COM7 nelze otevřít");
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_FALSE(port.IsOpen());

  // Later exchanges fail without a word.
  uint8_t buffer[8] = {};
  int n = -1;
  EXPECT_FALSE(port.WritePort(buffer, 8, n));
  EXPECT_FALSE(port.ReadPort(buffer, 8, n));
  EXPECT_EQ(n, 0);

  // Something that opens but is no serial line.
  std::ofstream(home.Dir() + "/plain-file") << "x";
  home.Map(5, home.Dir() + "/plain-file");
  EXPECT_EQ(OpenError(port, 5), "Nelze získat konfiguraci na sériovém portu COM5");
  EXPECT_EQ(port.PortNumber(), 0);

  // A rate change with no line open.
  try {
    port.ApplyLineSettings();
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Nepodařila se reinicializace portu COM0");
  }
}

TEST(SerialPortOpen, ComNamesFallBackToOnBoardPorts) {
  test::TempConfigHome home;
  EXPECT_EQ(SerialPort::DevicePath(3), "/dev/ttyS2");
  home.Map(3, "/dev/null");
  EXPECT_EQ(SerialPort::DevicePath(3), home.ComLink(3));
  EXPECT_EQ(SerialPort::PortName(8), "COM8");
}

TEST_F(SerialOnPty, ReadWithNoReplyWaitsTheTotalTimeOut) {
  uint8_t buffer[64];
  test::ExpectTotalTimeOut(test::ReadTimed(port, buffer, 20), 20);  // 500 + 2 × 20
}

// The controller sends its bytes in pieces from the start of the read on.
// Returns the longest gap the pieces really had: on a busy machine a sleep
// can run well past what was asked.
double SendPieces(const test::RawPty& pty, int pieces, int bytesEach, int gapMs) {
  const uint8_t bytes[32] = {0x68, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  double longest = 0;
  auto last = Clock::now();
  for (int i = 0; i < pieces; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    const auto now = Clock::now();
    if (i > 0) longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
    pty.Send(bytes, static_cast<size_t>(bytesEach));
    last = now;
  }
  return longest;
}

// A gap of 150 ms ends the read at the gap, 100 ms after the first piece; the
// second piece is not part of it.
TEST_F(SerialOnPty, GapLongerThanTheIntervalEndsTheRead) {
  uint8_t buffer[255];
  std::thread controller([&] { SendPieces(pty, 2, 20, 150); });
  const test::TimedRead r = test::ReadTimed(port, buffer, 255);
  controller.join();
  test::ExpectEndAtGap(r, 255, 20, 0);
  EXPECT_LT(r.ms, 150) << "the read waited into the second piece";
}

// Gaps of 60 ms stay inside the interval: the read takes every piece and ends
// 100 ms after the last. A try in which the machine stretched a gap to near
// the interval proves nothing either way and is made again.
TEST_F(SerialOnPty, GapsShorterThanTheIntervalAreReadWhole) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    uint8_t buffer[255];
    double longest = 0;
    std::thread controller([&] { longest = SendPieces(pty, 4, 5, 60); });
    const test::TimedRead r = test::ReadTimed(port, buffer, 255);
    controller.join();
    if (longest < test::kModelIntervalMs - 20) {
      test::ExpectEndAtGap(r, 255, 20, 3 * 60);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    port.PurgeReceive();
  }
  ADD_FAILURE() << "the machine never kept a 60 ms gap below 80 ms";
}

TEST_F(SerialOnPty, FullReadReturnsAtOnce) {
  const uint8_t reply[6] = {0x10, 0, 5, 0, 5, 0x16};
  pty.Send(reply, sizeof reply);
  uint8_t buffer[6];
  int got = 0;
  const auto start = Clock::now();
  EXPECT_TRUE(port.ReadPort(buffer, 6, got));
  EXPECT_EQ(got, 6);
  EXPECT_LT(MsSince(start), 500);  // not the 100 ms interval or the total time-out
}

TEST_F(SerialOnPty, LateBytesAreDiscardedByTheNextWrite) {
  const uint8_t late[4] = {0xAA, 0xBB, 0xCC, 0xDD};
  pty.Send(late, sizeof late);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));

  const uint8_t request[3] = {1, 2, 3};
  int written = 0;
  ASSERT_TRUE(port.WritePort(request, 3, written));
  EXPECT_EQ(written, 3);
  uint8_t seen[3] = {};
  ASSERT_EQ(read(pty.Master(), seen, 3), 3);
  EXPECT_EQ(seen[2], 3);

  const uint8_t reply[2] = {0x11, 0x22};
  pty.Send(reply, sizeof reply);
  uint8_t buffer[8] = {};
  int got = 0;
  EXPECT_TRUE(port.ReadPort(buffer, 8, got));
  ASSERT_EQ(got, 2);
  EXPECT_EQ(buffer[0], 0x11);
}

TEST_F(SerialOnPty, EveryOfferedRateAndAnOddOneAreApplied) {
  for (int rate : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
                   115200, 128000, 256000, 12345}) {
    SCOPED_TRACE(rate);
    port.SetBaudRate(rate);
    EXPECT_NO_THROW(port.ApplyLineSettings());
  }
}

TEST_F(SerialOnPty, NoPortChoiceKeepsTheOpenLine) {
  port.SetPortNumber(0);
  const uint8_t request[2] = {7, 8};
  int written = 0;
  EXPECT_TRUE(port.WritePort(request, 2, written));
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(SerialOnPty, VanishedLineFailsReads) {
  pty.Pull();
  uint8_t buffer[8];
  int got = 0;
  const auto start = Clock::now();
  EXPECT_FALSE(port.ReadPort(buffer, 8, got));
  EXPECT_EQ(got, 0);
  EXPECT_LT(MsSince(start), 400);  // at once, not after the 516 ms time-out
}

}  // namespace
}  // namespace rq30
