// rq30ctl on a misbehaving line: a failed exchange ends with exit status 1
// and the reason on standard error, never with values on standard output;
// once the line is sound the same command works.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <array>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "line_tamper.h"
#include "sim_line.h"

using rq30::reliability::LineTamper;

namespace {

struct CtlRun {
  int status = -1;
  std::string out;
  std::string err;
};

// The client as a script would run it, with COM1 mapped in the private
// configuration folder.
CtlRun Rq30ctl(const std::string& arguments, const std::string& folder) {
  const std::string errFile = folder + "/stderr.txt";
  const std::string command = "XDG_CONFIG_HOME='" + folder + "' " RQ30CTL " --port COM1 " +
                              arguments + " 2>'" + errFile + "'";
  CtlRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  return run;
}

// The simulator behind a tamper, COM1 pointing at the tamper; the client
// opens its own line, so the fixture opens none.
struct Line {
  Line() : line(Options()) {
    tamper = std::make_unique<LineTamper>(line.server.SlavePath());
    tamper->Start();
    line.mapping.Map(1, tamper->SlavePath());
  }
  static rq30::testing::SimLineOptions Options() {
    rq30::testing::SimLineOptions o;
    o.openPort = false;
    return o;
  }
  void Inject(const rq30::sim::Faults& faults) {
    line.WithModel([&](rq30::sim::ControllerModel& m) {
      m.Injected() = faults;
      return 0;
    });
  }
  // A controller that was still busy with a slow reply is cut off.
  void Heal() {
    line.server.Stop();
    Inject({});
    line.server.Start();
    tamper->CutReplies(0, 0);
  }
  const std::string& Folder() const { return line.home.Dir(); }

  rq30::testing::SimLine line;
  std::unique_ptr<LineTamper> tamper;
};

struct ReadFault {
  const char* name;
  void (*inject)(Line&);
  const char* arguments;
  const char* reason;
  const char* goodArguments = nullptr;  // once the line is sound; the same when null
  bool printsAnyway = false;
  int status = 1;  // the controller did not answer; 4: it refused
};

const ReadFault kReadFaults[] = {
    {"dropped replies",
     [](Line& l) {
       rq30::sim::Faults f;
       f.dropReplies = 3;
       l.Inject(f);
     },
     "read 11", "rq30ctl: read table 11: no valid answer from the controller\n"},
    {"corrupted checksum",
     [](Line& l) {
       rq30::sim::Faults f;
       f.corruptReplies = 2;
       l.Inject(f);
     },
     "read 11", "rq30ctl: read table 11: no valid answer from the controller\n"},
    {"replies cut short", [](Line& l) { l.tamper->CutReplies(3, 20); }, "read 11",
     "rq30ctl: read table 11: no valid answer from the controller\n"},
    {"bytes with long gaps",
     [](Line& l) {
       rq30::sim::Faults f;
       f.gapMs = 150;
       l.Inject(f);
     },
     "read 11", "rq30ctl: read table 11: no valid answer from the controller\n"},
    {"controller at another address", [](Line&) {}, "--da 9 read 11",
     "rq30ctl: read table 11: no valid answer from the controller\n", "--da 0 read 11"},
    {"late replies",
     [](Line& l) {
       rq30::sim::Faults f;
       f.delayMs = 3000;  // after every read of the exchange, the read-off included
       l.Inject(f);
     },
     "read 11", "rq30ctl: read table 11: no valid answer from the controller\n"},
    // The firmware is still asked for, and shown, as in the identification window.
    {"identification cut short", [](Line& l) { l.tamper->CutReplies(3, 8); }, "ident",
     "rq30ctl: device type: no valid answer from the controller\n", nullptr, true},
    // The listing still comes, from what could be read, as in the record window.
    {"record blocks cut short", [](Line& l) { l.tamper->CutReplies(1000, 30); }, "records",
     "rq30ctl: record memory: some blocks did not arrive\n", nullptr, true},
    {"refused write",
     [](Line& l) {
       rq30::sim::Faults f;
       f.nakCode = 5;
       l.Inject(f);
     },
     "write 1 SPLO=7", "rq30ctl: write table 1: not acknowledged (code 5)\n", nullptr, false, 4},
    {"refused EEPROM store",
     [](Line& l) {
       rq30::sim::Faults f;
       f.nakCode = 5;
       l.Inject(f);
     },
     "eeprom", "rq30ctl: EEPROM: not acknowledged (code 5)\n", nullptr, false, 4},
};

}  // namespace

TEST(Rq30ctlOnAFaultyLine, EachFaultFailsCleanlyAndTheLineRecovers) {
  Line line;
  for (const ReadFault& fault : kReadFaults) {
    SCOPED_TRACE(fault.name);
    fault.inject(line);
    const CtlRun failed = Rq30ctl(fault.arguments, line.Folder());
    EXPECT_EQ(failed.status, fault.status);
    EXPECT_EQ(failed.err, fault.reason);
    // Nothing of a failed read is printed.
    if (!fault.printsAnyway) {
      EXPECT_EQ(failed.out, "");
    }
    line.Heal();
    const CtlRun good =
        Rq30ctl(fault.goodArguments ? fault.goodArguments : fault.arguments, line.Folder());
    EXPECT_EQ(good.status, 0) << good.err;
  }
  line.line.WithModel([](rq30::sim::ControllerModel& m) {
    EXPECT_FLOAT_EQ(m.Image().alarm1.splo, 7.0f);  // only the good write arrived
    EXPECT_EQ(m.EepromStores(), 1);
    return 0;
  });
}

TEST(Rq30ctlOnAFaultyLine, PulledAdapterIsAnOpenFailureUntilItIsBack) {
  Line line;
  EXPECT_EQ(Rq30ctl("probe", line.Folder()).status, 0);
  line.tamper->PullPlug();
  const CtlRun gone = Rq30ctl("probe", line.Folder());
  EXPECT_EQ(gone.status, 6);  // the port could not be opened
  EXPECT_EQ(gone.err, "rq30ctl: Sériový port COM1 nelze otevřít\n");
  EXPECT_EQ(gone.out, "");

  line.tamper = std::make_unique<LineTamper>(line.line.server.SlavePath());
  line.tamper->Start();
  line.line.mapping.Map(1, line.tamper->SlavePath());
  const CtlRun back = Rq30ctl("probe", line.Folder());
  EXPECT_EQ(back.status, 0) << back.err;
  EXPECT_EQ(back.out, "address 0 answers\n");
}
