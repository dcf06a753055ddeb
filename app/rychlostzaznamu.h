// "Rychlost záznamu": the recording-rate dialog. The operator sets how often
// a live value goes into the measurement log (a rate of 1 to 1000 seconds or
// minutes) and how often the log is written to its file (1 to 60 minutes).
// The main window fills it from its status panels before each showing and
// takes the values back only when the dialog ends with OK; "Storno", Esc and
// the close box hand nothing back. The page active when the dialog closed is
// the one shown first next time.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QLineEdit;

namespace Ui {
class Tform_zaznam;
}

class Tform_zaznam : public QDialog {
  Q_OBJECT

 public:
  explicit Tform_zaznam(QWidget* parent = nullptr);
  ~Tform_zaznam() override;

  // Hand-in before a showing: ed_soubor gets `saveMinutes` (the caption of
  // pa_soubor), ed_sample gets `rate` (the caption of pa_zaznam); rb_sec is
  // checked when `unitTag` is 1, rb_min otherwise.
  void SetValues(const QString& saveMinutes, const QString& rate, int unitTag);

  // Take-back after OK: the texts of ed_soubor and ed_sample, which OK has
  // left as plain decimal numbers in range, and the rate unit OK set from
  // the radio buttons (1 seconds, 60 minutes). Before the first OK the unit
  // is 1.
  QString SaveMinutesText() const;
  QString RateText() const;
  int RateUnit() const { return rateUnit_; }

  // The main window's "&Rychlost záznamu" in one call: hands the values in,
  // shows the dialog modally and, on OK only, writes the values back. True
  // on OK; on Cancel the arguments are untouched.
  bool Edit(QString& saveMinutes, QString& rate, int& unitTag);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int CheckInteger(QLineEdit* field);
  int CheckRange(long low, long high, QLineEdit* field);
  bool FieldFails(long low, long high, QLineEdit* field);
  void EnterInField(long low, long high, QLineEdit* field);
  void ed_sampleKeyPress();
  void ed_souborKeyPress();
  void tl_okClick();

  std::unique_ptr<Ui::Tform_zaznam> ui;
  int rateUnit_ = 1;  // the unit OK hands back, kept like the tag of rb_sec
};
