#include "window_placement.h"

#include <algorithm>

namespace rq30 {

QRect PlaceOnScreen(const QRect& stored, const QList<QRect>& screens, const QRect& primary) {
  const QRect titleStrip(stored.left(), stored.top(), stored.width(), kGrip);
  for (const QRect& screen : screens) {
    const QRect seen = screen.intersected(titleStrip);
    if (seen.width() >= kGrip && seen.height() >= kGrip / 2) return stored;
  }
  if (primary.isEmpty()) return stored;
  // Keep the size where it fits; place it as far from the corner as the
  // design position, or closer when the screen is small.
  const int width = std::min(stored.width(), primary.width());
  const int height = std::min(stored.height(), primary.height());
  const int left = primary.left() + std::clamp(192, 0, primary.width() - width);
  const int top = primary.top() + std::clamp(107, 0, primary.height() - height);
  return QRect(left, top, width, height);
}

}  // namespace rq30
