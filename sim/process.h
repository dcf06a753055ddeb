// The simulated heating plant and the controller's loop around it.
//
// The plant is two first-order lags in series: a heater element (20 s)
// warming a load (150 s) that loses heat to a 20 °C surrounding. Full heating
// would hold the load 250 °C above the surrounding; the cooling relay (on/off
// control) pulls 60 °C. The measured value is the load temperature plus the
// sensor table's shift.
//
// The loop follows the control mode table: ONOF switches relay 1 (heating)
// and relay 2 (cooling) with the on/off table's shifts and hysteresis around
// the setpoint; PROI and PIDI compute an output in percent (PB is the
// proportional band in degrees, INT and DER in seconds, PS a bias for PROI)
// and pulse relay 1 over the period PER; PID3 drives a valve through relay 1
// (open) and relay 2 (close) at 100 % per DSER seconds, resting within DEAD %.
// Relays 3 and 4 follow alarms 1 and 2; a fault applies the error reaction
// table. The record memory stores the measured value every recording-rate
// seconds, and the clock table runs.
#pragma once

#include <cstdint>

#include "table_image.h"

namespace rq30::sim {

class Process {
 public:
  // Works on the live values, record memory and clock of `image` and reads
  // the parameters from it; the plant starts cold, at the surrounding's 20 °C.
  explicit Process(TableImage& image);

  // Advances the plant, the loop, the record memory and the clock; time is
  // kept in whole steps of 0.1 s, the remainder carries over.
  void Step(double seconds);

  // 0 clears the fault; anything else is a sensor fault.
  void SetFault(uint8_t code);

  double LoadTemperature() const { return load_; }

 private:
  void Tick();
  double Measured() const;
  double Pid(double pv, double sp, bool integral);
  void OnOff(double pv, double sp);
  void Pulse(double percent);
  void Valve(double percent);
  void ErrorReaction();
  bool Alarm(const AlarmTable& alarm, bool& active, double pv, double sp) const;
  void Record(double pv);
  void UpdateLive(double pv);

  TableImage& image_;
  int64_t pendingUs_ = 0;
  int64_t ticks_ = 0;
  int recordTicks_ = 0;
  int recordRate_ = 0;

  double heater_;
  double load_;
  double heat_ = 0;    // power into the heater, 0..1
  double cool_ = 0;    // cooling, 0..1
  double output_ = 0;  // percent
  bool relay1_ = false;
  bool relay2_ = false;
  bool alarm1_ = false;
  bool alarm2_ = false;
  double integral_ = 0;
  double lastPv_;
  double phase_ = 0;
  double valve_ = 0;
};

}  // namespace rq30::sim
