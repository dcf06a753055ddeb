#include "unit_hl.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "colour_value.h"
#include "error_box.h"
#include "fixed_text.h"
#include "locale_texts.h"
#include "demo_data.h"
#include "line_chart.h"
#include "load_form.h"
#include "unitmenumod.h"
#include "live_boxes.h"
#include "live_series.h"
#include "operator_dialogs.h"
#include "rotace_3d.h"
#include "rychlostzaznamu.h"
#include "ui_unit_hl.h"
#include "unitport.h"
#include "window_placement.h"

namespace {

constexpr int32_t kYellow = 0x0000FFFF;
constexpr int32_t kDesignLeft = 192;
constexpr int32_t kDesignTop = 107;
constexpr int32_t kDesignWidth = 718;
constexpr int32_t kDesignHeight = 523;

// Stored values the dialogs would never accept read as their defaults, so a
// damaged store cannot make the program rewrite its log every second or
// keep no chart points.
int32_t Within(int32_t value, int32_t low, int32_t high, int32_t fallback) {
  return value >= low && value <= high ? value : fallback;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace

Tvtq45::Tvtq45(rq30::TableImage& image, rq30::Link& link, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::Tvtq45>()),
      image_(image),
      link_(link),
      clock_([] { return QDateTime::currentDateTime(); }),
      Chart1(new rq30::LineChart),
      series_(std::make_unique<rq30::LiveSeries>(*Chart1)),
      demo_(std::make_unique<rq30::DemoGenerator>()) {
  ui->setupUi(this);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  Chart1->SetTitle(QString());
  Chart1->SetIntegralX(true);
  ui->chartArea->layout()->addWidget(Chart1);
  Chart1->installEventFilter(this);  // the legend follows a change of size

  // The value labels of the top row keep the width of their widest normal
  // text, so the controls beside them stay put as the values change.
  ui->lb_yout->setMinimumWidth(ui->lb_yout->fontMetrics().horizontalAdvance(QStringLiteral("-100,0")));
  ui->lb_ts->setMinimumWidth(ui->lb_ts->fontMetrics().horizontalAdvance(QStringLiteral("-200,00")));
  ui->tl_precist->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));

  // The link state beside the log path: empty while reads succeed.
  pa_linka = new QLabel(ui->Panel4);
  pa_linka->setObjectName(QStringLiteral("pa_linka"));
  pa_linka->setFrameShape(QFrame::Panel);
  pa_linka->setFrameShadow(QFrame::Sunken);
  pa_linka->setAutoFillBackground(true);
  pa_linka->setToolTip(QStringLiteral("Stav spojení s regulátorem"));
  ui->statusRow->insertWidget(1, pa_linka);
  pa_linka->hide();

  connect(ui->tl_precist, &QPushButton::clicked, this, [this] { rq30::Guarded([&] { tl_precistClick(); }); });
  connect(ui->check_auto, &QCheckBox::clicked, this,
          [this](bool on) { rq30::Guarded([&] { check_autoClick(on); }); });
  connect(ui->check_zapis, &QCheckBox::clicked, this,
          [this](bool on) { rq30::Guarded([&] { check_zapisClick(on); }); });
  connect(ui->check_demo, &QCheckBox::clicked, this,
          [this](bool on) { rq30::Guarded([&] { check_demoClick(on); }); });
  connect(ui->tl_barva_pera, &QPushButton::clicked, this, [this] { rq30::Guarded([&] { tl_barva_peraClick(); }); });

  connect(ui->mn_novy, &QAction::triggered, this, [this] { rq30::Guarded([&] { mn_novyClick(); }); });
  connect(ui->mn_ulozit, &QAction::triggered, this, [this] { rq30::Guarded([&] { Save(); }); });
  connect(ui->mn_ulozitjako, &QAction::triggered, this, [this] { rq30::Guarded([&] { SaveAs(); }); });
  connect(ui->mn_exit, &QAction::triggered, this, [this] { rq30::Guarded([&] { mn_exitClick(); }); });
  connect(ui->mn_port, &QAction::triggered, this, [this] { ShowModal(windows_.port); });
  connect(ui->mn_parametry, &QAction::triggered, this, [this] { rq30::Guarded([&] { mn_parametryClick(); }); });
  connect(ui->mn_zaznam, &QAction::triggered, this, [this] { ShowModal(windows_.records); });
  connect(ui->mn_barva, &QAction::triggered, this, [this] { rq30::Guarded([&] { mn_barvaClick(); }); });
  connect(ui->mn_rychlost_zaznamu, &QAction::triggered, this,
          [this] { rq30::Guarded([&] { mn_rychlost_zaznamuClick(); }); });
  connect(ui->mn_about, &QAction::triggered, this, [this] { ShowModal(windows_.about); });
  connect(ui->mn_ident, &QAction::triggered, this, [this] { ShowModal(windows_.ident); });

  Timer1.setInterval(200);
  connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

  FormCreate();
  Timer1.start();
}

Tvtq45::~Tvtq45() = default;

void Tvtq45::FormCreate() {
  settingsStore_ = rq30::OpenSettingsStore();
  // A setting of the wrong type stops the restoring at that key; what was
  // not restored keeps its design value for this run.
  rq30::Guarded([&] { RestoreSettings(); });
  recordTicks_ = 0;
  saveTicks_ = 0;
}

void Tvtq45::RestoreSettings() {
  rq30::SettingsStore& s = *settingsStore_;
  const int left = s.ReadInteger("DESKTOP", "Left", kDesignLeft);
  const int top = s.ReadInteger("DESKTOP", "Top", kDesignTop);
  const int height = s.ReadInteger("DESKTOP", "Height", kDesignHeight);
  const int width = s.ReadInteger("DESKTOP", "Width", kDesignWidth);
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->availableGeometry());
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QRect place = rq30::PlaceOnScreen(QRect(left, top, std::max(width, 1), std::max(height, 1)),
                                          screens, primary ? primary->availableGeometry() : QRect());
  move(place.topLeft());
  resize(place.size());

  rq30::ChartLook look;
  look.penColour = s.ReadInteger("GRAF", "PERO", rq30::kRedColour);
  look.gridColour = s.ReadInteger("GRAF", "MRIZ", rq30::kButtonFaceColour);
  look.backColour = s.ReadInteger("GRAF", "POZADI", rq30::kButtonFaceColour);
  look.view3D = s.ReadInteger("GRAF", "G3D", 1) != 0;
  look.percent3D = Within(s.ReadInteger("GRAF", "R3D", 35), 1, 100, 35);
  look.pointLimit = Within(s.ReadInteger("GRAF", "POCET", 200), 10, 100000, 200);

  const int unit = s.ReadInteger("ZAZNAM", "JEDNOTKY", 1);
  const int rate = Within(s.ReadInteger("ZAZNAM", "LIST", 1), 1, 1000, 1);
  const int saveMinutes = Within(s.ReadInteger("ZAZNAM", "SOUBOR", 15), 1, 60, 15);
  SetRecordingPanels(rate, unit == 1 || unit == 60 ? unit : 1, saveMinutes);

  Paint(ui->pa_barva_pera, look.penColour);
  series_->SetLook(look);
}

void Tvtq45::SetRecordingPanels(int rate, int unit, int saveMinutes) {
  rateTag_ = rate;
  unitTag_ = unit;
  saveTag_ = saveMinutes;
  ui->pa_zaznam->setText(QString::number(rate));
  ui->pa_soubor->setText(QString::number(saveMinutes));
  ui->pa_jednotky->setText(unit == 1 ? QStringLiteral("s") : QStringLiteral("min"));
}

// Any way of closing the window stores the settings; only "&Konec" saves the
// log first.
void Tvtq45::closeEvent(QCloseEvent* event) {
  rq30::Guarded([&] { FormClose(); });
  Timer1.stop();
  QMainWindow::closeEvent(event);
}

bool Tvtq45::eventFilter(QObject* watched, QEvent* event) {
  // More or fewer legend rows fit: list the newest values again.
  if (watched == Chart1 && event->type() == QEvent::Resize) series_->KeepLegendOnNewest();
  return QMainWindow::eventFilter(watched, event);
}

void Tvtq45::FormClose() {
  rq30::SettingsStore& s = *settingsStore_;
  s.WriteInteger("DESKTOP", "Top", y());
  s.WriteInteger("DESKTOP", "Left", x());
  s.WriteInteger("DESKTOP", "Height", height());
  s.WriteInteger("DESKTOP", "Width", width());
  const rq30::ChartLook& look = series_->Look();
  s.WriteInteger("GRAF", "PERO", look.penColour);
  s.WriteInteger("GRAF", "MRIZ", look.gridColour);
  s.WriteInteger("GRAF", "POZADI", look.backColour);
  s.WriteInteger("GRAF", "G3D", look.view3D ? 1 : 0);
  s.WriteInteger("GRAF", "R3D", look.percent3D);
  s.WriteInteger("GRAF", "POCET", look.pointLimit);
  s.WriteInteger("ZAZNAM", "LIST", rateTag_);
  s.WriteInteger("ZAZNAM", "SOUBOR", saveTag_);
  s.WriteInteger("ZAZNAM", "JEDNOTKY", unitTag_);
}

void Tvtq45::Paint(QLabel* panel, int32_t colourValue) {
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, rq30::ColourFromValue(colourValue));
  panel->setPalette(palette);
  panel->setProperty("colourValue", colourValue);
}

// Relay n lights yellow for bit n-1; bits 4..7 are not shown.
void Tvtq45::ShowRelays(uint8_t bits) {
  QLabel* relays[] = {ui->pa_re1, ui->pa_re2, ui->pa_re3, ui->pa_re4};
  for (int n = 0; n < 4; ++n) {
    Paint(relays[n], (bits >> n) & 1 ? kYellow : rq30::kButtonFaceColour);
  }
}

// A box raised here (a log file that cannot be written, a line that cannot
// be reopened) waits until the handler has returned, so the next ticks go
// on reading and logging while it is open.
void Tvtq45::Timer1Timer() {
  const rq30::LiveCycleScope live;
  rq30::Guarded([&] {
    const int second = clock_().time().second();
    if (second == lastSecond_) return;
    lastSecond_ = second;
    KeepLineAlive();
    if (ui->check_demo->isChecked()) {
      GenerateDemoSample();
      return;
    }
    if (ui->check_auto->isChecked()) {
      RecordSample();
      if (ui->check_zapis->isChecked()) SaveLogPeriodically();
    }
  });
}

// A line whose device went away is closed, and reopened under its COM name
// once per working tick until it is back.
void Tvtq45::KeepLineAlive() {
  if (windows_.port) rq30::Guarded([&] { windows_.port->KeepLineAlive(); });
  ShowLinkState();
}

void Tvtq45::NoteLiveRead(bool ok) {
  if (ok) {
    failedReads_ = 0;
    lastGoodRead_ = clock_();
  } else {
    ++failedReads_;
  }
  ShowLinkState();
}

QString Tvtq45::LinkStateText() const {
  if (windows_.port && !windows_.port->Port().IsOpen()) return QStringLiteral("port zavřen");
  if (failedReads_ == 0) return QString();
  QString text = QStringLiteral("bez odezvy");
  if (lastGoodRead_.isValid()) text += QStringLiteral(" od ") + rq30::LongTimeText(lastGoodRead_.time());
  return text + QStringLiteral(", nezdařených čtení: %1").arg(failedReads_);
}

void Tvtq45::ShowLinkState() {
  const QString text = LinkStateText();
  if (text == pa_linka->text()) return;
  pa_linka->setText(text);
  pa_linka->setVisible(!text.isEmpty());
  Paint(pa_linka, text.isEmpty() ? rq30::kButtonFaceColour : kYellow);
}

void Tvtq45::tl_precistClick() { ShowLiveValues(); }

void Tvtq45::ShowLiveValues() {
  // A failed read shows the last values read; the status bar tells.
  const bool ok = link_.ReadTable(11) == 1;
  NoteLiveRead(ok);
  if (!ok && windows_.port && windows_.port->Port().LineLost()) KeepLineAlive();
  const rq30::LiveTable& live = image_.live;
  ui->pa_measure->setText(rq30::FixedText(live.measured, 5, 2));
  ui->pa_sp->setText(rq30::FixedText(live.setpoint, 5, 2));
  ui->bar_yout->setValue(std::clamp(live.output, 0, 1000));
  ui->lb_yout->setText(rq30::FixedText(live.output * 0.1, 4, 1));
  ui->lb_ts->setText(rq30::FixedText(live.terminal, 5, 2));
  ShowRelays(live.relays);
  if (live.fault != 0) {
    Paint(ui->pa_porucha, rq30::kRedColour);
    ui->pa_porucha->setText(QStringLiteral("PORUCHA"));
  } else {
    Paint(ui->pa_porucha, rq30::kButtonFaceColour);
    ui->pa_porucha->setText(QStringLiteral("není porucha"));
  }
  AddChartPoint(live.measured);
}

void Tvtq45::RecordSample() {
  if (++recordTicks_ < rateTag_ * unitTag_) return;
  recordTicks_ = 0;
  ShowLiveValues();
  const QDateTime now = clock_();
  log_.Append(rq30::RecordLine(Utf8(ui->pa_measure->text()), Utf8(ui->pa_sp->text()),
                               Utf8(ui->lb_yout->text()), Utf8(ui->pa_porucha->text()),
                               Utf8(rq30::LongTimeText(now.time())),
                               Utf8(rq30::ShortDateText(now.date()))));
}

void Tvtq45::SaveLogPeriodically() {
  if (++saveTicks_ < saveTag_ * 60) return;
  saveTicks_ = 0;
  // Before the operator has chosen a file this is "Záznam Vtq45" in the
  // working folder.
  WriteLogAsking(logPath_);
}

void Tvtq45::StartNewMeasurement() {
  log_.Clear();
  ownFiles_.clear();
  const QDateTime now = clock_();
  log_.AppendHeader(Utf8(rq30::ShortDateText(now.date())), Utf8(rq30::LongTimeText(now.time())));
  ShowLiveValues();
  RecordSample();
  ClearChart();
  recordTicks_ = 0;
  saveTicks_ = 0;
}

void Tvtq45::WriteLog(const std::string& path) {
  log_.WriteTo(path);
  ownFiles_.insert(path);
}

bool Tvtq45::MayReplace(const std::string& path) const {
  return ownFiles_.count(path) != 0 || !QFileInfo::exists(QString::fromStdString(path));
}

// A file that this measurement has not written may be someone's earlier
// log: it is replaced only when the operator agrees. Inside the live cycle
// the question waits until the tick is over, and the write follows the Yes.
void Tvtq45::WriteLogAsking(const std::string& path) {
  if (MayReplace(path)) {
    WriteLog(path);
    return;
  }
  rq30::ShowBox(QStringLiteral("Soubor %1 už existuje a toto měření jej nezapsalo.\n"
                               "Chceš jej nahradit záznamem?")
                    .arg(QString::fromStdString(path)),
                QStringLiteral("Zápis"), rq30::DialogIcon::kQuestion, rq30::DialogButtons::kYesNo,
                [this, path](rq30::DialogAnswer answer) {
                  if (answer != rq30::DialogAnswer::kYes) return;
                  ownFiles_.insert(path);
                  rq30::Guarded([&] { WriteLog(path); });
                },
                this);
}

bool Tvtq45::LogFileChosen() const { return ui->mn_novy->isChecked(); }

void Tvtq45::Save() {
  if (LogFileChosen()) {
    WriteLogAsking(logPath_);
    return;
  }
  rq30::FileDialogOptions options;
  options.title = QStringLiteral("Uložit jako");
  options.filter = QStringLiteral("Textový soubor [*.txt]|*.txt");
  options.defaultExtension = QStringLiteral("TXT");
  options.fileName = QString::fromStdString(logPath_);
  // Always: even the first "Uložit..." must not empty an earlier log
  // without a word.
  options.confirmOverwrite = true;
  const QString chosen = rq30::Dialogs().SaveFile(options);
  if (chosen.isEmpty()) return;
  logPath_ = Utf8(chosen);
  ownFiles_.insert(logPath_);  // the dialog asked before replacing it
  // A failed write leaves the flag and the path panel as they were.
  WriteLog(logPath_);
  ui->pa_path->setText(chosen);
  ui->mn_novy->setChecked(true);
}

void Tvtq45::SaveAs() {
  ui->mn_novy->setChecked(false);
  Save();
}

void Tvtq45::mn_novyClick() {
  // The menu item's check mark is the chosen flag, not a toggle of its own.
  ui->mn_novy->setChecked(!ui->mn_novy->isChecked());
  StartNewMeasurement();
  SaveAs();
}

void Tvtq45::mn_exitClick() {
  Save();  // a failed write stops the exit here: line and window stay open
  if (windows_.port) windows_.port->Port().ClosePort();
  close();
}

void Tvtq45::EndSession() {
  if (LogFileChosen() && ui->check_zapis->isChecked()) {
    // Nobody is left to answer a question: a file this measurement may not
    // replace stays as it is.
    if (MayReplace(logPath_)) rq30::Guarded([&] { WriteLog(logPath_); });
  }
  close();
}

bool Tvtq45::AskToClear() {
  return rq30::Dialogs().Message(QStringLiteral("Chceš vymazat naměřená data?"),
                                 QStringLiteral("Clear"), rq30::DialogIcon::kWarning,
                                 rq30::DialogButtons::kYesNo) == rq30::DialogAnswer::kYes;
}

void Tvtq45::check_autoClick(bool checked) {
  if (!checked) return;
  Timer1.stop();
  rq30::Guarded([&] {
    if (ChartPointCount() >= 1 && AskToClear()) {
      StartNewMeasurement();
      if (LogFileChosen()) SaveAs();
    }
  });
  Timer1.start();
}

void Tvtq45::check_zapisClick(bool checked) {
  if (!checked) return;
  Timer1.stop();
  rq30::Guarded([&] {
    if (AskToClear()) StartNewMeasurement();
    SaveAs();
  });
  Timer1.start();
}

void Tvtq45::check_demoClick(bool checked) {
  Timer1.stop();
  ui->check_zapis->setEnabled(!checked);
  ui->check_auto->setEnabled(!checked);
  if (checked && AskToClear()) ClearChart();
  Timer1.start();
}

void Tvtq45::AddChartPoint(double value) { series_->AddChartPoint(value); }

void Tvtq45::ClearChart() { series_->Clear(); }

int Tvtq45::ChartPointCount() const { return Chart1->PointCount(); }

int Tvtq45::SampleNumber() const { return series_->SampleNumber(); }

// Demo data for trying the window without a controller: the same sequence
// every run, no reads, no log records.
void Tvtq45::GenerateDemoSample() {
  const rq30::DemoSample demo = demo_->Next();
  ui->lb_ts->setText(demo.terminalText);
  ui->pa_measure->setText(demo.valueText);
  ui->pa_porucha->setText(demo.faultText);
  ui->pa_sp->setText(demo.setpointText);
  ui->lb_yout->setText(demo.outputText);
  ui->bar_yout->setValue(demo.outputBar);
  ShowRelays(demo.relayBits);
  AddChartPoint(demo.value);
}

void Tvtq45::tl_barva_peraClick() {
  if (series_->ChoosePenColour()) Paint(ui->pa_barva_pera, series_->Look().penColour);
}

void Tvtq45::ShowModal(QDialog* window) {
  if (window) window->exec();
}

void Tvtq45::mn_parametryClick() {
  // The editor opens whatever the load achieved, laid out for the firmware
  // the loader identified (0 when it could not).
  if (windows_.loader) windows_.loader->exec();
  if (windows_.editor) {
    if (windows_.loader) windows_.editor->SetFirmwareVariant(windows_.loader->FirmwareVariant());
    windows_.editor->exec();
  }
}

// The dialog previews on the chart itself; Cancel puts the chart back as it
// was, OK takes its look (the point limit applies from the next point).
void Tvtq45::mn_barvaClick() {
  if (!windows_.chartSettings) return;
  rq30::ChartLook look = series_->Look();
  if (windows_.chartSettings->Edit(look)) series_->SetLook(look);
}

// The dialog works on the status panels' captions and the rate unit; the new
// values apply from the next step, without resetting the counters.
void Tvtq45::mn_rychlost_zaznamuClick() {
  if (!windows_.recordingRate) return;
  QString saveMinutes = ui->pa_soubor->text();
  QString rate = ui->pa_zaznam->text();
  int unit = unitTag_;
  if (!windows_.recordingRate->Edit(saveMinutes, rate, unit)) return;
  SetRecordingPanels(rate.toInt(), unit, saveMinutes.toInt());
}
