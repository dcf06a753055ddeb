// The vtq45-sim program as a user and the test scripts run it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Child {
  pid_t pid = -1;
  int out = -1;  // its stdout
};

Child Spawn(const std::vector<std::string>& args, const std::string& configHome) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    std::vector<char*> argv = {const_cast<char*>(VTQ45_SIM_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  return {pid, pipeFds[0]};
}

std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  char c;
  while (true) {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

// Exit code, or -1 when it did not end within the time.
int Wait(pid_t pid, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vtq45-sim-program-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + config + "'").c_str()); }
  std::string config;
};

TEST_F(ProgramTest, MapsItsComPortUntilTerminated) {
  for (int stopSignal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(stopSignal);
    const Child child = Spawn({"--com", "2", "--address", "3", "--firmware", "2"}, config);
    ASSERT_GT(child.pid, 0);
    const std::string path = ReadLine(child.out, 5000);
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

    const std::string link = config + "/QelFW_K47/COM2";
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(path, target);

    kill(child.pid, stopSignal);
    EXPECT_EQ(Wait(child.pid, 5000), 0);
    close(child.out);
    struct stat st;
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";
  }
}

TEST_F(ProgramTest, UsageErrorsExitWith2) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},         {"--com"},      {"--com", "0"},  {"--address", "127"},
      {"--firmware", "5"}, {"--nak", "0"}, {"--drop", "x"}, {"stray"},
  };
  for (const auto& args : cases) {
    const Child child = Spawn(args, config);
    EXPECT_EQ(Wait(child.pid, 5000), 2) << args[0];
    close(child.out);
  }
}

TEST_F(ProgramTest, RefusesToReplaceTheUsersComLink) {
  mkdir((config + "/QelFW_K47").c_str(), 0700);
  const std::string link = config + "/QelFW_K47/COM1";
  ASSERT_EQ(symlink("/dev/ttyUSB0", link.c_str()), 0);
  const Child child = Spawn({"--com", "1"}, config);
  EXPECT_EQ(Wait(child.pid, 5000), 1);
  EXPECT_EQ(ReadLine(child.out, 100), "") << "no path printed";
  close(child.out);
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "/dev/ttyUSB0");
}

}  // namespace
