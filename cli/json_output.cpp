#include "json_output.h"

#include <cmath>
#include <charconv>
#include <system_error>

#include "cli_support.h"

namespace rq30::cli {

#if RQ30_WITH_JSON
Json ValueJson(const std::string& text) {
  if (text.empty()) return text;
  // from_chars, unlike strtod, reads a point whatever the C locale says.
  double v = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, v);
  if (error == std::errc::result_out_of_range) return nullptr;
  if (error != std::errc() || end != last) return text;
  if (!std::isfinite(v)) return nullptr;
  const bool whole = text.find_first_of(".eE") == std::string::npos;
  if (whole) return static_cast<long long>(v);
  return v;
}

void RequireJson() {}
#else
void RequireJson() { throw UsageError("--json: this rq30ctl was built without nlohmann/json"); }
#endif

}  // namespace rq30::cli
