// A line straight into a simulated controller, without a pty or any time
// passing: a write hands the request to the model, the reads hand out its
// reply. For tests that need many exchanges with silent addresses (a bus
// scan), where a real line would wait out every time-out.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "controller_model.h"
#include "port.h"

namespace rq30::testing {

class ModelPort : public Port {
 public:
  explicit ModelPort(sim::ControllerModel& model) : model_(model) {}

  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    got = std::min(n, static_cast<int>(pending_.size()));
    std::copy(pending_.begin(), pending_.begin() + got, buffer);
    pending_.erase(pending_.begin(), pending_.begin() + got);
    return true;
  }

  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    PurgeReceive();
    written = n;
    writes.emplace_back(buffer, buffer + n);
    pending_ = model_.Handle(buffer, static_cast<std::size_t>(n));
    return true;
  }

  void PurgeReceive() override { pending_.clear(); }
  void PurgeTransmit() override {}

  // Every telegram written, in order.
  std::vector<std::vector<uint8_t>> writes;

 private:
  sim::ControllerModel& model_;
  std::vector<uint8_t> pending_;
};

}  // namespace rq30::testing
