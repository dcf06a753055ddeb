// One point of a chart series.
#pragma once

#include <QRgb>

namespace rq30 {

struct ChartPoint {
  double x = 0.0;
  double y = 0.0;
  QRgb colour = 0;  // colour of the line segment that leads to this point
};

}  // namespace rq30
