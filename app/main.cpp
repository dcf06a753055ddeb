// RQ-30: the application object with its Czech texts, then the program's
// run (program_run.cpp).
#include <QIcon>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "application.h"
#include "error_box.h"
#include "program_run.h"
#include "qt_texts.h"

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
    rq30::RunProgram();
  } catch (const std::exception& e) {
    rq30::ShowError(QString::fromUtf8(e.what()));
  }
  return 0;
}
