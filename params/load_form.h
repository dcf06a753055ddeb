// The loading window "Čtení parametrů" that comes before the parameter
// editor: it presets the editor's controls, identifies the controller's
// firmware, reads the whole parameter set of that firmware into the table
// image with a progress bar, and closes itself. The operator does nothing
// here; the editor opens afterwards whatever the load achieved, and takes
// the firmware variant from this window.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "table_image.h"

namespace Ui {
class Tload_form;
}

namespace rq30 {
class Link;
namespace paramset {
struct LoadHooks;
}
}  // namespace rq30

class QTimer;
class Tmenu_mod;

class Tload_form : public QDialog {
  Q_OBJECT

 public:
  using PauseFn = std::function<void(int milliseconds)>;

  Tload_form(rq30::TableImage& image, rq30::Link& link, Tmenu_mod& editor,
             QWidget* parent = nullptr);
  ~Tload_form() override;

  // 1..3 for the identified firmware, 0 when identification failed; kept
  // from one load to the next, 0 before the first.
  int FirmwareVariant() const { return variant_; }

  // The fixed pauses after the reads; a real sleep unless replaced (tests
  // record them).
  void SetPause(PauseFn pause);

  // Moves the progress bar on by `step`, stopping at 100.
  void AddProgress(int step);
  // The firmware variant of the controller (0..3).
  int Identify();
  // 1 when the program selection and the program blocks all came.
  int ReadProgramData();
  // The whole load: identification, then every table of the firmware.
  void LoadParameterSet();

 public slots:
  void FormShow();
  // The one-shot start, 5 ms after the window is shown: the load, then the
  // window closes with OK. Tests call it directly after show().
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;
  // The load closes the window itself; Esc or the close box do not stop it.
  void reject() override {}

 private:
  rq30::paramset::LoadHooks Hooks();
  void Pause(int milliseconds);

  std::unique_ptr<Ui::Tload_form> ui_;
  rq30::TableImage& image_;
  rq30::Link& link_;
  Tmenu_mod& editor_;
  QTimer* Timer1;
  PauseFn pause_;
  int variant_ = 0;
};
