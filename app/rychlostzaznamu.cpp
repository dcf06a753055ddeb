#include "rychlostzaznamu.h"

#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QTabBar>
#include <algorithm>

#include "field_check.h"
#include "number_text.h"
#include "ui_rychlostzaznamu.h"

namespace {

const long kLeastRate = 1;
const long kMostRate = 1000;
const long kLeastSaveMinutes = 1;
const long kMostSaveMinutes = 60;

const int kWidth = 240;
const int kHeight = 236;
const int kTabSlack = 4;  // the page frame's own border beside the tabs

const int kSeconds = 1;
const int kMinutes = 60;

// After OK the texts go straight into the main window's panel captions and,
// converted again there, into the tags that drive the log timing and are
// stored. The checks accept blanks, a sign and leading zeros (" +05"), so
// the field is rewritten as the plain number it was accepted as; caption
// and tag can then never disagree.
void WritePlainNumber(QLineEdit* field) {
  long number = 0;
  if (rq30::ParseInt(field->text().toStdString(), number)) field->setText(QString::number(number));
}

}  // namespace

Tform_zaznam::Tform_zaznam(QWidget* parent) : QDialog(parent), ui(new Ui::Tform_zaznam) {
  ui->setupUi(this);
  // A fixed frame with the close box only.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  // 240 × 236 where both page captions fit in that width; a wider system
  // font widens the frame rather than hide a page behind scroll arrows.
  int left = 0, top = 0, right = 0, bottom = 0;
  layout()->getContentsMargins(&left, &top, &right, &bottom);
  const int tabsWidth = ui->PageControl1->tabBar()->sizeHint().width() + left + right + kTabSlack;
  setFixedSize(std::max(kWidth, tabsWidth), kHeight);

  connect(ui->tl_ok, &QPushButton::clicked, this, &Tform_zaznam::tl_okClick);
  connect(ui->tl_cancel, &QPushButton::clicked, this, &Tform_zaznam::reject);
  // Enter in a field runs its checks instead of pressing a button.
  ui->ed_sample->installEventFilter(this);
  ui->ed_soubor->installEventFilter(this);
}

Tform_zaznam::~Tform_zaznam() = default;

void Tform_zaznam::SetValues(const QString& saveMinutes, const QString& rate, int unitTag) {
  ui->ed_soubor->setText(saveMinutes);
  ui->ed_sample->setText(rate);
  // The buttons are exclusive: checking one clears the other.
  if (unitTag == kSeconds) {
    ui->rb_sec->setChecked(true);
  } else {
    ui->rb_min->setChecked(true);
  }
}

QString Tform_zaznam::SaveMinutesText() const {
  return ui->ed_soubor->text();
}

QString Tform_zaznam::RateText() const {
  return ui->ed_sample->text();
}

bool Tform_zaznam::Edit(QString& saveMinutes, QString& rate, int& unitTag) {
  SetValues(saveMinutes, rate, unitTag);
  if (exec() != QDialog::Accepted) return false;
  saveMinutes = SaveMinutesText();
  rate = RateText();
  unitTag = RateUnit();
  return true;
}

int Tform_zaznam::CheckInteger(QLineEdit* field) {
  return rq30::CheckInteger(field, QStringLiteral("Je nutné zadávat pouze číslice"),
                            QStringLiteral("1"));
}

int Tform_zaznam::CheckRange(long low, long high, QLineEdit* field) {
  return rq30::CheckRange(field, low, high, rq30::RangeMessage(low, high));
}

bool Tform_zaznam::FieldFails(long low, long high, QLineEdit* field) {
  // Both checks run: a text that is no number is reset to "1" and then
  // passes the range check, but the operator has already been told.
  const bool notNumber = CheckInteger(field) != 0;
  const bool outOfRange = CheckRange(low, high, field) != 0;
  return notNumber || outOfRange;
}

void Tform_zaznam::EnterInField(long low, long high, QLineEdit* field) {
  if (CheckInteger(field) != 0) return;  // the field holds "1" and has the focus
  if (CheckRange(low, high, field) != 0) {
    field->setFocus();
  } else {
    ui->tl_ok->setFocus();
  }
}

void Tform_zaznam::ed_sampleKeyPress() {
  EnterInField(kLeastRate, kMostRate, ui->ed_sample);
}

void Tform_zaznam::ed_souborKeyPress() {
  EnterInField(kLeastSaveMinutes, kMostSaveMinutes, ui->ed_soubor);
}

void Tform_zaznam::tl_okClick() {
  // The file interval is checked even when the rate failed, so one press
  // reports both fields; the page of the last failure ends in front.
  const bool sampleFailed = FieldFails(kLeastRate, kMostRate, ui->ed_sample);
  if (sampleFailed) {
    ui->PageControl1->setCurrentWidget(ui->TabSheet1);
    ui->ed_sample->setFocus();
  }
  const bool fileFailed = FieldFails(kLeastSaveMinutes, kMostSaveMinutes, ui->ed_soubor);
  if (fileFailed) {
    ui->PageControl1->setCurrentWidget(ui->TabSheet2);
    ui->ed_soubor->setFocus();
  }
  if (sampleFailed || fileFailed) return;

  rateUnit_ = ui->rb_min->isChecked() ? kMinutes : kSeconds;
  WritePlainNumber(ui->ed_sample);
  WritePlainNumber(ui->ed_soubor);
  accept();
}

bool Tform_zaznam::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (watched == ui->ed_sample) {
        ed_sampleKeyPress();
        return true;
      }
      if (watched == ui->ed_soubor) {
        ed_souborKeyPress();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}
