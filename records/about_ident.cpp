#include "about_ident.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QTimer>
#include <cstring>
#include <string>

#include "cp1250.h"
#include "foreign_message.h"
#include "operator_dialogs.h"
#include "program_icon.h"
#include "program_info.h"
#include "ui_about_ident.h"

namespace {

// The controller's texts are Windows-1250 and end at their first zero.
template <std::size_t N>
QString ControllerText(const char (&text)[N]) {
  return QString::fromStdString(rq30::Cp1250ToUtf8(std::string(text, strnlen(text, N))));
}

}  // namespace

Tabout_ident::Tabout_ident(rq30::TableImage& image, rq30::Link& link, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::about_ident>()),
      image_(image),
      link_(link),
      Timer1(new QTimer(this)) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(347, 183);
  ui->ProgramIcon->setPixmap(rq30::ProgramPicture());
  ui->Label2a->setText(QString::fromUtf8(rq30::kMakerName));
  ui->Label4->setText(QString::fromUtf8(rq30::kMakerWeb));

  // The exchanges block the GUI thread, so they start only once the window
  // is on the screen.
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &Tabout_ident::Timer1Timer);
  connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

Tabout_ident::~Tabout_ident() = default;

void Tabout_ident::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void Tabout_ident::hideEvent(QHideEvent* event) {
  // Closed before the tick: no identification behind the operator's back.
  Timer1->stop();
  QDialog::hideEvent(event);
}

void Tabout_ident::FormShow() {
  Timer1->start();
}

void Tabout_ident::Timer1Timer() {
  Timer1->stop();
  int answered = 0;
  if (link_.ReadDeviceType()) {
    ui->lb_zarizeni->setText(ControllerText(image_.deviceType));
    ++answered;
  }
  if (link_.ReadFirmwareVersion()) {
    ui->lb_verze->setText(ControllerText(image_.firmwareVersion));
    ++answered;
  }
  // Only a device that gave no VTQ45 answer at all is asked in the other
  // format; a VTQ45 that answered one request is still a VTQ45.
  if (answered == 0 && link_.ReadForeignIdent()) ReportForeignDevice();
}

void Tabout_ident::ReportForeignDevice() {
  const std::string message =
      rq30::ForeignDeviceMessage(image_.foreignTexts, sizeof image_.foreignTexts);

  ui->lb_zarizeni->setText(QStringLiteral("jiné zařízení"));

  // The firmware text becomes the foreign device's third text, so that the
  // table image says what the window shows.
  std::memset(image_.firmwareVersion, 0, sizeof image_.firmwareVersion);
  std::memcpy(image_.firmwareVersion, image_.foreignTexts + 2 * rq30::kForeignTextLength,
              rq30::kForeignTextLength);
  ui->lb_verze->setText(ControllerText(image_.firmwareVersion));

  // The message separates its lines with carriage returns, as the Windows
  // message box wants them; a Qt label breaks lines at line feeds.
  QString text = QString::fromStdString(rq30::Cp1250ToUtf8(message));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  rq30::Dialogs().Message(text, QStringLiteral("ERROR"), rq30::DialogIcon::kWarning,
                          rq30::DialogButtons::kOk);
}
