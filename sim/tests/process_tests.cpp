// The simulated heating process: control, relays, record memory and clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "calendar.h"
#include "controller_model.h"

namespace rq30::sim {
namespace {

enum : uint8_t { kOnOff = 0, kProportional = 1, kPid = 2, kThreeState = 3 };

TEST(ProcessTest, EveryControlTypeBringsTheValueToTheSetpoint) {
  const struct {
    uint8_t type;
    const char* name;
    double tolerance;  // a proportional loop keeps an offset
  } cases[] = {{kOnOff, "ONOF", 2.5},
               {kProportional, "PROI", 4.0},
               {kPid, "PIDI", 1.0},
               {kThreeState, "PID3", 1.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ControllerModel model;
    model.Image().control.type = c.type;
    model.Image().sp = 80.0f;
    const LiveTable& live = model.Image().live;
    EXPECT_FLOAT_EQ(live.measured, 20.0f);

    model.Step(5);
    EXPECT_EQ(live.relays & 1, 1) << "heating relay on (or valve opening) while cold";
    EXPECT_GT(live.output, 0);

    // On/off control swings around the setpoint: judge the mean and the swing.
    const auto settle = [&](double sp) {
      model.Image().sp = static_cast<float>(sp);
      model.Step(1800);
      double sum = 0, low = 1e9, high = -1e9;
      for (int s = 0; s < 600; ++s) {
        model.Step(1);
        sum += live.measured;
        low = std::min<double>(low, live.measured);
        high = std::max<double>(high, live.measured);
        ASSERT_GE(live.output, 0);
        ASSERT_LE(live.output, 1000);
      }
      EXPECT_NEAR(sum / 600, sp, c.tolerance);
      EXPECT_LT(high - low, 10.0);
    };
    settle(80.0);
    settle(50.0);  // and down again
  }
}

TEST(ProcessTest, OnOffCoolsAboveTheCoolingShift) {
  ControllerModel model;
  TableImage& image = model.Image();
  image.control.type = kOnOff;
  image.sp = 60.0f;
  model.Step(1800);
  image.sp = 10.0f;  // far below: cooling shift is +5, so relay 2 switches on
  model.Step(1);
  EXPECT_EQ(image.live.relays & 3, 2);
  EXPECT_EQ(image.live.output, 0);
}

TEST(ProcessTest, AlarmsDriveRelays3And4) {
  const struct {
    AlarmTable alarm;
    bool relayOn;
  } cases[] = {
      {{0, 15, 1, 0, 1}, true},     // CONS: 20 °C is above 15, relay on when exceeded
      {{0, 15, 1, 0, 0}, false},    // the same, relay off when exceeded
      {{0, 50, 1, 0, 1}, false},    // CONS below its limit
      {{25, 50, 1, 2, 1}, true},    // WIN: 20 °C is under the lower limit
      {{-5, 5, 1, 3, 1}, true},     // DWI around SP 60: far outside
      {{-50, 50, 1, 3, 1}, false},  // DWI with a wide band
  };
  for (const auto& c : cases) {
    ControllerModel model;
    model.Image().alarm1 = c.alarm;
    model.Image().alarm2 = c.alarm;
    model.Step(0.1);
    const uint8_t relays = model.Image().live.relays;
    EXPECT_EQ((relays & 4) != 0, c.relayOn) << int(c.alarm.rala) << " " << c.alarm.sphi;
    EXPECT_EQ((relays & 8) != 0, c.relayOn);
  }
}

TEST(ProcessTest, FaultAppliesTheErrorReaction) {
  ControllerModel model;
  TableImage& image = model.Image();
  image.errorReaction = {2, 1, 2, 0};  // SHUT: relay 2 on, relay 1 off; relay 3 on, relay 4 off
  image.alarm2 = {0, 15, 1, 0, 1};     // would switch relay 4 on
  model.SetFault(7);
  model.Step(1);
  EXPECT_EQ(image.live.fault, 7);
  EXPECT_EQ(image.live.relays, 2 | 4);

  model.SetFault(0);
  model.Step(1);
  EXPECT_EQ(image.live.fault, 0);
  EXPECT_EQ(image.live.relays & 1, 1) << "control resumes heating";
}

TEST(ProcessTest, RecordMemoryFollowsTheRate) {
  ControllerModel model;
  TableImage& image = model.Image();
  EXPECT_EQ(image.recordMemory.ringIndex, 0);
  model.Step(10);
  EXPECT_EQ(image.recordMemory.ringIndex, 10);
  EXPECT_FLOAT_EQ(image.recordValues[10], image.live.measured);
  EXPECT_LT(image.recordValues[1], image.recordValues[10]) << "warming up, newest is highest";

  image.address.rate = 5;
  model.Step(12);
  EXPECT_EQ(image.recordMemory.ringIndex, 12);

  image.address.rate = 1;
  model.Step(250.5);  // wraps around the 256 values
  EXPECT_EQ(image.recordMemory.ringIndex, (12 + 250) % 256);
  model.Step(0.5);  // the half seconds add up
  EXPECT_EQ(image.recordMemory.ringIndex, (12 + 251) % 256);
}

TEST(ProcessTest, ClockRunsWithTheProcess) {
  ControllerModel model;
  ClockTable& clock = model.Image().clock;
  clock = {58, 59, 23, 7, 31, 12, 23};  // Sunday 31 December 2023, 23:59:58
  model.Step(3);
  EXPECT_EQ(clock.sec, 1);
  EXPECT_EQ(clock.min, 0);
  EXPECT_EQ(clock.hour, 0);
  EXPECT_EQ(clock.wday, 1);
  EXPECT_EQ(clock.mday, 1);
  EXPECT_EQ(clock.mont, 1);
  EXPECT_EQ(clock.year, 24);
}

TEST(CalendarTest, MonthEnds) {
  const struct {
    uint8_t mday, mont, year;
    uint8_t nextDay, nextMonth;
  } cases[] = {{28, 2, 23, 1, 3},
               {28, 2, 24, 29, 2},
               {29, 2, 24, 1, 3},
               {30, 4, 24, 1, 5},
               {30, 5, 24, 31, 5}};
  for (const auto& c : cases) {
    ClockTable clock = {59, 59, 23, 3, c.mday, c.mont, c.year};
    AdvanceOneSecond(clock);
    EXPECT_EQ(clock.mday, c.nextDay) << int(c.mday) << "." << int(c.mont) << "." << int(c.year);
    EXPECT_EQ(clock.mont, c.nextMonth);
    EXPECT_EQ(clock.wday, 4);
  }
}

}  // namespace
}  // namespace rq30::sim
