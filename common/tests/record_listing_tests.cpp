// The record listing without windows, as the record window and rq30ctl
// write it: header, newest value first, each value at five significant
// digits with two decimals.
#include "record_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rq30 {
namespace {

TEST(RecordListing, NewestFirstAtFiveSignificantDigits) {
  float values[kRecordValues] = {};
  // The ring index points at the newest value; older ones come before it.
  values[3] = 1234.567f;   // newest: five digits keep the tenths
  values[2] = 21.5f;       // decimals kept as zeros
  values[1] = -12.345f;    // rounded away from zero at the last decimal
  values[0] = 123456.0f;   // too many integer digits: exponent form
  values[255] = 0.004f;    // rounds to zero, without a sign
  values[254] = 99999.4f;  // five integer digits: no decimals left
  RecordDownload download;
  download.pointerBefore = 3;
  download.pointerAfter = 5;  // two values came during the download
  download.rateSeconds = 60;
  download.values = values;

  const std::vector<std::string> lines = RecordListing(download, "14.03.2026", "9:30:00", ",");
  ASSERT_EQ(lines.size(), 6u + 254u);
  EXPECT_EQ(lines[0], "Záznam z regulátoru    14.03.2026     9:30:00");
  EXPECT_EQ(lines[1], "Počet zaznamenaných hodnot 254");
  EXPECT_EQ(lines[2], "Rychlost záznamu: 60[s]");
  EXPECT_EQ(lines[3], "Délka záznamu: 4hod., 14min.");
  EXPECT_EQ(lines[5], std::string(93, '-'));
  const std::vector<std::string> expected = {"1;   1234,60",   "2;   21,50", "3;   -12,35",
                                             "4;   1,2346E+5", "5;   0,00",  "6;   99999,00"};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[6 + i], expected[i]);
  EXPECT_EQ(lines.back(), "254;   0,00");
}

}  // namespace
}  // namespace rq30
