#include "line_chart.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "chart_render.h"

namespace rq30 {

LineChart::LineChart(QWidget* parent) : QWidget(parent) {
  // The chart paints every pixel itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
  setMouseTracking(true);  // the crosshair follows the cursor without a button held
}

void LineChart::AppendPoint(double x, double y, QRgb colour) {
  const ChartPoint point{x, y, colour};
  points_.PushBack(point);
  if (std::isfinite(x) && std::isfinite(y)) {
    if (haveLastX_ && x < lastX_) xAscending_ = false;
    lastX_ = x;
    haveLastX_ = true;
    range_.Extend(point);
  }
  update();
}

void LineChart::RemoveOldest() {
  if (points_.Empty()) return;
  const ChartPoint& oldest = points_.At(0);
  if (!(oldest.y > range_.yMin && oldest.y < range_.yMax)) yRangeValid_ = false;
  points_.PopFront();
  if (crosshair_ >= 0) --crosshair_;  // the same point, one place nearer the front
  update();
}

void LineChart::ClearPoints() {
  points_.Clear();
  range_ = DataRange();
  yRangeValid_ = true;
  xAscending_ = true;
  haveLastX_ = false;
  legendFirst_ = 0;
  view_.FollowNewest();
  crosshair_ = -1;
  update();
}

void LineChart::SetLegendVisible(bool visible) {
  legendVisible_ = visible;
  update();
}

void LineChart::SetLegendFirst(int index) {
  legendFirst_ = std::max(0, index);
  update();
}

int LineChart::LegendRows() const {
  if (legendRowsHeight_ != height()) {
    legendRows_ = LegendRowsFor(rect(), QFontMetricsF(font()), !title_.isEmpty());
    legendRowsHeight_ = height();
  }
  return legendRows_;
}

void LineChart::SetView3D(bool on) {
  style_.view3D = on;
  update();
}

void LineChart::SetPercent3D(int percent) {
  style_.percent3D = std::clamp(percent, 1, 100);
  update();
}

void LineChart::SetWallColour(const QColor& colour) {
  style_.wallColour = colour;
  update();
}

void LineChart::SetPanelColour(const QColor& colour) {
  style_.panelColour = colour;
  update();
}

void LineChart::SetStyle(const ChartStyle& style) {
  style_ = style;
  style_.percent3D = std::clamp(style.percent3D, 1, 100);
  update();
}

void LineChart::SetTitle(const QString& title) {
  title_ = title;
  legendRowsHeight_ = -1;
  update();
}

void LineChart::SetIntegralX(bool on) {
  integralX_ = on;
  update();
}

const DataRange& LineChart::Range() const {
  if (!xAscending_ || !yRangeValid_) {
    range_ = RangeOf(points_);
    yRangeValid_ = true;
    return range_;
  }
  auto finite = [](const ChartPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  const std::size_t n = points_.Size();
  std::size_t first = 0;
  while (first < n && !finite(points_.At(first))) ++first;
  std::size_t last = n;
  while (last > first && !finite(points_.At(last - 1))) --last;
  if (first == last) {
    range_ = DataRange();
  } else {
    range_.xMin = points_.At(first).x;
    range_.xMax = points_.At(last - 1).x;
  }
  return range_;
}

ChartContent LineChart::Content() const {
  ChartContent content;
  content.points = &points_;
  content.range = Range();
  content.style = style_;
  content.title = title_;
  content.legendVisible = legendVisible_;
  content.legendFirst = legendFirst_;
  content.integralX = integralX_;
  if (!view_.Following()) {
    const XWindow shown = view_.Shown(DataX());
    content.range.xMin = shown.low;
    content.range.xMax = shown.high;
    content.clipSeries = true;
    if (xAscending_) {
      // One point beyond each edge, so the line runs out of the window
      // instead of stopping short of it; the clip cuts it at the edge.
      auto below = [this](double x) {
        int lo = 0, hi = PointCount();
        while (lo < hi) {
          const int mid = lo + (hi - lo) / 2;
          if (points_.At(mid).x < x)
            lo = mid + 1;
          else
            hi = mid;
        }
        return lo;
      };
      content.first = static_cast<std::size_t>(std::max(0, below(shown.low) - 1));
      content.last = static_cast<std::size_t>(std::min(PointCount(), below(shown.high) + 2));
    }
  }
  return content;
}

void LineChart::Render(QPainter& painter, const QRect& target) {
  RenderChart(painter, target, Content(), font(), palette(), scratch_);
}

ChartLayout LineChart::LayoutFor(const QRect& target) const {
  return ComputeLayout(Content(), target, QFontMetricsF(font()), ChartLocale());
}

void LineChart::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) legendRowsHeight_ = -1;
  QWidget::changeEvent(event);
}

QString LineChart::AwayNote() const {
  if (FollowingNewest()) return QString();
  return QStringLiteral("Starší úsek – nové body jen v legendě. Klepnutím zpět na nejnovější.");
}

void LineChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, rect());
  if (crosshair_ >= 0) PaintCrosshair(painter, LayoutFor(rect()));
  // On the widget only, not in rendered pictures: new points arrive out of
  // sight while the operator looks at an older stretch.
  const QString note = AwayNote();
  if (!note.isEmpty()) {
    const ChartLayout layout = LayoutFor(rect());
    const QFontMetrics metrics(font());
    QRect box = metrics.boundingRect(note).adjusted(-4, -2, 4, 2);
    box.moveTopLeft(layout.front.topLeft().toPoint() + QPoint(4, 4));
    painter.fillRect(box, QColor(255, 255, 225, 230));
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box, Qt::AlignCenter, note);
  }
}

}  // namespace rq30
