// Who and what the program is, as its about and identification windows say.
#pragma once

#include <string>

namespace rq30 {

constexpr const char* kProductName = "RQ-30";
// The maker's name and web address are the project's own; the build passes
// them in so that the Windows version resource says the same.
constexpr const char* kMakerName = RQ30_MAKER_NAME;
constexpr const char* kMakerWeb = RQ30_MAKER_WEB;

// The program's version as its own file states it ("1.1.0.0"): on Windows
// the FileVersion of the Czech string table (040504E2) of the executable's
// version resource, elsewhere the version the build compiles in. Empty when
// the file carries no such value.
std::string ProgramVersion();

}  // namespace rq30
