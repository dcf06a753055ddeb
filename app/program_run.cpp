#include "program_run.h"

#include <QApplication>

#include "link.h"
#include "live_boxes.h"
#include "program_windows.h"
#include "session_end.h"
#include "table_image.h"

namespace rq30 {

int RunProgram(const std::function<void(ProgramWindows&)>& started) {
  TableImage image{};
  Link link(image);
  // During the live cycle a box of the link waits until the tick is over.
  link.SetReporter([](const std::string& text, const std::string& caption) {
    ShowBox(QString::fromStdString(text), QString::fromStdString(caption), DialogIcon::kError);
  });

  ProgramWindows windows(image, link);
  WatchSessionEnd([&windows] {
    windows.main.EndSession();
    QCoreApplication::quit();  // also ends a modal window's loop
  });
  windows.main.show();
  if (started) started(windows);
  return QApplication::exec();
}

}  // namespace rq30
