// Reduces a series to what can show on screen: of the points that fall on
// one pixel column only the first, the lowest, the highest and the last are
// kept, in their original order. The line through the kept points covers the
// same pixels as the line through all of them, so 100,000 points paint as
// fast as a few thousand.
#pragma once

#include <QPointF>
#include <QRgb>
#include <vector>

#include "point_ring.h"

namespace rq30 {

// value -> pixel coordinate, linear.
struct AxisMap {
  double offset = 0.0;
  double scale = 1.0;
  double operator()(double v) const { return offset + scale * v; }
};

struct ScreenSeries {
  std::vector<QPointF> points;  // pixel positions, oldest first
  std::vector<QRgb> colours;    // colours[i]: colour of the segment into points[i]
  std::size_t sourceCount = 0;  // finite points before the reduction
};

// Points whose x or y is not a finite number are left out. Only the points
// [first, last) of the ring take part (a zoomed view's visible stretch).
void ReduceByColumn(const PointRing& ring, AxisMap mapX, AxisMap mapY, ScreenSeries& out,
                    std::size_t first = 0, std::size_t last = static_cast<std::size_t>(-1));

}  // namespace rq30
