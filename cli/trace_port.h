// A Port that passes everything to the real line and writes each telegram
// sent and each reply received to a stream in hex, with a millisecond time
// stamp (rq30ctl --trace).
#pragma once

#include <chrono>
#include <ostream>

#include "port.h"

namespace rq30::cli {

class TracePort : public Port {
 public:
  TracePort(Port& line, std::ostream& trace);

  bool ReadPort(uint8_t* buffer, int n, int& got) override;
  bool WritePort(const uint8_t* buffer, int n, int& written) override;
  void PurgeReceive() override { line_.PurgeReceive(); }
  void PurgeTransmit() override { line_.PurgeTransmit(); }

 private:
  void Line(char direction, const uint8_t* bytes, int n, const char* note);

  Port& line_;
  std::ostream& trace_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace rq30::cli
