#include "ini_file.h"

#include <unistd.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "temp_dir.h"
#include "unprivileged.h"

namespace rq30 {
namespace {

using testing::ElementsAre;

TEST(IniFile, NewFileKeepsTheOrderOfFirstWrites) {
  TempDir dir;
  const std::string path = dir.File("VTQ 45-1xxx.INI");
  IniFile ini(path);
  ini.WriteString("ALARM1", "RALA", "0");
  ini.WriteString("ALARM1", "RELE", "1");
  ini.WriteString("PID", "PB", "1,5");
  ini.WriteString("ALARM1", "SPLO", "Teplota ž");  // back into the first section
  ini.WriteString("alarm1", "rala", "2");          // same key, other case
  EXPECT_FALSE(std::filesystem::exists(path)) << "written before Flush";
  ini.Flush();
  EXPECT_EQ(ReadBytes(path),
            "[ALARM1]\r\nRALA=2\r\nRELE=1\r\nSPLO=Teplota \x9E\r\n"
            "[PID]\r\nPB=1,5\r\n");
  EXPECT_THAT(Entries(dir.Path()), ElementsAre("VTQ 45-1xxx.INI"));
}

// A file edited by hand and by other programs: LF line ends, no final line
// end, blanks everywhere, comments, sections and keys the program does not
// know. Only the written keys may change.
TEST(IniFile, ExistingFileIsUpdatedInPlace) {
  TempDir dir;
  const std::string path = dir.File("set.ini");
  WriteBytes(path,
             "; parametry z d\xEDlny\n"
             "[ alarm1 ]\n"
             "rala = 3\n"
             "POZNAMKA=ponechat\n"
             "\n"
             "[CIZI]\n"
             "X=1\n"
             "[PID]\n"
             "PB=9");
  IniFile ini(path);
  ini.WriteString("ALARM1", "RALA", "0");  // replaced, the file's spelling kept
  ini.WriteString("ALARM1", "HYST", "1");  // added before the blank line
  ini.WriteString("PID", "TI", "100");     // added at the very end
  ini.WriteString("REGO", "TYPE", "2");    // new section at the end
  ini.Flush();
  EXPECT_EQ(ReadBytes(path),
            "; parametry z d\xEDlny\r\n"
            "[ alarm1 ]\r\n"
            "rala=0\r\n"
            "POZNAMKA=ponechat\r\n"
            "HYST=1\r\n"
            "\r\n"
            "[CIZI]\r\n"
            "X=1\r\n"
            "[PID]\r\n"
            "PB=9\r\n"
            "TI=100\r\n"
            "[REGO]\r\n"
            "TYPE=2\r\n");
}

TEST(IniFile, ReadingFollowsThePrivateProfileRules) {
  const IniFile ini = IniFile::FromBytes("x.ini",
                                         "TOP=before any section\r\n"
                                         "[ Sekce ]\r\n"
                                         "  Klic =  hodnota s mezerou  \r\n"
                                         "QUOTED=\"  v uvozovkach \"\r\n"
                                         "HALF=\"jen zacatek\r\n"
                                         "EMPTY=\r\n"
                                         "EQ=a=b\r\n"
                                         ";KOMENTAR=ne\r\n"
                                         "BEZ ROVNITKA\r\n"
                                         "CZ=\xE8\xEDslo\r\n"
                                         "DUP=first\r\n"
                                         "DUP=second\r\n"
                                         "[DRUHA]\r\n"
                                         "KLIC=jinde\r\n"
                                         "[sekce]\r\n"
                                         "ONLY_IN_SECOND=x\r\n");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"SEKCE", "KLIC", "hodnota s mezerou"},
      {"sekce", "klic", "hodnota s mezerou"},
      {"Sekce", "QUOTED", "  v uvozovkach "},
      {"Sekce", "HALF", "\"jen zacatek"},
      {"Sekce", "EMPTY", ""},
      {"Sekce", "EQ", "a=b"},
      {"Sekce", "CZ", "číslo"},
      {"Sekce", "DUP", "first"},
      {"DRUHA", "KLIC", "jinde"},
      {"Sekce", ";KOMENTAR", "<default>"},
      {"Sekce", "BEZ ROVNITKA", "<default>"},
      {"Sekce", "ONLY_IN_SECOND", "<default>"},  // the first section of a name wins
      {"Sekce", "TOP", "<default>"},
      {"CHYBI", "KLIC", "<default>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.value) << c.section << "/" << c.key;
  }
}

// Notepad saves with a UTF-8 byte-order mark; Windows' reader skips it and
// finds the first section, and a save keeps the mark where it was.
TEST(IniFile, ByteOrderMarkHidesNoSection) {
  IniFile ini = IniFile::FromBytes("x.ini", "\xEF\xBB\xBF[ALARM1]\r\nRALA=2\r\n");
  EXPECT_EQ(ini.ReadString("ALARM1", "RALA", "<default>"), "2");
  ini.WriteString("ALARM1", "RELE", "1");
  EXPECT_EQ(ini.Bytes(), "\xEF\xBB\xBF[ALARM1]\r\nRALA=2\r\nRELE=1\r\n");
  // Only at the very start is it a mark.
  const IniFile later = IniFile::FromBytes("x.ini", "[A]\r\n\xEF\xBB\xBF[B]\r\nK=1\r\n");
  EXPECT_EQ(later.ReadString("B", "K", "<default>"), "<default>");
}

TEST(IniFile, AValueStaysOnOneLine) {
  IniFile ini = IniFile::FromBytes("x.ini", "");
  ini.WriteString("S", "K", "dva\r\nradky");
  ini.WriteString("S", "NEXT", "1");
  EXPECT_EQ(ini.ReadString("S", "K", ""), "dva  radky");
  EXPECT_EQ(ini.ReadString("S", "NEXT", ""), "1");
}

// The parameter set file: 470 keys written, flushed once, read back.
TEST(IniFile, ManyKeysRoundTripThroughTheDisk) {
  TempDir dir;
  const std::string path = dir.File("params.ini");
  IniFile ini(path);
  for (int p = 0; p < 10; ++p) {
    for (int s = 0; s < 20; ++s) {
      const std::string index = "[" + std::to_string(p) + "][" + std::to_string(s) + "]";
      ini.WriteString("COMP", "TEP" + index, std::to_string(p * 100 + s) + ",50");
      ini.WriteString("COMP", "CAS" + index, std::to_string(s));
    }
  }
  ini.Flush();
  const IniFile back(path);
  EXPECT_EQ(back.ReadString("COMP", "TEP[9][19]", ""), "919,50");
  EXPECT_EQ(back.ReadString("COMP", "CAS[2][15]", ""), "15");
  EXPECT_EQ(back.ReadString("COMP", "TEP[0][0]", ""), "0,50");
  EXPECT_EQ(back.Bytes(), ini.Bytes());
  EXPECT_EQ(ReadBytes(path).substr(0, 33), "[COMP]\r\nTEP[0][0]=0,50\r\nCAS[0][0]");
}

TEST(IniFile, WriteIntoMissingFolderThrowsWithTheFileName) {
  TempDir dir;
  const std::string path = dir.File("missing/set.ini");
  IniFile ini(path);
  ini.WriteString("ALARM1", "RALA", "0");
  try {
    ini.Flush();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

TEST(IniFile, FailedWriteLeavesTheOldFile) {
  TempDir dir;
  const std::string folder = dir.File("ro");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/set.ini";
  WriteBytes(path, "[A]\r\nK=old\r\n");
  for (const std::string& p : {dir.Path(), folder, path}) HandOver(p);
  std::filesystem::permissions(
      folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  IniFile ini(path);
  ini.WriteString("A", "K", "new");
  EXPECT_TRUE(InUnprivilegedChild([&] {
    try {
      ini.Flush();
    } catch (const std::runtime_error&) {
      return true;
    }
    return false;
  })) << "no error";
  EXPECT_EQ(ReadBytes(path), "[A]\r\nK=old\r\n");
}

// A file that exists but cannot be read must not be replaced by the few keys
// written into the empty copy.
TEST(IniFile, UnreadableFileIsNotReplaced) {
  TempDir dir;
  const std::string path = dir.File("folder.ini");
  std::filesystem::create_directory(path);
  std::filesystem::create_directory(path + "/inside");
  IniFile ini(path);
  ini.WriteString("A", "K", "v");
  EXPECT_THROW(ini.Flush(), std::runtime_error);
  EXPECT_TRUE(std::filesystem::is_directory(path + "/inside"));
}

// Any bytes at all, such as a damaged file: reads and writes stay in bounds
// (run under the sanitizers) and the written keys read back.
TEST(IniFile, SurvivesArbitraryBytes) {
  std::mt19937 random(45);
  const char alphabet[] = "[]=;\"' \t\r\nAKa\x80\xFF\0";
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = static_cast<int>(random() % 60);
    for (int i = 0; i < length; ++i) bytes += alphabet[random() % (sizeof alphabet)];
    IniFile ini = IniFile::FromBytes("x.ini", bytes);
    ini.ReadString("A", "K", "");
    ini.WriteString("A", "K", "v");
    ini.WriteString("B", "K", "w");
    const IniFile back = IniFile::FromBytes("x.ini", ini.Bytes());
    EXPECT_EQ(back.ReadString("A", "K", ""), "v") << testing::PrintToString(bytes);
    EXPECT_EQ(back.ReadString("B", "K", ""), "w") << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace rq30
