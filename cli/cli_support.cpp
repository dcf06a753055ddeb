#include "cli_support.h"

#include <clocale>
#include <cstdlib>

#include "number_text.h"

namespace rq30::cli {

int Number(const std::string& text, int low, int high, const std::string& what) {
  long v = 0;
  if (!ParseInt(text, v) || v < low || v > high) {
    throw UsageError(what + " must be a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  }
  return static_cast<int>(v);
}

bool CommandArgs::Has(const std::string& flag) const {
  for (const std::string& f : flags) {
    if (f == flag) return true;
  }
  return false;
}

const std::string* CommandArgs::Get(const std::string& name) const {
  for (const auto& [n, v] : named) {
    if (n == name) return &v;
  }
  return nullptr;
}

LocaleTexts::LocaleTexts(const std::string& name) {
  if (!std::setlocale(LC_ALL, name.c_str())) {
    throw UsageError("locale " + name + " is not installed");
  }
  const char* dp = std::localeconv()->decimal_point;
  point = dp && dp[0] && !dp[1] ? dp[0] : '.';
  iso = name == "C" || name == "POSIX";
}

namespace {

std::string Format(const std::tm& t, const char* format) {
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, format, &t);
  return std::string(buffer, n);
}

}  // namespace

std::string LocaleTexts::Date(const std::tm& t) const {
  return Format(t, iso ? "%Y-%m-%d" : "%x");
}

std::string LocaleTexts::Time(const std::tm& t) const {
  return Format(t, iso ? "%H:%M:%S" : "%X");
}

std::tm Now() {
  const std::time_t t = std::time(nullptr);
  return *std::localtime(&t);  // one thread: the shared result is ours
}

Session::Session(const Options& o, Io& io) : link(image) {
  port.SetBaudRate(o.baud);
  const std::string& p = o.port;
  const bool comName = p.size() > 3 && p.compare(0, 3, "COM") == 0 &&
                       p.find_first_not_of("0123456789", 3) == std::string::npos;
  if (comName) {
    port.OpenPort(std::atoi(p.c_str() + 3));
  } else {
    port.OpenPath(p);
  }
  if (o.trace) {
    trace = std::make_unique<TracePort>(port, io.err);
    link.SetPort(trace.get());
  } else {
    link.SetPort(&port);
  }
  link.SetPause(io.pause);
  link.SetDeviceAddress(o.da);
  link.SetComputerAddress(o.sa);
  link.SetReporter([&io](const std::string& text, const std::string&) {
    io.err << "rq30ctl: " << text << '\n';
  });
}

void Expect(int result, const std::string& what) {
  if (!result) throw Failure(what + ": no valid answer from the controller");
}

std::string WriteFailure(const Link& link) {
  const int code = link.ExchangeAckCode();
  if (code) return "not acknowledged (code " + std::to_string(code) + ")";
  return "no acknowledgement";
}

}  // namespace rq30::cli
