// The identification window: asks the connected controller for its device
// type and firmware version and shows both, or says that the device is of
// another kind and needs other software.
//
// The labels are not reset between showings: a request without reply leaves
// the text of the last identification in place.
#pragma once

#include <QDialog>
#include <memory>

#include "link.h"
#include "table_image.h"

class QHideEvent;
class QShowEvent;
class QTimer;

namespace Ui {
class about_ident;
}

class Tabout_ident : public QDialog {
  Q_OBJECT

 public:
  Tabout_ident(rq30::TableImage& image, rq30::Link& link, QWidget* parent = nullptr);
  ~Tabout_ident() override;

 public slots:
  // The tick of Timer1 (one shot, a second after showing): the
  // identification. Public so that tests can tick without waiting.
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void FormShow();
  void ReportForeignDevice();

  std::unique_ptr<Ui::about_ident> ui;
  rq30::TableImage& image_;
  rq30::Link& link_;
  QTimer* Timer1;
};
