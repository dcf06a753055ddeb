// The points of a series, oldest first, in a growable ring buffer: a live
// chart appends at one end and drops at the other on every sample, so both
// must be O(1) however many points the chart keeps.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "chart_point.h"

namespace rq30 {

class PointRing {
 public:
  // Appends after the newest point; grows the buffer (amortised O(1)).
  void PushBack(const ChartPoint& point);
  // Removes the oldest point; does nothing when empty.
  void PopFront();
  void Clear();

  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  // index 0 is the oldest point; index must be below Size().
  const ChartPoint& At(std::size_t index) const { return buffer_[(head_ + index) & mask_]; }
  const ChartPoint& Back() const { return At(size_ - 1); }

  // Calls f(const ChartPoint&) for the points [first, last) in order, in two
  // contiguous stretches at most, so painting loops stay tight.
  template <typename F>
  void ForEach(std::size_t first, std::size_t last, F&& f) const {
    if (last > size_) last = size_;
    for (std::size_t i = first; i < last;) {
      const std::size_t slot = (head_ + i) & mask_;
      const std::size_t stretch = std::min(last - i, buffer_.size() - slot);
      const ChartPoint* p = buffer_.data() + slot;
      for (std::size_t k = 0; k < stretch; ++k) f(p[k]);
      i += stretch;
    }
  }

 private:
  void Grow();

  std::vector<ChartPoint> buffer_;  // size is zero or a power of two
  std::size_t mask_ = 0;
  std::size_t head_ = 0;
  std::size_t size_ = 0;
};

}  // namespace rq30
