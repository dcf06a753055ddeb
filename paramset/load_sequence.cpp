#include "load_sequence.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

namespace rq30::paramset {

namespace {

constexpr int kPageTables[kEditorPages] = {0, 1, 2, 4, 5, 6, 3, 7, 8, 9, 10, 14, 15};
constexpr const char* kFirmwareTexts[] = {"FW-K-47-01", "FW-K-47-02", "FW-K-47-03"};
constexpr std::size_t kFirmwareTextLength = 10;

// Firmware 1 has tables 0..10; firmware 2 adds the program start table.
constexpr int kTablesOfFirmware1 = 11;
constexpr int kStepOfFirmware1 = 8;
constexpr int kStepWithPrograms = 7;

constexpr int kSelectionTable = 16;
constexpr int kSetpointListBlock = 0;
constexpr int kSetpointsBlock = 1;
constexpr int kTimesBlock = 2;
constexpr int kSetpointListTable = 0;
constexpr int kSetpointsTable = 17;
constexpr int kTimesTable = 18;
constexpr int kProgramStartTable = 14;
constexpr int kProgramStartWithTime = 19;

template <typename Hook, typename... Args>
void Call(const Hook& hook, Args... args) {
  if (hook) hook(args...);
}

void Pause(const LoadHooks& hooks, int milliseconds) {
  if (hooks.pause) {
    hooks.pause(milliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

}  // namespace

int PageTable(int page) {
  return page >= 0 && page < kEditorPages ? kPageTables[page] : -1;
}

int TransferTable(int page, int variant) {
  const int table = PageTable(page);
  // Only firmware 3 knows the start time; an unidentified controller gets
  // the short table, so its start time stays in the image.
  return table == kProgramStartTable && variant == 3 ? kProgramStartWithTime : table;
}

int FirmwareVariantOf(const char* firmwareText) {
  for (int i = 0; i < 3; ++i) {
    // strncmp stops where both texts end together, as the controller's
    // zero-terminated reply does.
    if (std::strncmp(firmwareText, kFirmwareTexts[i], kFirmwareTextLength) == 0) return i + 1;
  }
  return 0;
}

ReadPlan ReadPlanFor(int variant) {
  ReadPlan plan;
  if (variant == 1) {
    for (int table = 0; table < kTablesOfFirmware1; ++table)
      plan.tables.push_back({-1, table, kStepOfFirmware1});
  } else if (variant == 2 || variant == 3) {
    // Page 0's setpoint table is not read: the setpoint list block, which
    // starts at the same offset of table 0, comes with the program data.
    plan.programData = true;
    const int pages = variant == 2 ? kEditorPages - 1 : kEditorPages;
    for (int page = 1; page < pages; ++page)
      plan.tables.push_back({page, TransferTable(page, variant), kStepWithPrograms});
  }
  return plan;
}

int AdvanceProgress(int position, int step) {
  return position + step > 100 ? 100 : position + step;
}

int Identify(Link& link, const LoadHooks& hooks) {
  if (link.ReadDeviceType()) Call(hooks.deviceTypeRead);
  Call(hooks.setProgress, kIdentifiedProgress);
  Call(hooks.identifying);
  if (link.ReadFirmwareVersion()) {
    if (const int variant = FirmwareVariantOf(link.Image().firmwareVersion)) return variant;
  }
  Pause(hooks, kPauseAfterRead);
  return 0;
}

int ReadProgramData(Link& link, const LoadHooks& hooks) {
  // Every read runs even after an earlier one failed: the image keeps the
  // old values of what did not come.
  int ok = link.ReadTable(kSelectionTable);
  Call(hooks.readDone, kSelectionTable, ok);
  Pause(hooks, kPauseAfterRead);
  ok = link.ReadProgramBlock(kSetpointListBlock, 0, kSetpointListTable) && ok;
  Call(hooks.readDone, kSetpointListTable, ok);
  // All ten programs, not only the selected one: the editor saves every
  // program into the file, and a backup must hold what the controller does.
  for (int program = 0; program < kPrograms; ++program) {
    Pause(hooks, kPauseBetweenBlocks);
    const int setpoints = link.ReadProgramBlock(kSetpointsBlock, program, kSetpointsTable);
    Call(hooks.readDone, kSetpointsTable, setpoints);
    Pause(hooks, kPauseBetweenBlocks);
    const int times = link.ReadProgramBlock(kTimesBlock, program, kTimesTable);
    Call(hooks.readDone, kTimesTable, times);
    ok = ok && setpoints && times;
  }
  return ok ? 1 : 0;
}

int LoadParameterSet(Link& link, const LoadHooks& hooks) {
  const int variant = Identify(link, hooks);
  if (variant == 0) return 0;
  const ReadPlan plan = ReadPlanFor(variant);
  if (plan.programData) ReadProgramData(link, hooks);
  for (const TableRead& read : plan.tables) {
    Call(hooks.addProgress, read.progressStep);
    if (read.page >= 0) Call(hooks.showPage, read.page);
    const int ok = link.ReadTable(read.table);
    Call(hooks.readDone, read.table, ok);
    Pause(hooks, kPauseAfterRead);
  }
  return variant;
}

}  // namespace rq30::paramset
