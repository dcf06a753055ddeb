// Demo data: one step of made-up live values, so that an operator can try
// the main window without a controller. The generator is never seeded, so
// every run of the program shows the same sequence.
#pragma once

#include <QString>
#include <cstdint>

namespace rq30 {

// What the main window shows for one demo step.
struct DemoSample {
  QString terminalText;  // lb_ts: 21,01 .. 21,1
  int value = 0;         // 0..99: the measured value, and the chart point to add
  QString valueText;     // pa_measure
  QString faultText;     // pa_porucha (its colour stays)
  QString setpointText;  // pa_sp: always "55,00"
  QString outputText;    // lb_yout: 0..49 in decimal
  int outputBar = 0;     // bar_yout position: the output × 10
  // Relays to light yellow, bit n-1 for pa_re<n>, as in the live values'
  // relay byte; a clear bit shows button face.
  uint8_t relayBits = 0;
};

// The relays a demo value lights: 1 above 55, 2 up to 55, 3 above 75, 4 below 35.
uint8_t DemoRelayBits(int value);

// A number in the general format: the shortest text of up to 15 significant
// digits, with the locale's decimal separator (42, 21,05).
QString GeneralNumberText(double value);

class DemoGenerator {
 public:
  // One step, drawing three numbers in this order: the terminal temperature,
  // the value, the output. The caller shows the texts and adds `value` to the
  // chart; the step neither reads the controller nor writes a log record.
  DemoSample Next();

  // A pseudo-random number 0..n-1 (0 for n < 1): a linear congruential
  // generator from a fixed start, taken modulo n.
  int Random(int n);

 private:
  uint32_t state_ = 1;
};

}  // namespace rq30
