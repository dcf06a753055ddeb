#include "chart_view_state.h"

#include <algorithm>
#include <cmath>

namespace rq30 {

namespace {

bool HasData(const XWindow& data) {
  return std::isfinite(data.low) && std::isfinite(data.high) && data.low <= data.high;
}

}  // namespace

XWindow ChartViewState::Shown(const XWindow& data) const {
  return following_ ? data : window_;
}

void ChartViewState::Zoom(double factor, double anchor, const XWindow& data) {
  if (!HasData(data) || !(factor > 0.0) || !std::isfinite(anchor)) return;
  const XWindow now = Shown(data);
  const double width = std::max(now.Width(), kMinWidth);
  const double newWidth = std::max(width * factor, kMinWidth);
  if (factor > 1.0 && newWidth >= data.Width()) {
    following_ = true;
    return;
  }
  // The anchor keeps its share of the width on either side.
  const double share = std::clamp((anchor - now.low) / width, 0.0, 1.0);
  window_.low = anchor - share * newWidth;
  window_.high = window_.low + newWidth;
  following_ = false;
}

void ChartViewState::Pan(double dx, const XWindow& data) {
  if (!HasData(data) || !std::isfinite(dx)) return;
  XWindow next = Shown(data);
  const double width = next.Width();
  if (width >= data.Width()) return;  // the whole series is in view already
  next.low = std::clamp(next.low + dx, data.low, data.high - width);
  next.high = next.low + width;
  window_ = next;
  following_ = false;
}

}  // namespace rq30
