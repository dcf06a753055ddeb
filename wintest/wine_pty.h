// A Wine limit of ptys, and the way around it for tests.
//
// A pty keeps no parity bit. Once it has dropped the one a SetCommState asked
// for, every further SetCommState with even parity fails under Wine with
// ERROR_INVALID_PARAMETER (87): the C library's tcsetattr reports EINVAL,
// until a configuration without parity has run. The simulator's pty lives
// across many opens of its COM name, so a test runs this before each open
// to make the port's own configuration the first one again.
#pragma once

#include <windows.h>

#include <string>

namespace rq30::wintest {

// Sets the line behind COMn to no parity through a handle of its own (Wine
// lets a second handle open a COM port; Windows would not). Returns 0, or
// the Windows error code of the failing call.
inline DWORD ForgetPtyParity(int com) {
  const std::string name = "\\\\.\\COM" + std::to_string(com);
  const HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  DWORD error = 0;
  if (GetCommState(h, &dcb)) {
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    if (!SetCommState(h, &dcb)) error = GetLastError();
  } else {
    error = GetLastError();
  }
  CloseHandle(h);
  return error;
}

}  // namespace rq30::wintest
