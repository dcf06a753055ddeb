// The record window: downloads the controller's record memory, lists it
// newest first and saves the listing as a text file.
//
// Created once and reused: the listing stays until the next download.
// The download blocks on the serial line for about nine seconds; it runs on
// the GUI thread like every exchange, so nothing else touches the line.
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "link.h"
#include "table_image.h"

namespace Ui {
class FormZaznam;
}

class TFormZaznam : public QDialog {
  Q_OBJECT

 public:
  using PauseFn = std::function<void(int milliseconds)>;
  using ClockFn = std::function<QDateTime()>;

  TFormZaznam(rq30::TableImage& image, rq30::Link& link, QWidget* parent = nullptr);
  ~TFormZaznam() override;

  // The window's own short pauses between table reads; a real sleep unless
  // replaced (tests record them).
  void SetPause(PauseFn pause);
  // The local time for the listing's first line; the wall clock unless replaced.
  void SetClock(ClockFn clock);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void tl_cteniClick();
  void tl_ulozitClick();

 private:
  void Pause(int milliseconds);
  void ShowListing(int pointerBefore, int pointerAfter);
  void SaveListing(const QString& path);
  void SetBusy(bool busy);

  std::unique_ptr<Ui::FormZaznam> ui;
  rq30::TableImage& image_;
  rq30::Link& link_;
  PauseFn pause_;
  ClockFn clock_;
  QString fileName_;  // offered by the next save dialog
  // Blocks the last download could not read: the listing holds older
  // values there (or zeros).
  QString failedBlocks_;
  class QLabel* lb_chyby = nullptr;
};
