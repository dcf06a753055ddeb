#include "set_transfer.h"

#include "load_sequence.h"

namespace rq30::paramset {

namespace {

constexpr int kSetpointListBlock = 0;
constexpr int kSetpointsBlock = 1;
constexpr int kTimesBlock = 2;
constexpr int kSetpointListTable = 0;
constexpr int kSetpointsTable = 17;
constexpr int kTimesTable = 18;
constexpr int kAddressTable = 10;

using Exchange = std::function<int()>;

struct Item {
  std::string name;
  Exchange exchange;
};

// The plan's exchanges in order, each a write or a read of one table or block.
std::vector<Item> Items(Link& link, const SetPlan& plan, bool write) {
  std::vector<Item> items;
  for (int table : plan.tables) {
    items.push_back({"table " + std::to_string(table), [&link, table, write] {
                       if (!write) return link.ReadTable(table);
                       const int ok = link.WriteTable(table);
                       // The controller answers at its new address from now on.
                       if (ok && table == kAddressTable)
                         link.SetDeviceAddress(link.Image().address.address);
                       return ok;
                     }});
  }
  if (!plan.programs) return items;
  auto block = [&link, write](int kind, int program, int table) -> Exchange {
    return [&link, write, kind, program, table] {
      return write ? link.WriteProgramBlock(kind, program, table)
                   : link.ReadProgramBlock(kind, program, table);
    };
  };
  items.push_back({"setpoint list", block(kSetpointListBlock, 0, kSetpointListTable)});
  for (int p = 0; p < kPrograms; ++p) {
    const std::string program = "program " + std::to_string(p);
    items.push_back({program + " setpoints", block(kSetpointsBlock, p, kSetpointsTable)});
    items.push_back({program + " times", block(kTimesBlock, p, kTimesTable)});
  }
  return items;
}

// Runs the exchanges; the program blocks keep the editor's 100 ms apart.
std::vector<std::string> Run(const std::vector<Item>& items, std::size_t tables,
                             const TransferHooks& hooks) {
  std::vector<std::string> failed;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > tables) hooks.pause(kPauseBetweenBlocks);
    const int ok = items[i].exchange();
    if (hooks.done) hooks.done(items[i].name, ok);
    if (!ok) failed.push_back(items[i].name);
  }
  return failed;
}

}  // namespace

std::vector<std::string> WriteParameterSet(Link& link, const SetPlan& plan,
                                           const TransferHooks& hooks) {
  return Run(Items(link, plan, true), plan.tables.size(), hooks);
}

ReadBack ReadBackParameterSet(Link& link, const SetPlan& plan, const TableImage& written,
                              const TransferHooks& hooks) {
  ReadBack result;
  result.unread = Run(Items(link, plan, false), plan.tables.size(), hooks);
  for (const Key& key : Keys()) {
    if (InPlan(plan, key) && !SameOnTheWire(written, link.Image(), key))
      result.differing.push_back(&key);
  }
  return result;
}

}  // namespace rq30::paramset
