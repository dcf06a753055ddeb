// The termios2 record the POSIX port writes to the line. A pty drops the
// parity bit, so a test on the device cannot tell even parity from none;
// the record can.
#include <gtest/gtest.h>

#include <cstring>

#include "line_settings_posix.h"

namespace rq30 {
namespace {

// A line as the system might report it: cooked input with echo and
// XON/XOFF, hardware flow control, hang-up on close, a 38400 rate, and the
// given character format.
termios2 ReportedLine(tcflag_t format) {
  termios2 t;
  std::memset(&t, 0, sizeof t);
  t.c_cflag = format | CRTSCTS | HUPCL | B38400;
  t.c_iflag = IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY;
  t.c_oflag = OPOST | ONLCR;
  t.c_lflag = ECHO | ECHONL | ICANON | ISIG | IEXTEN;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 5;
  t.c_cc[VSTART] = 0x11;
  t.c_ispeed = t.c_ospeed = 38400;
  return t;
}

// 7 data bits, odd parity, two stop bits; and 8 data bits without parity,
// the usual default of a serial port.
const tcflag_t kReportedFormats[] = {CS7 | PARENB | PARODD | CSTOPB, CS8};

TEST(LineSettingsPosix, EightDataBitsEvenParityOneStopBitRaw) {
  for (const tcflag_t format : kReportedFormats) {
    SCOPED_TRACE(format);
    termios2 t = ReportedLine(format);
    SetLineFormat(t);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(t.c_cflag & PARENB, 0u) << "parity";
    EXPECT_EQ(t.c_cflag & PARODD, 0u) << "even, not odd";
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u) << "one stop bit";
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_NE(t.c_iflag & INPCK, 0u) << "parity checking";
    EXPECT_EQ(
        t.c_iflag & (IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    // What the line's owner set up for flow control and hang-up stays.
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(t.c_cflag & HUPCL, 0u);
    EXPECT_NE(t.c_iflag & IXANY, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    // The rate is the rate step's business.
    EXPECT_EQ(t.c_ospeed, 38400u);
  }
}

TEST(LineSettingsPosix, AnyRateGoesThroughBother) {
  for (unsigned rate : {110u, 9600u, 56000u, 256000u, 12345u}) {
    SCOPED_TRACE(rate);
    termios2 t = ReportedLine(kReportedFormats[0]);
    SetLineFormat(t);
    SetLineRate(t, rate);
    EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ((t.c_cflag >> IBSHIFT) & CBAUD, static_cast<tcflag_t>(BOTHER));
    EXPECT_EQ(t.c_ispeed, rate);
    EXPECT_EQ(t.c_ospeed, rate);
    // The rate step leaves the character format alone.
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(CS8 | PARENB));
  }
}

}  // namespace
}  // namespace rq30
