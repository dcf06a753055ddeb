// RQ-30: creates the program's windows in their order and runs the message
// loop. The table image and the link are made once here and handed to the
// windows that need them.
#include <QIcon>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "application.h"
#include "error_box.h"
#include "link.h"
#include "live_boxes.h"
#include "operator_dialogs.h"
#include "program_windows.h"
#include "qt_texts.h"
#include "session_end.h"
#include "table_image.h"

namespace {

int Run(Application& app) {
  rq30::TableImage image{};
  rq30::Link link(image);
  // During the live cycle a box of the link waits until the tick is over.
  link.SetReporter([](const std::string& text, const std::string& caption) {
    rq30::ShowBox(QString::fromStdString(text), QString::fromStdString(caption),
                  rq30::DialogIcon::kError);
  });

  ProgramWindows windows(image, link);
  rq30::WatchSessionEnd([&windows] {
    windows.main.EndSession();
    QCoreApplication::quit();  // also ends a modal window's loop
  });
  windows.main.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  // Qt 6 scales by the screen's own factor (1.25, 1.5, ...) rather than
  // rounding it, so text and controls stay sharp and in proportion.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
      Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
  Application app(argc, argv);
  // The installed desktop entry and icon (rq30.desktop, rq30.svg) give the
  // window its icon in the task bar.
  QGuiApplication::setDesktopFileName(QStringLiteral("rq30"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("rq30")));
  QLocale::setDefault(QLocale::system());
  QTranslator qtTexts;
  rq30::LoadCzechQtTexts(qtTexts);
  try {
    Run(app);
  } catch (const std::exception& e) {
    rq30::ShowError(QString::fromUtf8(e.what()));
  }
  return 0;
}
