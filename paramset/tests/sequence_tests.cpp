// The editor's page order and the program data write, against a simulated
// controller: which table each page exchanges, and which blocks go out, in
// what order and with what pauses, for each program type.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "controller_model.h"
#include "link.h"
#include "load_sequence.h"
#include "model_port.h"
#include "write_sequence.h"

namespace rq30::paramset {
namespace {

// The editor's thirteen pages, in order, and the data table each shows:
// COMP, ALARM 1, ALARM 2, PID, REGO, ONOFF, SENS, DACO, ERRO, OST_, ADD, GO,
// TIME. The PID and sensor pages stand out of table order.
TEST(EditorPages, EachPageExchangesItsTable) {
  const int expected[kEditorPages] = {0, 1, 2, 4, 5, 6, 3, 7, 8, 9, 10, 14, 15};
  for (int page = 0; page < kEditorPages; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(PageTable(page), expected[page]);
  }
  EXPECT_EQ(PageTable(-1), -1);
  EXPECT_EQ(PageTable(kEditorPages), -1);
  // The GO page carries the start time only where the firmware has it.
  EXPECT_EQ(TransferTable(11, 3), 19);
  EXPECT_EQ(TransferTable(11, 2), 14);
  EXPECT_EQ(TransferTable(11, 0), 14);
  EXPECT_EQ(TransferTable(6, 3), 3);
}

// One block or table as the request names it: table number, length, offset.
using Block = std::tuple<int, int, int>;

std::vector<Block> WrittenBlocks(const testing::ModelPort& port) {
  std::vector<Block> blocks;
  for (const auto& w : port.writes) {
    if (w.size() < 12 || w[6] != 0x63 || w[7] != 2) continue;
    blocks.emplace_back(w[8], w[9], (w[10] << 8) | w[11]);
  }
  return blocks;
}

TEST(ProgramDataWrite, BlocksAndPausesOfEachProgramType) {
  constexpr int kProgram = 7;
  struct Case {
    const char* what;
    uint8_t type;
    std::vector<Block> blocks;
    std::vector<int> pauses;
  } cases[] = {
      // Selection, then the setpoint list alone.
      {"SP", 0, {{16, 2, 0}, {0, 40, 0}}, {100}},
      // Selection, the start values, the setpoints, the times.
      {"RAMP", 1, {{16, 2, 0}, {0, 40, 0}, {17, 80, 80 * kProgram}, {18, 40, 40 * kProgram}},
       {100, 100, 100}},
      // Selection, the setpoints, the times.
      {"JUMP", 2, {{16, 2, 0}, {17, 80, 80 * kProgram}, {18, 40, 40 * kProgram}}, {100, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::ControllerModel model(sim::Firmware::V3, {6});
    testing::ModelPort port(model);
    TableImage image{};
    Link link(image, &port);
    link.SetDeviceAddress(6);
    link.SetComputerAddress(2);
    image.programSelection.type = c.type;
    image.programSelection.number = kProgram;
    std::vector<int> pauses;
    WriteHooks hooks;
    hooks.pause = [&](int ms) { pauses.push_back(ms); };
    EXPECT_EQ(WriteProgramData(link, image, hooks), 1);
    EXPECT_EQ(WrittenBlocks(port), c.blocks);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(model.Image().programSelection.type, c.type);
    EXPECT_EQ(model.Image().programSelection.number, kProgram);
  }
}

}  // namespace
}  // namespace rq30::paramset
