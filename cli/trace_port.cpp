#include "trace_port.h"

#include <cstdio>

namespace rq30::cli {

TracePort::TracePort(Port& line, std::ostream& trace)
    : line_(line), trace_(trace), start_(std::chrono::steady_clock::now()) {}

void TracePort::Line(char direction, const uint8_t* bytes, int n, const char* note) {
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%10.3f ms %c", ms, direction);
  trace_ << stamp;
  for (int i = 0; i < n; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
    trace_ << hex;
  }
  if (note) trace_ << ' ' << note;
  trace_ << '\n';
  trace_.flush();
}

bool TracePort::WritePort(const uint8_t* buffer, int n, int& written) {
  const bool ok = line_.WritePort(buffer, n, written);
  Line('>', buffer, written, ok ? nullptr : "(write failed)");
  return ok;
}

bool TracePort::ReadPort(uint8_t* buffer, int n, int& got) {
  const bool ok = line_.ReadPort(buffer, n, got);
  Line('<', buffer, got, !ok ? "(read failed)" : got == 0 ? "(nothing)" : nullptr);
  return ok;
}

}  // namespace rq30::cli
