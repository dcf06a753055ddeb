// COM names mapped to the simulator's pty through the user's config folder.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "com_mapping.h"
#include "serial_port.h"

namespace rq30::sim {
namespace {

std::string LinkTarget(const std::string& path) {
  char buffer[512];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
  return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

class ComMappingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vtq45-sim-config-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config = pattern;
    // Not there yet: Map makes the folders.
    setenv("XDG_CONFIG_HOME", (config + "/nested").c_str(), 1);
    folder = config + "/nested/QelFW_K47";
  }
  void TearDown() override { std::system(("rm -rf '" + config + "'").c_str()); }

  std::string config;
  std::string folder;
};

TEST_F(ComMappingTest, LinksAndUnlinks) {
  ComMapping mapping;
  mapping.Map(3, "/dev/null");
  EXPECT_EQ(mapping.Path(), folder + "/COM3");
  EXPECT_EQ(LinkTarget(folder + "/COM3"), "/dev/null");
  mapping.Remove();
  struct stat st;
  EXPECT_NE(lstat((folder + "/COM3").c_str(), &st), 0);
}

TEST_F(ComMappingTest, NeverReplacesWhatItDidNotMake) {
  mkdir((config + "/nested").c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  std::ofstream(folder + "/COM1") << "user's file";
  ASSERT_EQ(symlink("/dev/ttyUSB0", (folder + "/COM2").c_str()), 0);

  ComMapping mapping;
  EXPECT_THROW(mapping.Map(1, "/dev/null"), std::runtime_error);
  EXPECT_THROW(mapping.Map(2, "/dev/null"), std::runtime_error);
  std::string text;
  std::getline(std::ifstream(folder + "/COM1"), text);
  EXPECT_EQ(text, "user's file");
  EXPECT_EQ(LinkTarget(folder + "/COM2"), "/dev/ttyUSB0");
  try {
    mapping.Map(2, "/dev/null");
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/dev/ttyUSB0"), std::string::npos) << e.what();
  }
}

TEST_F(ComMappingTest, ReplacesALinkToAVanishedPty) {
  mkdir((config + "/nested").c_str(), 0700);
  mkdir(folder.c_str(), 0700);
  ASSERT_EQ(symlink("/dev/pts/987654", (folder + "/COM4").c_str()), 0);
  ComMapping mapping;
  mapping.Map(4, "/dev/null");
  EXPECT_EQ(LinkTarget(folder + "/COM4"), "/dev/null");
}

TEST_F(ComMappingTest, LeavesALinkSomeoneElseRemade) {
  {
    ComMapping mapping;
    mapping.Map(5, "/dev/null");
    unlink((folder + "/COM5").c_str());
    ASSERT_EQ(symlink("/dev/ttyUSB1", (folder + "/COM5").c_str()), 0);
  }  // leaves scope: removes only its own link
  EXPECT_EQ(LinkTarget(folder + "/COM5"), "/dev/ttyUSB1");
}

// The simulator and the program must agree on the folder, also when
// XDG_CONFIG_HOME is unusable and both fall back to ~/.config.
TEST_F(ComMappingTest, TheProgramOpensTheMappedNameWhateverTheConfigHome) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome ? savedHome : "";
  setenv("HOME", config.c_str(), 1);
  const struct {
    std::string xdg;
    std::string folder;
  } cases[] = {
      {config + "/nested", config + "/nested/QelFW_K47"},
      {"relative/path", config + "/.config/QelFW_K47"},
      {"", config + "/.config/QelFW_K47"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.xdg);
    setenv("XDG_CONFIG_HOME", c.xdg.c_str(), 1);
    ComMapping mapping;
    mapping.Map(6, slave);
    EXPECT_EQ(mapping.Path(), c.folder + "/COM6");
    SerialPort port;
    EXPECT_NO_THROW(port.OpenPort(6));
    EXPECT_TRUE(port.IsOpen());
  }
  setenv("HOME", home.c_str(), 1);
  close(master);
}

}  // namespace
}  // namespace rq30::sim
