#include "rotace_3d.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include "field_check.h"
#include "line_chart.h"
#include "number_text.h"
#include "operator_dialogs.h"
#include "ui_rotace_3d.h"

namespace {
const int kLeastPoints = 10;
const int kMostPoints = 100000;
}  // namespace

Trotace3D::Trotace3D(rq30::LineChart* chart, QWidget* parent)
    : QDialog(parent), ui(new Ui::Trotace3D), chart_(chart) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(192, 230);

  connect(ui->check_3D, &QCheckBox::clicked, this, &Trotace3D::check_3DClick);
  connect(ui->bar_3D, &QScrollBar::valueChanged, this, &Trotace3D::bar_3DChange);
  connect(ui->tl_barva_mriz, &QPushButton::clicked, this, &Trotace3D::tl_barva_mrizClick);
  connect(ui->tl_barva_okraj, &QPushButton::clicked, this, &Trotace3D::tl_barva_okrajClick);
  connect(ui->tl_ok, &QPushButton::clicked, this, &Trotace3D::tl_okClick);
  connect(ui->tl_cancel, &QPushButton::clicked, this, &Trotace3D::reject);
  // Enter in the field runs its checks instead of pressing a button.
  ui->ed_poc_mer->installEventFilter(this);
  Paint(ui->pa_barva_mriz, look_.gridColour);
  Paint(ui->pa_barva_okraj, look_.backColour);
}

Trotace3D::~Trotace3D() = default;

void Trotace3D::SetLook(const rq30::ChartLook& look) {
  look_ = look;
  // Filling the controls is no operator action: no preview yet.
  const QSignalBlocker blockCheck(ui->check_3D);
  const QSignalBlocker blockBar(ui->bar_3D);
  ui->check_3D->setChecked(look.view3D);
  ui->bar_3D->setValue(look.percent3D);
  Paint(ui->pa_barva_mriz, look.gridColour);
  Paint(ui->pa_barva_okraj, look.backColour);
  ui->ed_poc_mer->setText(QString::number(look.pointLimit));
}

rq30::ChartLook Trotace3D::Look() const {
  rq30::ChartLook look = look_;
  look.view3D = ui->check_3D->isChecked();
  look.percent3D = ui->bar_3D->value();
  long number = 0;
  if (rq30::ParseInt(ui->ed_poc_mer->text().toStdString(), number) && number >= kLeastPoints &&
      number <= kMostPoints) {
    look.pointLimit = static_cast<int>(number);
  }
  return look;
}

bool Trotace3D::Edit(rq30::ChartLook& look) {
  SetLook(look);
  if (exec() != QDialog::Accepted) return false;
  look = Look();
  return true;
}

int Trotace3D::CheckInteger() {
  return rq30::CheckInteger(ui->ed_poc_mer, QStringLiteral("Chyba při zadání číselného textu"),
                            QStringLiteral("0"));
}

int Trotace3D::CheckRange() {
  return rq30::CheckRange(ui->ed_poc_mer, kLeastPoints, kMostPoints,
                          QStringLiteral("Je nutné zadávat pouze čísla v rozsahu 10 až 100000"));
}

void Trotace3D::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void Trotace3D::FormShow() {
  before_ = chart_ ? chart_->Style() : rq30::ChartStyle();
  haveBefore_ = chart_ != nullptr;
}

void Trotace3D::reject() {
  // "Storno", Esc and the close box: the preview is undone exactly, even a
  // look the main window's values would not give back (say, a plotting area
  // that was never filled).
  if (haveBefore_ && chart_) chart_->SetStyle(before_);
  haveBefore_ = false;
  QDialog::reject();
}

void Trotace3D::check_3DClick(bool checked) {
  if (chart_) chart_->SetView3D(checked);
}

void Trotace3D::bar_3DChange(int position) {
  if (chart_) chart_->SetPercent3D(position);
}

void Trotace3D::tl_barva_mrizClick() {
  if (!ChooseColour(look_.gridColour)) return;
  Paint(ui->pa_barva_mriz, look_.gridColour);
  if (chart_) chart_->SetWallColour(rq30::ColourFromValue(look_.gridColour));
}

void Trotace3D::tl_barva_okrajClick() {
  if (!ChooseColour(look_.backColour)) return;
  Paint(ui->pa_barva_okraj, look_.backColour);
  if (chart_) chart_->SetPanelColour(rq30::ColourFromValue(look_.backColour));
}

bool Trotace3D::ChooseColour(int32_t& value) {
  const std::optional<QColor> chosen = rq30::Dialogs().ChooseColour(dialogColour_);
  if (!chosen) return false;
  dialogColour_ = *chosen;
  value = rq30::ValueFromColour(*chosen);
  return true;
}

void Trotace3D::tl_okClick() {
  if (CheckInteger() != 0) return;
  if (CheckRange() != 0) {
    ui->ed_poc_mer->setFocus();
    return;
  }
  haveBefore_ = false;
  accept();
}

void Trotace3D::ed_poc_merKeyPress() {
  if (CheckInteger() != 0) return;
  if (CheckRange() != 0) {
    ui->ed_poc_mer->setFocus();
  } else {
    ui->tl_ok->setFocus();
  }
}

bool Trotace3D::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->ed_poc_mer && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ed_poc_merKeyPress();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Trotace3D::Paint(QWidget* swatch, int32_t value) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, rq30::ColourFromValue(value));
  swatch->setPalette(palette);
}
