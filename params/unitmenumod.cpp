#include "unitmenumod.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include "link.h"
#include "load_sequence.h"
#include "operator_dialogs.h"
#include "param_values.h"
#include "program_page.h"
#include "ui_unitmenumod.h"

namespace {

static_assert(Tmenu_mod::kPageCount == rq30::paramset::kEditorPages);

constexpr int kAddressTable = 10;

const QString kPcutEntries[] = {
    QStringLiteral("OFF-ukončení programu s vypnutím"),
    QStringLiteral("RST-nový start programu"),
    QStringLiteral("SBY-udržování žádané hodnoty ( SBY)"),
    QStringLiteral("CONT-pokračování v programu"),
    QStringLiteral("LAST-udržování poslední dosažené SP"),
};

void SleepPause(int milliseconds) {
  QThread::msleep(static_cast<unsigned long>(milliseconds));
}

}  // namespace

Tmenu_mod::Tmenu_mod(rq30::TableImage& image, rq30::Link& link, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::Tmenu_mod>()),
      image_(image),
      link_(link),
      pause_(SleepPause) {
  ui_->setupUi(this);
  rq30::ProgramPage::Hooks hooks;
  hooks.read = [this] { tl_cteniClick(); };
  hooks.write = [this] { tl_zapisClick(); };
  hooks.pause = [this](int ms) { Pause(ms); };
  hooks.progress = [this](int position) { SetProgress(position); };
  program_ = std::make_unique<rq30::ProgramPage>(*ui_, image_, link_, std::move(hooks));

  for (int page = 0; page < kPageCount; ++page)
    ui_->PageControl->widget(page)->setProperty("tag", PageTable(page));
  BuildPcutList();

  // The bar keeps its place while hidden, so the pages do not jump.
  QSizePolicy barPolicy = ui_->bar_load->sizePolicy();
  barPolicy.setRetainSizeWhenHidden(true);
  ui_->bar_load->setSizePolicy(barPolicy);
  ui_->bar_load->setRange(0, 100);
  ShowProgress(false);

  ConnectControls();
}

Tmenu_mod::~Tmenu_mod() = default;

void Tmenu_mod::ConnectControls() {
  connect(ui_->PageControl, &QTabWidget::currentChanged, this, &Tmenu_mod::PageControlChange);
  // The alarm mode colours the lower limit only when the operator picks it;
  // a position set by the program leaves the colour to the next fill.
  connect(ui_->cb_rala1, &QComboBox::activated, this, &Tmenu_mod::cb_rala1Change);
  connect(ui_->cb_rala2, &QComboBox::activated, this, &Tmenu_mod::cb_rala2Change);
  connect(ui_->tl_cteni, &QPushButton::clicked, this, &Tmenu_mod::tl_cteniClick);
  connect(ui_->tl_zapis, &QPushButton::clicked, this, &Tmenu_mod::tl_zapisClick);
  connect(ui_->tl_eeprom, &QPushButton::clicked, this, &Tmenu_mod::tl_eepromClick);
  connect(ui_->tl_ulozit, &QPushButton::clicked, this, &Tmenu_mod::tl_ulozitClick);
  connect(ui_->tl_otevrit, &QPushButton::clicked, this, &Tmenu_mod::tl_otevritClick);
  connect(ui_->tl_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tmenu_mod::SetPause(PauseFn pause) {
  pause_ = pause ? std::move(pause) : PauseFn(SleepPause);
}

void Tmenu_mod::Pause(int milliseconds) {
  pause_(milliseconds);
}

int Tmenu_mod::PageTable(int page) {
  return rq30::paramset::PageTable(page);
}

int Tmenu_mod::TransferTable(int page) const {
  return rq30::paramset::TransferTable(page, variant_);
}

bool Tmenu_mod::PageOffered(int page) const {
  return rq30::paramset::PageShown(page, variant_);
}

int Tmenu_mod::ActivePage() const {
  return ui_->PageControl->currentIndex();
}

void Tmenu_mod::ShowPage(int page) {
  silentPageChange_ = true;
  ui_->PageControl->setCurrentIndex(page);
  silentPageChange_ = false;
}

void Tmenu_mod::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void Tmenu_mod::FormShow() {
  ShowPage(kComp);
  program_->SelectSegment(0);
  ApplyVariantLayout();
  FillPage(kComp);
  lastPage_ = kComp;
}

void Tmenu_mod::PageControlChange(int page) {
  if (silentPageChange_) return;
  if (CollectPage(lastPage_) != 0) {
    // The rejected fields now read "0"; the operator stays to see them.
    ShowPage(lastPage_);
    return;
  }
  FillPage(page);
  lastPage_ = page;
}

void Tmenu_mod::BuildPcutList() {
  const int entries = variant_ == 1 || variant_ == 2 ? 3 : 5;
  QComboBox* list = ui_->cb_puc;
  if (list->count() == entries) return;
  // The selection survives where the new list still has its entry, so a
  // file saved before the page is filled again records it.
  const int position = list->currentIndex();
  list->clear();
  for (int i = 0; i < entries; ++i) list->addItem(kPcutEntries[i]);
  list->setCurrentIndex(position < entries ? position : -1);
}

void Tmenu_mod::ApplyVariantLayout() {
  const bool programs = variant_ != 1;
  for (QWidget* w : {static_cast<QWidget*>(ui_->tab_comp), static_cast<QWidget*>(ui_->cb_prog_typ),
                     static_cast<QWidget*>(ui_->cb_prog_cis), static_cast<QWidget*>(ui_->cb_usek),
                     static_cast<QWidget*>(ui_->tl_add), static_cast<QWidget*>(ui_->lb_usek),
                     static_cast<QWidget*>(ui_->lb_prog), static_cast<QWidget*>(ui_->lb_c_prog)})
    w->setVisible(programs);
  if (!programs) {
    for (QWidget* w : {static_cast<QWidget*>(ui_->ed_pocatek),
                       static_cast<QWidget*>(ui_->lb_pocatek), static_cast<QWidget*>(ui_->ed_cas),
                       static_cast<QWidget*>(ui_->lb_cas), static_cast<QWidget*>(ui_->lb_cas_mn)})
      w->setVisible(false);
  }
  // A hidden tab can still be reached with Ctrl+Tab; a disabled one cannot.
  for (int page : {static_cast<int>(kGo), static_cast<int>(kTime)}) {
    ui_->PageControl->setTabVisible(page, PageOffered(page));
    ui_->PageControl->setTabEnabled(page, PageOffered(page));
  }
  const bool startTime = variant_ != 1 && variant_ != 2;
  for (QWidget* w :
       {static_cast<QWidget*>(ui_->ed_godate), static_cast<QWidget*>(ui_->ed_gohour),
        static_cast<QWidget*>(ui_->ed_gomin), static_cast<QWidget*>(ui_->lb_godate),
        static_cast<QWidget*>(ui_->lb_gohour), static_cast<QWidget*>(ui_->lb_gomin),
        static_cast<QWidget*>(ui_->lb_godate_mn), static_cast<QWidget*>(ui_->lb_gohour_mn),
        static_cast<QWidget*>(ui_->lb_gomin_mn)})
    w->setVisible(startTime);
  BuildPcutList();
  if (programs) program_->LayoutProgramGrid();
  // At the window's show the pages are not visible yet and would keep the
  // places of the controls just hidden until their next resize.
  for (QWidget* w : {static_cast<QWidget*>(ui_->gb_nastaveni), static_cast<QWidget*>(ui_->ta_comp),
                     static_cast<QWidget*>(ui_->ta_go)}) {
    w->layout()->invalidate();
    w->layout()->activate();
  }
}

void Tmenu_mod::SetProgress(int position) {
  ui_->bar_load->setValue(position);
}

void Tmenu_mod::ShowProgress(bool shown) {
  ui_->bar_load->setVisible(shown);
  // The transfers block the event loop; paint the bar before they start.
  if (shown) ui_->bar_load->repaint();
}

void Tmenu_mod::Report(const QString& text) {
  rq30::Dialogs().Message(text, QStringLiteral("Komunikace"), rq30::DialogIcon::kError,
                          rq30::DialogButtons::kOk);
}

void Tmenu_mod::tl_cteniClick() {
  const int page = ActivePage();
  // This firmware has no such table: nothing to ask for.
  if (!PageOffered(page)) return;
  SetProgress(50);
  ShowProgress(true);
  int ok = 0;
  if (variant_ == 1 || page != kComp) {
    SetProgress(100);
    ok = link_.ReadTable(TransferTable(page));
  } else {
    SetProgress(90);
    ok = program_->ReadProgram();
  }
  if (!ok) Report(QStringLiteral("Chyba při čtení"));
  SetProgress(100);
  // A failed read still refills the page: it shows what the image holds.
  ApplyVariantLayout();
  FillPage(page);
  ShowProgress(false);
  SetProgress(0);
}

void Tmenu_mod::tl_zapisClick() {
  const int page = ActivePage();
  if (!PageOffered(page)) return;
  SetProgress(50);
  ShowProgress(true);
  // A rejected page sends nothing; its own messages have been shown.
  int ok = 1;
  if (variant_ == 1 || page != kComp) {
    SetProgress(100);
    if (CollectPage(page) == 0) {
      const int table = TransferTable(page);
      ok = link_.WriteTable(table);
      // From now on the controller answers at its new address.
      if (ok && table == kAddressTable) link_.SetDeviceAddress(image_.address.address);
    }
  } else {
    SetProgress(60);
    if (CollectPage(kComp) == 0) ok = program_->WriteProgram();
  }
  if (!ok) Report(QStringLiteral("Chyba při zápisu"));
  ShowProgress(false);
  SetProgress(0);
}

void Tmenu_mod::tl_eepromClick() {
  SetProgress(100);
  ShowProgress(true);
  // Nothing is collected or written first: the controller stores what it
  // already holds.
  if (!link_.StoreToEeprom()) Report(QStringLiteral("Chyba při zápisu do EEPROM"));
  ShowProgress(false);
}

void Tmenu_mod::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    // Enter moves on through the fields and presses a focused button, so a
    // technician can work a page from the keyboard; the dialog has no
    // default button that Enter could fire by surprise.
    QWidget* focus = focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focus)) {
      button->click();
    } else if (focus) {
      focusNextChild();
    }
    return;
  }
  QDialog::keyPressEvent(event);
}
