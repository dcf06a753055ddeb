// A week of one-second records in the measurement log: what the list costs
// in memory, how long appending takes, and how long writing the whole file
// takes (it is rewritten as a whole on every save).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "measurement_log.h"

namespace {

using Clock = std::chrono::steady_clock;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 16, '\n');
  }
  return -1;
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  constexpr int kRecords = 7 * 24 * 3600;  // 604,800
  const long before = ResidentKb();
  const auto appendStart = Clock::now();
  rq30::MeasurementLog log;
  log.AppendHeader("6.12.2026", "9:05:07");
  char time[16];
  for (int i = 0; i < kRecords; ++i) {
    std::snprintf(time, sizeof time, "%d:%02d:%02d", (9 + i / 3600) % 24, i / 60 % 60, i % 60);
    log.Append(rq30::RecordLine("21,50", "55,00", "52,3", "není porucha", time, "6.12.2026"));
  }
  const double appendSeconds = Seconds(appendStart);
  const long after = ResidentKb();

  char dir[] = "/tmp/rq30-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string path = std::string(dir) + "/zaznam.txt";
  std::vector<double> writes;
  for (int i = 0; i < 7; ++i) {
    const auto start = Clock::now();
    log.WriteTo(path);
    writes.push_back(Seconds(start));
  }
  std::sort(writes.begin(), writes.end());
  std::remove(path.c_str());
  rmdir(dir);

  std::printf("log_records: %zu lines\n", log.LineCount());
  std::printf("log_file_size: %.1f MB\n", log.Contents().size() / 1e6);
  std::printf("log_list_resident: %.1f MB\n", (after - before) / 1024.0);
  std::printf("log_append_total: %.3f s\n", appendSeconds);
  std::printf("log_append_per_record: %.3f us\n", appendSeconds / kRecords * 1e6);
  std::printf("log_write_median: %.3f s\n", writes[writes.size() / 2]);
  std::printf("log_write_max: %.3f s\n", writes.back());
  return 0;
}
