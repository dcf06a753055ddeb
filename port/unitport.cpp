#include "unitport.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <algorithm>

#include "com_device_links.h"
#include "com_device_names.h"
#include "error_box.h"
#include "operator_dialogs.h"
#include "ui_unitport.h"

namespace {

const int kRates[] = {110,   300,   600,   1200,   2400,   4800,   9600,
                      19200, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr int kScanEnd = 127;  // the broadcast address is never probed
constexpr int kGridColumns = 16;
constexpr int kLastAddress = 126;

int ValidAddress(int address) { return address >= 0 && address <= kLastAddress ? address : 0; }

// Eats the clicks meant for the scan grid's cells.
class NoClicks : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return true;
      default:
        return QObject::eventFilter(watched, event);
    }
  }
};

}  // namespace

Tport::Tport(rq30::SettingsStore& store, rq30::Link& link, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::Tport>()), store_(store), link_(link) {
  ui->setupUi(this);
  ui->lb_device->setMinimumHeight(ui->lb_device->fontMetrics().height());
  AddDevicePicker();
  setFixedSize(sizeHint());
  for (int i = 0; i <= 126; ++i) {
    ui->cb_da->addItem(QString::number(i));
    ui->cb_sa->addItem(QString::number(i));
  }
  // The grid only shows the scan: no focus, no clicks, no selection by hand.
  ui->str_tab->setFocusPolicy(Qt::NoFocus);
  ui->str_tab->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui->str_tab->viewport()->installEventFilter(new NoClicks(ui->str_tab));
  for (int r = 0; r < ui->str_tab->rowCount(); ++r) {
    for (int c = 0; c < ui->str_tab->columnCount(); ++c) {
      ui->str_tab->setItem(r, c, new QTableWidgetItem());
    }
  }
  link_.SetPort(&port_);

  // User choices only: the dialog's own selections never trigger these.
  connect(ui->cb_com, qOverload<int>(&QComboBox::activated), this,
          [this](int i) { rq30::Guarded([&] { cb_comChange(i); }); });
  connect(ui->cb_baudrate, qOverload<int>(&QComboBox::activated), this,
          [this](int i) { rq30::Guarded([&] { cb_baudrateChange(i); }); });
  connect(ui->cb_da, qOverload<int>(&QComboBox::activated), this, &Tport::cb_daChange);
  connect(ui->cb_sa, qOverload<int>(&QComboBox::activated), this, &Tport::cb_saChange);
  connect(ui->tl_ok, &QPushButton::clicked, this, [this] { rq30::Guarded([&] { tl_okClick(); }); });
  connect(ui->tl_cancel, &QPushButton::clicked, this,
          [this] { rq30::Guarded([&] { tl_cancelClick(); }); });
  connect(ui->tl_najit, &QPushButton::clicked, this, &Tport::tl_najitClick);
  connect(ui->tl_prerusit, &QPushButton::clicked, this, &Tport::tl_prerusitClick);
  Timer1.setInterval(100);
  connect(&Timer1, &QTimer::timeout, this, &Tport::Timer1Timer);

  // Where each COM entry leads on this machine (Linux): a tooltip on each
  // entry and a line under the list for the chosen one.
  connect(ui->cb_com, qOverload<int>(&QComboBox::currentIndexChanged), this,
          &Tport::ShowDeviceNames);
  rq30::Guarded([&] { FormCreate(); });
}

Tport::~Tport() = default;

void Tport::FormCreate() {
  // An address the lists cannot show reads as the default, as other
  // stored values do.
  computerAddress_ = ValidAddress(store_.ReadInteger("ADRESA", "SA", 0));
  deviceAddress_ = ValidAddress(store_.ReadInteger("ADRESA", "DA", 0));
  const int number = store_.ReadInteger("PORT", "COM", 1);
  port_.SetBaudRate(store_.ReadInteger("PORT", "BAUDRATE", rq30::kDefaultBaudRate));

  Select(ui->cb_sa, computerAddress_);
  link_.SetComputerAddress(computerAddress_);
  Select(ui->cb_da, deviceAddress_);
  link_.SetDeviceAddress(deviceAddress_);

  for (int rate : kRates) ui->cb_baudrate->addItem(QString::number(rate));
  SelectBaud(port_.BaudRate());

  Select(ui->cb_com, number);
  rq30::Guarded([&] { OpenNumber(number); });
  saved_ = Current();
}

void Tport::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void Tport::FormShow() {
  // The parameter editor may have moved the controller to a new address.
  deviceAddress_ = link_.GetDeviceAddress();
  Select(ui->cb_da, deviceAddress_);
  saved_ = Current();
  ShowDeviceNames();  // an adapter may have been mapped since
  // Enter confirms at once, as the default button suggests.
  ui->tl_ok->setFocus(Qt::OtherFocusReason);
}

// Item i is COM i; item 0 ("žádný port") leads nowhere.
void Tport::ShowDeviceNames() {
  for (int i = 1; i < ui->cb_com->count(); ++i) {
    ui->cb_com->setItemData(i, rq30::ComDeviceName(i), Qt::ToolTipRole);
  }
  const int current = ui->cb_com->currentIndex();
  const QString name = current > 0 ? rq30::ComDeviceName(current) : QString();
  // The dialog has a fixed size: a long by-id name is shortened, in full
  // as the label's tooltip.
  ui->lb_device->setText(ui->lb_device->fontMetrics().elidedText(
      name, Qt::ElideRight, std::max(ui->lb_device->width(), width() - 24)));
  ui->lb_device->setToolTip(name);
}

// Linux: a small button beside the device line offers the machine's serial
// devices for the chosen COM entry, so a USB adapter needs no terminal.
void Tport::AddDevicePicker() {
  if (!rq30::DeviceMappingAvailable()) return;
  auto* outer = qobject_cast<QBoxLayout*>(layout());
  if (!outer) return;
  const int at = outer->indexOf(ui->lb_device);
  if (at < 0) return;
  outer->removeWidget(ui->lb_device);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(ui->lb_device, 1);
  auto* pick = new QToolButton(this);
  pick->setObjectName(QStringLiteral("tl_zarizeni"));
  pick->setText(QStringLiteral("…"));
  pick->setToolTip(QStringLiteral("Vybrat sériové zařízení pro zvolený COM"));
  pick->setFocusPolicy(Qt::TabFocus);
  pick->setPopupMode(QToolButton::InstantPopup);
  deviceMenu_ = new QMenu(pick);
  pick->setMenu(deviceMenu_);
  connect(deviceMenu_, &QMenu::aboutToShow, this, &Tport::FillDeviceMenu);
  row->addWidget(pick);
  outer->insertLayout(at, row);
  // Last in the tab chain: the form's own order stays as it is before it.
  QWidget::setTabOrder(ui->tl_prerusit, pick);
}

void Tport::FillDeviceMenu() {
  deviceMenu_->clear();
  const QStringList devices = rq30::SerialDevices(deviceFolder_);
  if (ui->cb_com->currentIndex() <= 0 || devices.isEmpty()) {
    deviceMenu_->addAction(ui->cb_com->currentIndex() <= 0
                               ? QStringLiteral("Nejprve zvolte COM")
                               : QStringLiteral("Žádné sériové zařízení"))
        ->setEnabled(false);
    return;
  }
  for (const QString& device : devices) {
    deviceMenu_->addAction(device, this, [this, device] { rq30::Guarded([&] { ChooseDevice(device); }); });
  }
}

// The chosen COM entry leads to `device` from now on, and the line is
// opened on it. A link the program did not make is the user's: replaced
// only on Yes.
void Tport::ChooseDevice(const QString& device) {
  const int number = ui->cb_com->currentIndex();
  if (number <= 0) return;
  const QString com = QStringLiteral("COM") + QString::number(number);
  if (rq30::ComLinkState(number) == rq30::LinkState::kForeign &&
      rq30::Dialogs().Message(
          QStringLiteral("%1 už vede na %2 a tento program jej nevytvořil.\nNahradit odkazem na %3?")
              .arg(com, rq30::ComDeviceName(number), device),
          QStringLiteral("Dotaz"), rq30::DialogIcon::kQuestion,
          rq30::DialogButtons::kYesNo) != rq30::DialogAnswer::kYes) {
    return;
  }
  if (!rq30::MapCom(number, device)) {
    rq30::Dialogs().Message(QStringLiteral("Odkaz %1 na %2 nelze vytvořit.").arg(com, device),
                            QStringLiteral("Sériový Port"), rq30::DialogIcon::kError,
                            rq30::DialogButtons::kOk);
    return;
  }
  ShowDeviceNames();
  const QString group = rq30::MissingGroup(device);
  if (!group.isEmpty()) {
    rq30::Dialogs().Message(
        QStringLiteral("Zařízení %1 patří skupině %2, ve které nejste, a program je neotevře.\n"
                       "Přidejte se do ní (sudo usermod -aG %2 $USER) a přihlaste se znovu.")
            .arg(device, group),
        QStringLiteral("Sériový Port"), rq30::DialogIcon::kWarning, rq30::DialogButtons::kOk);
    return;
  }
  OpenNumber(number);
}

// Esc means "Storno", with its question; the close box only closes.
void Tport::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (ui->tl_cancel->isEnabled()) ui->tl_cancel->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

Tport::Settings Tport::Current() const {
  return {port_.PortNumber(), port_.BaudRate(), deviceAddress_, computerAddress_};
}

void Tport::Select(QComboBox* list, int index) {
  const QSignalBlocker quiet(list);
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void Tport::SelectBaud(int baud) {
  const QSignalBlocker quiet(ui->cb_baudrate);
  ui->cb_baudrate->setCurrentIndex(ui->cb_baudrate->findText(QString::number(baud)));
}

// A failed open leaves no line and the list on "žádný port"; the error
// still reaches the operator.
void Tport::OpenNumber(int number) {
  // The operator's own choice ends any waiting for a lost line.
  lostNumber_ = 0;
  try {
    port_.ClosePort();
    port_.OpenPort(number);
  } catch (...) {
    Select(ui->cb_com, 0);
    throw;
  }
}

void Tport::ApplyRate() {
  try {
    port_.ApplyLineSettings();
  } catch (...) {
    Select(ui->cb_com, 0);
    throw;
  }
}

void Tport::cb_comChange(int index) {
  if (index == 0) {
    // "žádný port" only records the choice; the open line keeps serving.
    port_.SetPortNumber(0);
    lostNumber_ = 0;
    return;
  }
  OpenNumber(index);
}

void Tport::cb_baudrateChange(int index) {
  port_.SetBaudRate(ui->cb_baudrate->itemText(index).toInt());
  ApplyRate();
}

void Tport::cb_daChange(int index) {
  deviceAddress_ = index;
  link_.SetDeviceAddress(index);
}

void Tport::cb_saChange(int index) {
  computerAddress_ = index;
  link_.SetComputerAddress(index);
}

void Tport::tl_cancelClick() {
  const Settings now = Current();
  if (!(now == saved_)) {
    const auto answer = rq30::Dialogs().Message(
        QStringLiteral("Byly provedeny změny v nastavení.\n"
                       "Opravdu se chceš vrátit k původnímu nastavení?"),
        QStringLiteral("Dotaz"), rq30::DialogIcon::kQuestion, rq30::DialogButtons::kYesNo);
    if (answer != rq30::DialogAnswer::kYes) {
      saved_ = now;
    } else {
      // Each setting goes back as if the operator had chosen it again.
      const Settings back = saved_;
      if (now.port != back.port) {
        Select(ui->cb_com, back.port);
        rq30::Guarded([&] { cb_comChange(back.port); });
      }
      if (now.baud != back.baud) {
        SelectBaud(back.baud);
        port_.SetBaudRate(back.baud);
        rq30::Guarded([&] { ApplyRate(); });
      }
      if (now.device != back.device) {
        Select(ui->cb_da, back.device);
        cb_daChange(back.device);
      }
      if (now.computer != back.computer) {
        Select(ui->cb_sa, back.computer);
        cb_saChange(back.computer);
      }
    }
  }
  reject();
}

// OK opens the chosen port again even when the choice did not change: after
// an adapter came back, or a line that stopped working, this is the way to
// a fresh line. The dialog closes whether or not the port opened.
void Tport::tl_okClick() {
  const int number = ui->cb_com->currentIndex();
  if (number > 0) {
    try {
      OpenNumber(number);
    } catch (...) {
      accept();
      throw;
    }
  }
  accept();
}

void Tport::KeepLineAlive() {
  if (port_.IsOpen() && port_.LineLost()) {
    lostNumber_ = port_.PortNumber();
    lossReported_ = false;
    port_.ClosePort();
  }
  if (lostNumber_ <= 0 || port_.IsOpen()) return;
  const int number = lostNumber_;
  try {
    port_.OpenPort(number);
    lostNumber_ = 0;
    Select(ui->cb_com, number);
  } catch (...) {
    // Still the operator's port: the list and the stored choice keep it.
    port_.SetPortNumber(number);
    Select(ui->cb_com, number);
    if (lossReported_) return;
    lossReported_ = true;
    throw;
  }
}

void Tport::done(int result) {
  rq30::Guarded([&] {
    store_.WriteInteger("ADRESA", "SA", computerAddress_);
    store_.WriteInteger("ADRESA", "DA", deviceAddress_);
    store_.WriteInteger("PORT", "BAUDRATE", port_.BaudRate());
    // No port is stored as COM1, so the next start has a line to try.
    if (port_.PortNumber() == 0) port_.SetPortNumber(1);
    store_.WriteInteger("PORT", "COM", port_.PortNumber());
  });
  QDialog::done(result);
}

void Tport::SetScanning(bool scanning) {
  ui->tl_prerusit->setEnabled(scanning);
  for (QWidget* w : {static_cast<QWidget*>(ui->tl_ok), static_cast<QWidget*>(ui->tl_cancel),
                     static_cast<QWidget*>(ui->cb_sa), static_cast<QWidget*>(ui->cb_da),
                     static_cast<QWidget*>(ui->cb_com), static_cast<QWidget*>(ui->cb_baudrate)}) {
    w->setEnabled(!scanning);
  }
}

void Tport::tl_najitClick() {
  SetScanning(true);
  for (int a = 0; a < kScanEnd; ++a) {
    ui->str_tab->item(a / kGridColumns, a % kGridColumns)->setText(QStringLiteral(" "));
  }
  scanPosition_ = 0;
  Timer1.start();
}

void Tport::Timer1Timer() {
  if (scanPosition_ >= kScanEnd) return;
  const int remembered = link_.GetDeviceAddress();
  const int row = scanPosition_ / kGridColumns;
  const int column = scanPosition_ % kGridColumns;
  ui->str_tab->setCurrentCell(row, column);
  link_.SetDeviceAddress(scanPosition_);
  if (link_.ProbeAddress()) ui->str_tab->item(row, column)->setText(QString::number(scanPosition_));
  ++scanPosition_;
  // The main window's polls between two ticks must reach the configured controller.
  link_.SetDeviceAddress(remembered);
  if (scanPosition_ >= kScanEnd) {
    Timer1.stop();
    SetScanning(false);
  }
}

void Tport::tl_prerusitClick() {
  Timer1.stop();
  SetScanning(false);
}
