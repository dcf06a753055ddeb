#include "record_download.h"

namespace rq30 {

namespace {

constexpr int kAddressTable = 10;
constexpr int kRecordMemoryTable = 12;
constexpr int kRecordBlocks = kRecordValues / 16;
constexpr int kPauseBetweenTables = 10;

}  // namespace

// A failed table read is not reported: the values already in the table image
// (an earlier download's, or zeros) stand in for it.
RecordDownloadResult DownloadRecords(Link& link, TableImage& image,
                                     const std::function<void(int ms)>& pause,
                                     const std::function<void(int block)>& progress) {
  RecordDownloadResult result;
  link.ReadTable(kAddressTable);
  pause(kPauseBetweenTables);
  link.ReadTable(kRecordMemoryTable);
  pause(kPauseBetweenTables);
  result.download.pointerBefore = image.recordMemory.ringIndex;

  for (int block = 0; block < kRecordBlocks; ++block) {
    if (progress) progress(block);
    if (!link.ReadRecordBlock(block)) {
      result.blockFailed = true;
      result.failedBlocks.push_back(block);
    }
  }

  // The ring index is read again straight after the blocks: the controller
  // may have overwritten the oldest values while they were read.
  link.ReadTable(kRecordMemoryTable);
  result.download.pointerAfter = image.recordMemory.ringIndex;
  result.download.rateSeconds = image.address.rate;
  result.download.values = image.recordValues;
  return result;
}

}  // namespace rq30
