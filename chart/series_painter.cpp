#include <QPolygonF>
#include <cmath>
#include <limits>
#include <vector>

#include "chart_render.h"

// Two ways to paint a series, chosen by its density on screen:
//  - sparse (at most one point per pixel column): a one-pixel antialiased
//    line through the points; in 3D a ribbon of one quad per segment.
//  - dense: one vertical span per pixel column, from its lowest to its
//    highest point and joined to the column before; in 3D the span swept
//    through the depth. These are exactly the pixels a line through all the
//    points would touch, at a cost that depends on the width alone.
// Wide pens are avoided on purpose: Qt strokes a polyline as one path, and a
// zigzag of a few hundred segments then takes a tenth of a second to fill.

namespace rq30 {

namespace {

QColor Mixed(QRgb a, QRgb b, double share) {
  return QColor::fromRgb(qRound(qRed(a) + (qRed(b) - qRed(a)) * share),
                         qRound(qGreen(a) + (qGreen(b) - qGreen(a)) * share),
                         qRound(qBlue(a) + (qBlue(b) - qBlue(a)) * share));
}
// Faces of the 3D ribbon: a light tint facing up, a dark shade underneath.
QColor UpperFace(QRgb c) {
  return Mixed(c, qRgb(255, 255, 255), 0.45);
}
QColor LowerFace(QRgb c) {
  return Mixed(c, qRgb(0, 0, 0), 0.35);
}

// Each stretch of points with one colour becomes one polyline, starting at
// the point before the stretch: a segment takes the colour of the point it
// leads to.
void PaintLine(QPainter& painter, const ScreenSeries& s) {
  const std::size_t n = s.points.size();
  QPen pen(Qt::black, 1.0);
  pen.setCosmetic(true);
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (std::size_t i = 1; i < n;) {
    std::size_t j = i;
    while (j + 1 < n && s.colours[j + 1] == s.colours[i]) ++j;
    pen.setColor(QColor::fromRgb(s.colours[i]));
    painter.setPen(pen);
    painter.drawPolyline(s.points.data() + (i - 1), static_cast<int>(j - i + 2));
    i = j + 1;
  }
}

void PaintRibbon(QPainter& painter, const ScreenSeries& s, QPointF depth) {
  const std::size_t n = s.points.size();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  QRgb lastColour = 0;
  bool lastLower = false;
  for (std::size_t i = 1; i < n; ++i) {
    const QPointF a = s.points[i - 1];
    const QPointF b = s.points[i];
    const QPointF quad[4] = {a, b, b + depth, a + depth};
    // The sign of the cross product of the segment with the depth offset
    // tells which side of the ribbon faces the viewer.
    const bool lower = (b.x() - a.x()) * depth.y() - (b.y() - a.y()) * depth.x() > 0.0;
    if (i == 1 || s.colours[i] != lastColour || lower != lastLower) {
      painter.setBrush(lower ? LowerFace(s.colours[i]) : UpperFace(s.colours[i]));
      lastColour = s.colours[i];
      lastLower = lower;
    }
    painter.drawConvexPolygon(quad, 4);
  }
  painter.setBrush(Qt::NoBrush);
  PaintLine(painter, s);  // the front edge, on the value axis's scale
}

struct Span {
  int column;
  int top;  // whole pixel rows, top <= bottom
  int bottom;
  QRgb colour;  // of the column's last point
  QPointF first;
  QPointF last;
};

// A line between columns that are not neighbours.
struct Gap {
  QPointF from;
  QPointF to;
  QRgb colour;  // of the point it leads to
};

// Working memory of the dense paint, kept from paint to paint (painting runs
// on the GUI thread only).
struct DenseScratch {
  std::vector<Span> spans;
  std::vector<Gap> gaps;
  std::vector<int> tops;
  std::vector<int> bottoms;
  std::vector<QRgb> colours;
};

// Spans of the reduced points; a span also covers the way from the previous
// column's last point when the columns are neighbours. Columns further apart
// are joined by gaps.
void CollectSpans(const ScreenSeries& s, std::vector<Span>& spans, std::vector<Gap>& gaps) {
  spans.clear();
  gaps.clear();
  for (std::size_t i = 0; i < s.points.size(); ++i) {
    const QPointF p = s.points[i];
    const int column = static_cast<int>(std::floor(p.x()));
    const int row = static_cast<int>(std::floor(p.y()));
    if (spans.empty() || spans.back().column != column) {
      Span span{column, row, row, s.colours[i], p, p};
      if (!spans.empty()) {
        const Span& before = spans.back();
        const int joinRow = static_cast<int>(std::floor(before.last.y()));
        if (before.column + 1 == column) {
          span.top = std::min(span.top, joinRow);
          span.bottom = std::max(span.bottom, joinRow);
        } else {
          gaps.push_back({before.last, p, s.colours[i]});
        }
      }
      spans.push_back(span);
      continue;
    }
    Span& span = spans.back();
    span.top = std::min(span.top, row);
    span.bottom = std::max(span.bottom, row);
    span.colour = s.colours[i];
    span.last = p;
  }
}

void PaintGaps(QPainter& painter, const std::vector<Gap>& gaps) {
  QPen pen(Qt::black, 1.0);
  pen.setCosmetic(true);
  for (const Gap& gap : gaps) {
    pen.setColor(QColor::fromRgb(gap.colour));
    painter.setPen(pen);
    painter.drawLine(gap.from, gap.to);
  }
}

void PaintSpans(QPainter& painter, const std::vector<Span>& spans) {
  for (const Span& span : spans) {
    painter.fillRect(QRect(span.column, span.top, 1, span.bottom - span.top + 1),
                     QColor::fromRgb(span.colour));
  }
}

// The spans swept through the depth, one pixel column at a time. Sweeping
// moves a point up and right along the diagonal, so screen column x holds
// what the front columns x - depth .. x send to it: from the least of
// (top(c) + c) - x to the greatest of (bottom(c) + c) - x over those c. This
// paints the same pixels as one swept polygon per column, as rectangles.
void PaintSweptSpans(QPainter& painter, const std::vector<Span>& spans, QPointF depth,
                     DenseScratch& scratch) {
  if (spans.empty()) return;
  const int reach = static_cast<int>(std::lround(depth.x()));
  const int first = spans.front().column;
  const int last = spans.back().column;
  const int count = last - first + 1;
  constexpr int kNone = std::numeric_limits<int>::max();
  // Per front column: top + c and bottom + c, or kNone where no point falls.
  std::vector<int>& tops = scratch.tops;
  std::vector<int>& bottoms = scratch.bottoms;
  std::vector<QRgb>& colours = scratch.colours;
  tops.assign(count, kNone);
  bottoms.assign(count, -kNone);
  colours.assign(count, spans.front().colour);
  for (const Span& span : spans) {
    const int i = span.column - first;
    tops[i] = span.top + span.column;
    bottoms[i] = span.bottom + span.column;
    colours[i] = span.colour;
  }
  for (int i = 1; i < count; ++i) {
    if (tops[i] == kNone) colours[i] = colours[i - 1];
  }
  QRgb colour = colours[0];
  QColor face = UpperFace(colour);
  for (int x = first; x <= last + reach; ++x) {
    const int from = std::max(first, x - reach) - first;
    const int to = std::min(last, x) - first;
    int top = kNone;
    int bottom = -kNone;
    for (int i = from; i <= to; ++i) {
      top = std::min(top, tops[i]);
      bottom = std::max(bottom, bottoms[i]);
    }
    if (top > bottom) continue;
    if (colours[to] != colour) {
      colour = colours[to];
      face = UpperFace(colour);
    }
    painter.fillRect(QRect(x, top - x, 1, bottom - top + 1), face);
  }
}

}  // namespace

void PaintSeries(QPainter& painter, const ChartLayout& layout, const PointRing& points,
                 ScreenSeries& scratch, std::size_t first, std::size_t last) {
  if (points.Size() == 0) return;
  ReduceByColumn(points, layout.mapX, layout.mapY, scratch, first, last);
  const bool dense = static_cast<double>(scratch.sourceCount) > layout.front.width();
  const bool flat = layout.depth.isNull();
  if (!dense) {
    if (flat) {
      PaintLine(painter, scratch);
    } else {
      PaintRibbon(painter, scratch, layout.depth);
    }
  } else {
    static thread_local DenseScratch dense;
    CollectSpans(scratch, dense.spans, dense.gaps);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!flat) PaintSweptSpans(painter, dense.spans, layout.depth, dense);
    PaintSpans(painter, dense.spans);
    painter.setRenderHint(QPainter::Antialiasing, true);
    PaintGaps(painter, dense.gaps);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace rq30
