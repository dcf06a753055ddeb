// The line settings of the POSIX backend, built as data so that they can be
// checked without a device: a pty keeps no parity, so only the record the
// port writes shows that even parity was asked for.
//
// Includes the kernel's termios2 (asm/termbits.h), which cannot meet the C
// library's <termios.h> in one file.
#pragma once

#include <asm/termbits.h>

namespace rq30 {

// 8 data bits, even parity, 1 stop bit, parity checking on, receiver on,
// modem lines ignored; binary: no line editing, echo, translation or
// XON/XOFF eating bytes; reads return what has come. Everything else (flow
// control by RTS/CTS, hang-up on close) stays as the system reported it.
void SetLineFormat(termios2& t);

// Any rate in bits per second, through BOTHER, for both directions.
void SetLineRate(termios2& t, unsigned baud);

}  // namespace rq30
