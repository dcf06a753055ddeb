// How long the link waits, on a real line (the simulator on a pty): a
// controller that is slow to start answering is still identified, and a
// read whose first reply was lost costs one read time-out, the repeat and
// its reply, and no second time-out on top.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "sim_line.h"

namespace rq30 {
namespace {

using Clock = std::chrono::steady_clock;
using testing::SimLine;
using testing::SimLineOptions;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

SimLineOptions AtAddress(uint8_t address) {
  SimLineOptions options;
  options.addresses = {address};
  return options;
}

void Inject(SimLine& line, const sim::Faults& faults) {
  line.WithModel([&](sim::ControllerModel& m) {
    m.Injected() = faults;
    return 0;
  });
}

// A read of up to 255 bytes waits 2 ms × 255 + 500 ms = 1010 ms for its
// first byte; the identification reads the length first and must give the
// controller that whole time, not the 506 ms of a 3-byte read.
TEST(LinkTiming, IdentificationWaitsForAControllerThatAnswersLate) {
  SimLine line(AtAddress(9));
  line.link.SetDeviceAddress(9);
  line.link.SetComputerAddress(3);
  for (int delay : {900, 0}) {
    SCOPED_TRACE(delay);
    sim::Faults slow;
    slow.delayMs = delay;
    Inject(line, slow);
    line.ClearRequests();
    std::memset(line.image.deviceType, 0, sizeof line.image.deviceType);
    std::memset(line.image.firmwareVersion, 0, sizeof line.image.firmwareVersion);
    const auto start = Clock::now();
    EXPECT_EQ(line.link.ReadDeviceType(), 1);
    EXPECT_EQ(line.link.ReadFirmwareVersion(), 1);
    const double spent = MsSince(start);
    EXPECT_STREQ(line.image.firmwareVersion, "FW-K-47-03");
    EXPECT_NE(line.image.deviceType[0], 0);
    // Each request went out once: the first read heard its answer.
    EXPECT_EQ(line.Requests().size(), 2u);
    EXPECT_TRUE(line.pauses.empty());
    // The read ends with the reply's last byte, not a gap after it.
    EXPECT_LT(spent, 2 * (delay + 100) + 150);
  }
}

// One dropped reply: the first read waits its whole time-out (552 ms for
// the 26 bytes of table 11), the request goes out again after the 100 ms
// pause (recorded here, not slept) and its answer is read. The read-off
// for the answer still due then waits a line gap, not a second time-out.
TEST(LinkTiming, AnsweredRepeatCostsNoSecondTimeOut) {
  SimLine line(AtAddress(9));
  line.link.SetDeviceAddress(9);
  line.link.SetComputerAddress(3);
  ASSERT_EQ(line.link.ReadTable(11), 1);
  sim::Faults drop;
  drop.dropReplies = 1;
  Inject(line, drop);
  line.ClearRequests();
  const auto start = Clock::now();
  EXPECT_EQ(line.link.ReadTable(11), 1);
  const double spent = MsSince(start);
  EXPECT_EQ(line.Requests().size(), 2u);
  EXPECT_EQ(line.pauses, std::vector<int>{100});
  const double timeOut = 2 * 26 + 500;
  EXPECT_GT(spent, timeOut);
  // A second time-out would make this 1100 ms or more.
  EXPECT_LT(spent, timeOut + 250);
  // The next exchange gets its own reply.
  line.ClearRequests();
  EXPECT_EQ(line.link.ReadTable(0), 1);
  EXPECT_EQ(line.Requests().size(), 1u);
}

// The same for a write: one lost acknowledgement costs the read time-out
// for the 6 bytes (512 ms), the repeat and its acknowledgement, and no
// second time-out for the answer still due.
TEST(LinkTiming, AcknowledgedRepeatCostsNoSecondTimeOut) {
  SimLine line(AtAddress(9));
  line.link.SetDeviceAddress(9);
  line.link.SetComputerAddress(3);
  line.image.sp = 42.5f;
  sim::Faults drop;
  drop.dropReplies = 1;
  Inject(line, drop);
  line.ClearRequests();
  const auto start = Clock::now();
  EXPECT_EQ(line.link.WriteTable(0), 1);
  const double spent = MsSince(start);
  EXPECT_EQ(line.Requests().size(), 2u);
  const double timeOut = 2 * 6 + 500;
  EXPECT_GT(spent, timeOut);
  EXPECT_LT(spent, timeOut + 250);
  line.ClearRequests();
  EXPECT_EQ(line.link.ReadTable(0), 1);
  EXPECT_EQ(line.Requests().size(), 1u);
  EXPECT_FLOAT_EQ(line.image.sp, 42.5f);
}

}  // namespace
}  // namespace rq30
