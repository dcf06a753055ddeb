// "VTQ 45": the main window. Shows the controller's live values, drives the
// live cycle (demo data, automatic reading, log records, periodic log
// writes), holds the chart and the measurement log, owns the settings store
// and opens every other window from its menu.
#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "link.h"
#include "measurement_log.h"
#include "settings_store.h"

namespace Ui {
class Tvtq45;
}
class QDialog;
class QLabel;
class Tport;
class Tform_zaznam;
class Tload_form;
class Tmenu_mod;
class Trotace3D;
namespace rq30 {
class LineChart;
class LiveSeries;
class DemoGenerator;
}

class Tvtq45 : public QMainWindow {
  Q_OBJECT

 public:
  using Clock = std::function<QDateTime()>;

  // The windows opened from the menu; all live as long as this one.
  struct Windows {
    Tport* port = nullptr;
    QDialog* about = nullptr;
    QDialog* ident = nullptr;
    Tmenu_mod* editor = nullptr;
    QDialog* records = nullptr;
    Trotace3D* chartSettings = nullptr;
    Tform_zaznam* recordingRate = nullptr;
    Tload_form* loader = nullptr;
  };

  // Runs the creation step: opens the settings store and restores the
  // window's settings.
  Tvtq45(rq30::TableImage& image, rq30::Link& link, QWidget* parent = nullptr);
  ~Tvtq45() override;

  rq30::SettingsStore& SettingsStore() { return *settingsStore_; }
  void SetWindows(const Windows& windows) { windows_ = windows; }
  // The local time the live cycle works by; tests step it.
  void SetClock(Clock clock) { clock_ = std::move(clock); }

  // The live cycle tick (every 200 ms; works once per wall-clock second).
  // Message boxes it raises are shown after it has returned.
  void Timer1Timer();
  // One read of the live values and its display, with a chart point.
  void ShowLiveValues();

  // Measurement log.
  void RecordSample();
  void SaveLogPeriodically();
  void StartNewMeasurement();
  void Save();
  void SaveAs();
  const rq30::MeasurementLog& Log() const { return log_; }
  bool LogFileChosen() const;
  const std::string& LogPath() const { return logPath_; }

  // The end of the operator's session (SIGTERM, SIGHUP, the desktop's
  // logout or shutdown): the log written once more when the operator has
  // chosen its file and has "Zápis do souboru" on, then the window closed
  // as by its close box, which stores the settings.
  void EndSession();

  // The link state in the status bar: "" while reads succeed.
  QString LinkStateText() const;

  // Chart.
  void AddChartPoint(double value);
  void ClearChart();
  int ChartPointCount() const;
  int SampleNumber() const;
  rq30::LineChart& Chart() { return *Chart1; }
  void GenerateDemoSample();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void RestoreSettings();
  void FormClose();
  void Paint(QLabel* panel, int32_t colourValue);
  void ShowRelays(uint8_t bits);
  void SetRecordingPanels(int rate, int unit, int saveMinutes);
  bool AskToClear();
  void WriteLog(const std::string& path);
  void WriteLogAsking(const std::string& path);
  bool MayReplace(const std::string& path) const;
  void NoteLiveRead(bool ok);
  void ShowLinkState();
  void KeepLineAlive();

  void tl_precistClick();
  void check_autoClick(bool checked);
  void check_zapisClick(bool checked);
  void check_demoClick(bool checked);
  void mn_novyClick();
  void mn_exitClick();
  void mn_parametryClick();
  void mn_barvaClick();
  void mn_rychlost_zaznamuClick();
  void tl_barva_peraClick();
  void ShowModal(QDialog* window);

  std::unique_ptr<Ui::Tvtq45> ui;
  rq30::TableImage& image_;
  rq30::Link& link_;
  std::unique_ptr<rq30::SettingsStore> settingsStore_;
  Windows windows_;
  Clock clock_;
  QTimer Timer1;

  int recordTicks_ = 0;
  int saveTicks_ = 0;
  int lastSecond_ = 0;

  // The tags of the status panels: recording rate, its unit (1 s or 60 s)
  // and the file save interval in minutes.
  int rateTag_ = 1;
  int unitTag_ = 1;
  int saveTag_ = 15;

  rq30::MeasurementLog log_;
  std::string logPath_ = "Záznam Vtq45";
  // Files this measurement has written, or the operator agreed to replace:
  // any other existing file is asked about before it is replaced.
  std::set<std::string> ownFiles_;

  // Live reads that failed since the last good one, and when that was.
  int failedReads_ = 0;
  QDateTime lastGoodRead_;
  QLabel* pa_linka = nullptr;  // link state, in the status bar

  rq30::LineChart* Chart1;  // owned by the chart area
  // The series with its look (point limit, 3D, colours, pen) and sample numbers.
  std::unique_ptr<rq30::LiveSeries> series_;
  std::unique_ptr<rq30::DemoGenerator> demo_;
};
