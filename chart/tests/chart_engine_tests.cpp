// The data side of the chart engine: the ring of points, the axis scales,
// the reduction to pixel columns and the layout of labels and legend.
#include <QApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <map>

#include "axis_scale.h"
#include "chart_layout.h"
#include "column_reducer.h"
#include "line_chart.h"
#include "point_ring.h"

using rq30::AxisRequest;
using rq30::AxisScale;
using rq30::ChartLayout;
using rq30::LineChart;
using rq30::PointRing;

class ChartEngineTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // Growth and wrap-around must keep the order oldest-first: the buffer
  // grows while its head is in the middle of it.
  void ring_keepsOrderAcrossWrapAndGrowth() {
    PointRing ring;
    double next = 0;
    double oldest = 0;
    for (int round = 0; round < 6; ++round) {
      for (int i = 0; i < 23 + round * 7; ++i) ring.PushBack({next++, 0.0, 0});
      for (int i = 0; i < 17; ++i) {
        ring.PopFront();
        ++oldest;
      }
      QCOMPARE(ring.Size(), static_cast<std::size_t>(next - oldest));
      for (std::size_t i = 0; i < ring.Size(); ++i) QCOMPARE(ring.At(i).x, oldest + i);
      std::vector<double> seen;
      ring.ForEach(0, ring.Size(), [&](const rq30::ChartPoint& p) { seen.push_back(p.x); });
      QCOMPARE(seen.size(), ring.Size());
      for (std::size_t i = 0; i < seen.size(); ++i) QCOMPARE(seen[i], oldest + i);
    }
    ring.Clear();
    ring.PopFront();  // on an empty ring: nothing
    QCOMPARE(ring.Size(), std::size_t{0});
    ring.PushBack({7.0, 1.0, 0});
    QCOMPARE(ring.At(0).x, 7.0);
  }

  void scale_roundTicksThatFit_data() {
    QTest::addColumn<double>("dataMin");
    QTest::addColumn<double>("dataMax");
    QTest::addColumn<double>("length");
    QTest::addColumn<bool>("extend");
    QTest::addColumn<double>("minimumStep");
    QTest::newRow("demo values") << 0.0 << 99.0 << 400.0 << true << 0.0;
    QTest::newRow("terminal temperature") << 21.01 << 21.1 << 300.0 << true << 0.0;
    QTest::newRow("around zero") << -0.5 << 0.7 << 250.0 << true << 0.0;
    QTest::newRow("negative") << -273.15 << -12.0 << 180.0 << true << 0.0;
    QTest::newRow("constant") << 42.0 << 42.0 << 300.0 << true << 0.0;
    QTest::newRow("large and narrow") << 1e6 << 1e6 + 3 << 300.0 << true << 0.0;
    QTest::newRow("huge") << -3e38 << 3e38 << 300.0 << true << 0.0;
    QTest::newRow("far from zero") << 1e20 << 1e20 + 1e5 << 300.0 << false << 0.0;
    QTest::newRow("far from zero, whole steps") << 1e17 << 1e17 + 4096 << 1200.0 << false << 1.0;
    QTest::newRow("sample numbers") << 1.0 << 201.0 << 900.0 << false << 1.0;
    QTest::newRow("few sample numbers") << 1.0 << 3.0 << 900.0 << false << 1.0;
    QTest::newRow("long run") << 9800001.0 << 9900001.0 << 1100.0 << false << 1.0;
    QTest::newRow("short axis") << 0.0 << 1000.0 << 30.0 << true << 0.0;
  }

  // Whatever the data: ticks are multiples of a 1-2-5 step inside the axis
  // range, labels 40 px wide keep their gap, the range covers the data, and
  // whole-number axes never get fractional steps.
  void scale_roundTicksThatFit() {
    QFETCH(double, dataMin);
    QFETCH(double, dataMax);
    QFETCH(double, length);
    QFETCH(bool, extend);
    QFETCH(double, minimumStep);
    AxisRequest request;
    request.dataMin = dataMin;
    request.dataMax = dataMax;
    request.lengthPx = length;
    request.labelExtent = [](double, int) { return 40.0; };
    request.gapPx = 8.0;
    request.extendToTicks = extend;
    request.minimumStep = minimumStep;
    const AxisScale s = rq30::ChooseScale(request);

    QVERIFY(s.high > s.low);
    QVERIFY(s.low <= dataMin && s.high >= dataMax);
    QVERIFY2(!s.ticks.empty() || length < 48.0, "an axis with room shows ticks");
    if (s.ticks.empty()) return;
    QVERIFY(s.step >= minimumStep);
    const double mantissa = s.step / std::pow(10.0, std::floor(std::log10(s.step) + 1e-9));
    QVERIFY2(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                 std::fabs(mantissa - 5) < 1e-6,
             qPrintable(QString::number(s.step)));
    QVERIFY(length * s.step / (s.high - s.low) >= 48.0);
    // Not needlessly sparse: the next finer 1-2-5 step would not have fitted.
    const double finer = std::fabs(mantissa - 1) < 1e-6 ? s.step / 2 : s.step * 0.4;
    if (finer >= minimumStep && !extend) QVERIFY(length * finer / (s.high - s.low) < 48.0);
    for (double t : s.ticks) {
      QVERIFY(t >= s.low - s.step * 1e-9 && t <= s.high + s.step * 1e-9);
      const double k = t / s.step;
      QVERIFY(std::fabs(k - std::round(k)) < 1e-6);
      QVERIFY(!(t == 0.0 && std::signbit(t)));
    }
    if (extend) {  // a value axis starts and ends on a tick
      QCOMPARE(s.ticks.front(), s.low);
      QVERIFY(std::fabs(s.ticks.back() - s.high) <= s.step * 1e-9);
    }
  }

  void scale_withoutDataHasNoTicks() {
    AxisRequest request;
    request.lengthPx = 300;
    QVERIFY(rq30::ChooseScale(request).ticks.empty());
    request.dataMin = 0;
    request.dataMax = std::nan("");
    QVERIFY(rq30::ChooseScale(request).ticks.empty());
  }

  // Every column keeps its first, lowest, highest and last point in the
  // original order; columns with few points keep them all.
  void reducer_keepsColumnExtremesInOrder() {
    PointRing ring;
    QRandomGenerator random(7);
    const int count = 20000;
    for (int i = 0; i < count; ++i) {
      const double y = (i % 3000 < 10) ? 0.0 : random.bounded(1000.0);  // some quiet spans
      ring.PushBack({double(i), y, i < count / 2 ? 0xffff0000u : 0xff0000ffu});
    }
    ring.PushBack({double(count), std::nan(""), 0});
    const rq30::AxisMap mapX{0.0, 0.05};  // 20 points per pixel column
    const rq30::AxisMap mapY{500.0, -0.5};
    rq30::ScreenSeries reduced;
    rq30::ReduceByColumn(ring, mapX, mapY, reduced);

    QCOMPARE(reduced.points.size(), reduced.colours.size());
    QVERIFY(reduced.points.size() <= 4 * 1000);
    std::map<int, std::vector<double>> all, kept;
    for (int i = 0; i < count; ++i) all[int(std::floor(mapX(i)))].push_back(mapY(ring.At(i).y));
    for (std::size_t i = 0; i < reduced.points.size(); ++i) {
      if (i > 0) QVERIFY(reduced.points[i].x() > reduced.points[i - 1].x());
      kept[int(std::floor(reduced.points[i].x()))].push_back(reduced.points[i].y());
    }
    QCOMPARE(kept.size(), all.size());
    for (const auto& [column, ys] : all) {
      const auto& k = kept[column];
      QCOMPARE(k.front(), ys.front());
      QCOMPARE(k.back(), ys.back());
      QCOMPARE(*std::min_element(k.begin(), k.end()), *std::min_element(ys.begin(), ys.end()));
      QCOMPARE(*std::max_element(k.begin(), k.end()), *std::max_element(ys.begin(), ys.end()));
    }
    // The colour change at the middle survives the reduction.
    QCOMPARE(reduced.colours.front(), 0xffff0000u);
    QCOMPARE(reduced.colours.back(), 0xff0000ffu);

    PointRing sparse;
    for (int i = 0; i < 50; ++i) sparse.PushBack({double(i), double(i % 7), 0});
    rq30::ReduceByColumn(sparse, rq30::AxisMap{0.0, 10.0}, mapY, reduced);
    QCOMPARE(reduced.points.size(), std::size_t{50});
  }

  void layout_labelsNeverOverlap_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("points");
    QTest::addColumn<double>("firstX");
    QTest::addColumn<bool>("view3D");
    QTest::newRow("main window, a minute") << 700 << 330 << 60 << 1.0 << false;
    QTest::newRow("main window, a minute, 3D") << 700 << 330 << 60 << 1.0 << true;
    QTest::newRow("large, long run, 3D") << 1600 << 900 << 100001 << 9000000.0 << true;
    QTest::newRow("narrow") << 220 << 160 << 201 << 1.0 << false;
    QTest::newRow("one point") << 700 << 330 << 1 << 1.0 << true;
  }

  // Tick labels of one axis never touch each other nor leave the chart, and
  // the plotting area stays clear of the legend.
  void layout_labelsNeverOverlap() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, points);
    QFETCH(double, firstX);
    QFETCH(bool, view3D);
    LineChart chart;
    chart.SetIntegralX(true);
    chart.SetView3D(view3D);
    chart.SetPercent3D(35);
    for (int i = 0; i < points; ++i)
      chart.AppendPoint(firstX + i, 20.0 + 5.0 * std::sin(i / 9.0), 0xffff0000u);
    const QRect area(0, 0, width, height);
    const ChartLayout layout = chart.LayoutFor(area);
    const QFontMetricsF metrics(chart.font());
    const QLocale locale = rq30::ChartLocale();

    QVERIFY(layout.x.ticks.size() >= 2);
    QVERIFY(layout.y.ticks.size() >= 2);
    QRectF previous;
    for (double v : layout.x.ticks) {
      const QString text = rq30::TickText(v, layout.x.decimals, locale);
      const double w = metrics.horizontalAdvance(text);
      const QRectF label(layout.mapX(v) - w / 2, 0, w, 10);
      QVERIFY2(previous.isNull() || label.left() > previous.right() + 4, qPrintable(text));
      QVERIFY(label.left() >= area.left() && label.right() <= area.right());
      previous = label;
    }
    for (std::size_t i = 1; i < layout.y.ticks.size(); ++i) {
      const double gap = layout.mapY(layout.y.ticks[i - 1]) - layout.mapY(layout.y.ticks[i]);
      QVERIFY(gap >= metrics.height() + 2);
    }
    QVERIFY(area.contains(layout.front.toRect()));
    QVERIFY(area.contains(layout.BackWall().toRect()));
    if (!layout.legend.isEmpty()) {
      QVERIFY(layout.BackWall().right() < layout.legend.left());
      QVERIFY(layout.front.right() + std::max(0.0, layout.depth.x()) < layout.legend.left());
    }
    // The data fill the box: the newest point sits on the right edge.
    if (points > 1)
      QCOMPARE(layout.mapX(chart.PointAt(chart.PointCount() - 1).x), layout.front.right());
  }

  // The legend lists from its first point on, newest at the top, in the
  // locale's format, and only as many rows as fit.
  void layout_legendListsNewestFirst() {
    LineChart chart;
    chart.resize(600, 300);
    for (int i = 1; i <= 100; ++i) chart.AppendPoint(i, i + 0.5, 0xff000000u + i);
    const int rows = chart.LegendRows();
    QVERIFY(rows > 5 && rows < 100);
    chart.SetLegendFirst(100 - rows);
    ChartLayout layout = chart.LayoutFor(chart.rect());
    QCOMPARE(int(layout.legendEntries.size()), rows);
    QCOMPARE(layout.legendEntries.front().text, QString("100,5"));
    QCOMPARE(layout.legendEntries.front().colour, 0xff000000u + 100);
    QCOMPARE(layout.legendEntries.back().text, QString::number(100 - rows + 1) + ",5");
    QVERIFY(layout.legend.bottom() <= 300);

    chart.SetLegendFirst(5000);  // stale: the last point only
    layout = chart.LayoutFor(chart.rect());
    QCOMPARE(int(layout.legendEntries.size()), 1);
    chart.ClearPoints();
    QCOMPARE(chart.LegendFirst(), 0);
    QVERIFY(chart.LayoutFor(chart.rect()).legendEntries.empty());

    chart.resize(600, 600);  // a taller chart has more rows
    const int tallRows = chart.LegendRows();
    QVERIFY(tallRows > rows);
    QFont bigger = chart.font();  // a larger font, fewer
    bigger.setPointSizeF(bigger.pointSizeF() * 2);
    chart.setFont(bigger);
    QVERIFY(chart.LegendRows() < tallRows);
  }

  // The chart keeps its data range on the way instead of scanning all points
  // on every paint. Whatever the appends (some out of order, some not a
  // number), removals and clears, its axes are those of a chart built afresh
  // from the same points.
  void range_matchesAFreshChart() {
    LineChart chart;
    QRandomGenerator random(11);
    double x = 0;
    const QRect area(0, 0, 700, 330);
    for (int step = 0; step < 4000; ++step) {
      const int op = random.bounded(100);
      if (op < 60) {
        x += random.bounded(3);
        if (random.bounded(300) == 0) x -= 40;
        const double y = random.bounded(60) == 0 ? std::nan("") : random.bounded(200.0) - 100;
        chart.AppendPoint(x, y, 0);
      } else if (op < 99) {
        chart.RemoveOldest();
      } else {
        chart.ClearPoints();
      }
      if (step % 5 != 0) continue;
      LineChart fresh;
      for (int i = 0; i < chart.PointCount(); ++i) {
        const rq30::ChartPoint& p = chart.PointAt(i);
        fresh.AppendPoint(p.x, p.y, p.colour);
      }
      const ChartLayout kept = chart.LayoutFor(area);
      const ChartLayout scanned = fresh.LayoutFor(area);
      const QString where = QString("step %1").arg(step);
      QVERIFY2(kept.x.low == scanned.x.low && kept.x.high == scanned.x.high, qPrintable(where));
      QVERIFY2(kept.y.low == scanned.y.low && kept.y.high == scanned.y.high, qPrintable(where));
    }
  }

  // Depth grows with the percentage and is gone in the flat view.
  void layout_depthFollowsPercentage() {
    LineChart chart;
    chart.AppendPoint(1, 1, 0);
    chart.AppendPoint(2, 3, 0);
    const QRect area(0, 0, 800, 400);
    double previous = 0;
    for (int percent : {1, 15, 35, 70, 100}) {
      chart.SetView3D(true);
      chart.SetPercent3D(percent);
      const double depth = chart.LayoutFor(area).depth.x();
      QVERIFY2(depth > previous || (percent == 1 && depth >= 0),
               qPrintable(QString::number(percent)));
      QCOMPARE(chart.LayoutFor(area).depth.y(), -depth);
      previous = depth;
    }
    QVERIFY(previous < 200);
    chart.SetView3D(false);
    QVERIFY(chart.LayoutFor(area).depth.isNull());
  }
};

QTEST_MAIN(ChartEngineTests)
#include "chart_engine_tests.moc"
