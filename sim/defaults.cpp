#include "defaults.h"

namespace rq30::sim {

// A Pt100 heating loop under PID pulse control warming from 20 °C to 60 °C:
//   SP 60.0; setpoint list 60, 70, .. 150 (element 0 is SP)
//   alarm 1: CONS, upper limit 80, hysteresis 1, relay on when exceeded
//   alarm 2: DWI, -5 / +5 around SP, hysteresis 0.5, relay on when exceeded
//   sensor: Pt100, one decimal, range 0..400, no shift, terminal compensation
//   PID: band 10 °C, INT 120 s, DER 10 s, no tuning
//   control: PIDI, DSER 60 s, DEAD 2 %, no filter, TPID 6, PS 0, period 10 s
//   on/off: heating shift 0, cooling shift +5, hysteresis 1 / 1, AT 1, RE-1 OFF, RE-2 ON
//   analog output: YOUT 4-20 mA over 0..100; error reaction: relays 1 and 2 OFF
//   misc: optical alarm 0..100, no filter, password 0, unlocked
//   address table: the given address, recording rate 1 s
//   programs: RAMP, program 0; program p segment s: 30 + 5 p + 10 s degrees,
//   10 + s + 100 p minutes; program start: NO, NO, OFF, OFF
void SetDefaultParameters(TableImage& image, uint8_t address) {
  image.sp = 60.0f;
  for (int i = 0; i < kPrograms; ++i) image.setpointList[i] = 60.0f + 10.0f * i;

  image.alarm1 = {0.0f, 80.0f, 1.0f, 0, 1};
  image.alarm2 = {-5.0f, 5.0f, 0.5f, 3, 1};
  image.sensor = {4, 1, 0.0f, 400.0f, 0.0f, 1};
  image.pid = {10.0f, 120.0f, 10.0f, 0};
  image.control = {2, 60, 2, 0, 6, 0, 10};
  image.onoff = {0.0f, 5.0f, 1.0f, 1.0f, 1, 0, 1};
  image.analog = {0, 1, 0.0f, 100.0f};
  image.errorReaction = {3, 0, 0, 0};
  image.misc = {0.0f, 100.0f, 0, 0, 0};
  image.address = {address, 1};

  image.programSelection = {1, 0};
  image.programStart = {0, 0, 0, 0};
  image.programStartTime = {1, 0, 0};
  for (int p = 0; p < kPrograms; ++p) {
    for (int s = 0; s < kSegments; ++s) {
      image.programSetpoints[p][s] = 30.0f + 5.0f * p + 10.0f * s;
      image.programTimes[p][s] = 10 + s + 100 * p;
    }
  }
}

}  // namespace rq30::sim
