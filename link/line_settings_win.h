// The line settings of the Windows backend, built as data so that they can
// be checked without a device (under Wine a pty keeps no parity).
#pragma once

#include <windows.h>

namespace rq30 {

// 8 data bits, even parity, 1 stop bit, binary mode, parity checking on.
// Flow control, DTR and RTS handling and the special characters stay as the
// system reported them.
void SetLineFormat(DCB& dcb);

// The rate, and abort-on-error, which every write of the record sets.
void SetLineRate(DCB& dcb, DWORD baud);

// A read ends when the gap between two bytes exceeds 100 ms, or after 2 ms
// per byte asked for plus 500 ms; writes have no time-out.
void SetReadTimeouts(COMMTIMEOUTS& t);

}  // namespace rq30
