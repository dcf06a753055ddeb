// bench_bridge [FIRST_S [LONG_S]]: rq30ctl bridge at --interval 1 against a
// real mosquitto on 127.0.0.1 and the simulator on a pty in this process
// (its process running in real time), as a child process whose CPU time and
// resident memory are read from /proc. Reports after FIRST_S seconds (60)
// the CPU time per sample and the resident memory, and after LONG_S seconds
// (600; 0 skips it) the resident memory again and its growth.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "mqtt_fixture.h"
#include "sim_line.h"

namespace {

using namespace rq30::testing;

// CPU time of a process (all its threads), in seconds: the scheduler's
// nanosecond count where the kernel keeps it, else utime + stime in ticks.
double CpuSeconds(pid_t pid) {
  std::ifstream sched("/proc/" + std::to_string(pid) + "/schedstat");
  unsigned long long ns = 0;
  if (sched >> ns) return static_cast<double>(ns) / 1e9;
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// VmRSS in MB.
double ResidentMb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

std::size_t LiveCount(MqttSubscriber& sub) { return sub.Count(); }

void SleepUntil(MqttClock::time_point t) {
  while (MqttClock::now() < t) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace

int main(int argc, char** argv) {
  const int firstS = argc > 1 ? std::atoi(argv[1]) : 60;
  const int longS = argc > 2 ? std::atoi(argv[2]) : 600;
  if (firstS < 5 || (longS != 0 && longS <= firstS)) {
    std::cerr << "usage: bench_bridge [FIRST_S >= 5 [LONG_S > FIRST_S, or 0]]\n";
    return 2;
  }

  SimLineOptions options;
  options.addresses = {5};
  options.openPort = false;
  options.realTime = true;
  SimLine line(options);
  const std::string dir = line.home.Dir();
  MosquittoBroker broker(dir);
  broker.Start();
  MqttSubscriber sub(broker.Port(), "bench/vtq/live");

  ChildProcess bridge({RQ30CTL_PATH, "--port", "COM1", "--da", "5", "bridge", "--broker",
                       "mqtt://127.0.0.1:" + std::to_string(broker.Port()), "--topic", "bench/vtq",
                       "--interval", "1"},
                      dir + "/bridge.out", dir + "/bridge.err");
  if (!sub.WaitFor([](const auto& m) { return !m.empty(); }, std::chrono::seconds(10))) {
    std::cerr << "bench_bridge: no live message in 10 s\n";
    return 1;
  }
  const MqttClock::time_point start = MqttClock::now();
  const double cpuStart = CpuSeconds(bridge.Pid());
  const std::size_t countStart = LiveCount(sub);

  SleepUntil(start + std::chrono::seconds(firstS));
  const double cpu = CpuSeconds(bridge.Pid()) - cpuStart;
  const std::size_t samples = LiveCount(sub) - countStart;
  const double rssFirst = ResidentMb(bridge.Pid());
  std::printf("bridge_samples_in_%ds: %zu samples\n", firstS, samples);
  std::printf("bridge_cpu_per_sample: %.3f ms\n", samples ? cpu * 1000.0 / samples : 0.0);
  std::printf("bridge_cpu_share: %.3f %%\n", cpu * 100.0 / firstS);
  std::printf("bridge_resident_after_%ds: %.2f MB\n", firstS, rssFirst);
  std::fflush(stdout);

  if (longS) {
    SleepUntil(start + std::chrono::seconds(longS));
    const double rssLong = ResidentMb(bridge.Pid());
    const std::size_t all = LiveCount(sub) - countStart;
    std::printf("bridge_samples_in_%ds: %zu samples\n", longS, all);
    std::printf("bridge_resident_after_%ds: %.2f MB\n", longS, rssLong);
    std::printf("bridge_resident_growth: %.3f MB\n", rssLong - rssFirst);
  }
  bridge.Signal(SIGTERM);
  const int code = bridge.Wait(std::chrono::seconds(10));
  if (code != 0) std::cerr << "bench_bridge: bridge exited with " << code << "\n";
  return code == 0 ? 0 : 1;
}
