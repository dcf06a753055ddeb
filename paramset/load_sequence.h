// Reading the controller's whole parameter set: identify the firmware, then
// read every table that firmware has, in the order its editor pages come.
// The loading window runs this with its progress bar; the command-line
// client runs the same sequence without one.
#pragma once

#include <functional>
#include <vector>

#include "link.h"

namespace rq30::paramset {

constexpr int kEditorPages = 13;

// The data table behind each editor page (the page's tag). The pages are not
// in table order: SENS (table 3) follows ONOFF (table 6).
int PageTable(int page);

// The table a page exchanges with the controller: the page's table, but
// the GO page's table 14 travels as 19 (with the start time) in firmware 3.
int TransferTable(int page, int variant);

// 1, 2 or 3 when the firmware text begins with "FW-K-47-01", "-02" or "-03"
// (only the first 10 characters count); 0 for any other text.
int FirmwareVariantOf(const char* firmwareText);

// One table read of the load, in order.
struct TableRead {
  int page;          // the editor page made active first; -1 for none
  int table;         // the table read
  int progressStep;  // added to the progress bar before the read
};

struct ReadPlan {
  bool programData = false;  // program selection and program blocks first
  std::vector<TableRead> tables;
};

// What a load of the variant reads: firmware 1 tables 0..10 in number
// order; firmware 2 the program data, then pages 1..11 (tables 1, 2, 4, 5,
// 6, 3, 7, 8, 9, 10, 14); firmware 3 the GO page as table 19, with the
// program's start day and time, and also page 12 (table 15); nothing for 0.
ReadPlan ReadPlanFor(int variant);

// The progress bar position after adding `step`, never past 100.
int AdvanceProgress(int position, int step);

constexpr int kIdentifiedProgress = 20;
constexpr int kPauseAfterRead = 10;
constexpr int kPauseBetweenBlocks = 100;

// What the sequence needs of its caller; any hook may be left empty. The
// fixed pauses are real sleeps unless `pause` takes them.
struct LoadHooks {
  std::function<void(int milliseconds)> pause;
  std::function<void(int position)> setProgress;
  std::function<void(int step)> addProgress;
  std::function<void()> deviceTypeRead;  // the image holds the device type text
  std::function<void()> identifying;     // progress is at 20: let the window paint
  std::function<void(int page)> showPage;
  // After each table or program block read, with its table and result.
  std::function<void(int table, int ok)> readDone;
};

// Asks for the device type and the firmware version; returns the variant.
int Identify(Link& link, const LoadHooks& hooks);

// Program selection table, then the setpoint list, then the setpoints and
// times of all ten programs, 100 ms apart. 1 when all succeeded.
int ReadProgramData(Link& link, const LoadHooks& hooks);

// Identify, then the variant's read plan. Failed reads leave their part of
// the image as it was and the sequence goes on. Returns the variant; for 0
// nothing was read.
int LoadParameterSet(Link& link, const LoadHooks& hooks);

}  // namespace rq30::paramset
