#include "column_reducer.h"

#include <algorithm>
#include <cmath>

namespace rq30 {

namespace {

// The column being collected, by indices into the ring. Points stream in;
// only those that cross a column boundary pay for the exact floor().
class ColumnCollector {
 public:
  ColumnCollector(const PointRing& ring, AxisMap mapX, AxisMap mapY, ScreenSeries& out)
      : ring_(ring), mapX_(mapX), mapY_(mapY), out_(out) {}

  void Add(std::size_t index, double x, double y) {
    if (open_ && x >= fastLow_ && x < fastHigh_) {
      Extend(index, y);
      return;
    }
    const double column = std::floor(mapX_(x));
    if (open_ && column == column_) {
      Extend(index, y);
      return;
    }
    Flush();
    Open(column, index, y);
  }

  void Flush() {
    if (!open_) return;
    std::size_t kept[4] = {first_, low_, high_, last_};
    std::sort(std::begin(kept), std::end(kept));
    const std::size_t* end = std::unique(std::begin(kept), std::end(kept));
    for (const std::size_t* k = kept; k != end; ++k) {
      const ChartPoint& p = ring_.At(*k);
      out_.points.emplace_back(mapX_(p.x), mapY_(p.y));
      out_.colours.push_back(p.colour);
    }
    open_ = false;
  }

 private:
  void Extend(std::size_t index, double y) {
    if (y < lowY_) {
      lowY_ = y;
      low_ = index;
    }
    if (y > highY_) {
      highY_ = y;
      high_ = index;
    }
    last_ = index;
  }

  void Open(double column, std::size_t index, double y) {
    open_ = true;
    column_ = column;
    first_ = low_ = high_ = last_ = index;
    lowY_ = highY_ = y;
    // The x values that surely fall in this column, kept a hair inside its
    // edges so rounding never decides differently from floor() above.
    fastLow_ = fastHigh_ = 0.0;
    if (mapX_.scale > 0.0) {
      const double from = (column - mapX_.offset) / mapX_.scale;
      const double to = (column + 1.0 - mapX_.offset) / mapX_.scale;
      const double margin = (to - from) * 1e-6;
      fastLow_ = from + margin;
      fastHigh_ = to - margin;
    }
  }

  const PointRing& ring_;
  AxisMap mapX_;
  AxisMap mapY_;
  ScreenSeries& out_;
  bool open_ = false;
  double column_ = 0.0;
  double fastLow_ = 0.0;
  double fastHigh_ = 0.0;
  std::size_t first_ = 0, low_ = 0, high_ = 0, last_ = 0;
  double lowY_ = 0.0, highY_ = 0.0;
};

}  // namespace

void ReduceByColumn(const PointRing& ring, AxisMap mapX, AxisMap mapY, ScreenSeries& out,
                    std::size_t first, std::size_t last) {
  out.points.clear();
  out.colours.clear();
  out.sourceCount = 0;
  ColumnCollector collector(ring, mapX, mapY, out);
  last = std::min(last, ring.Size());
  if (first >= last) return;
  std::size_t index = first;
  std::size_t finite = 0;
  ring.ForEach(first, last, [&](const ChartPoint& p) {
    if (std::isfinite(p.x) && std::isfinite(p.y)) {
      ++finite;
      collector.Add(index, p.x, p.y);
    }
    ++index;
  });
  collector.Flush();
  out.sourceCount = finite;
}

}  // namespace rq30
