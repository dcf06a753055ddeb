// Which firmware a version text names, and what a load of each reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "load_sequence.h"

namespace rq30::paramset {
namespace {

struct IdentCase {
  std::string text;
  int variant;
};

TEST(Firmware, OnlyTheFirstTenCharactersCount) {
  const std::vector<IdentCase> cases = {
      {"FW-K-47-01", 1}, {"FW-K-47-02", 2},
      {"FW-K-47-03", 3}, {"FW-K-47-02 build 7", 2},  // a longer text still names firmware 2
      {"FW-K-47-04", 0},                             // same family, a release without a layout
      {"FW-K-47-0", 0},                              // cut short
      {"fw-k-47-01", 0},                             // letter case counts
      {"", 0},           {" FW-K-47-01", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(FirmwareVariantOf(c.text.c_str()), c.variant) << c.text;
}

// The progress bar is a few pixels high and the operator's only sign of
// life: it must end full, or nearly, and never run over.
TEST(Firmware, ProgressOfEachVariantStaysWithin100) {
  const int ends[] = {kIdentifiedProgress, 100, 97, 100};
  for (int variant = 0; variant <= 3; ++variant) {
    int position = kIdentifiedProgress;
    for (const TableRead& read : ReadPlanFor(variant).tables) {
      position = AdvanceProgress(position, read.progressStep);
      EXPECT_LE(position, 100);
    }
    EXPECT_EQ(position, ends[variant]) << "variant " << variant;
  }
}

}  // namespace
}  // namespace rq30::paramset
