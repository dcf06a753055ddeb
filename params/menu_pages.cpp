// The editor's pages as views of the table image: FillPage shows a page's
// table, CollectPage takes it back. Fields are collected in the order the
// page lists them, and every field is parsed even after a rejected one, so
// the operator sees one message per bad field. Pages 1..11 go through the
// parameter set's keys, which the file and the command-line client share.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>

#include "field_parsers.h"
#include "fixed_text.h"
#include "param_keys.h"
#include "param_values.h"
#include "program_page.h"
#include "ui_unitmenumod.h"
#include "unitmenumod.h"

namespace {

// A stored value outside the list shows no selection.
void Select(QComboBox* list, int position) {
  list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

void ShowDecimal(QLineEdit* field, float value) {
  field->setText(rq30::DecimalText(value));
}

void ShowWhole(QLineEdit* field, long value) {
  field->setText(QString::number(value));
}

// Accumulates the parsers' results: -1 once any field was rejected.
class Verdict {
 public:
  void operator+=(int result) {
    if (result != 0) result_ = -1;
  }
  int Result() const { return result_; }

 private:
  int result_ = 0;
};

}  // namespace

void Tmenu_mod::ColourLowerLimit(int page) {
  QComboBox* mode = page == kAlarm1 ? ui_->cb_rala1 : ui_->cb_rala2;
  QLineEdit* lower = page == kAlarm1 ? ui_->ed_splo1 : ui_->ed_splo2;
  // Only WIN and DWI use a lower limit; the field stays editable and is
  // written in every mode.
  const int position = mode->currentIndex();
  const bool used = position == 2 || position == 3;
  QPalette palette = lower->palette();
  palette.setColor(QPalette::Base, used ? QApplication::palette(lower).color(QPalette::Base)
                                        : QColor(192, 192, 192));
  lower->setPalette(palette);
}

void Tmenu_mod::cb_rala1Change(int) {
  ColourLowerLimit(kAlarm1);
}

void Tmenu_mod::cb_rala2Change(int) {
  ColourLowerLimit(kAlarm2);
}

QString Tmenu_mod::ControlValue(const rq30::paramset::Key& key) const {
  QWidget* control = findChild<QWidget*>(QString::fromStdString(key.control));
  if (auto* list = qobject_cast<QComboBox*>(control)) return QString::number(list->currentIndex());
  if (auto* field = qobject_cast<QLineEdit*>(control)) return field->text();
  return QString();
}

void Tmenu_mod::SetControlValue(const rq30::paramset::Key& key, const QString& value) {
  QWidget* control = findChild<QWidget*>(QString::fromStdString(key.control));
  if (auto* list = qobject_cast<QComboBox*>(control)) {
    bool whole = false;
    const int position = value.toInt(&whole);
    Select(list, whole ? position : -1);
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(value);
  }
}

void Tmenu_mod::PresetControls() {
  for (const rq30::paramset::Key& key : rq30::paramset::Keys()) {
    if (key.preset && !key.control.empty())
      SetControlValue(key, QString::fromStdString(*key.preset));
  }
  for (bool& filled : filled_) filled = false;
}

void Tmenu_mod::FillPagesNotShown() {
  // Nothing was read when the firmware was not identified: the presets
  // stand, as they always did.
  if (variant_ == 0) return;
  for (int page = kComp; page < kPageCount; ++page) {
    if (!filled_[page] && PageOffered(page)) FillPage(page);
  }
}

void Tmenu_mod::FillKeys(int page) {
  const char separator = rq30::DecimalSeparator();
  for (const rq30::paramset::Key& key : rq30::paramset::Keys()) {
    if (key.page != page) continue;
    if (auto value = rq30::paramset::FilledValue(image_, key, variant_, separator))
      SetControlValue(key, QString::fromStdString(*value));
  }
  if (page == kAlarm1 || page == kAlarm2) ColourLowerLimit(page);
}

int Tmenu_mod::CollectKeys(int page) {
  const char separator = rq30::DecimalSeparator();
  Verdict v;
  // The keys of a page list its text fields in the order of their table, so
  // the messages come in that order too.
  for (const rq30::paramset::Key& key : rq30::paramset::Keys()) {
    if (key.page != page) continue;
    if (key.startTime && variant_ == 2) continue;
    if (key.form == rq30::paramset::Form::kList) {
      rq30::paramset::StoreValue(image_, key, ControlValue(key).toStdString(), separator);
      continue;
    }
    auto* field = findChild<QLineEdit*>(QString::fromStdString(key.control));
    if (float* slot = rq30::paramset::FloatSlot(image_, key)) {
      v += rq30::ParseDecimalField(field, *slot);
    } else if (uint8_t* byte = rq30::paramset::ByteSlot(image_, key)) {
      v += rq30::ParseWholeField(field, *byte);
    } else if (int32_t* whole = rq30::paramset::Int32Slot(image_, key)) {
      v += rq30::ParseWholeField(field, *whole);
    }
  }
  return v.Result();
}

void Tmenu_mod::FillPage(int page) {
  Ui::Tmenu_mod& u = *ui_;
  rq30::TableImage& m = image_;
  if (page >= 0 && page < kPageCount) filled_[page] = true;
  switch (page) {
    case kComp:
      if (variant_ == 1) {
        ShowDecimal(u.ed_comp, m.sp);
      } else {
        program_->FillPage();
      }
      break;
    case kTime:
      ShowWhole(u.ed_year, m.clock.year);
      ShowWhole(u.ed_month, m.clock.mont);
      ShowWhole(u.ed_mday, m.clock.mday);
      // Monday is 1 in the controller and the first entry of the list.
      Select(u.cb_wday, m.clock.wday - 1);
      ShowWhole(u.ed_hour, m.clock.hour);
      ShowWhole(u.ed_min, m.clock.min);
      ShowWhole(u.ed_sec, m.clock.sec);
      break;
    default:
      // DP of page 6 only sets the controller's own display: values are
      // never scaled by it.
      if (page > kComp && page < kTime) FillKeys(page);
      break;
  }
}

int Tmenu_mod::CollectPage(int page) {
  Ui::Tmenu_mod& u = *ui_;
  rq30::TableImage& m = image_;
  Verdict v;
  switch (page) {
    case kComp:
      if (variant_ == 1) {
        v += rq30::ParseDecimalField(u.ed_comp, m.sp);
      } else {
        v += program_->CollectPage();
      }
      break;
    case kTime:
      v += rq30::ParseWholeField(u.ed_year, m.clock.year);
      v += rq30::ParseWholeField(u.ed_month, m.clock.mont);
      v += rq30::ParseWholeField(u.ed_mday, m.clock.mday);
      m.clock.wday = static_cast<uint8_t>(u.cb_wday->currentIndex() + 1);
      v += rq30::ParseWholeField(u.ed_hour, m.clock.hour);
      v += rq30::ParseWholeField(u.ed_min, m.clock.min);
      v += rq30::ParseWholeField(u.ed_sec, m.clock.sec);
      break;
    default:
      // No range tests: an address of 300 goes out as its low byte, 44. The
      // reserved byte of page 9 has no slot; the link always sends it as 0.
      if (page > kComp && page < kTime) v += CollectKeys(page);
      break;
  }
  return v.Result();
}
