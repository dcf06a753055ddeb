// Every message box, file dialog and colour dialog of the program goes
// through Dialogs(), so that tests can install a scripted stand-in and no
// test ever waits on a real modal box.
#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace rq30 {

enum class DialogIcon { kNone, kError, kWarning, kQuestion, kInformation };
enum class DialogButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class DialogAnswer { kOk, kCancel, kYes, kNo };

struct FileDialogOptions {
  QString title;  // empty: the toolkit's own title
  // The program's filter text: description and pattern pairs separated by
  // '|', e.g. "Parametry regulátoru[*.ini]|*.ini"; several patterns of one
  // entry are separated by ';'.
  QString filter;
  QString defaultExtension;  // without the dot; added when a typed name has none
  QString initialDir;
  QString fileName;               // the name offered first; may be a full path
  bool confirmOverwrite = false;  // save dialogs: ask before replacing a file
};

class OperatorDialogs {
 public:
  virtual ~OperatorDialogs() = default;

  // A modal message box without owner window, like the Windows message box.
  virtual DialogAnswer Message(const QString& text, const QString& caption, DialogIcon icon,
                               DialogButtons buttons) = 0;
  // The chosen path, or an empty string when the operator cancels.
  virtual QString OpenFile(const FileDialogOptions& options) = 0;
  virtual QString SaveFile(const FileDialogOptions& options) = 0;
  // The chosen colour, or nothing when the operator cancels.
  virtual std::optional<QColor> ChooseColour(const QColor& initial) = 0;
};

// The instance in use: the installed one, or the real Qt dialogs.
OperatorDialogs& Dialogs();

// Makes `dialogs` the instance in use (not owned; it must outlive its use);
// nullptr restores the real Qt dialogs.
void InstallDialogs(OperatorDialogs* dialogs);

}  // namespace rq30
