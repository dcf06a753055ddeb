#include <QPolygonF>

#include "chart_render.h"

namespace rq30 {

namespace {

constexpr double kLineWidth = 2.0;

// Each stretch of points with one colour becomes one polyline, starting at
// the point before the stretch: a segment takes the colour of the point it
// leads to.
void PaintLine(QPainter& painter, const ScreenSeries& s) {
  const std::size_t n = s.points.size();
  QPen pen(Qt::black, kLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  for (std::size_t i = 1; i < n;) {
    std::size_t j = i;
    while (j + 1 < n && s.colours[j + 1] == s.colours[i]) ++j;
    pen.setColor(QColor::fromRgb(s.colours[i]));
    painter.setPen(pen);
    painter.drawPolyline(s.points.data() + (i - 1), static_cast<int>(j - i + 2));
    i = j + 1;
  }
}

QColor Mixed(QRgb a, QRgb b, double share) {
  return QColor::fromRgb(qRound(qRed(a) + (qRed(b) - qRed(a)) * share),
                         qRound(qGreen(a) + (qGreen(b) - qGreen(a)) * share),
                         qRound(qBlue(a) + (qBlue(b) - qBlue(a)) * share));
}

// In 3D the line becomes a ribbon through the depth of the box. Faces turned
// up are a light tint of the point's colour, undersides a dark shade, and the
// front edge, which sits on the value axis's scale, is drawn in the colour
// itself so that the values stay readable.
void PaintRibbon(QPainter& painter, const ScreenSeries& s, QPointF depth) {
  const std::size_t n = s.points.size();
  painter.setPen(Qt::NoPen);
  QRgb lastColour = 0;
  bool lastUnderside = false;
  bool first = true;
  for (std::size_t i = 1; i < n; ++i) {
    const QPointF a = s.points[i - 1];
    const QPointF b = s.points[i];
    const QPointF quad[4] = {a, b, b + depth, a + depth};
    // Sign of the cross product of the segment with the depth offset.
    const bool underside = (b.x() - a.x()) * depth.y() - (b.y() - a.y()) * depth.x() > 0.0;
    if (first || s.colours[i] != lastColour || underside != lastUnderside) {
      painter.setBrush(underside ? Mixed(s.colours[i], qRgb(0, 0, 0), 0.35)
                                 : Mixed(s.colours[i], qRgb(255, 255, 255), 0.45));
      lastColour = s.colours[i];
      lastUnderside = underside;
      first = false;
    }
    painter.drawConvexPolygon(quad, 4);
  }
  painter.setBrush(Qt::NoBrush);
  PaintLine(painter, s);
}

}  // namespace

void PaintSeries(QPainter& painter, const ChartLayout& layout, const PointRing& points,
                 ScreenSeries& scratch) {
  if (points.Size() == 0) return;
  ReduceByColumn(points, layout.mapX, layout.mapY, scratch);
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (layout.depth.isNull()) {
    PaintLine(painter, scratch);
  } else {
    PaintRibbon(painter, scratch, layout.depth);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace rq30
