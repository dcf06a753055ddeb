#include "cli_support.h"

#include <cstdlib>

#include "locale_formats.h"
#include "number_text.h"
#include "table_layout.h"

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
  if (!name.empty()) {
    const std::optional<LocaleFormat> f = FormatOf(name);
    if (!f) throw UsageError("locale " + name + " is not known (C, cs, sk, de, pl, fr, en, en_GB)");
    point = f->point;
    datePattern = f->date;
    timePattern = f->time;
    return;
  }
  const LocaleFormat numbers = FormatOf(EnvironmentLocale("LC_NUMERIC")).value_or(LocaleFormat{});
  const LocaleFormat times = FormatOf(EnvironmentLocale("LC_TIME")).value_or(LocaleFormat{});
  point = numbers.point;
  datePattern = times.date;
  timePattern = times.time;
}

std::string LocaleTexts::Date(const std::tm& t) const { return FormatDate(t, datePattern); }

std::string LocaleTexts::Time(const std::tm& t) const { return FormatTime(t, timePattern); }

int TableNumber(const CommandArgs& a, const std::string& command) {
  if (a.plain.empty()) throw UsageError(command + " needs a table number");
  return Number(a.plain[0], 0, kTableCount - 1, "TABLE");
}

std::tm Now() { return LocalTime(std::chrono::system_clock::now()); }

std::tm LocalTime(std::chrono::system_clock::time_point t) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
  return *std::localtime(&seconds);  // one thread: the shared result is ours
}

namespace {

void OpenLine(SerialPort& port, const std::string& p) {
  const bool comName = p.size() > 3 && p.compare(0, 3, "COM") == 0 &&
                       p.find_first_not_of("0123456789", 3) == std::string::npos;
  if (comName) {
    port.OpenPort(std::atoi(p.c_str() + 3));
  } else {
    port.OpenPath(p);
  }
}

}  // namespace

Session::Session(const Options& o, Io& io) : options(o), link(image) {
  port.SetBaudRate(o.baud);
  try {
    OpenLine(port, o.port);
  } catch (const std::runtime_error& e) {
    throw PortError(e.what());
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

bool Session::Reopen() {
  port.ClosePort();
  try {
    OpenLine(port, options.port);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
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

namespace rq30::cli {

void ThrowWriteFailure(const Link& link, const std::string& what) {
  if (link.ExchangeAckCode()) throw ControllerRefusal(what + ": " + WriteFailure(link));
  throw Failure(what + ": " + WriteFailure(link));
}

}  // namespace rq30::cli
