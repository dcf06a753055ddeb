// Qt's own texts (the standard buttons of message boxes and of Qt's file and
// colour dialogs) in Czech, like the rest of the program, whatever the
// system's language: the operator's interface is Czech throughout.
#pragma once

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace rq30 {

// Loads qtbase_cs from Qt's translations folder (Debian: qt6-translations-l10n)
// into `translator` and installs it. False when the file is missing: Qt then
// keeps its English texts, which is still a working program.
inline bool LoadCzechQtTexts(QTranslator& translator) {
  if (!translator.load(QLocale(QLocale::Czech, QLocale::Czechia), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
}

}  // namespace rq30
