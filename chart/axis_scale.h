// Automatic axis scales: a range that covers the data and round tick values
// (1, 2 or 5 times a power of ten) spaced so that their labels never touch.
#pragma once

#include <functional>
#include <vector>

namespace rq30 {

struct AxisScale {
  double low = 0.0;  // the axis runs from low to high (high > low always)
  double high = 1.0;
  double step = 0.0;  // 0 when there are no ticks
  int decimals = 0;   // decimals a tick label needs to show the step
  std::vector<double> ticks;
};

struct AxisRequest {
  double dataMin = 0.0;  // dataMin > dataMax: no data, no ticks
  double dataMax = -1.0;
  double lengthPx = 0.0;  // length of the axis on screen
  // Extent of a label along the axis (its width on a horizontal axis, its
  // height on a vertical one) for a value written with `decimals`.
  std::function<double(double value, int decimals)> labelExtent;
  double gapPx = 8.0;  // free space kept between neighbouring labels
  // true: the range grows to the enclosing ticks (a value axis); false: it
  // is exactly the data range (a time axis, so the newest point is at the end).
  bool extendToTicks = false;
  double minimumStep = 0.0;  // e.g. 1 for sample numbers
};

AxisScale ChooseScale(const AxisRequest& request);

}  // namespace rq30
