// Windows backend of SerialPort: the serial calls of the Win32 API with the
// driver's own time-out model.
#include <windows.h>

#include "line_settings_win.h"
#include "serial_port.h"

namespace rq30 {

struct SerialPort::LineConfig {
  DCB dcb{};
};

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

SerialPort::SerialPort() : config_(std::make_unique<LineConfig>()) {}

SerialPort::~SerialPort() { OsClose(); }

std::string SerialPort::DevicePath(int number) {
  // COM10 and above need the device namespace; COM1..COM9 work either way.
  return "\\\\.\\COM" + std::to_string(number);
}

bool SerialPort::OsOpen(const std::string& path) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

bool SerialPort::OsSetQueueSizes() { return SetupComm(Handle(handle_), 256, 256) != 0; }

bool SerialPort::OsSetTimeouts() {
  COMMTIMEOUTS t{};
  if (!GetCommTimeouts(Handle(handle_), &t)) return false;
  SetReadTimeouts(t);
  return SetCommTimeouts(Handle(handle_), &t) != 0;
}

bool SerialPort::OsGetConfig() {
  DCB& dcb = config_->dcb;
  dcb = DCB{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(Handle(handle_), &dcb)) return false;
  SetLineFormat(dcb);
  return true;
}

bool SerialPort::OsSetConfig() {
  DCB& dcb = config_->dcb;
  SetLineRate(dcb, static_cast<DWORD>(baud_));
  return SetCommState(Handle(handle_), &dcb) != 0;
}

void SerialPort::OsClose() {
  if (handle_ != -1) CloseHandle(Handle(handle_));
  handle_ = -1;
}

// The driver has no separate wait for the first byte: a read with its own
// wait runs with that as the total constant, and the line's time-outs are
// put back after it.
bool SerialPort::OsRead(uint8_t* buffer, int n, int& got, int firstByteMs) {
  COMMTIMEOUTS line{};
  const bool own = firstByteMs >= 0 && GetCommTimeouts(Handle(handle_), &line);
  if (own) {
    COMMTIMEOUTS t = line;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(firstByteMs);
    if (!SetCommTimeouts(Handle(handle_), &t)) return false;
  }
  DWORD read = 0;
  const BOOL ok = ReadFile(Handle(handle_), buffer, static_cast<DWORD>(n), &read, nullptr);
  got = static_cast<int>(read);
  if (own) SetCommTimeouts(Handle(handle_), &line);
  return ok != 0;
}

bool SerialPort::OsWrite(const uint8_t* buffer, int n, int& written) {
  DWORD done = 0;
  const BOOL ok = WriteFile(Handle(handle_), buffer, static_cast<DWORD>(n), &done, nullptr);
  written = static_cast<int>(done);
  return ok != 0;
}

void SerialPort::OsPurge(bool receive) {
  if (receive) {
    // With abort-on-error the driver refuses every read and write after a
    // line error (parity, framing, overrun) until the error is acknowledged.
    // Every exchange starts by purging the receive side, so one noisy byte
    // costs one exchange instead of the line until the port is reopened.
    DWORD errors = 0;
    ClearCommError(Handle(handle_), &errors, nullptr);
  }
  PurgeComm(Handle(handle_), receive ? (PURGE_RXABORT | PURGE_RXCLEAR)
                                     : (PURGE_TXABORT | PURGE_TXCLEAR));
}

}  // namespace rq30
