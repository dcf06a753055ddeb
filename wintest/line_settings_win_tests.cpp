// The DCB and COMMTIMEOUTS records the Windows port writes to the line,
// checked as data: under Wine a pty keeps no parity, and the time-outs can
// only be seen on a device as times. The expected numbers are the Win32
// values themselves (EVENPARITY is 2, ONESTOPBIT 0).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "line_settings_win.h"

namespace rq30 {
namespace {

// A line as the system might report it: 7 data bits, odd parity, two stop
// bits, hardware and XON/XOFF flow control, DTR handshake, 38400.
DCB ReportedLine() {
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = 38400;
  dcb.ByteSize = 7;
  dcb.Parity = 1;    // ODDPARITY
  dcb.StopBits = 2;  // TWOSTOPBITS
  dcb.fOutxCtsFlow = 1;
  dcb.fOutxDsrFlow = 1;
  dcb.fDtrControl = 2;  // DTR_CONTROL_HANDSHAKE
  dcb.fRtsControl = 2;  // RTS_CONTROL_HANDSHAKE
  dcb.fOutX = 1;
  dcb.fInX = 1;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.EvtChar = 0x7E;
  return dcb;
}

TEST(LineSettingsWin, EightDataBitsEvenParityOneStopBit) {
  DCB dcb = ReportedLine();
  SetLineFormat(dcb);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, 2);
  EXPECT_EQ(dcb.StopBits, 0);
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 1u);
  // Flow control, DTR and RTS handling and the special characters stay.
  const DCB reported = ReportedLine();
  EXPECT_EQ(dcb.fOutxCtsFlow, reported.fOutxCtsFlow);
  EXPECT_EQ(dcb.fOutxDsrFlow, reported.fOutxDsrFlow);
  EXPECT_EQ(dcb.fDtrControl, reported.fDtrControl);
  EXPECT_EQ(dcb.fRtsControl, reported.fRtsControl);
  EXPECT_EQ(dcb.fOutX, reported.fOutX);
  EXPECT_EQ(dcb.fInX, reported.fInX);
  EXPECT_EQ(dcb.XonChar, reported.XonChar);
  EXPECT_EQ(dcb.XoffChar, reported.XoffChar);
  EXPECT_EQ(dcb.EvtChar, reported.EvtChar);
  EXPECT_EQ(dcb.BaudRate, 38400u);
}

TEST(LineSettingsWin, RateAndAbortOnError) {
  for (DWORD rate : {110ul, 9600ul, 256000ul, 12345ul}) {
    SCOPED_TRACE(rate);
    DCB dcb = ReportedLine();
    SetLineFormat(dcb);
    SetLineRate(dcb, rate);
    EXPECT_EQ(dcb.BaudRate, rate);
    EXPECT_EQ(dcb.fAbortOnError, 1u);
    EXPECT_EQ(dcb.Parity, 2);
  }
}

TEST(LineSettingsWin, ReadTimeOuts) {
  COMMTIMEOUTS t;
  std::memset(&t, 0x5A, sizeof t);
  SetReadTimeouts(t);
  EXPECT_EQ(t.ReadIntervalTimeout, 100u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 2u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 500u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
}

}  // namespace
}  // namespace rq30
