// The parameter set file written from a table image and loaded back into
// one, as the command-line client does it and the editor's controls show it.
#include "param_file.h"
#include "param_set.h"

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "param_values.h"
#include "table_layout.h"

namespace rq30::paramset {
namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/rq30-paramset-XXXXXX";
    if (!mkdtemp(pattern)) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every field different, lists within their lists, and a ramp program 3
// selected.
TableImage Sample() {
  TableImage m{};
  m.sp = 72.25f;
  m.alarm1 = {12.5f, -3.25f, 0.75f, 3, 1};
  m.alarm2 = {1.5f, 250.0f, 2.0f, 1, 0};
  m.pid = {25.5f, 300.0f, 0.25f, 1};
  m.control = {3, 120, 5, 16, 44, 7, 300};
  m.onoff = {-2.0f, 3.5f, 0.5f, 1.25f, 10, 1, 0};
  m.sensor = {10, 2, -50.0f, 850.0f, 1.5f, 4};
  m.analog = {1, 3, 10.0f, 90.0f};
  m.errorReaction = {2, 1, 2, 2};
  m.misc = {5.0f, 95.0f, 32, 1234, 1};
  m.address = {17, 1234};
  m.programStart = {1, 1, 2, 4};
  m.programStartTime = {15, 6, 30};
  m.programSelection = {1, 3};
  for (int p = 0; p < kPrograms; ++p) {
    m.setpointList[p] = 1.5f * static_cast<float>(p);
    for (int s = 0; s < kSegments; ++s) {
      m.programSetpoints[p][s] = static_cast<float>(100 * p + s) + 0.25f;
      m.programTimes[p][s] = 20 * p + s;
    }
  }
  return m;
}

// The parameter tables as they travel, to compare two images field by field.
std::vector<uint8_t> Tables(const TableImage& m) {
  std::vector<uint8_t> bytes;
  for (int table : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 19}) {
    uint8_t buffer[64];
    const int n = EncodeTable(table, m, buffer, sizeof buffer);
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  return bytes;
}

TEST(ParamFile, SavedFromAnImageAsTheEditorShowsIt) {
  TempDir dir;
  const std::string path = dir.File("VTQ 45-1xxx.INI");
  SaveImage(path, Sample(), 3, ',');
  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  const auto lines = Lines(bytes);
  // The twelve sections and their keys, then the program's own section
  // with the firmware the set came from.
  ASSERT_EQ(lines.size(), std::size_t{kKeyCount + kSectionCount + 2});
  EXPECT_EQ(lines.front(), "[ALARM1]");
  EXPECT_EQ(lines[1], "RALA=3");
  for (const char* line :
       {"SPLO=12,50", "SPHI=-3,25", "TPID=43", "F2=16", "AT=10", "PASS=1234", "ADRESA=17", "PUC=4",
        "DATE=15", "MIN=30", "PROG=1", "C_PR=3", "SP=72,25", "POCATEK=4,50", "SP[9]=13,50",
        "TEP[2][15]=215,25", "CAS[2][15]=55", "[COMP]"}) {
    EXPECT_TRUE(HasLine(lines, line)) << line;
  }
  EXPECT_EQ(lines[lines.size() - 3], "CAS[9][19]=199");
  EXPECT_EQ(lines[lines.size() - 2], "[RQ30]");
  EXPECT_EQ(lines.back(), "VARIANTA=3");
  EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1) << "a bare LF";
}

// What the firmware's editor can show decides the value: firmware 2 never
// fills the start time and lists three PCUT entries; firmware 1 has no GO
// page and no programs, so their controls keep the loader's presets.
TEST(ParamFile, VariantsSaveWhatTheirEditorShows) {
  struct Case {
    int variant;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {2, {"PUC=-1", "DATE=0", "HOUR=0", "BEH=1", "PROG=1", "POCATEK=4,50"}},
      {1, {"PUC=0", "DATE=0", "BEH=0", "PEND=0", "PROG=0", "C_PR=0", "POCATEK=", "SP=72,25"}},
      {0, {"PUC=4", "DATE=15", "PROG=1"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.File("v" + std::to_string(c.variant) + ".ini");
    SaveImage(path, Sample(), c.variant, ',');
    const auto lines = Lines(ReadBytes(path));
    for (const auto& line : c.lines) EXPECT_TRUE(HasLine(lines, line)) << c.variant << ": " << line;
  }
}

// A list value the list cannot show is saved as no selection; the start
// value belongs to ramps only, and an odd program number shows program 0.
TEST(ParamFile, ValuesOutsideTheirListsSaveAsNoSelection) {
  TableImage m = Sample();
  m.alarm1.rala = 7;
  m.control.tpid = 0;
  m.programSelection = {2, 12};
  TempDir dir;
  SaveImage(dir.File("odd.ini"), m, 3, ',');
  const auto lines = Lines(ReadBytes(dir.File("odd.ini")));
  for (const char* line : {"RALA=-1", "TPID=-1", "PROG=2", "C_PR=0", "POCATEK="})
    EXPECT_TRUE(HasLine(lines, line)) << line;
}

TEST(ParamFile, SaveThenLoadGivesBackTheImage) {
  TempDir dir;
  const std::string path = dir.File("set.ini");
  const TableImage saved = Sample();
  SaveImage(path, saved, 3, ',');

  TableImage loaded{};
  loaded.programSelection = {0, 5};
  const ImageLoad result = LoadImage(IniFile(path), loaded, 3, ',');
  EXPECT_TRUE(result.rejected.empty());
  EXPECT_EQ(result.badComp, nullptr);
  EXPECT_EQ(Tables(loaded), Tables(saved));
  EXPECT_EQ(loaded.sp, saved.sp);
  EXPECT_EQ(0, std::memcmp(loaded.setpointList, saved.setpointList, sizeof saved.setpointList));
  EXPECT_EQ(0, std::memcmp(loaded.programSetpoints, saved.programSetpoints,
                           sizeof saved.programSetpoints));
  EXPECT_EQ(0, std::memcmp(loaded.programTimes, saved.programTimes, sizeof saved.programTimes));
  // The selection is the controller's, not the file's.
  EXPECT_EQ(loaded.programSelection.type, 0);
  EXPECT_EQ(loaded.programSelection.number, 5);
}

TEST(ParamFile, MissingKeysLoadTheirDefaults) {
  TempDir dir;
  const std::string path = dir.File("short.ini");
  WriteBytes(path, "[ALARM1]\r\nSPLO=5,00\r\n");
  TableImage m = Sample();
  const ImageLoad result = LoadImage(IniFile(path), m, 3, ',');
  EXPECT_TRUE(result.rejected.empty());
  EXPECT_EQ(result.badComp, nullptr);
  EXPECT_EQ(m.alarm1.splo, 5.0f);
  EXPECT_EQ(m.alarm1.sphi, 100.0f);
  EXPECT_EQ(m.control.tpid, 5) << "TPID's default is position 4";
  EXPECT_EQ(m.onoff.re2, 1);
  EXPECT_EQ(m.sensor.type, 4);
  EXPECT_EQ(m.address.rate, 60);
  // No COMP section: zeros everywhere in the programs and the setpoint.
  EXPECT_EQ(m.sp, 0.0f);
  for (int p = 0; p < kPrograms; ++p) {
    EXPECT_EQ(m.setpointList[p], 0.0f);
    for (int s = 0; s < kSegments; ++s) {
      EXPECT_EQ(m.programSetpoints[p][s], 0.0f);
      EXPECT_EQ(m.programTimes[p][s], 0);
    }
  }
}

// Lists never reject: a value that is no whole number takes the default, a
// position outside the list is no selection (a byte holds it as 255). Texts
// that are no numbers of their kind become 0 and are reported.
TEST(ParamFile, BadPageValues) {
  TempDir dir;
  const std::string path = dir.File("bad.ini");
  WriteBytes(path,
             "[ALARM1]\r\nRALA=7\r\nRELE=jedna\r\nSPLO=abc\r\n"
             "[REGO]\r\nDSER=1,5\r\nTPID=99\r\nF2=-1\r\n"
             "[ADD]\r\nADRESA=300\r\n");
  TableImage m = Sample();
  const ImageLoad result = LoadImage(IniFile(path), m, 3, ',');
  ASSERT_EQ(result.rejected.size(), 2u);
  EXPECT_EQ(result.rejected[0]->name, "SPLO");
  EXPECT_EQ(result.rejected[1]->name, "DSER");
  EXPECT_EQ(m.alarm1.splo, 0.0f);
  EXPECT_EQ(m.control.dser, 0);
  EXPECT_EQ(m.alarm1.rala, 255);
  EXPECT_EQ(m.alarm1.rele, 0);
  EXPECT_EQ(m.control.tpid, 0);
  EXPECT_EQ(m.control.f2, -1);
  EXPECT_EQ(m.address.address, 44);
}

// A COMP value that does not parse stops the load there.
TEST(ParamFile, BadCompValueStopsTheLoad) {
  TempDir dir;
  const std::string path = dir.File("comp.ini");
  WriteBytes(path, "[COMP]\r\nTEP[0][3]=7,5\r\nCAS[0][3]=1,5\r\nTEP[0][4]=8\r\n");
  TableImage m = Sample();
  const ImageLoad result = LoadImage(IniFile(path), m, 3, ',');
  ASSERT_NE(result.badComp, nullptr);
  EXPECT_EQ(result.badComp->name, "CAS[0][3]");
  EXPECT_EQ(m.programSetpoints[0][3], 7.5f);
  EXPECT_EQ(m.programTimes[0][2], 0) << "loaded before the bad key";
  EXPECT_EQ(m.programTimes[0][3], 3) << "the bad key leaves its value";
  EXPECT_EQ(m.programSetpoints[0][4], 4.25f) << "nothing after the bad key";
}

// A file holds no thousands separators, so its floats load whichever
// decimal separator saved them.
TEST(ParamFile, EitherDecimalSeparatorLoads) {
  TempDir dir;
  const std::string path = dir.File("point.ini");
  SaveImage(path, Sample(), 3, '.');
  EXPECT_TRUE(HasLine(Lines(ReadBytes(path)), "SPLO=12.50"));
  TableImage m{};
  const ImageLoad result = LoadImage(IniFile(path), m, 3, ',');
  EXPECT_TRUE(result.rejected.empty());
  EXPECT_EQ(result.badComp, nullptr);
  EXPECT_EQ(m.alarm1.splo, 12.5f);
  EXPECT_EQ(m.programSetpoints[2][15], 215.25f);
  EXPECT_EQ(m.control.dser, 120);
  EXPECT_EQ(m.alarm1.rala, 3);
  // Two separators of different kinds are no number in either locale.
  float value = 0;
  EXPECT_FALSE(ParseFileFloat("1.234,5", ',', value));
  EXPECT_FALSE(ParseFileFloat("1,234.5", '.', value));
  EXPECT_EQ(LocaleFloatText("-3.25", ','), "-3,25");
  EXPECT_EQ(LocaleFloatText("abc", ','), "abc");
}

TEST(ParamFile, FirmwareTwoLoadsNoStartTime) {
  TempDir dir;
  const std::string path = dir.File("go.ini");
  WriteBytes(path, "[GO]\r\nDATE=9\r\nPUC=4\r\n");
  TableImage m = Sample();
  LoadImage(IniFile(path), m, 2, ',');
  EXPECT_EQ(m.programStartTime.date, 15);
  EXPECT_EQ(m.programStart.pcut, 255) << "PCUT has three entries in firmware 2";
  LoadImage(IniFile(path), m, 3, ',');
  EXPECT_EQ(m.programStartTime.date, 9);
  EXPECT_EQ(m.programStart.pcut, 4);
}

// Other programs' sections, keys and comments survive a save over the file.
TEST(ParamFile, SavingOverAFileKeepsWhatIsNotOurs) {
  TempDir dir;
  const std::string path = dir.File("shared.ini");
  WriteBytes(path,
             "; parametry pece 3\r\n[CIZI]\r\nX=1\r\n\r\n[alarm1]\r\nrala=0\r\nPOZNAMKA=ano\r\n");
  SaveImage(path, Sample(), 3, ',');
  const auto lines = Lines(ReadBytes(path));
  EXPECT_EQ(lines[0], "; parametry pece 3");
  EXPECT_EQ(lines[1], "[CIZI]");
  EXPECT_EQ(lines[2], "X=1");
  EXPECT_EQ(lines[4], "[alarm1]");
  EXPECT_EQ(lines[5], "rala=3");
  EXPECT_TRUE(HasLine(lines, "POZNAMKA=ano"));
  // Our own section follows the program's sections.
  EXPECT_EQ(lines.size(), std::size_t{kKeyCount + kSectionCount + 5 + 2});

  // Unidentified firmware: the section says what it said.
  WriteBytes(path, "[RQ30]\r\nVARIANTA=2\r\n");
  SaveImage(path, Sample(), 0, ',');
  EXPECT_EQ(FileVariant(IniFile(path)), 2);
  SaveImage(path, Sample(), 3, ',');
  EXPECT_EQ(FileVariant(IniFile(path)), 3);
}

TEST(ParamFile, UnwritableFileIsReportedAndLeftAlone) {
  TempDir dir;
  const std::string path = dir.File("missing folder/set.ini");
  try {
    SaveImage(path, Sample(), 3, ',');
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace rq30::paramset
