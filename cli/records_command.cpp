// rq30ctl records: the controller's record memory as the program lists it.
#include <string>
#include <vector>

#include "cli_support.h"
#include "record_download.h"
#include "safe_file.h"

namespace rq30::cli {

int RecordsCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const RecordDownloadResult result = DownloadRecords(s.link, s.image, io.pause);
  const std::tm now = Now();
  const std::vector<std::string> lines = RecordListing(
      result.download, texts.Date(now), texts.Time(now), std::string(1, texts.point));
  const std::string* out = a.Get("--out");
  // A listing with a block missing holds zeros where the records were: it
  // must never replace a good file.
  if (result.blockFailed) {
    if (!out) {
      for (const std::string& line : lines) io.out << line << '\n';
    }
    throw Failure(out ? "record memory: some blocks did not arrive; " + *out + " left as it was"
                      : "record memory: some blocks did not arrive");
  }
  if (out) {
    if (!TryWriteFileReplacing(*out, JoinCrLfCp1250(lines))) throw FileError("cannot write " + *out);
  } else {
    for (const std::string& line : lines) io.out << line << '\n';
  }
  return kOk;
}

}  // namespace rq30::cli
