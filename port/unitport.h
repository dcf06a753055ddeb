// "Komunikační port": the port dialog. It owns the program's one serial
// line, chooses port, rate and bus addresses (each list takes effect at once),
// keeps them in the settings store, and scans the bus for addresses that
// answer.
#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

#include "link.h"
#include "serial_port.h"
#include "settings_store.h"

namespace Ui {
class Tport;
}

class Tport : public QDialog {
  Q_OBJECT

 public:
  // Runs the creation step: reads the stored settings, hands the addresses
  // to the link and opens the stored port. An open failure is shown and the
  // program goes on without a line.
  Tport(rq30::SettingsStore& store, rq30::Link& link, QWidget* parent = nullptr);
  ~Tport() override;

  rq30::SerialPort& Port() { return port_; }
  int DeviceAddress() const { return deviceAddress_; }
  int ComputerAddress() const { return computerAddress_; }
  bool Scanning() const { return Timer1.isActive(); }

  // Closing by OK, Storno or the close box stores the settings.
  void done(int result) override;

  // One tick of the address scan; public so tests can step it.
  void Timer1Timer();

  // Called once per working tick of the live cycle. A line whose device has
  // gone is closed, and a line lost so is opened again under its COM name
  // until it is back. The first failed reopen after a loss throws the open
  // error; the later ones are quiet.
  void KeepLineAlive();
  // Where the device picker looks for serial devices ("/dev"; tests lay
  // out a folder of their own).
  void SetDeviceFolder(const std::string& folder) { deviceFolder_ = folder; }

  // The COM number waiting to be reopened; 0 when no line was lost.
  int LostPort() const { return lostNumber_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Settings {
    int port = 0;
    int baud = 0;
    int device = 0;
    int computer = 0;
    bool operator==(const Settings& o) const {
      return port == o.port && baud == o.baud && device == o.device && computer == o.computer;
    }
  };

  void FormCreate();
  void FormShow();
  void ShowDeviceNames();
  void AddDevicePicker();
  void FillDeviceMenu();
  void ChooseDevice(const QString& device);
  void cb_comChange(int index);
  void cb_baudrateChange(int index);
  void cb_daChange(int index);
  void cb_saChange(int index);
  void tl_cancelClick();
  void tl_okClick();
  void tl_najitClick();
  void tl_prerusitClick();

  void OpenNumber(int number);
  void ApplyRate();
  void SelectBaud(int baud);
  void Select(class QComboBox* list, int index);
  void SetScanning(bool scanning);
  Settings Current() const;

  std::unique_ptr<Ui::Tport> ui;
  rq30::SettingsStore& store_;
  rq30::Link& link_;
  rq30::SerialPort port_;
  int deviceAddress_ = 0;
  int computerAddress_ = 0;
  Settings saved_;
  int scanPosition_ = 0;
  int lostNumber_ = 0;
  bool lossReported_ = false;
  QTimer Timer1;
  class QMenu* deviceMenu_ = nullptr;  // the machine's serial devices (Linux)
  std::string deviceFolder_ = "/dev";
};
