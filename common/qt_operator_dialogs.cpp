#include "qt_operator_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace rq30 {
namespace {

QMessageBox::Icon QtIcon(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::kError:
      return QMessageBox::Critical;
    case DialogIcon::kWarning:
      return QMessageBox::Warning;
    case DialogIcon::kQuestion:
      return QMessageBox::Question;
    case DialogIcon::kInformation:
      return QMessageBox::Information;
    case DialogIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case DialogButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case DialogButtons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case DialogButtons::kOk:
      break;
  }
  return QMessageBox::Ok;
}

QString RunFileDialog(const FileDialogOptions& options, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(nullptr, options.title, options.initialDir);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(QtNameFilters(options.filter));
  dialog.setDefaultSuffix(options.defaultExtension);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
  if (!options.fileName.isEmpty()) dialog.selectFile(options.fileName);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

}  // namespace

DialogAnswer QtOperatorDialogs::Message(const QString& text, const QString& caption,
                                        DialogIcon icon, DialogButtons buttons) {
  QMessageBox box(QtIcon(icon), caption, text, QtButtons(buttons), nullptr);
  switch (box.exec()) {
    case QMessageBox::Ok:
      return DialogAnswer::kOk;
    case QMessageBox::Yes:
      return DialogAnswer::kYes;
    case QMessageBox::No:
      return DialogAnswer::kNo;
    default:
      return DialogAnswer::kCancel;
  }
}

QString QtOperatorDialogs::OpenFile(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptOpen);
}

QString QtOperatorDialogs::SaveFile(const FileDialogOptions& options) {
  return RunFileDialog(options, QFileDialog::AcceptSave);
}

std::optional<QColor> QtOperatorDialogs::ChooseColour(const QColor& initial) {
  const QColor chosen = QColorDialog::getColor(initial, nullptr);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

QStringList QtNameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ');
    filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return filters;
}

}  // namespace rq30
