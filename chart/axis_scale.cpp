#include "axis_scale.h"

#include <algorithm>
#include <cmath>

namespace rq30 {

namespace {

// Decimals needed to write multiples of `step` exactly.
int DecimalsFor(double step) {
  const int d = -static_cast<int>(std::floor(std::log10(step) + 1e-9));
  return std::clamp(d, 0, 15);
}

std::vector<double> TicksIn(double low, double high, double step) {
  std::vector<double> ticks;
  const double first = std::ceil(low / step - 1e-9);
  const double last = std::floor(high / step + 1e-9);
  // Counted in whole steps from the first tick: far from zero, adding 1.0
  // to a huge multiple would no longer move it. The cap is a guard only; a
  // scale that fits its labels has far fewer ticks.
  const double count = last - first;
  if (!(count >= 0.0) || count > 10000.0) return ticks;
  for (int k = 0; k <= static_cast<int>(count); ++k) {
    double v = (first + k) * step;
    if (std::fabs(v) < step * 1e-9) v = 0.0;  // never a "-0" label
    ticks.push_back(v);
  }
  return ticks;
}

}  // namespace

AxisScale ChooseScale(const AxisRequest& request) {
  AxisScale scale;
  if (!(request.dataMin <= request.dataMax) || !std::isfinite(request.dataMin) ||
      !std::isfinite(request.dataMax)) {
    return scale;
  }
  double low = request.dataMin;
  double high = request.dataMax;
  // A flat series (one point, or equal values) still gets a readable range
  // around it; the same when the span is lost in the precision of a double.
  const double magnitude = std::max(std::fabs(low), std::fabs(high));
  if (high - low <= magnitude * 1e-12) {
    const double pad = std::max(1.0, magnitude * 1e-6);
    low -= pad;
    high += pad;
  }
  scale.low = low;
  scale.high = high;
  const double length = std::max(request.lengthPx, 1.0);

  // Try round steps from finer than one pixel upwards; the first that leaves
  // room for its labels wins. 80 tries cover 26 decades, far more than any
  // span between a pixel and the whole range.
  const double span = high - low;
  double decade = std::pow(10.0, std::floor(std::log10(span / length)));
  static const double kMantissas[] = {1.0, 2.0, 5.0};
  for (int attempt = 0; attempt < 80; ++attempt) {
    const double step = kMantissas[attempt % 3] * decade;
    if (attempt % 3 == 2) decade *= 10.0;
    if (step < request.minimumStep) continue;

    double lo = low;
    double hi = high;
    if (request.extendToTicks) {
      lo = std::floor(low / step + 1e-9) * step;
      hi = std::ceil(high / step - 1e-9) * step;
      if (hi <= lo) hi = lo + step;
    }
    const int decimals = DecimalsFor(step);
    const double spacing = length * step / (hi - lo);
    double needed = 0.0;
    if (request.labelExtent) {
      needed = std::max(request.labelExtent(lo, decimals), request.labelExtent(hi, decimals));
    }
    if (spacing < needed + request.gapPx) continue;

    scale.low = lo;
    scale.high = hi;
    scale.step = step;
    scale.decimals = decimals;
    scale.ticks = TicksIn(lo, hi, step);
    return scale;
  }
  return scale;
}

}  // namespace rq30
