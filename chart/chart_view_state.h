// What part of the time axis the chart shows: by default it follows the
// newest points (the whole series, scaled automatically); after a zoom or a
// pan it holds a fixed window of sample numbers until the operator returns
// it to following. New points keep arriving and old ones keep dropping
// while a window is held; the window does not move with them.
#pragma once

namespace rq30 {

struct XWindow {
  double low = 0.0;
  double high = 0.0;
  double Width() const { return high - low; }
};

class ChartViewState {
 public:
  // The narrowest window: two sample steps, so a segment always shows.
  static constexpr double kMinWidth = 2.0;

  bool Following() const { return following_; }
  // The x range to show when the series spans `data` (low > high: no data).
  XWindow Shown(const XWindow& data) const;

  // Narrows (factor < 1) or widens (factor > 1) the shown range around the
  // data x `anchor`, which stays at its place on screen. Widening to the
  // whole series or beyond returns to following. Nothing without data.
  void Zoom(double factor, double anchor, const XWindow& data);
  // Moves the shown range by `dx` in data units, not past the series' ends.
  void Pan(double dx, const XWindow& data);
  void FollowNewest() { following_ = true; }

 private:
  bool following_ = true;
  XWindow window_;
};

}  // namespace rq30
