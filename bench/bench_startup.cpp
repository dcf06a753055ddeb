// Start-up to a shown main window: the program's nine windows created in
// their order, the stored port opened (the simulator mapped to COM1 in a
// private configuration folder), and the main window's first paint.
//
// Without arguments it starts itself seven times and prints the median;
// with --once it measures one start and prints milliseconds.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QEvent>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "application.h"
#include "program_windows.h"
#include "sim_line.h"

namespace {

using Clock = std::chrono::steady_clock;

class FirstPaint : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// Milliseconds since the process started, from the kernel's start time.
double SinceProcessStart() {
  FILE* f = fopen("/proc/self/stat", "r");
  if (!f) return -1;
  char buffer[1024];
  const size_t n = fread(buffer, 1, sizeof buffer - 1, f);
  fclose(f);
  buffer[n] = 0;
  const char* p = strrchr(buffer, ')');
  if (!p) return -1;
  unsigned long long start = 0;
  int field = 2;
  for (const char* q = p + 1; *q && field < 22; ++q) {
    if (*q == ' ') {
      ++field;
      if (field == 22) sscanf(q + 1, "%llu", &start);
    }
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  return (now.tv_sec + now.tv_nsec / 1e9 - start / ticks) * 1000.0;
}

int Once(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  rq30::testing::SimLineOptions options;
  options.openPort = false;
  rq30::testing::SimLine line(options);  // maps COM1 in a private folder

  const auto start = Clock::now();
  Application app(argc, argv);
  QLocale::setDefault(QLocale::system());
  rq30::TableImage image{};
  rq30::Link link(image);
  ProgramWindows windows(image, link);
  FirstPaint paint;
  windows.main.installEventFilter(&paint);
  windows.main.show();
  while (!paint.painted) app.processEvents(QEventLoop::AllEvents, 10);
  const double inProcess = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  printf("%.2f %.2f %d\n", inProcess, SinceProcessStart(), windows.port.Port().IsOpen() ? 1 : 0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--once") return Once(argc, argv);
  std::vector<double> inProcess, whole;
  for (int run = 0; run < 7; ++run) {
    const std::string command = std::string("\"") + argv[0] + "\" --once 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    double a = 0, b = 0;
    int open = 0;
    if (!child || fscanf(child, "%lf %lf %d", &a, &b, &open) != 3 || pclose(child) != 0 || !open) {
      fprintf(stderr, "run %d failed\n", run);
      return 1;
    }
    inProcess.push_back(a);
    whole.push_back(b);
  }
  std::sort(inProcess.begin(), inProcess.end());
  std::sort(whole.begin(), whole.end());
  printf("startup_windows_to_first_paint_median: %.1f ms\n", inProcess[3]);
  printf("startup_process_start_to_first_paint_median: %.1f ms\n", whole[3]);
  printf("startup_process_start_to_first_paint_max: %.1f ms\n", whole.back());
  return 0;
}
