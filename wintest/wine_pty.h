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

// A handle of the test's own on COMn, beside the port under test: Wine lets
// a second handle open a COM port, Windows would refuse it. May be
// INVALID_HANDLE_VALUE.
inline HANDLE OpenSecondHandle(int com) {
  const std::string name = "\\\\.\\COM" + std::to_string(com);
  return CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

// Sets the line behind COMn to no parity through a second handle. Returns
// 0, or the Windows error code of the failing call.
inline DWORD ForgetPtyParity(int com) {
  const HANDLE h = OpenSecondHandle(com);
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
