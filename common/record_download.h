// Downloading the controller's record memory: the address table (for the
// recording rate), the ring index, the sixteen record blocks and the ring
// index again. Shared by the record window and the command-line client.
#pragma once

#include <functional>
#include <vector>

#include "link.h"
#include "record_listing.h"

namespace rq30 {

struct RecordDownloadResult {
  RecordDownload download;  // what the listing is made from
  bool blockFailed = false;  // at least one block did not arrive
  std::vector<int> failedBlocks;  // their numbers, 0..15, ascending
};

// `pause` takes the short pauses between the table reads (10 ms); `progress`
// is told the number of each block before it is read.
RecordDownloadResult DownloadRecords(Link& link, TableImage& image,
                                     const std::function<void(int ms)>& pause,
                                     const std::function<void(int block)>& progress = {});

}  // namespace rq30
