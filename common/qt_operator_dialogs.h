// The real operator dialogs: QMessageBox without owner window, QFileDialog
// and QColorDialog, all modal.
#pragma once

#include <QStringList>

#include "operator_dialogs.h"

namespace rq30 {

class QtOperatorDialogs : public OperatorDialogs {
 public:
  DialogAnswer Message(const QString& text, const QString& caption, DialogIcon icon,
                       DialogButtons buttons) override;
  QString OpenFile(const FileDialogOptions& options) override;
  QString SaveFile(const FileDialogOptions& options) override;
  std::optional<QColor> ChooseColour(const QColor& initial) override;
};

// The program's "description|pattern|..." filter as Qt name filters:
// "Textový soubor [*.txt]|*.txt" -> {"Textový soubor [*.txt] (*.txt)"}.
// Qt reads the patterns from the parentheses, hence the added pair.
QStringList QtNameFilters(const QString& filter);

}  // namespace rq30
