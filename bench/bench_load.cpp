// The whole parameter load of firmware 3 against a simulated controller
// that answers at once, compared with the sum of the load's fixed pauses
// (10 ms after each table, 100 ms between the program blocks): with the
// controller out of the way, the pauses are all the load should cost.
//
// Measured twice: the load sequence alone, and the loading window shown
// modally on its 5 ms start timer (offscreen), as the menu item runs it.
// Pauses are real sleeps, the link's own included; each figure is the
// median of seven loads.
//
// The identification is measured on its own as well: its two replies have
// no fixed length; the link reads each as its length bytes and then the
// rest they announce, so no read waits out the line's 100 ms gap.
#include <stdlib.h>

#include <QApplication>
#include <QLocale>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "load_form.h"
#include "load_sequence.h"
#include "sim_line.h"
#include "unitmenumod.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 7;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
  double medianMs = 0;
  int pausesMs = 0;  // the fixed pauses of one load
  int failures = 0;
};

// Runs `load` kRuns times; `pausedMs` is what the load's pauses added up to.
Figures Measure(const std::function<int()>& load, int& pausedMs) {
  Figures f;
  std::vector<double> runs;
  for (int i = 0; i < kRuns; ++i) {
    pausedMs = 0;
    const auto start = Clock::now();
    if (load() != 3) ++f.failures;
    runs.push_back(Ms(Clock::now() - start));
    f.pausesMs = pausedMs;
  }
  f.medianMs = Median(runs);
  return f;
}

// The loading window starts the load from a 5 ms one-shot timer once it is
// painted: one more fixed wait of the window, not of the load.
constexpr int kWindowStartTimerMs = 5;

void Print(const char* name, const Figures& f, int extraFixedMs = 0) {
  std::printf("%s_median: %.1f ms\n", name, f.medianMs);
  std::printf("%s_over_pauses: %.1f %%\n", name, 100.0 * (f.medianMs - f.pausesMs) / f.pausesMs);
  if (extraFixedMs > 0) {
    const int bound = f.pausesMs + extraFixedMs;
    std::printf("%s_over_pauses_and_start_timer: %.1f %%\n", name,
                100.0 * (f.medianMs - bound) / bound);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));

  rq30::testing::SimLine line;
  line.link.SetPause(nullptr);  // the link sleeps its own pauses, if any
  int pausedMs = 0;
  auto sleep = [&pausedMs](int ms) {
    pausedMs += ms;
    QThread::msleep(static_cast<unsigned long>(ms));
  };

  rq30::paramset::LoadHooks hooks;
  hooks.pause = sleep;
  rq30::paramset::LoadParameterSet(line.link, hooks);  // warm up
  line.ClearRequests();
  rq30::paramset::LoadParameterSet(line.link, hooks);
  const std::size_t exchanges = line.Requests().size();

  const Figures ident =
      Measure([&] { return rq30::paramset::Identify(line.link, hooks); }, pausedMs);

  const Figures sequence =
      Measure([&] { return rq30::paramset::LoadParameterSet(line.link, hooks); }, pausedMs);

  Tmenu_mod editor(line.image, line.link);
  Tload_form loader(line.image, line.link, editor);
  loader.SetPause(sleep);
  const Figures window = Measure(
      [&] {
        loader.exec();
        return loader.FirmwareVariant();
      },
      pausedMs);

  std::printf("load_v3_exchanges: %zu\n", exchanges);
  std::printf("load_v3_fixed_pauses: %d ms\n", sequence.pausesMs);
  std::printf("load_v3_identification_median: %.2f ms\n", ident.medianMs);
  Print("load_v3_sequence", sequence);
  Print("load_v3_window", window, kWindowStartTimerMs);
  const int failures = ident.failures + sequence.failures + window.failures;
  std::printf("failed_loads: %d\n", failures);
  return failures == 0 ? 0 : 1;
}
