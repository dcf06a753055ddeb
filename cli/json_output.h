// --json: the commands' machine-readable output, one JSON object per
// command (per sample for live), through nlohmann/json. A build without
// that library refuses --json with a usage error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#if RQ30_WITH_JSON
#include <nlohmann/json.hpp>
#endif

namespace rq30::cli {

#if RQ30_WITH_JSON
using Json = nlohmann::ordered_json;

// One object on one line.
inline void PrintJson(std::ostream& out, const Json& j) { out << j.dump() << std::endl; }

// A field text as a JSON value: a number when the whole text is one
// (written with a point), null for "nan" and infinities, else the text.
Json ValueJson(const std::string& text);
#endif

// Throws a UsageError when this build has no JSON.
void RequireJson();

}  // namespace rq30::cli
