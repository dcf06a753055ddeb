// How fast a fixed-length read returns once its reply is complete, and how
// much CPU the link burns while it waits for a reply.
//
// Runs against the simulator on a pty in this process; CPU time is the
// calling thread's own, so the simulator's work is not counted.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "sim_line.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
  double medianMs;
  double p95Ms;
  double cpuMsPerExchange;
  int failures;
};

Figures Measure(rq30::testing::SimLine& line, int exchanges) {
  std::vector<double> ms;
  int failures = 0;
  const double cpuStart = ThreadCpuMs();
  for (int i = 0; i < exchanges; ++i) {
    const auto start = Clock::now();
    if (line.link.ReadTable(11) != 1) ++failures;
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  const double cpu = (ThreadCpuMs() - cpuStart) / exchanges;
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], cpu, failures};
}

}  // namespace

int main() {
  rq30::testing::SimLine line;
  for (int i = 0; i < 20; ++i) line.link.ReadTable(11);  // warm up

  const Figures now = Measure(line, 500);
  std::printf("read_table_11_median: %.3f ms\n", now.medianMs);
  std::printf("read_table_11_p95: %.3f ms\n", now.p95Ms);
  std::printf("read_table_11_cpu_per_exchange: %.3f ms\n", now.cpuMsPerExchange);

  // A controller that takes 50 ms to answer: the wait must cost no CPU.
  line.WithModel([](rq30::sim::ControllerModel& m) { return m.Injected().delayMs = 50; });
  const Figures slow = Measure(line, 40);
  std::printf("read_table_11_delayed50_median: %.3f ms\n", slow.medianMs);
  std::printf("read_table_11_delayed50_cpu_per_exchange: %.3f ms\n", slow.cpuMsPerExchange);

  // One dropped reply, with the link's 100 ms pause slept as on a real
  // line. The rule of the protocol: one read time-out (2 ms × 26 + 500 ms),
  // the pause, and the reply (what a read with nothing lost takes here).
  line.WithModel([](rq30::sim::ControllerModel& m) { return m.Injected().delayMs = 0; });
  line.link.SetPause(nullptr);
  std::vector<double> dropped;
  int droppedFailures = 0;
  for (int i = 0; i < 10; ++i) {
    line.WithModel([](rq30::sim::ControllerModel& m) { return m.Injected().dropReplies = 1; });
    const auto start = Clock::now();
    if (line.link.ReadTable(11) != 1) ++droppedFailures;
    dropped.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(dropped.begin(), dropped.end());
  std::printf("read_table_11_one_dropped_median: %.3f ms\n", dropped[dropped.size() / 2]);
  std::printf("read_table_11_one_dropped_rule: %.3f ms\n", 2 * 26 + 500 + 100 + now.medianMs);
  const int failures = now.failures + slow.failures + droppedFailures;
  std::printf("failed_exchanges: %d\n", failures);
  return failures == 0 ? 0 : 1;
}
