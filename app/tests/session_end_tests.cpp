// The session ends under a running program: a real SIGTERM or SIGHUP sent
// to the program in a process of its own, on an X server (Xvfb), while it
// reads a simulated controller every second with "Zápis do souboru" on. It
// must end as through its close box: settings.ini written, and the log
// written once more with the records since the last write.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QFile>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>

#include "application.h"
#include "com_mapping.h"
#include "controller_model.h"
#include "program_run.h"
#include "program_windows.h"
#include "pty_server.h"
#include "scripted_dialogs.h"

namespace {

using namespace std::chrono_literals;

const char* self = nullptr;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The program as rq30 runs it, on a simulated controller at COM1, with the
// log file chosen and automatic reading and file writing on.
int RunProgramChild(const std::string& logPath, const std::string& readyPath) {
  int argc = 1;
  char name[] = "rq30";
  char* argv[] = {name, nullptr};
  Application app(argc, argv);
  rq30::sim::ControllerModel model(rq30::sim::Firmware::V3, {9});
  rq30::sim::PtyServer server(model);
  server.Start();
  rq30::sim::ComMapping mapping;
  mapping.Map(1, server.SlavePath());
  rq30::ScriptedDialogs dialogs;
  dialogs.QueueFile(QString::fromStdString(logPath));
  return rq30::RunProgram([&](ProgramWindows& w) {
    w.main.SaveAs();  // the operator chooses the log file
    w.main.findChild<QCheckBox*>("check_auto")->setChecked(true);
    w.main.findChild<QCheckBox*>("check_zapis")->setChecked(true);
    std::ofstream(readyPath) << "ready";
  });
}

// An X server of its own; its display number comes back through a pipe.
class Xvfb {
 public:
  Xvfb() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
             "1024x768x24", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~Xvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

class SessionEnd : public ::testing::TestWithParam<int> {};

TEST_P(SessionEnd, EndsLikeTheCloseBox) {
  Xvfb x;
  if (x.Display().empty()) GTEST_SKIP() << "no Xvfb";
  char tmpl[] = "/tmp/rq30-session-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const std::string log = dir + "/noc.txt";
  const std::string ready = dir + "/ready";

  // The controller answers at 9; the program takes its address from the store.
  std::filesystem::create_directories(dir + "/QelFW_K47");
  std::ofstream(dir + "/QelFW_K47/settings.ini") << "[ADRESA]\r\nDA=9\r\n";

  const pid_t program = fork();
  if (program == 0) {
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    setenv("DISPLAY", x.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    execl(self, self, "--program", log.c_str(), ready.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!std::filesystem::exists(ready) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(std::filesystem::exists(ready)) << "the program did not start";
  EXPECT_EQ(Slurp(log), "");  // chosen before anything was recorded
  std::this_thread::sleep_for(3s);  // a few records, none written yet

  kill(program, GetParam());
  int status = 0;
  pid_t done = 0;
  deadline = std::chrono::steady_clock::now() + 20s;
  while ((done = waitpid(program, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
  }
  if (done == 0) {
    kill(program, SIGKILL);
    waitpid(program, &status, 0);
    FAIL() << "the program did not end";
  }
  EXPECT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::string settings = Slurp(dir + "/QelFW_K47/settings.ini");
  EXPECT_NE(settings.find("[DESKTOP]"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Left="), std::string::npos);
  EXPECT_NE(settings.find("[ZAZNAM]"), std::string::npos);
  const std::string written = Slurp(log);
  // Records of the last seconds (the controller's process moves its
  // values; the numbers follow the machine's locale).
  int records = 0;
  for (std::size_t at = 0; (at = written.find(" porucha;   ", at)) != std::string::npos; ++at) {
    ++records;
  }
  EXPECT_GE(records, 2) << written;
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEnd, ::testing::Values(SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGHUP");
                         });

}  // namespace

int main(int argc, char** argv) {
  self = argv[0];
  if (argc == 4 && std::strcmp(argv[1], "--program") == 0) return RunProgramChild(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
