// Whole-file writes that never leave a half-written file behind: the text
// files the program writes (measurement log, record listing, parameter set,
// stored settings) either get their new content completely or keep the old.
#pragma once

#include <string>
#include <vector>

namespace rq30 {

enum class FileRead { kOk, kMissing, kFailed };

// Reads the whole file into `bytes` (left unchanged unless kOk). kMissing
// means the file (or its folder) does not exist, kFailed any other failure,
// such as a file the user may not read or a folder in its place.
FileRead ReadWholeFile(const std::string& path, std::string& bytes);

// Writes `bytes` to a temporary file in the folder of `path`, flushes it to
// the disk and renames it over `path`. Returns false on any failure, after
// removing the temporary file; `path` is then untouched.
bool TryWriteFileReplacing(const std::string& path, const std::string& bytes);

// As TryWriteFileReplacing, but a failure throws
// std::runtime_error("Cannot create file " + path).
void WriteFileReplacing(const std::string& path, const std::string& bytes);

// The lines (UTF-8) as Windows-1250 bytes with CR LF after every line.
std::string JoinCrLfCp1250(const std::vector<std::string>& utf8Lines);

}  // namespace rq30
