// rq30ctl records: the controller's record memory as the program lists it.
#include <string>
#include <vector>

#include "cli_support.h"
#include "json_output.h"
#if RQ30_WITH_JSON
#include "live_json.h"
#endif
#include "record_download.h"
#include "safe_file.h"

namespace rq30::cli {

namespace {

constexpr int kRecordBlocks = 16;

#if RQ30_WITH_JSON
// The listing's values, newest first, from its numbered lines
// ("12;   21.50", written with a point).
std::vector<std::string> ListedValues(const std::vector<std::string>& lines) {
  std::vector<std::string> values;
  for (const std::string& line : lines) {
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string::npos || semicolon == 0) continue;
    if (line.find_first_not_of("0123456789") != semicolon) continue;
    const std::size_t value = line.find_first_not_of(' ', semicolon + 1);
    values.push_back(value == std::string::npos ? "" : line.substr(value));
  }
  return values;
}
#endif

void PrintJsonListing(const RecordDownloadResult& result, std::time_t when, Io& io) {
#if RQ30_WITH_JSON
  Json values = Json::array();
  for (const std::string& v :
       ListedValues(RecordListing(result.download, "", "", std::string(1, '.')))) {
    values.push_back(ValueJson(v));
  }
  PrintJson(io.out, Json{{"time", IsoLocalTime(when)},
                         {"rate_seconds", result.download.rateSeconds},
                         {"values", values}});
#else
  (void)result, (void)when, (void)io;
#endif
}

}  // namespace

int RecordsCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  // Blocks done of 16 while a person watches; nothing in a script's log.
  const bool progress = io.terminal && !s.options.quiet;
  const RecordDownloadResult result =
      DownloadRecords(s.link, s.image, io.pause, [&](int block) {
        if (progress) {
          io.err << "\rrecords: " << block << " of " << kRecordBlocks << " blocks done" << std::flush;
        }
      });
  if (progress) io.err << "\r" << std::string(40, ' ') << "\r" << std::flush;
  const std::time_t nowSeconds = std::time(nullptr);
  const std::tm now = Now();
  const std::vector<std::string> lines = RecordListing(
      result.download, texts.Date(now), texts.Time(now), std::string(1, texts.point));
  const std::string* out = a.Get("--out");
  // A listing with a block missing holds zeros where the records were: it
  // must never replace a good file.
  if (result.blockFailed) {
    if (!out) {
      if (s.options.json) {
        PrintJsonListing(result, nowSeconds, io);
      } else {
        for (const std::string& line : lines) io.out << line << '\n';
      }
    }
    throw Failure(out ? "record memory: some blocks did not arrive; " + *out + " left as it was"
                      : "record memory: some blocks did not arrive");
  }
  if (out) {
    if (!TryWriteFileReplacing(*out, JoinCrLfCp1250(lines))) throw FileError("cannot write " + *out);
  } else if (s.options.json) {
    PrintJsonListing(result, nowSeconds, io);
  } else {
    for (const std::string& line : lines) io.out << line << '\n';
  }
  return kOk;
}

}  // namespace rq30::cli
