#include "unitzaznam.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "error_box.h"
#include "locale_texts.h"
#include "operator_dialogs.h"
#include "record_download.h"
#include "safe_file.h"
#include "ui_unitzaznam.h"

namespace {

void Sleep(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

TFormZaznam::TFormZaznam(rq30::TableImage& image, rq30::Link& link, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::FormZaznam>()),
      image_(image),
      link_(link),
      pause_(Sleep),
      clock_([] { return QDateTime::currentDateTime(); }),
      fileName_(QStringLiteral("Záznam z regulátoru")) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(544, 431);

  // The bar keeps its place while hidden, so the list does not jump when a
  // download starts.
  QSizePolicy barPolicy = ui->bargraf->sizePolicy();
  barPolicy.setRetainSizeWhenHidden(true);
  ui->bargraf->setSizePolicy(barPolicy);
  ui->bargraf->hide();

  // Names the blocks the last download missed; empty and hidden otherwise.
  lb_chyby = new QLabel(this);
  lb_chyby->setObjectName(QStringLiteral("lb_chyby"));
  lb_chyby->setWordWrap(true);
  lb_chyby->hide();
  ui->layoutMain->insertWidget(ui->layoutMain->indexOf(ui->bargraf) + 1, lb_chyby);

  connect(ui->tl_cteni, &QPushButton::clicked, this, &TFormZaznam::tl_cteniClick);
  connect(ui->tl_ulozit, &QPushButton::clicked, this, &TFormZaznam::tl_ulozitClick);
  connect(ui->tl_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormZaznam::~TFormZaznam() = default;

// Enter presses the focused button. The window has no default button: Enter
// in the list must not start a download of several seconds or a save.
void TFormZaznam::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TFormZaznam::SetPause(PauseFn pause) {
  pause_ = pause ? std::move(pause) : PauseFn(Sleep);
}

void TFormZaznam::SetClock(ClockFn clock) {
  clock_ = clock ? std::move(clock) : ClockFn([] { return QDateTime::currentDateTime(); });
}

void TFormZaznam::Pause(int milliseconds) {
  pause_(milliseconds);
}

// Nothing runs during a download, so clicks made meanwhile wait in the
// queue: they reach the buttons while these are still disabled, and are
// dropped, before the buttons come back.
void TFormZaznam::SetBusy(bool busy) {
  if (!busy) QCoreApplication::processEvents();
  for (QPushButton* b : {ui->tl_cteni, ui->tl_ulozit, ui->tl_cancel}) b->setEnabled(!busy);
}

void TFormZaznam::tl_cteniClick() {
  SetBusy(true);
  ui->bargraf->setValue(0);
  ui->bargraf->show();
  ui->bargraf->repaint();  // no events run during the download

  const rq30::RecordDownloadResult result = rq30::DownloadRecords(
      link_, image_, [this](int ms) { Pause(ms); },
      [this](int block) {
        ui->bargraf->setValue(block);
        ui->bargraf->repaint();
      });

  // Told only after the ring index was read again, so the time the box
  // stays open does not count as recording time.
  failedBlocks_.clear();
  for (int block : result.failedBlocks) {
    if (!failedBlocks_.isEmpty()) failedBlocks_ += QStringLiteral(", ");
    failedBlocks_ += QString::number(block);
  }
  lb_chyby->setText(failedBlocks_.isEmpty()
                        ? QString()
                        : QStringLiteral("Nepřečtené bloky záznamu (0–15): %1").arg(failedBlocks_));
  lb_chyby->setVisible(!failedBlocks_.isEmpty());
  if (result.blockFailed) {
    rq30::Dialogs().Message(QStringLiteral("Chyba při čtení záznamu"), QStringLiteral("Komunikace"),
                            rq30::DialogIcon::kError, rq30::DialogButtons::kOk);
  }
  ShowListing(result.download.pointerBefore, result.download.pointerAfter);
  ui->bargraf->hide();
  SetBusy(false);
}

void TFormZaznam::ShowListing(int pointerBefore, int pointerAfter) {
  rq30::RecordDownload download;
  download.pointerBefore = pointerBefore;
  download.pointerAfter = pointerAfter;
  download.rateSeconds = image_.address.rate;
  download.values = image_.recordValues;

  const QDateTime now = clock_();
  const std::vector<std::string> lines = rq30::RecordListing(
      download, rq30::ShortDateText(now.date()).toStdString(),
      rq30::LongTimeText(now.time()).toStdString(), QLocale().decimalPoint().toStdString());

  QStringList items;
  items.reserve(static_cast<int>(lines.size()));
  for (const std::string& line : lines) items << QString::fromStdString(line);
  ui->ListBox->clear();
  ui->ListBox->addItems(items);
}

void TFormZaznam::tl_ulozitClick() {
  // Values of missed blocks are not the controller's present record.
  if (!failedBlocks_.isEmpty() &&
      rq30::Dialogs().Message(QStringLiteral("Výpis je neúplný: bloky záznamu %1 se nepodařilo "
                                             "přečíst.\nPřesto jej uložit?")
                                  .arg(failedBlocks_),
                              QStringLiteral("Dotaz"), rq30::DialogIcon::kQuestion,
                              rq30::DialogButtons::kYesNo) != rq30::DialogAnswer::kYes) {
    return;
  }
  rq30::FileDialogOptions options;
  options.title = QStringLiteral("Uložit soubor jako");
  options.filter = QStringLiteral("Textový soubor [*.txt]|*.txt");
  options.defaultExtension = QStringLiteral("TXT");
  options.fileName = fileName_;
  options.confirmOverwrite = true;
  const QString path = rq30::Dialogs().SaveFile(options);
  if (path.isEmpty()) return;
  fileName_ = path;
  SaveListing(path);
}

// A file that cannot be created is reported in the program's error box, and
// the listing stays as it is.
void TFormZaznam::SaveListing(const QString& path) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(ui->ListBox->count()));
  for (int i = 0; i < ui->ListBox->count(); ++i) {
    lines.push_back(ui->ListBox->item(i)->text().toStdString());
  }
  rq30::Guarded([&] { rq30::WriteFileReplacing(path.toStdString(), rq30::JoinCrLfCp1250(lines)); });
}
