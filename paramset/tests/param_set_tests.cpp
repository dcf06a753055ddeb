// What a restore may send: only what the file's firmware and the
// controller's both hold, never the clock or the program selection.
#include "param_set.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace rq30::paramset {
namespace {

TEST(ParamSet, CommonPlanHoldsOnlyWhatBothFirmwaresHave) {
  const std::vector<int> pages = {1, 2, 4, 5, 6, 3, 7, 8, 9};
  auto with = [&](std::initializer_list<int> more) {
    std::vector<int> tables = pages;
    tables.insert(tables.end(), more);
    return tables;
  };
  const struct {
    int controller, file;
    std::vector<int> tables;
    bool programs;
  } cases[] = {
      {1, 1, with({0}), false},
      {2, 2, with({14}), true},
      {3, 3, with({19}), true},
      // A firmware 1 set has no programs to give: the controller keeps its own.
      {3, 1, pages, false},
      {1, 3, pages, false},
      // The start time only between two firmware 3 sets.
      {3, 2, with({14}), true},
      {2, 3, with({14}), true},
      {0, 3, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.controller) + " <- " + std::to_string(c.file));
    const SetPlan plan = CommonPlan(c.controller, c.file, false);
    EXPECT_EQ(plan.tables, c.tables);
    EXPECT_EQ(plan.programs, c.programs);
    for (int never : {10, 15, 16}) {
      EXPECT_EQ(std::count(plan.tables.begin(), plan.tables.end(), never), 0) << never;
    }
  }
  const SetPlan address = PlanFor(2, true);
  EXPECT_EQ(std::count(address.tables.begin(), address.tables.end(), 10), 1);
  EXPECT_TRUE(InPlan(address, *FindKey("ADD", "ADRESA")));
  EXPECT_FALSE(InPlan(PlanFor(2, false), *FindKey("ADD", "ZAZNAM")));
  EXPECT_FALSE(InPlan(PlanFor(2, true), *FindKey("GO", "DATE")));
  EXPECT_TRUE(InPlan(PlanFor(3, true), *FindKey("GO", "DATE")));
  // The program type and number and the start value text are no set values.
  for (const char* name : {"PROG", "C_PR", "POCATEK", "SP"})
    EXPECT_FALSE(InPlan(PlanFor(3, true), *FindKey("COMP", name))) << name;
  EXPECT_TRUE(InPlan(PlanFor(1, false), *FindKey("COMP", "SP")));
}

}  // namespace
}  // namespace rq30::paramset
