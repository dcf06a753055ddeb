#include "chart_layout.h"

#include <algorithm>
#include <cmath>

namespace rq30 {

namespace {

constexpr double kMargin = 8.0;
constexpr double kTickLength = 4.0;
constexpr double kLegendPadding = 4.0;
constexpr double kSwatchSize = 10.0;
// Depth of the 3D view at 100 %, as a share of the smaller side of the
// plotting room: deep enough to read as a box, never so deep that the data
// area collapses.
constexpr double kFullDepthShare = 0.3;

double RowHeight(const QFontMetricsF& metrics) {
  return std::ceil(metrics.height()) + 2.0;
}

double TitleHeight(const QFontMetricsF& metrics, bool hasTitle) {
  return hasTitle ? metrics.height() + 4.0 : 0.0;
}

AxisMap MapOnto(const AxisScale& scale, double fromPx, double lengthPx) {
  // fromPx is where scale.low lands; a negative length runs upwards.
  AxisMap map;
  map.scale = lengthPx / (scale.high - scale.low);
  map.offset = fromPx - scale.low * map.scale;
  return map;
}

}  // namespace

DataRange RangeOf(const PointRing& points) {
  DataRange r;
  points.ForEach(0, points.Size(), [&r](const ChartPoint& p) { r.Extend(p); });
  return r;
}

QLocale ChartLocale() {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  return locale;
}

QString LegendText(double value, const QLocale& locale) {
  return locale.toString(value, 'g', 6);
}

QString TickText(double value, int decimals, const QLocale& locale) {
  return locale.toString(value, 'f', decimals);
}

int LegendRowsFor(const QRect& area, const QFontMetricsF& metrics, bool hasTitle) {
  const double room =
      area.height() - 2.0 * kMargin - TitleHeight(metrics, hasTitle) - 2.0 * kLegendPadding;
  return std::max(0, static_cast<int>(std::floor(room / RowHeight(metrics))));
}

ChartLayout ComputeLayout(const ChartContent& content, const QRect& area,
                          const QFontMetricsF& metrics, const QLocale& locale) {
  ChartLayout layout;
  layout.area = area;
  layout.rowHeight = RowHeight(metrics);
  const double lineHeight = metrics.height();
  const bool hasTitle = !content.title.isEmpty();

  double left = area.x() + kMargin;
  double right = area.x() + area.width() - kMargin;
  const double top = area.y() + kMargin + TitleHeight(metrics, hasTitle);
  const double bottom = area.y() + area.height() - kMargin;
  if (hasTitle) layout.title = QRectF(left, area.y() + kMargin, right - left, lineHeight);

  // Legend on the right: the newest points first.
  layout.legendRows = LegendRowsFor(area, metrics, hasTitle);
  const std::size_t count = content.points ? content.points->Size() : 0;
  if (content.legendVisible && count > 0 && layout.legendRows > 0) {
    const std::size_t first = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(content.legendFirst, 0)), count - 1);
    const std::size_t last = std::min(first + layout.legendRows, count);
    double textWidth = metrics.horizontalAdvance(locale.toString(-8888.88, 'f', 2));
    for (std::size_t i = last; i-- > first;) {
      const ChartPoint& p = content.points->At(i);
      layout.legendEntries.push_back({LegendText(p.y, locale), p.colour});
      textWidth = std::max(textWidth, metrics.horizontalAdvance(layout.legendEntries.back().text));
    }
    const double width = 3.0 * kLegendPadding + kSwatchSize + std::ceil(textWidth);
    const double height = layout.legendEntries.size() * layout.rowHeight + 2.0 * kLegendPadding;
    layout.legend = QRectF(right - width, top, width, height);
    right -= width + kMargin;
  }

  const DataRange& data = content.range;
  const double roomWidth = std::max(1.0, right - left);
  const double roomHeight = std::max(1.0, bottom - top);
  double depth = 0.0;
  if (content.style.view3D) {
    const int percent = std::clamp(content.style.percent3D, 1, 100);
    depth = std::round(percent / 100.0 * kFullDepthShare * std::min(roomWidth, roomHeight));
  }
  layout.depth = QPointF(depth, -depth);

  // Value axis first: its labels' width decides where the plotting area starts.
  const double labelDrop = std::max(kTickLength + 2.0, lineHeight / 2.0 + 2.0);
  const double plotTop = std::round(top + std::max(depth, lineHeight / 2.0));
  const double plotBottom = std::round(bottom - labelDrop - lineHeight);
  const double plotHeight = std::max(1.0, plotBottom - plotTop);

  AxisRequest yRequest;
  yRequest.dataMin = data.yMin;
  yRequest.dataMax = data.yMax;
  yRequest.lengthPx = plotHeight;
  yRequest.labelExtent = [lineHeight](double, int) { return lineHeight; };
  yRequest.gapPx = lineHeight;
  yRequest.extendToTicks = true;
  layout.y = ChooseScale(yRequest);

  double yLabelWidth = 0.0;
  for (double v : layout.y.ticks) {
    yLabelWidth =
        std::max(yLabelWidth, metrics.horizontalAdvance(TickText(v, layout.y.decimals, locale)));
  }
  const double plotLeft = std::round(left + std::ceil(yLabelWidth) + kTickLength + 3.0);
  // The last x label is centred on the right edge; in 3D the floor gives it room.
  double endLabelHalf = 0.0;
  if (data.xMax >= data.xMin) {
    endLabelHalf = metrics.horizontalAdvance(TickText(data.xMax, 0, locale)) / 2.0 + 2.0;
  }
  const double plotRight = std::round(right - std::max(depth, endLabelHalf));
  const double plotWidth = std::max(1.0, plotRight - plotLeft);

  AxisRequest xRequest;
  xRequest.dataMin = data.xMin;
  xRequest.dataMax = data.xMax;
  xRequest.lengthPx = plotWidth;
  xRequest.labelExtent = [&metrics, &locale](double v, int decimals) {
    return metrics.horizontalAdvance(TickText(v, decimals, locale));
  };
  xRequest.gapPx = 2.0 * metrics.averageCharWidth();
  xRequest.extendToTicks = false;
  xRequest.minimumStep = content.integralX ? 1.0 : 0.0;
  layout.x = ChooseScale(xRequest);

  layout.front = QRectF(plotLeft, plotTop, plotWidth, plotHeight);
  layout.mapX = MapOnto(layout.x, plotLeft, plotWidth);
  layout.mapY = MapOnto(layout.y, plotTop + plotHeight, -plotHeight);
  return layout;
}

}  // namespace rq30
