#include "write_sequence.h"

#include "load_sequence.h"

namespace rq30::paramset {

namespace {

constexpr int kSelectionTable = 16;
constexpr int kSetpointListTable = 0;
constexpr int kSetpointsTable = 17;
constexpr int kTimesTable = 18;
constexpr int kSetpointListBlock = 0;
constexpr int kSetpointsBlock = 1;
constexpr int kTimesBlock = 2;
constexpr int kTypeSp = 0;
constexpr int kTypeRamp = 1;

}  // namespace

int WriteProgramData(Link& link, const TableImage& image, const WriteHooks& hooks) {
  const int type = image.programSelection.type;
  const int p = image.programSelection.number;
  auto written = [&] {
    if (hooks.blockWritten) hooks.blockWritten();
  };
  bool ok = link.WriteTable(kSelectionTable) == 1;
  written();
  hooks.pause(kPauseBetweenBlocks);
  if (type == kTypeSp) {
    ok = link.WriteProgramBlock(kSetpointListBlock, p, kSetpointListTable) == 1 && ok;
    return ok ? 1 : 0;
  }
  if (type == kTypeRamp) {
    ok = link.WriteProgramBlock(kSetpointListBlock, p, kSetpointListTable) == 1 && ok;
    hooks.pause(kPauseBetweenBlocks);
  }
  ok = link.WriteProgramBlock(kSetpointsBlock, p, kSetpointsTable) == 1 && ok;
  written();
  hooks.pause(kPauseBetweenBlocks);
  ok = link.WriteProgramBlock(kTimesBlock, p, kTimesTable) == 1 && ok;
  return ok ? 1 : 0;
}

}  // namespace rq30::paramset
