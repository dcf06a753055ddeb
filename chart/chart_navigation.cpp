// The operator's mouse on the chart: zoom and pan of the time axis, the
// crosshair readout, and the return to following the newest points. Part of
// LineChart; painting stays one render plus, at most, two lines and a label.
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "line_chart.h"

namespace rq30 {

namespace {

// One wheel notch (120 eighths of a degree) narrows the window by a fifth.
constexpr double kZoomPerNotch = 0.8;

double DataXAt(const ChartLayout& layout, double px) {
  return layout.mapX.scale != 0.0 ? (px - layout.mapX.offset) / layout.mapX.scale : 0.0;
}

}  // namespace

XWindow LineChart::DataX() const {
  const DataRange& range = Range();
  return XWindow{range.xMin, range.xMax};
}

XWindow LineChart::ShownX() const {
  return view_.Shown(DataX());
}

void LineChart::FollowNewest() {
  view_.FollowNewest();
  update();
}

int LineChart::NearestIndex(double x) const {
  int best = -1;
  double bestDistance = 0.0;
  const auto consider = [&](int i) {
    if (i < 0 || i >= PointCount()) return;
    const ChartPoint& p = points_.At(i);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    const double distance = std::abs(p.x - x);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  };
  if (xAscending_) {
    int lo = 0, hi = PointCount();
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (points_.At(mid).x < x) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    consider(lo - 1);
    consider(lo);
  } else {
    for (int i = 0; i < PointCount(); ++i) consider(i);
  }
  return best;
}

QString LineChart::CrosshairText() const {
  if (crosshair_ < 0 || crosshair_ >= PointCount()) return QString();
  const ChartPoint& p = points_.At(crosshair_);
  const QLocale locale = ChartLocale();
  return QStringLiteral("vzorek %1: %2")
      .arg(locale.toString(p.x, 'g', 10), LegendText(p.y, locale));
}

void LineChart::TrackCrosshair(const QPointF& position) {
  const ChartLayout layout = LayoutFor(rect());
  int index = -1;
  if (layout.front.contains(position)) {
    index = NearestIndex(DataXAt(layout, position.x()));
    // A point outside the window is not "under the cursor".
    if (index >= 0) {
      const XWindow shown = ShownX();
      const double x = points_.At(index).x;
      if (x < std::min(shown.low, layout.x.low) || x > std::max(shown.high, layout.x.high)) {
        index = -1;
      }
    }
  }
  if (index != crosshair_) {
    crosshair_ = index;
    update();
  }
}

void LineChart::PaintCrosshair(QPainter& painter, const ChartLayout& layout) {
  if (crosshair_ >= PointCount()) return;
  const ChartPoint& p = points_.At(crosshair_);
  const QPointF at(layout.mapX(p.x), layout.mapY(p.y));
  if (!layout.front.contains(at)) return;
  const QColor text = palette().color(QPalette::WindowText);
  QPen pen(text, 1.0, Qt::DashLine);
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.drawLine(QPointF(at.x(), layout.front.top()), QPointF(at.x(), layout.front.bottom()));
  painter.drawLine(QPointF(layout.front.left(), at.y()), QPointF(layout.front.right(), at.y()));

  // The readout sits beside the point, inside the plotting area.
  const QString label = CrosshairText();
  const QFontMetricsF metrics(font());
  QRectF box(0, 0, metrics.horizontalAdvance(label) + 8.0, metrics.height() + 4.0);
  box.moveBottomLeft(at + QPointF(6.0, -6.0));
  if (box.right() > layout.front.right()) box.moveRight(at.x() - 6.0);
  if (box.top() < layout.front.top()) box.moveTop(at.y() + 6.0);
  painter.setPen(text);
  painter.setBrush(palette().color(QPalette::ToolTipBase));
  painter.drawRect(box);
  painter.setPen(palette().color(QPalette::ToolTipText));
  painter.drawText(box, Qt::AlignCenter, label);
}

void LineChart::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  const ChartLayout layout = LayoutFor(rect());
  const double anchor = DataXAt(layout, event->position().x());
  view_.Zoom(std::pow(kZoomPerNotch, delta / 120.0), anchor, DataX());
  TrackCrosshair(event->position());
  update();
  event->accept();
}

void LineChart::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  dragging_ = true;
  dragMoved_ = false;
  pressAt_ = event->position();
  dragLastX_ = event->position().x();
  setCursor(Qt::ClosedHandCursor);
  event->accept();
}

void LineChart::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->position() - pressAt_).manhattanLength() >= 3) dragMoved_ = true;
  if (dragging_ && dragMoved_) {
    const ChartLayout layout = LayoutFor(rect());
    if (layout.mapX.scale != 0.0) {
      // The series follows the hand: dragging to the right shows older points.
      const double dx = (dragLastX_ - event->position().x()) / layout.mapX.scale;
      view_.Pan(dx, DataX());
      update();
    }
    dragLastX_ = event->position().x();
  }
  TrackCrosshair(event->position());
  event->accept();
}

void LineChart::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && dragging_) {
    dragging_ = false;
    unsetCursor();
    // A click that did not drag brings the newest points back.
    if (!dragMoved_ && !FollowingNewest()) FollowNewest();
  }
  event->accept();
}

void LineChart::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FollowNewest();
  event->accept();
}

void LineChart::leaveEvent(QEvent* event) {
  if (crosshair_ >= 0) {
    crosshair_ = -1;
    update();
  }
  QWidget::leaveEvent(event);
}

}  // namespace rq30
