// rq30ctl write: changes fields of one table, read-modify-write.
#include "cli_support.h"

#include <string>

#include "table_layout.h"
#include "table_text.h"

namespace rq30::cli {

// Every MNEMONIC=VALUE of a write, checked as the editor checks its fields
// before anything is sent; throws a UsageError naming the field and its
// range.
void CheckWriteValues(const CommandArgs& a, int table, const LocaleTexts& texts) {
  if (!LayoutOf(table).encodable) throw UsageError("table " + a.plain[0] + " cannot be written");
  TableImage scratch{};
  for (std::size_t i = 1; i < a.plain.size(); ++i) {
    const std::string& pair = a.plain[i];
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) throw UsageError("expected MNEMONIC=VALUE, got " + pair);
    const std::string error =
        SetTableField(table, pair.substr(0, eq), pair.substr(eq + 1), scratch, texts.point);
    if (!error.empty()) throw UsageError(error + "; nothing sent");
  }
}

int WriteCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts) {
  const int table = TableNumber(a, "write");
  Expect(s.link.ReadTable(table), "read table " + a.plain[0]);
  for (std::size_t i = 1; i < a.plain.size(); ++i) {
    const std::string& pair = a.plain[i];
    const std::size_t eq = pair.find('=');
    SetTableField(table, pair.substr(0, eq), pair.substr(eq + 1), s.image, texts.point);
  }
  if (!s.link.WriteTable(table)) ThrowWriteFailure(s.link, "write table " + a.plain[0]);
  return kOk;
}

}  // namespace rq30::cli
