// "GRAF 3D": the chart settings dialog. The operator sets the 3D view, its
// percentage, the plotting-area and panel colours and the number of
// measurements the chart keeps. Every change of view or colour shows on the
// main window's chart at once; Cancel puts the chart back exactly as it was
// when the dialog opened, OK hands the new look back.
#pragma once

#include <QColor>
#include <QDialog>
#include <memory>

#include "chart_style.h"
#include "live_series.h"

namespace Ui {
class Trotace3D;
}

namespace rq30 {
class LineChart;
}

class Trotace3D : public QDialog {
  Q_OBJECT

 public:
  // `chart` is the chart the preview acts on; it may be null (no preview).
  explicit Trotace3D(rq30::LineChart* chart, QWidget* parent = nullptr);
  ~Trotace3D() override;

  void SetChart(rq30::LineChart* chart) { chart_ = chart; }

  // Hands in the main window's values before a showing: check_3D, bar_3D,
  // the two swatches and ed_poc_mer. Changes nothing on the chart.
  void SetLook(const rq30::ChartLook& look);
  // The look after OK: the view, percentage and colours now on the chart, the
  // number in ed_poc_mer as the point limit, the pen colour as handed in.
  rq30::ChartLook Look() const;

  // The main window's "Nastavení grafu" in one call: hands `look` in, shows
  // the dialog modally and, on OK, takes the new values into `look`. On
  // Cancel `look` is untouched and the chart is as before. True on OK.
  bool Edit(rq30::ChartLook& look);

  // The checks of ed_poc_mer; 0 passed, -1 rejected after a message box.
  int CheckInteger();
  int CheckRange();

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  void check_3DClick(bool checked);
  void bar_3DChange(int position);
  void tl_barva_mrizClick();
  void tl_barva_okrajClick();
  void tl_okClick();
  void ed_poc_merKeyPress();
  bool ChooseColour(int32_t& value);
  void Paint(QWidget* swatch, int32_t value);

  std::unique_ptr<Ui::Trotace3D> ui;
  rq30::LineChart* chart_;
  rq30::ChartLook look_;
  rq30::ChartStyle before_;  // the chart as it was when the dialog opened
  bool haveBefore_ = false;
  QColor dialogColour_{0, 0, 0};  // ColorDialog1 opens with the colour last chosen
};
