// Painting a long live series: our chart, flat and in 3D, against
// QCustomPlot 2.1 with its adaptive sampling, all painting the same 100,000
// points into the same 1200 x 600 image, interleaved in one run so that the
// machine's load hits all three alike. Then AddChartPoint at the point limit,
// which must not depend on how many points the chart keeps.
#include <qcustomplot.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include "line_chart.h"
#include "live_series.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kRounds = 60;
const QSize kImageSize(1200, 600);

// A temperature as a controller reports it: a slow drift, a control ripple
// and measurement noise, in single precision.
std::vector<double> LiveLikeValues() {
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0.0, 0.15);
  std::vector<double> values(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    const double v = 21.5 + 3.0 * std::sin(i / 2000.0) + 0.8 * std::sin(i / 170.0) + noise(random);
    values[i] = static_cast<float>(v);
  }
  return values;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The calling thread's CPU time: the build machine is shared, and wall time
// would count the time other processes had the core.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Timing {
  double wallMs;
  double cpuMs;
};

Timing Time(const std::function<void()>& work) {
  QElapsedTimer timer;
  const double cpuStart = ThreadCpuMs();
  timer.start();
  work();
  return {timer.nsecsElapsed() / 1e6, ThreadCpuMs() - cpuStart};
}

// Mean CPU time of one AddChartPoint on a chart that already holds limit + 1
// points, over a million additions.
double AddAtLimitUs(int limit) {
  rq30::LineChart chart;
  chart.resize(kImageSize);
  chart.show();  // a visible chart: every addition asks for a repaint
  rq30::LiveSeries live(chart);
  rq30::ChartLook look;
  look.pointLimit = limit;
  live.SetLook(look);
  for (int i = 0; i <= limit; ++i) live.AddChartPoint(i % 100);
  constexpr int kAdditions = 1000000;
  const double ms = Time([&] {
                      for (int i = 0; i < kAdditions; ++i) live.AddChartPoint(i % 100);
                    }).cpuMs;
  return ms * 1000.0 / kAdditions;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
  const std::vector<double> values = LiveLikeValues();
  QImage image(kImageSize, QImage::Format_ARGB32_Premultiplied);

  // Our chart, filled the way the main window fills it (legend following).
  rq30::LineChart chart;
  chart.resize(kImageSize);
  rq30::LiveSeries live(chart);
  rq30::ChartLook look;
  look.pointLimit = kPoints;
  live.SetLook(look);
  for (double v : values) live.AddChartPoint(v);

  QCustomPlot plot;
  plot.resize(kImageSize);
  QCPGraph* graph = plot.addGraph();
  QVector<double> xs(kPoints), ys(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    xs[i] = i + 1;
    ys[i] = values[i];
  }
  graph->setData(xs, ys, true);
  graph->setPen(QPen(Qt::red));
  graph->setAdaptiveSampling(true);  // its default, stated for the record
  plot.legend->setVisible(true);
  plot.rescaleAxes();

  // Live-like: every paint follows a new sample at the point limit, for both
  // charts. QCustomPlot's axes are rescaled untimed before its paint (its
  // rescale scans all points; ours keeps its range on the way).
  int nextOurs = 0;
  auto addOurs = [&] { live.AddChartPoint(values[nextOurs++ % kPoints]); };
  int nextTheirs = kPoints;  // keys 1..kPoints are in; keep kPoints + 1 like ours
  auto addTheirs = [&] {
    const double key = ++nextTheirs;
    graph->addData(key, values[nextTheirs % kPoints]);
    graph->data()->removeBefore(key - kPoints);
  };
  auto paintOurs = [&](bool view3D) {
    chart.SetView3D(view3D);
    addOurs();
    return Time([&] {
      QPainter painter(&image);
      chart.Render(painter, image.rect());
    });
  };
  double rescaleMs = 0.0;
  auto paintTheirs = [&] {
    addTheirs();
    rescaleMs = Time([&] { plot.rescaleAxes(); }).cpuMs;
    return Time([&] {
      QCPPainter painter(&image);
      plot.toPainter(&painter, kImageSize.width(), kImageSize.height());
    });
  };

  for (int i = 0; i < 3; ++i) {  // warm caches and glyphs
    paintOurs(false);
    paintOurs(true);
    paintTheirs();
  }
  std::vector<double> flatCpu, deepCpu, theirCpu, flatWall, deepWall, theirWall, rescales;
  for (int round = 0; round < kRounds; ++round) {
    const Timing flat = paintOurs(false);
    const Timing deep = paintOurs(true);
    const Timing theirs = paintTheirs();
    flatCpu.push_back(flat.cpuMs);
    deepCpu.push_back(deep.cpuMs);
    theirCpu.push_back(theirs.cpuMs);
    flatWall.push_back(flat.wallMs);
    deepWall.push_back(deep.wallMs);
    theirWall.push_back(theirs.wallMs);
    rescales.push_back(rescaleMs);
  }
  const double flatMs = Median(flatCpu);
  const double deepMs = Median(deepCpu);
  const double theirMs = Median(theirCpu);

  std::printf("chart_points: %d points\n", chart.PointCount());
  std::printf("qcustomplot_points: %d points\n", graph->dataCount());
  std::printf("chart_image: %dx%d px\n", kImageSize.width(), kImageSize.height());
  std::printf("chart_flat_paint_cpu_median: %.3f ms\n", flatMs);
  std::printf("chart_3d_paint_cpu_median: %.3f ms\n", deepMs);
  std::printf("qcustomplot_paint_cpu_median: %.3f ms\n", theirMs);
  std::printf("chart_flat_paint_wall_median: %.3f ms\n", Median(flatWall));
  std::printf("chart_3d_paint_wall_median: %.3f ms\n", Median(deepWall));
  std::printf("qcustomplot_paint_wall_median: %.3f ms\n", Median(theirWall));
  std::printf("qcustomplot_rescale_cpu_median: %.3f ms\n", Median(rescales));
  std::printf("chart_flat_to_qcustomplot: %.2f ratio\n", flatMs / theirMs);
  std::printf("chart_3d_to_qcustomplot: %.2f ratio\n", deepMs / theirMs);
  std::printf("add_chart_point_at_limit_200: %.3f us\n", AddAtLimitUs(200));
  std::printf("add_chart_point_at_limit_100000: %.3f us\n", AddAtLimitUs(kPoints));
  return 0;
}
