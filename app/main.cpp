// RQ-30: creates the program's windows in their order and runs the message
// loop. The table image and the link are made once here and handed to the
// windows that need them.
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "application.h"
#include "error_box.h"
#include "link.h"
#include "operator_dialogs.h"
#include "program_windows.h"
#include "table_image.h"

namespace {

// Qt's own texts (the standard buttons "Ano", "Ne", "Zrušit") in the
// language of the rest of the program.
void LoadQtTranslation(QApplication& app, QTranslator& translator) {
  if (translator.load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    app.installTranslator(&translator);
  }
}

int Run(Application& app) {
  rq30::TableImage image{};
  rq30::Link link(image);
  link.SetReporter([](const std::string& text, const std::string& caption) {
    rq30::Dialogs().Message(QString::fromStdString(text), QString::fromStdString(caption),
                            rq30::DialogIcon::kError, rq30::DialogButtons::kOk);
  });

  ProgramWindows windows(image, link);
  windows.main.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  Application app(argc, argv);
  QLocale::setDefault(QLocale::system());
  QTranslator qtTexts;
  LoadQtTranslation(app, qtTexts);
  try {
    Run(app);
  } catch (const std::exception& e) {
    rq30::ShowError(QString::fromUtf8(e.what()));
  }
  return 0;
}
