// forget_pty_parity N: runs wine_pty.h's ForgetPtyParity on COMN, for the
// tests that drive rq30ctl.exe from a shell.
#include <cstdio>
#include <cstdlib>

#include "wine_pty.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: forget_pty_parity N\n", stderr);
    return 2;
  }
  const DWORD error = rq30::wintest::ForgetPtyParity(std::atoi(argv[1]));
  if (error != 0) std::fprintf(stderr, "forget_pty_parity: COM%s: error %lu\n", argv[1], error);
  return error == 0 ? 0 : 1;
}
