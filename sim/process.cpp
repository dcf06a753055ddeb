#include "process.h"

#include <algorithm>
#include <cmath>

#include "calendar.h"

namespace rq30::sim {

namespace {

constexpr double kTick = 0.1;  // s
constexpr int64_t kTickUs = 100000;
constexpr int kTicksPerSecond = 10;
constexpr double kSurrounding = 20.0;
constexpr double kHeatingSpan = 250.0;
constexpr double kCoolingSpan = 60.0;
constexpr double kHeaterLag = 20.0;
constexpr double kLoadLag = 150.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTerminal = 23.0;  // °C at the controller's terminals, drifting slightly

enum ControlType { kOnOff = 0, kProportionalPulse = 1, kPidPulse = 2, kPidThreeState = 3 };

}  // namespace

Process::Process(TableImage& image)
    : image_(image), heater_(kSurrounding), load_(kSurrounding), lastPv_(kSurrounding) {
  UpdateLive(Measured());
}

void Process::Step(double seconds) {
  if (!(seconds > 0)) return;
  pendingUs_ += std::llround(seconds * 1e6);
  while (pendingUs_ >= kTickUs) {
    pendingUs_ -= kTickUs;
    Tick();
  }
}

void Process::SetFault(uint8_t code) {
  image_.live.fault = code;
  UpdateLive(Measured());
}

double Process::Measured() const {
  return load_ + image_.sensor.offs;
}

void Process::Tick() {
  const double pv = Measured();
  const double sp = image_.sp;

  if (image_.live.fault != 0 && image_.errorReaction.re12 != 0) {
    ErrorReaction();
  } else {
    switch (image_.control.type) {
      case kOnOff:
        OnOff(pv, sp);
        break;
      case kProportionalPulse:
        Pulse(Pid(pv, sp, false));
        break;
      case kPidThreeState:
        Valve(Pid(pv, sp, true));
        break;
      case kPidPulse:
      default:
        Pulse(Pid(pv, sp, true));
        break;
    }
  }
  lastPv_ = pv;

  // Heat flows from the element into the load and from the load outwards.
  const double drive = kSurrounding + kHeatingSpan * heat_ - kCoolingSpan * cool_;
  heater_ += (drive - heater_) * kTick / kHeaterLag;
  load_ += (heater_ - load_) * kTick / kLoadLag;

  ++ticks_;
  const double measured = Measured();
  Record(measured);
  if (ticks_ % kTicksPerSecond == 0) AdvanceOneSecond(image_.clock);
  UpdateLive(measured);
}

double Process::Pid(double pv, double sp, bool integral) {
  const PidTable& pid = image_.pid;
  const double gain = 100.0 / std::max(0.1, static_cast<double>(pid.pb));  // % per degree
  const double error = sp - pv;
  const double p = gain * error;
  // On the measured value, so a setpoint step gives no kick.
  const double d = pid.der > 0 ? -gain * pid.der * (pv - lastPv_) / kTick : 0.0;
  if (!integral) {
    return std::clamp(p + d + image_.control.ps, 0.0, 100.0);
  }
  if (pid.intg > 0) {
    const double next = integral_ + gain * error * kTick / pid.intg;
    const double unclamped = p + next + d;
    // Integrate only while that does not push the output further into a limit.
    if ((unclamped <= 100.0 || error < 0) && (unclamped >= 0.0 || error > 0)) integral_ = next;
  } else {
    integral_ = 0;
  }
  return std::clamp(p + integral_ + d, 0.0, 100.0);
}

void Process::OnOff(double pv, double sp) {
  const OnOffTable& t = image_.onoff;
  const double heatPoint = sp + t.phea;
  const double heatBand = std::max(0.0f, t.hhea) / 2;
  if (pv < heatPoint - heatBand) relay1_ = true;
  if (pv > heatPoint + heatBand) relay1_ = false;
  const double coolPoint = sp + t.pcoo;
  const double coolBand = std::max(0.0f, t.hcoo) / 2;
  if (pv > coolPoint + coolBand) relay2_ = true;
  if (pv < coolPoint - coolBand) relay2_ = false;
  heat_ = relay1_ ? 1 : 0;
  cool_ = relay2_ ? 1 : 0;
  output_ = relay1_ ? 100 : 0;
}

void Process::Pulse(double percent) {
  const double period = std::max(1, image_.control.per);
  phase_ += kTick;
  if (phase_ >= period) phase_ = std::fmod(phase_, period);
  relay1_ = phase_ < percent / 100.0 * period;
  relay2_ = false;
  heat_ = relay1_ ? 1 : 0;
  cool_ = 0;
  output_ = percent;
}

void Process::Valve(double percent) {
  const double dead = std::max(0.5, static_cast<double>(image_.control.dead));
  relay1_ = percent - valve_ > dead;
  relay2_ = valve_ - percent > dead;
  const double speed = 100.0 / std::max(1, image_.control.dser);
  if (relay1_) valve_ = std::min(100.0, valve_ + speed * kTick);
  if (relay2_) valve_ = std::max(0.0, valve_ - speed * kTick);
  heat_ = valve_ / 100.0;
  cool_ = 0;
  output_ = valve_;
}

void Process::ErrorReaction() {
  // 1 OPEN: relay 1 on, relay 2 off; 2 SHUT: relay 1 off, relay 2 on; 3 OFF: both off.
  const uint8_t reaction = image_.errorReaction.re12;
  relay1_ = reaction == 1;
  relay2_ = reaction == 2;
  if (image_.control.type == kPidThreeState) {
    const double speed = 100.0 / std::max(1, image_.control.dser);
    if (relay1_) valve_ = std::min(100.0, valve_ + speed * kTick);
    if (relay2_) valve_ = std::max(0.0, valve_ - speed * kTick);
    heat_ = valve_ / 100.0;
    cool_ = 0;
    output_ = valve_;
    return;
  }
  heat_ = relay1_ ? 1 : 0;
  cool_ = image_.control.type == kOnOff && relay2_ ? 1 : 0;
  output_ = relay1_ ? 100 : 0;
}

// CONS watches the upper limit, DRIF the upper limit shifted by the setpoint,
// WIN both limits, DWI both limits shifted by the setpoint. The alarm clears
// once the value is back inside by the hysteresis.
bool Process::Alarm(const AlarmTable& alarm, bool& active, double pv, double sp) const {
  const bool shifted = alarm.rala == 1 || alarm.rala == 3;
  const bool window = alarm.rala == 2 || alarm.rala == 3;
  const double hi = alarm.sphi + (shifted ? sp : 0);
  const double lo = alarm.splo + (shifted ? sp : 0);
  const double hyst = std::max(0.0f, alarm.hyst);
  const bool exceeded = pv > hi || (window && pv < lo);
  const bool inside = pv < hi - hyst && (!window || pv > lo + hyst);
  if (exceeded) active = true;
  if (inside) active = false;
  // RELE 1: the relay switches on when exceeded; 0: it switches off.
  return alarm.rele == 1 ? active : !active;
}

void Process::Record(double pv) {
  const int rate = std::max(1, image_.address.rate);
  if (rate != recordRate_) {
    recordRate_ = rate;  // a new rate counts from when it was set
    recordTicks_ = 0;
  }
  if (++recordTicks_ < rate * kTicksPerSecond) return;
  recordTicks_ = 0;
  auto& index = image_.recordMemory.ringIndex;
  index = static_cast<uint8_t>(index + 1);
  image_.recordValues[index] = static_cast<float>(pv);
}

void Process::UpdateLive(double pv) {
  bool relay3 = Alarm(image_.alarm1, alarm1_, pv, image_.sp);
  bool relay4 = Alarm(image_.alarm2, alarm2_, pv, image_.sp);
  if (image_.live.fault != 0) {
    // RE-3 and RE-4: 0 NO (as the alarm says), 1 ON, 2 OFF.
    if (image_.errorReaction.re3 != 0) relay3 = image_.errorReaction.re3 == 1;
    if (image_.errorReaction.re4 != 0) relay4 = image_.errorReaction.re4 == 1;
  }
  LiveTable& live = image_.live;
  live.measured = static_cast<float>(pv);
  live.relays = static_cast<uint8_t>((relay1_ ? 1 : 0) | (relay2_ ? 2 : 0) | (relay3 ? 4 : 0) |
                                     (relay4 ? 8 : 0));
  live.setpoint = image_.sp;
  live.output = static_cast<int32_t>(std::lround(std::clamp(output_, 0.0, 100.0) * 10));
  const double minutes = static_cast<double>(ticks_) / kTicksPerSecond / 60.0;
  live.terminal = static_cast<float>(kTerminal + 0.4 * std::sin(minutes * 2 * kPi / 15.0));
  live.status = 0;
}

}  // namespace rq30::sim
