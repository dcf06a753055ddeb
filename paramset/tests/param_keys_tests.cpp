// The key list is the file format: its order, sections and names decide
// whether files move between this program and others that write the format.
#include "param_keys.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace rq30::paramset {
namespace {

std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(ParamKeys, TwelveSectionsInFileOrder) {
  const auto& keys = Keys();
  ASSERT_EQ(keys.size(), std::size_t{kKeyCount});
  std::vector<std::pair<std::string, int>> sections;
  for (const Key& k : keys) {
    if (sections.empty() || sections.back().first != k.section) sections.push_back({k.section, 0});
    ++sections.back().second;
  }
  const std::vector<std::pair<std::string, int>> expected = {
      {"ALARM1", 5}, {"ALARM2", 5}, {"PID", 4},   {"REGO", 7}, {"ONOF", 7}, {"SENS", 6},
      {"DACO", 4},   {"ERRO", 4},   {"OSTAT", 5}, {"ADD", 2},  {"GO", 7},   {"COMP", 414}};
  EXPECT_EQ(sections, expected) << "a section split, reordered or of the wrong size";
}

TEST(ParamKeys, NamesInTheirSections) {
  std::vector<std::string> named;
  for (const Key& k : Keys()) {
    if (k.name.find('[') == std::string::npos) named.push_back(k.section + "/" + k.name);
  }
  const std::vector<std::string> expected = {
      "ALARM1/RALA", "ALARM1/RELE", "ALARM1/SPLO", "ALARM1/SPHI", "ALARM1/HYST", "ALARM2/RALA",
      "ALARM2/RELE", "ALARM2/SPLO", "ALARM2/SPHI", "ALARM2/HYST", "PID/PB",      "PID/TI",
      "PID/TD",      "PID/TUNE",    "REGO/TYPE",   "REGO/F2",     "REGO/DSER",   "REGO/DEAD",
      "REGO/TPID",   "REGO/PS",     "REGO/PER",    "ONOF/PHEA",   "ONOF/PCOO",   "ONOF/HHEA",
      "ONOF/HCOO",   "ONOF/AT",     "ONOF/RE_1",   "ONOF/RE_2",   "SENS/STRS",   "SENS/ENDS",
      "SENS/OFFS",   "SENS/TYPE",   "SENS/DP",     "SENS/KOMP",   "DACO/AIN",    "DACO/AOUT",
      "DACO/ASTR",   "DACO/AEND",   "ERRO/RE12",   "ERRO/RE-3",   "ERRO/RE-4",   "ERRO/YOUT",
      "OSTAT/OPLO",  "OSTAT/OPHI",  "OSTAT/PASS",  "OSTAT/FILT",  "OSTAT/LOCK",  "ADD/ADRESA",
      "ADD/ZAZNAM",  "GO/BEH",      "GO/PEND",     "GO/HOLD",     "GO/PUC",      "GO/DATE",
      "GO/HOUR",     "GO/MIN",      "COMP/PROG",   "COMP/C_PR",   "COMP/SP",     "COMP/POCATEK"};
  EXPECT_EQ(named, expected);
}

// After SP[9]: for each program, for each segment, TEP then CAS.
TEST(ParamKeys, ProgramKeysProgramBySegment) {
  const auto& keys = Keys();
  const auto sp9 =
      std::find_if(keys.begin(), keys.end(), [](const Key& k) { return k.name == "SP[9]"; });
  ASSERT_NE(sp9, keys.end());
  EXPECT_EQ((sp9 - 9)->name, "SP[0]");
  EXPECT_EQ((sp9 + 1)->name, "TEP[0][0]");
  EXPECT_EQ((sp9 + 2)->name, "CAS[0][0]");
  EXPECT_EQ((sp9 + 3)->name, "TEP[0][1]");
  EXPECT_EQ((sp9 + 41)->name, "TEP[1][0]");
  EXPECT_EQ((sp9 + 2 * 15 + 1 + 40 * 2)->name, "TEP[2][15]");
  EXPECT_EQ(keys.back().name, "CAS[9][19]");
  EXPECT_EQ(keys.end() - sp9 - 1, 400);
}

// The file is matched without regard to case: two keys of a section that
// differ only in case would overwrite each other.
TEST(ParamKeys, NamesUniqueIgnoringCase) {
  std::set<std::string> seen;
  for (const Key& k : Keys()) {
    EXPECT_TRUE(seen.insert(Folded(k.section) + "/" + Folded(k.name)).second)
        << k.section << "/" << k.name;
  }
}

// A load collects pages 1..11, each once, when its section ends.
TEST(ParamKeys, EachPageCollectedAtTheEndOfItsSection) {
  const auto& keys = Keys();
  std::vector<int> collected;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!keys[i].collectAfter) continue;
    collected.push_back(keys[i].page);
    EXPECT_TRUE(i + 1 == keys.size() || keys[i + 1].section != keys[i].section)
        << keys[i].name << " is not the last key of " << keys[i].section;
  }
  EXPECT_EQ(collected, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(ParamKeys, FindKeyAndSpelledIndexNames) {
  ASSERT_NE(FindKey("ERRO", "RE-3"), nullptr);
  EXPECT_EQ(FindKey("ERRO", "RE-3")->control, "cb_erro3");
  EXPECT_EQ(FindKey("PID", "TYPE"), nullptr);
  EXPECT_EQ(SetpointKeyName(3), "SP[3]");
  EXPECT_EQ(ProgramSetpointKeyName(2, 15), "TEP[2][15]");
  EXPECT_EQ(ProgramTimeKeyName(2, 15), "CAS[2][15]");
}

}  // namespace
}  // namespace rq30::paramset
