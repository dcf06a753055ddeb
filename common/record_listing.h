// The text listing of the controller's record memory: a six-line header and
// one numbered line per value, newest first.
#pragma once

#include <string>
#include <vector>

#include "table_image.h"

namespace rq30 {

// What one download found: the ring index read before and after the record
// blocks, the controller's recording rate and the values as they are in the
// table image (a failed read leaves the earlier ones).
struct RecordDownload {
  int pointerBefore = 0;
  int pointerAfter = 0;
  long rateSeconds = 0;
  const float* values = nullptr;  // kRecordValues values
};

// Values the controller recorded while the blocks were read: 0..255.
int NewDuringReading(int pointerBefore, int pointerAfter);

// Values worth listing: the ones recorded during the download may already
// have overwritten the oldest, so they are left out. 1..256.
int ListedCount(int pointerBefore, int pointerAfter);

// The lines (UTF-8). `dateText` and `timeText` are the local date and time
// in the user's formats; `decimalPoint` is the user's decimal separator.
std::vector<std::string> RecordListing(const RecordDownload& download, const std::string& dateText,
                                       const std::string& timeText,
                                       const std::string& decimalPoint);

}  // namespace rq30
