// The controller's memory behind each table number, as read and write
// requests address it: a byte area from which a block (offset, length) is
// cut. The area is built from the model's table image at every access, so the
// image stays the one place that holds the controller's state.
//
// Areas (bytes, big-endian like all wire data):
//   0       40: SP, then setpoint list elements 1..9 (SP is element 0); 4 in V1
//   1..10   the table's wire layout
//   11      live values (read only)
//   12      ring index byte, then the 256 record values (read only, 1025)
//   13      62 reserved bytes, zero (read only)
//   14      program start with start time (7; V2 has the first 4 only)
//   15      clock, 16 program selection
//   17      program setpoints, 80 bytes per program (800)
//   18      program times, int16, 40 bytes per program (400)
// V1 has no tables 14 to 18 and V2 no clock; table 19 exists only in the
// program, which sends it as table 14.
#pragma once

#include <cstdint>
#include <vector>

#include "firmware.h"
#include "table_image.h"

namespace rq30::sim {

// The whole area of a table; false when this firmware has no such table.
bool ReadArea(int table, Firmware firmware, const TableImage& image, std::vector<uint8_t>& area);

// Puts `length` bytes at `offset` into the table and stores the result in
// the image. False, with nothing changed, for a table this firmware lacks, a
// read-only table or a block that reaches past the table's end.
bool WriteArea(int table, Firmware firmware, int offset, const uint8_t* data, int length,
               TableImage& image);

}  // namespace rq30::sim
