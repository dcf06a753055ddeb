#include "load_form.h"

#include <QCoreApplication>
#include <QScreen>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <string>

#include "cp1250.h"
#include "link.h"
#include "load_sequence.h"
#include "operator_dialogs.h"
#include "ui_load_form.h"
#include "unitmenumod.h"

namespace {

// Long enough for the window to be painted before the load blocks the
// event loop.
constexpr int kStartDelayMs = 5;

void SleepPause(int milliseconds) {
  QThread::msleep(static_cast<unsigned long>(milliseconds));
}

}  // namespace

Tload_form::Tload_form(rq30::TableImage& image, rq30::Link& link, Tmenu_mod& editor,
                       QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::Tload_form>()),
      image_(image),
      link_(link),
      editor_(editor),
      Timer1(new QTimer(this)),
      pause_(SleepPause) {
  ui_->setupUi(this);
  // A dialog frame with the system menu only: nothing to minimise, maximise
  // or resize.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(313, 140);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setInterval(kStartDelayMs);
  connect(Timer1, &QTimer::timeout, this, &Tload_form::Timer1Timer);
}

Tload_form::~Tload_form() = default;

void Tload_form::SetPause(PauseFn pause) {
  pause_ = pause ? std::move(pause) : PauseFn(SleepPause);
}

void Tload_form::Pause(int milliseconds) {
  pause_(milliseconds);
}

void Tload_form::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (QScreen* display = screen()) move(display->availableGeometry().center() - rect().center());
  FormShow();
}

void Tload_form::FormShow() {
  ui_->lb_verze->setText(QStringLiteral("neidentifikováno"));
  ui_->bar_load->setValue(0);
  // Before any table is read: a page the operator never shows saves these.
  editor_.PresetControls();
  Timer1->start();
}

void Tload_form::Timer1Timer() {
  Timer1->stop();
  LoadParameterSet();
  accept();
}

void Tload_form::AddProgress(int step) {
  ui_->bar_load->setValue(rq30::paramset::AdvanceProgress(ui_->bar_load->value(), step));
}

rq30::paramset::LoadHooks Tload_form::Hooks() {
  rq30::paramset::LoadHooks hooks;
  hooks.pause = [this](int ms) { Pause(ms); };
  hooks.setProgress = [this](int position) { ui_->bar_load->setValue(position); };
  hooks.addProgress = [this](int step) { AddProgress(step); };
  hooks.deviceTypeRead = [this] {
    const std::string text(image_.deviceType, strnlen(image_.deviceType, rq30::kIdentTextSize));
    ui_->lb_verze->setText(QString::fromStdString(rq30::Cp1250ToUtf8(text)));
  };
  hooks.identifying = [this] {
    // The one moment the load lets the window paint its caption and bar.
    ui_->lb_verze->repaint();
    ui_->bar_load->repaint();
    QCoreApplication::processEvents();
  };
  // The editor's page changes as the reads go; its own page-change
  // handling does not run for that.
  hooks.showPage = [this](int page) { editor_.ShowPage(page); };
  return hooks;
}

int Tload_form::Identify() {
  return rq30::paramset::Identify(link_, Hooks());
}

int Tload_form::ReadProgramData() {
  return rq30::paramset::ReadProgramData(link_, Hooks());
}

void Tload_form::LoadParameterSet() {
  variant_ = rq30::paramset::LoadParameterSet(link_, Hooks());
  if (variant_ == 0) {
    rq30::Dialogs().Message(QStringLiteral("Chyba při čtení nebo neznámé zřízení"),
                            QStringLiteral("Komunikace"), rq30::DialogIcon::kError,
                            rq30::DialogButtons::kOk);
  }
}
