// Windows-1250, the 8-bit code page of Czech Windows, in which the program
// writes its text files on every platform. The program's strings are UTF-8.
#pragma once

#include <string>

namespace rq30 {

// Each byte becomes one character. The five bytes Windows-1250 leaves
// unassigned (0x81, 0x83, 0x88, 0x90, 0x98) become the C1 control characters
// of the same number, as Windows maps them, so any byte string round-trips.
std::string Cp1250ToUtf8(const std::string& bytes);

// A character Windows-1250 lacks becomes '?'; so does every byte of malformed
// UTF-8 (a truncated or overlong sequence, a surrogate, a stray continuation).
std::string Utf8ToCp1250(const std::string& utf8);

}  // namespace rq30
