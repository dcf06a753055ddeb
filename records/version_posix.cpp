#include "program_info.h"

namespace rq30 {

// Outside Windows an executable carries no version resource; the build
// writes the project's version in instead.
std::string ProgramVersion() {
  return RQ30_VERSION;
}

}  // namespace rq30
