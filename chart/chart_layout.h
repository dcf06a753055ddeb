// Where everything of a chart goes inside a target rectangle: computed from
// the rectangle, the font and the data alone, so a widget, an image and a
// test all get the same geometry.
#pragma once

#include <QFontMetricsF>
#include <QLocale>
#include <QRect>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "axis_scale.h"
#include "chart_style.h"
#include "column_reducer.h"
#include "point_ring.h"

namespace rq30 {

// The finite data's extent; min > max when there is none.
struct DataRange {
  double xMin = std::numeric_limits<double>::infinity();
  double xMax = -std::numeric_limits<double>::infinity();
  double yMin = std::numeric_limits<double>::infinity();
  double yMax = -std::numeric_limits<double>::infinity();

  void Extend(const ChartPoint& p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    xMin = std::min(xMin, p.x);
    xMax = std::max(xMax, p.x);
    yMin = std::min(yMin, p.y);
    yMax = std::max(yMax, p.y);
  }
};

DataRange RangeOf(const PointRing& points);

// What a chart shows, borrowed from the widget for one paint.
struct ChartContent {
  const PointRing* points = nullptr;
  DataRange range;  // of *points
  ChartStyle style;
  QString title;
  bool legendVisible = true;
  int legendFirst = 0;  // index of the oldest point the legend lists
  bool integralX = false;
  // A zoomed view paints only the points [first, last) of *points, with
  // range.x set to its window, and keeps the series inside the plotting area.
  std::size_t first = 0;
  std::size_t last = static_cast<std::size_t>(-1);
  bool clipSeries = false;
};

struct LegendEntry {
  QString text;
  QRgb colour;
};

struct ChartLayout {
  QRect area;
  QRectF title;   // empty without a title
  QRectF front;   // the plotting area; in 3D its front face
  QPointF depth;  // from the front face to the back wall; (0, 0) when flat
  AxisScale x;
  AxisScale y;
  AxisMap mapX;  // data -> pixels on the front face
  AxisMap mapY;
  QRectF legend;                           // empty when there is no legend
  int legendRows = 0;                      // rows the legend has room for
  std::vector<LegendEntry> legendEntries;  // newest first
  double rowHeight = 0.0;

  QRectF BackWall() const { return front.translated(depth); }
};

// The default locale without digit grouping: axis labels stay short.
QLocale ChartLocale();

// Text of a value in the legend: up to six significant digits (what a
// single-precision measurement carries), the locale's separator.
QString LegendText(double value, const QLocale& locale);
// Text of a tick value with the decimals its axis step needs.
QString TickText(double value, int decimals, const QLocale& locale);

// Legend rows that fit into `area`; depends on the size and font only, not
// on the data, so it is cheap enough to ask on every new point.
int LegendRowsFor(const QRect& area, const QFontMetricsF& metrics, bool hasTitle);

// `locale` writes the numbers; pass ChartLocale().
ChartLayout ComputeLayout(const ChartContent& content, const QRect& area,
                          const QFontMetricsF& metrics, const QLocale& locale);

}  // namespace rq30
