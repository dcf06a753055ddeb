#include "demo_data.h"

#include <QLocale>

namespace rq30 {

uint8_t DemoRelayBits(int value) {
  uint8_t bits = 0;
  if (value > 55) bits |= 0x01;
  if (value <= 55) bits |= 0x02;
  if (value > 75) bits |= 0x04;
  if (value < 35) bits |= 0x08;
  return bits;
}

QString GeneralNumberText(double value) {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  return locale.toString(value, 'g', 15);
}

int DemoGenerator::Random(int n) {
  // The constants of the classic C library rand(): 15 bits per draw.
  state_ = state_ * 214013u + 2531011u;
  const int draw = static_cast<int>((state_ >> 16) & 0x7FFF);
  return n < 1 ? 0 : draw % n;
}

DemoSample DemoGenerator::Next() {
  DemoSample s;
  const int r = Random(10);
  s.terminalText = GeneralNumberText(21.01 + 0.01 * r);
  s.value = Random(100);
  s.valueText = GeneralNumberText(s.value);
  s.faultText = QStringLiteral("DEMO");
  s.setpointText = QStringLiteral("55,00");  // a fixed text, comma in every locale
  const int output = Random(50);
  s.outputText = QString::number(output);
  s.outputBar = output * 10;
  s.relayBits = DemoRelayBits(s.value);
  return s;
}

}  // namespace rq30
