// The parameter set file of the editor: "Uložit..." writes what the controls
// show and the program arrays of the table image, "Otevřít..." puts a file
// into the controls, collects page after page into the table image and
// loads the programs. Neither talks to the controller: the operator sends
// the loaded values page by page with "Zápis".
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include "error_box.h"
#include "fixed_text.h"
#include "ini_file.h"
#include "operator_dialogs.h"
#include "param_file.h"
#include "param_keys.h"
#include "param_values.h"
#include "program_page.h"
#include "ui_unitmenumod.h"
#include "unitmenumod.h"

namespace {

const QString kDefaultFileName = QStringLiteral("VTQ 45-1xxx");
const QString kDefaultExtension = QStringLiteral("INI");

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// Whether the file holds any of the parameter set's twelve sections.
bool HoldsAnySection(const rq30::IniFile& file) {
  for (const rq30::paramset::Key& key : rq30::paramset::Keys()) {
    if (file.HasSection(key.section)) return true;
  }
  return false;
}

}  // namespace

std::string Tmenu_mod::SavedValue(const rq30::paramset::Key& key) const {
  if (rq30::paramset::SavedFromImage(key, variant_))
    return rq30::paramset::ImageText(image_, key, rq30::DecimalSeparator());
  return ControlValue(key).toStdString();
}

void Tmenu_mod::tl_ulozitClick() {
  rq30::FileDialogOptions options;
  options.filter = QStringLiteral("Parametry regulátoru[*.ini]|*.ini");
  options.defaultExtension = kDefaultExtension;
  options.fileName = kDefaultFileName;
  options.confirmOverwrite = true;
  const QString path = rq30::Dialogs().SaveFile(options);
  if (path.isEmpty()) return;
  // Nothing is collected first: a page keeps what the operator typed. A
  // page not shown since the load shows the table image first, so the
  // file is a backup of the controller and not of the loader's presets.
  FillPagesNotShown();
  rq30::Guarded([&] {
    rq30::paramset::SaveParameterSet(
        LocalPath(path), [this](const rq30::paramset::Key& key) { return SavedValue(key); },
        variant_);
  });
}

void Tmenu_mod::tl_otevritClick() {
  rq30::FileDialogOptions options;
  options.filter = QStringLiteral("Parametry regulátoru [*.ini]|*.ini");
  options.defaultExtension = kDefaultExtension;
  options.fileName = kDefaultFileName;
  const QString path = rq30::Dialogs().OpenFile(options);
  if (path.isEmpty()) return;
  const rq30::IniFile file(LocalPath(path));
  if (!HoldsAnySection(file)) {
    // Empty, binary, UTF-16 or any other text: taking its defaults would
    // reset every page and zero all programs, ready for the next "Zápis".
    rq30::Dialogs().Message(
        QStringLiteral("Soubor %1 neobsahuje parametry regulátoru, nic nebylo načteno.").arg(path),
        QStringLiteral("CHYBA"), rq30::DialogIcon::kWarning, rq30::DialogButtons::kOk);
    return;
  }
  const char separator = rq30::DecimalSeparator();

  // Pages 1..11: each section into its controls, then the page's collect
  // checks the texts (a rejected one becomes "0") and takes it into the
  // image. A rejected page does not stop the load.
  for (const rq30::paramset::Key& key : rq30::paramset::Keys()) {
    if (key.page == rq30::paramset::kCompPage) continue;
    const std::string value = rq30::paramset::FileValue(file, key);
    if (key.form == rq30::paramset::Form::kList) {
      SetControlValue(key, QString::number(rq30::paramset::LoadedPosition(key, value, variant_)));
    } else if (key.slot == rq30::paramset::Slot::kFloat) {
      // A file from a computer with the other decimal separator loads the
      // same numbers; the field shows them with this one's.
      SetControlValue(key, QString::fromStdString(rq30::paramset::LocaleFloatText(value, separator)));
    } else {
      SetControlValue(key, QString::fromStdString(value));
    }
    if (key.collectAfter) CollectPage(key.page);
  }

  // COMP: the program selection stays the one page 0 shows (the file's
  // PROG and C_PR are not read), so the controller's selection holds.
  Ui::Tmenu_mod& u = *ui_;
  image_.programSelection.type = static_cast<uint8_t>(u.cb_prog_typ->currentIndex());
  const int number = u.cb_prog_cis->currentIndex();
  image_.programSelection.number =
      static_cast<uint8_t>(number >= 0 && number < rq30::kPrograms ? number : 0);
  program_->SelectSegment(0);
  u.ed_cas->setText(QStringLiteral("0"));
  std::optional<std::string> start;
  const rq30::paramset::Key* bad =
      rq30::paramset::LoadCompValues(file, image_, separator, &start);
  if (start) u.ed_pocatek->setText(QString::fromStdString(rq30::paramset::LocaleFloatText(*start, separator)));
  if (bad) {
    // What came before the bad value stays loaded; page 0 is not refilled.
    rq30::Dialogs().Message(
        QStringLiteral("Chybná hodnota klíče %1 v souboru").arg(QString::fromStdString(bad->name)),
        QStringLiteral("CHYBA"), rq30::DialogIcon::kWarning, rq30::DialogButtons::kOk);
    return;
  }
  // A ramp's start value comes from the setpoint list just loaded, not from
  // the POCATEK text.
  FillPage(kComp);
  // Every page now shows the file: a save keeps it.
  for (bool& filled : filled_) filled = true;
}
