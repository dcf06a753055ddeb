// The controller's real-time clock, kept in its clock table.
#pragma once

#include <ctime>

#include "table_image.h"

namespace rq30::sim {

// Moves the clock on by one second, carrying into minutes, hours, days,
// weekday, month and the two-digit year (2000-2099, leap years included).
void AdvanceOneSecond(ClockTable& clock);

// Sets the clock from a broken-down local time.
void SetClock(ClockTable& clock, const std::tm& time);

}  // namespace rq30::sim
