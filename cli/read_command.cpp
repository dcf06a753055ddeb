// rq30ctl read: one table's fields.
#include "cli_support.h"

#include <string>

#include "json_output.h"
#include "table_layout.h"
#include "table_text.h"

namespace rq30::cli {

int ReadCommand(Session& s, const CommandArgs& a, const LocaleTexts& texts, Io& io) {
  const int table = TableNumber(a, "read");
  if (!LayoutOf(table).decodable) throw UsageError("table " + a.plain[0] + " has no read layout");
  Expect(s.link.ReadTable(table), "read table " + a.plain[0]);
  if (s.options.json) {
#if RQ30_WITH_JSON
    Json j = Json::object();
    for (const std::string& line : TableFieldTexts(table, s.image, '.')) {
      const std::size_t eq = line.find('=');
      j[line.substr(0, eq)] = ValueJson(line.substr(eq + 1));
    }
    PrintJson(io.out, j);
#endif
    return kOk;
  }
  for (const std::string& line : TableFieldTexts(table, s.image, texts.point)) io.out << line << '\n';
  return kOk;
}

}  // namespace rq30::cli
