#include "line_settings_win.h"

#include "serial_port.h"

namespace rq30 {

void SetLineFormat(DCB& dcb) {
  dcb.ByteSize = 8;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = TRUE;
}

void SetLineRate(DCB& dcb, DWORD baud) {
  dcb.BaudRate = baud;
  dcb.fAbortOnError = TRUE;
}

void SetReadTimeouts(COMMTIMEOUTS& t) {
  t.ReadIntervalTimeout = kReadIntervalMs;
  t.ReadTotalTimeoutMultiplier = kReadTotalPerByteMs;
  t.ReadTotalTimeoutConstant = kReadTotalConstantMs;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 0;
}

}  // namespace rq30
