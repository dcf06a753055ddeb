#include "point_ring.h"

#include <algorithm>

namespace rq30 {

void PointRing::PushBack(const ChartPoint& point) {
  if (size_ == buffer_.size()) Grow();
  buffer_[(head_ + size_) & mask_] = point;
  ++size_;
}

void PointRing::PopFront() {
  if (size_ == 0) return;
  head_ = (head_ + 1) & mask_;
  --size_;
}

void PointRing::Clear() {
  head_ = 0;
  size_ = 0;
}

void PointRing::Grow() {
  std::vector<ChartPoint> bigger(std::max<std::size_t>(16, buffer_.size() * 2));
  for (std::size_t i = 0; i < size_; ++i) bigger[i] = At(i);
  buffer_.swap(bigger);
  mask_ = buffer_.size() - 1;
  head_ = 0;
}

}  // namespace rq30
