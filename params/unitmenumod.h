// The parameter editor "VTQ 45 DATA": the controller's whole parameter set on
// thirteen tabbed pages, one data table per page, read and written page by
// page; page 0 is the setpoint program editor (ProgramPage) except in
// firmware variant 1, where it holds the single setpoint.
//
// The editor keeps no values of its own: every value lives in the table
// image, and the controls of a page are a view of it. FillPage copies image
// to controls, CollectPage controls to image with validation.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "table_image.h"

namespace Ui {
class Tmenu_mod;
}

namespace rq30 {
class Link;
class ProgramPage;
namespace paramset {
struct Key;
}
}  // namespace rq30

class Tmenu_mod : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kPageCount = 13;
  enum Page {
    kComp,
    kAlarm1,
    kAlarm2,
    kPid,
    kRego,
    kOnOff,
    kSens,
    kDaco,
    kErro,
    kOstat,
    kAdd,
    kGo,
    kTime
  };
  using PauseFn = std::function<void(int milliseconds)>;

  Tmenu_mod(rq30::TableImage& image, rq30::Link& link, QWidget* parent = nullptr);
  ~Tmenu_mod() override;

  // The identified firmware (1..3; 0 unidentified), taken at each opening.
  void SetFirmwareVariant(int variant) { variant_ = variant; }
  int FirmwareVariant() const { return variant_; }

  // The fixed pauses between program block transfers; a real sleep unless
  // replaced (tests record them).
  void SetPause(PauseFn pause);

  // The data table a page shows (its tag); page 11 is 14 here, and travels
  // as 19 only in firmware variant 3 (see TransferTable).
  static int PageTable(int page);
  // The table the read and write buttons exchange for a page.
  int TransferTable(int page) const;

  void FillPage(int page);
  // 0 when every field was accepted, -1 when at least one was rejected.
  int CollectPage(int page);
  void ApplyVariantLayout();

  // The fixed values the loading window puts into the controls before it
  // reads the controller. Every page counts as not shown from then on,
  // until a fill shows the table image on it.
  void PresetControls();

  // Makes a page active as the program does it (the loader steps through
  // the pages): nothing is collected or filled.
  void ShowPage(int page);
  int ActivePage() const;

  rq30::ProgramPage& Program() { return *program_; }

 public slots:
  void FormShow();
  void PageControlChange(int page);
  void cb_rala1Change(int position);
  void cb_rala2Change(int position);
  void tl_cteniClick();
  void tl_zapisClick();
  void tl_eepromClick();
  // The parameter set file (menu_file.cpp): save what the controls and the
  // program arrays hold; load into the controls and the table image.
  void tl_ulozitClick();
  void tl_otevritClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ConnectControls();
  void BuildPcutList();
  void SetProgress(int position);
  void ShowProgress(bool shown);
  void Pause(int milliseconds);
  void Report(const QString& text);

  // Pages 1..11 through the parameter set's keys, in menu_pages.cpp: each
  // key names its control and its table image slot.
  void FillKeys(int page);
  int CollectKeys(int page);
  void ColourLowerLimit(int page);
  QString ControlValue(const rq30::paramset::Key& key) const;
  void SetControlValue(const rq30::paramset::Key& key, const QString& value);
  std::string SavedValue(const rq30::paramset::Key& key) const;
  // Before a save: pages the firmware offers that have not been filled
  // since the load show the table image, so the file holds the
  // controller's values rather than the loader's presets.
  void FillPagesNotShown();
  // Whether the firmware offers the page at all (GO and TIME it may not).
  bool PageOffered(int page) const;

  std::unique_ptr<Ui::Tmenu_mod> ui_;
  rq30::TableImage& image_;
  rq30::Link& link_;
  std::unique_ptr<rq30::ProgramPage> program_;
  PauseFn pause_;
  int variant_ = 0;
  int lastPage_ = 0;
  bool silentPageChange_ = false;
  bool filled_[kPageCount] = {};  // shown the table image since the last preset
};
