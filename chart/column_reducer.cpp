#include "column_reducer.h"

#include <algorithm>
#include <cmath>

namespace rq30 {

namespace {

struct Kept {
  long sequence;
  double px;
  double y;
  QRgb colour;
};

class ColumnCollector {
 public:
  ColumnCollector(AxisMap mapY, ScreenSeries& out) : mapY_(mapY), out_(out) {}

  void Add(long sequence, double px, double y, QRgb colour) {
    const double column = std::floor(px);
    const Kept point{sequence, px, y, colour};
    if (!open_ || column != column_) {
      Flush();
      open_ = true;
      column_ = column;
      first_ = low_ = high_ = last_ = point;
      return;
    }
    if (y < low_.y) low_ = point;
    if (y > high_.y) high_ = point;
    last_ = point;
  }

  void Flush() {
    if (!open_) return;
    Kept kept[4] = {first_, low_, high_, last_};
    std::sort(std::begin(kept), std::end(kept),
              [](const Kept& a, const Kept& b) { return a.sequence < b.sequence; });
    long previous = -1;
    for (const Kept& k : kept) {
      if (k.sequence == previous) continue;
      previous = k.sequence;
      out_.points.emplace_back(k.px, mapY_(k.y));
      out_.colours.push_back(k.colour);
    }
    open_ = false;
  }

 private:
  AxisMap mapY_;
  ScreenSeries& out_;
  bool open_ = false;
  double column_ = 0.0;
  Kept first_{}, low_{}, high_{}, last_{};
};

}  // namespace

void ReduceByColumn(const PointRing& ring, AxisMap mapX, AxisMap mapY, ScreenSeries& out) {
  out.points.clear();
  out.colours.clear();
  ColumnCollector collector(mapY, out);
  long sequence = 0;
  ring.ForEach(0, ring.Size(), [&](const ChartPoint& p) {
    ++sequence;
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    collector.Add(sequence, mapX(p.x), p.y, p.colour);
  });
  collector.Flush();
}

}  // namespace rq30
