#include "program_page.h"

#include "write_sequence.h"

#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "field_parsers.h"
#include "link.h"
#include "operator_dialogs.h"
#include "ui_unitmenumod.h"

namespace rq30 {

namespace {

constexpr int kRows = kSegments + 1;
constexpr int kColumns = 3;
constexpr int kTypeSp = 0;
constexpr int kTypeRamp = 1;
constexpr int kPauseBetweenBlocks = 100;

// Program block kinds of the link, and the tables they live in.
constexpr int kSetpointListBlock = 0;
constexpr int kSetpointsBlock = 1;
constexpr int kTimesBlock = 2;
constexpr int kSetpointListTable = 0;
constexpr int kSetpointsTable = 17;
constexpr int kTimesTable = 18;
constexpr int kSelectionTable = 16;

bool IsProgramNumber(int p) {
  return p >= 0 && p < kPrograms;
}

// A time typed with decimals is cut toward zero; a number no slot can hold
// is kept at the slot's limit instead of overflowing.
int32_t CutToWhole(float value) {
  const double cut = std::trunc(static_cast<double>(value));
  if (cut >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (cut <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(cut);
}

long CutToLong(float value) {
  const double cut = std::trunc(static_cast<double>(value));
  if (cut >= static_cast<double>(std::numeric_limits<long>::max()))
    return std::numeric_limits<long>::max();
  if (cut <= static_cast<double>(std::numeric_limits<long>::min()))
    return std::numeric_limits<long>::min();
  return static_cast<long>(cut);
}

bool IsEnter(QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

ProgramPage::ProgramPage(Ui::Tmenu_mod& ui, TableImage& image, Link& link, Hooks hooks,
                         QObject* parent)
    : QObject(parent), ui_(ui), image_(image), link_(link), hooks_(std::move(hooks)) {
  QTableWidget* grid = ui_.tab_comp;
  grid->setRowCount(kRows);
  grid->setColumnCount(kColumns);
  const QBrush headerBrush(QColor(0xE0, 0xE0, 0xE0));
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QTableWidgetItem;
      if (r == 0 || c == 0) {
        // Headers look fixed and cannot be picked.
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(headerBrush);
        item->setTextAlignment(Qt::AlignCenter);
      } else {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      }
      grid->setItem(r, c, item);
    }
  }
  grid->verticalHeader()->setDefaultSectionSize(19);
  grid->setColumnWidth(0, 64);
  grid->setColumnWidth(1, 96);
  grid->setColumnWidth(2, 80);
  const int frame = 2 * grid->frameWidth();
  grid->setFixedSize(64 + 96 + 80 + frame, kRows * 19 + frame);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  // Enter in the two entry fields runs their checks and nothing else.
  ui_.ed_comp->installEventFilter(this);
  ui_.ed_cas->installEventFilter(this);

  // Only the operator's picks count: a selection made by the program (a
  // fill, or the next program number after segment 19) tells the controller
  // nothing.
  connect(ui_.tl_add, &QPushButton::clicked, this, &ProgramPage::tl_addClick);
  connect(ui_.cb_usek, &QComboBox::activated, this, &ProgramPage::cb_usekChange);
  connect(ui_.cb_prog_typ, &QComboBox::activated, this, &ProgramPage::cb_prog_typChange);
  connect(ui_.cb_prog_cis, &QComboBox::activated, this, &ProgramPage::cb_prog_cisChange);
}

QTableWidgetItem* ProgramPage::Cell(int row, int column) const {
  return ui_.tab_comp->item(row, column);
}

QString ProgramPage::CellText(int row, int column) const {
  return Cell(row, column)->text();
}

void ProgramPage::SetCell(int row, int column, const QString& text) {
  Cell(row, column)->setText(text);
}

void ProgramPage::LayoutProgramGrid() {
  const int type = image_.programSelection.type;
  const bool sp = type == kTypeSp;
  if (sp) {
    SetCell(0, 0, QStringLiteral("program"));
    SetCell(0, 1, QStringLiteral("teplota"));
    SetCell(0, 2, QStringLiteral("--"));
  } else {
    SetCell(0, 0, QStringLiteral("úsek"));
    SetCell(0, 1, QStringLiteral("teplota"));
    SetCell(0, 2, QStringLiteral("čas"));
    for (int r = 1; r < kRows; ++r) {
      SetCell(r, 0, QString::number(r - 1));
      SetCell(r, 1, QString());
      SetCell(r, 2, QString());
    }
  }
  ui_.ed_cas->setVisible(!sp);
  ui_.lb_cas->setVisible(!sp);
  ui_.lb_cas_mn->setVisible(!sp);
  const bool ramp = type == kTypeRamp;
  ui_.ed_pocatek->setVisible(ramp);
  ui_.lb_pocatek->setVisible(ramp);
  ui_.lb_usek->setText(sp ? QStringLiteral("program") : QStringLiteral("úsek"));
}

int ProgramPage::SelectedProgram() const {
  return ui_.cb_prog_cis->currentIndex();
}

void ProgramPage::FillPage() {
  ui_.cb_prog_typ->setCurrentIndex(image_.programSelection.type);
  // A number from outside 0..9 (from the controller or a file) must never
  // index the programs: show program 0 instead, which the next write sends.
  const int number = image_.programSelection.number;
  ui_.cb_prog_cis->setCurrentIndex(IsProgramNumber(number) ? number : 0);
  const int p = SelectedProgram();

  const int type = ui_.cb_prog_typ->currentIndex();
  if (type == kTypeSp) {
    for (int r = 1; r <= kPrograms; ++r) {
      SetCell(r, 1, DecimalText(image_.setpointList[r - 1]));
      SetCell(r, 2, QString());
    }
    return;
  }
  if (type == kTypeRamp) ui_.ed_pocatek->setText(DecimalText(image_.setpointList[p]));
  for (int r = 1; r < kRows; ++r) {
    SetCell(r, 1, DecimalText(image_.programSetpoints[p][r - 1]));
    SetCell(r, 2, QString::number(image_.programTimes[p][r - 1]));
  }
}

int ProgramPage::RejectCell(int row, int column) {
  Dialogs().Message(QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku"),
                    QStringLiteral("CHYBA"), DialogIcon::kWarning, DialogButtons::kOk);
  ui_.tab_comp->setCurrentCell(row, column);
  ui_.tab_comp->setFocus();
  return -1;
}

int ProgramPage::CollectPage() {
  image_.programSelection.type = static_cast<uint8_t>(ui_.cb_prog_typ->currentIndex());
  int p = SelectedProgram();
  if (!IsProgramNumber(p)) p = 0;
  image_.programSelection.number = static_cast<uint8_t>(p);

  const int type = image_.programSelection.type;
  float value = 0;
  if (type == kTypeSp) {
    for (int i = 0; i < kPrograms; ++i) {
      if (!ParseDecimalText(CellText(i + 1, 1), value)) return RejectCell(i + 1, 1);
      image_.setpointList[i] = value;
    }
    return 0;
  }
  if (type == kTypeRamp) {
    if (!ParseDecimalText(ui_.ed_pocatek->text(), value)) {
      Dialogs().Message(QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku"),
                        QStringLiteral("CHYBA"), DialogIcon::kWarning, DialogButtons::kOk);
      ui_.ed_pocatek->setFocus();
      return -1;
    }
    image_.setpointList[p] = value;
  }
  for (int i = 0; i < kSegments; ++i) {
    if (!ParseDecimalText(CellText(i + 1, 1), value)) return RejectCell(i + 1, 1);
    image_.programSetpoints[p][i] = value;
    if (!ParseDecimalText(CellText(i + 1, 2), value)) return RejectCell(i + 1, 2);
    image_.programTimes[p][i] = CutToWhole(value);
  }
  return 0;
}

int ProgramPage::ReadProgram() {
  const int type = ui_.cb_prog_typ->currentIndex();
  int p = SelectedProgram();
  if (!IsProgramNumber(p)) p = 0;
  if (type == kTypeSp) return link_.ReadProgramBlock(kSetpointListBlock, p, kSetpointListTable);
  // The setpoint list comes along for JUMP too, although JUMP has no start
  // value: the controller serves it in the same sequence.
  const int list = link_.ReadProgramBlock(kSetpointListBlock, p, kSetpointListTable);
  hooks_.pause(kPauseBetweenBlocks);
  const int setpoints = link_.ReadProgramBlock(kSetpointsBlock, p, kSetpointsTable);
  hooks_.pause(kPauseBetweenBlocks);
  const int times = link_.ReadProgramBlock(kTimesBlock, p, kTimesTable);
  return list && setpoints && times ? 1 : 0;
}

int ProgramPage::WriteProgram() {
  rq30::paramset::WriteHooks hooks;
  hooks.pause = hooks_.pause;
  hooks.blockWritten = [this] { hooks_.progress(100); };
  return rq30::paramset::WriteProgramData(link_, image_, hooks);
}

void ProgramPage::SelectSegment(int segment) {
  ui_.cb_usek->setCurrentIndex(segment);
}

void ProgramPage::HighlightSegment() {
  const int segment = ui_.cb_usek->currentIndex();
  if (segment >= 0) ui_.tab_comp->setCurrentCell(segment + 1, 1);
}

void ProgramPage::tl_addClick() {
  int s = ui_.cb_usek->currentIndex();
  if (s < 0) s = 0;
  SetCell(s + 1, 1, ui_.ed_comp->text());
  const bool sp = ui_.cb_prog_typ->currentIndex() == kTypeSp;
  SetCell(s + 1, 2, sp ? QStringLiteral("--") : ui_.ed_cas->text());
  if (s < kSegments - 1) {
    SelectSegment(s + 1);
  } else {
    const DialogAnswer answer =
        Dialogs().Message(QStringLiteral("Chceš zapsat data do regulátoru?"),
                          QStringLiteral("Zápis"), DialogIcon::kWarning, DialogButtons::kYesNo);
    if (answer == DialogAnswer::kYes) hooks_.write();
    SelectSegment(0);
    // The next program number is only a suggestion for the next write: the
    // grid keeps its contents and the controller is not told.
    const int number = ui_.cb_prog_cis->currentIndex();
    if (number < kPrograms - 1) ui_.cb_prog_cis->setCurrentIndex(number + 1);
  }
  HighlightSegment();
  ui_.ed_comp->setFocus();
}

void ProgramPage::cb_usekChange(int) {
  HighlightSegment();
}

void ProgramPage::ChangeSelection() {
  // The controller's selection changes at once, before any write; whether
  // it took it shows in the read that follows.
  if (!IsProgramNumber(image_.programSelection.number))
    image_.programSelection.number = static_cast<uint8_t>(std::max(0, SelectedProgram()));
  link_.WriteTable(kSelectionTable);
  hooks_.read();
}

void ProgramPage::cb_prog_typChange(int type) {
  image_.programSelection.type = static_cast<uint8_t>(type);
  ChangeSelection();
}

void ProgramPage::cb_prog_cisChange(int number) {
  image_.programSelection.number = static_cast<uint8_t>(number);
  ChangeSelection();
}

void ProgramPage::ed_compKeyPress() {
  float value = 0;
  if (ParseDecimalField(ui_.ed_comp, value) != 0) return;
  if (CheckRange(-999, 9999, CutToLong(value)) != 0) {
    ui_.ed_comp->setFocus();
    return;
  }
  // Without a time field (type SP) the segment is ready to be added; in
  // firmware variant 1 there is no grid, and the write button is next.
  if (ui_.ed_cas->isVisibleTo(ui_.ta_comp)) {
    ui_.ed_cas->setFocus();
  } else if (ui_.tl_add->isVisibleTo(ui_.ta_comp)) {
    ui_.tl_add->setFocus();
  } else {
    ui_.tl_zapis->setFocus();
  }
}

void ProgramPage::ed_casKeyPress() {
  int32_t value = 0;
  if (ParseWholeField(ui_.ed_cas, value) != 0) return;
  if (CheckRange(0, 1000, value) != 0) {
    ui_.ed_cas->setFocus();
    return;
  }
  ui_.tl_add->setFocus();
}

bool ProgramPage::eventFilter(QObject* watched, QEvent* event) {
  if (IsEnter(event)) {
    if (watched == ui_.ed_comp) {
      ed_compKeyPress();
      return true;
    }
    if (watched == ui_.ed_cas) {
      ed_casKeyPress();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace rq30
