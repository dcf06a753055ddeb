// rq30ctl live: the live values on the wall clock's second grid, printed and
// with --log kept in the program's measurement log. The log is a headless
// logger's file: its header is on the disk at once and every record is
// appended and flushed as it is taken, so that a dropped session, a kill or
// a power cut loses at most the sample being taken.
#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "cli_support.h"
#include "cp1250.h"
#include "json_output.h"
#include "measurement_log.h"
#include "number_text.h"
#include "safe_file.h"
#if RQ30_WITH_JSON
#include "live_json.h"
#endif

namespace rq30::cli {

namespace {

using Clock = std::chrono::system_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kLiveTable = 11;

// One sample as the program's log records it: the panel texts, time, date.
std::string LiveLine(const TableImage& image, const LocaleTexts& texts, const std::tm& at) {
  const LiveTable& live = image.live;
  return RecordLine(FormatFixed(live.measured, 5, 2, texts.point),
                    FormatFixed(live.setpoint, 5, 2, texts.point),
                    FormatFixed(live.output * 0.1, 4, 1, texts.point),
                    live.fault != 0 ? "PORUCHA" : "není porucha", texts.Time(at), texts.Date(at));
}

// The log file: created whole with its header (through a temporary file, so
// an older log of that name is replaced only by a sound new one), then
// appended to a record at a time.
class LogFile {
 public:
  LogFile(const std::string& path, const LocaleTexts& texts, const std::tm& start) : path_(path) {
    MeasurementLog header;
    header.AppendHeader(texts.Date(start), texts.Time(start));
    if (!TryWriteFileReplacing(path, header.Contents())) throw FileError("cannot write " + path);
    file_.open(path, std::ios::binary | std::ios::app);
    if (!file_) throw FileError("cannot write " + path);
  }

  void Append(const std::string& utf8Line) {
    file_ << Utf8ToCp1250(utf8Line) << "\r\n";
    file_.flush();
    if (!file_) throw FileError("cannot write " + path_);
  }

 private:
  std::string path_;
  std::ofstream file_;
};

// The first whole second at or after `t`.
Clock::time_point NextWholeSecond(Clock::time_point t) {
  const Clock::time_point whole = std::chrono::time_point_cast<seconds>(t);
  return whole < t ? whole + seconds(1) : whole;
}

// Waits until `when` on the wall clock, or until Ctrl+C or a hang-up.
void WaitUntil(Clock::time_point when, Io& io) {
  for (;;) {
    if (io.interrupted()) return;
    const auto left = std::chrono::ceil<milliseconds>(when - io.clock()).count();
    if (left <= 0) return;
    io.pause(static_cast<int>(left));
  }
}

}  // namespace

int LiveCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const int interval =
      a.Get("--interval") ? Number(*a.Get("--interval"), 0, 86400, "--interval") : 1;
  const int count = a.Get("--count") ? Number(*a.Get("--count"), 1, 1 << 30, "--count") : 0;
  const std::string* logPath = a.Get("--log");

  std::unique_ptr<LogFile> log;
  if (logPath) log = std::make_unique<LogFile>(*logPath, texts, LocalTime(io.clock()));

  // Samples sit on whole seconds, each `interval` after the one before, and
  // never drift with the time a read takes. A sample whose second has passed
  // (a read that outlasted the interval) is not taken late: the next one
  // waits for its own second.
  Clock::time_point next = NextWholeSecond(io.clock());
  int failed = 0;
  for (int n = 0; (count == 0 || n < count) && !io.interrupted(); ++n) {
    if (interval > 0) {
      WaitUntil(next, io);
      if (io.interrupted()) break;
    }
    const Clock::time_point at = interval > 0 ? next : io.clock();
    if (s.link.ReadTable(kLiveTable)) {
      const std::string line = LiveLine(s.image, texts, LocalTime(at));
      if (s.options.json) {
#if RQ30_WITH_JSON
        PrintJson(io.out, LiveJson(s.image.live, Clock::to_time_t(at)));
#endif
      } else {
        io.out << line << std::endl;
      }
      if (log) log->Append(line);
    } else {
      // No record for a sample that did not come: a log shows a gap rather
      // than values the controller never sent for that second.
      ++failed;
      io.err << "rq30ctl: live values at " << texts.Time(LocalTime(at))
             << ": no valid answer, no record (" << failed << " missed)\n";
      // A line that vanished (an adapter pulled out) is opened again, once
      // per interval, until it is back.
      s.Reopen();
    }
    if (interval > 0) {
      next += seconds(interval);
      const Clock::time_point now = io.clock();
      while (next < now) next += seconds(interval);
    }
  }
  return failed ? kFailed : kOk;
}

}  // namespace rq30::cli
