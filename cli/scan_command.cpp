// rq30ctl scan: the bus addresses that answer a probe.
#include "cli_support.h"

#include <string>
#include <vector>

#include "json_output.h"

namespace rq30::cli {

int ScanCommand(Session& s, const CommandArgs& a, Io& io) {
  const Options& o = s.options;
  const int from = a.Get("--from") ? Number(*a.Get("--from"), 0, 126, "--from") : 0;
  const int to = a.Get("--to") ? Number(*a.Get("--to"), 0, 126, "--to") : 126;
  if (from > to) throw UsageError("--from must not be above --to");
  const bool progress = io.terminal && !o.quiet;
  std::vector<int> found;
  for (int address = from; address <= to && !io.interrupted(); ++address) {
    if (progress) {
      io.err << "\rscanning: " << address - from << " of " << to - from + 1 << " addresses done"
             << std::flush;
    }
    s.link.SetDeviceAddress(address);
    if (s.link.ProbeAddress()) {
      if (progress) io.err << '\r' << std::string(50, ' ') << '\r';
      if (!o.json) io.out << address << std::endl;
      found.push_back(address);
    }
  }
  if (progress) io.err << '\r' << std::string(50, ' ') << '\r' << std::flush;
#if RQ30_WITH_JSON
  if (o.json) PrintJson(io.out, Json{{"addresses", found}});
#endif
  s.link.SetDeviceAddress(o.da);
  io.err << found.size() << (found.size() == 1 ? " address answers\n" : " addresses answer\n");
  return kOk;
}

}  // namespace rq30::cli
