// The setpoint program page of the parameter editor (tab "COMP" outside
// firmware variant 1): one of the ten programs in a grid, entered segment by
// segment, and exchanged with the controller by program blocks.
//
// The grid `tab_comp` has 3 columns and 21 rows; row 0 and column 0 are
// headers, column 1 holds setpoints, column 2 times, and row r belongs to
// segment r - 1. Its cells change only through `tl_add` and FillPage.
#pragma once

#include <QObject>
#include <functional>

#include "table_image.h"

namespace Ui {
class Tmenu_mod;
}

class QTableWidgetItem;

namespace rq30 {

class Link;

class ProgramPage : public QObject {
  Q_OBJECT

 public:
  // What the page needs of the editor around it.
  struct Hooks {
    std::function<void()> read;   // the editor's read action ("Čtení")
    std::function<void()> write;  // the editor's write action ("Zápis")
    std::function<void(int)> pause;
    std::function<void(int)> progress;
  };

  ProgramPage(Ui::Tmenu_mod& ui, TableImage& image, Link& link, Hooks hooks,
              QObject* parent = nullptr);

  // Headers, segment numbers and the visible entry fields by the program
  // type held in the table image.
  void LayoutProgramGrid();
  void FillPage();
  // 0 accepted; -1 when a cell or the start value is not a number (the
  // collect stops there, and the operator is told).
  int CollectPage();
  // Both 1 on success, 0 on failure. ReadProgram follows the type and number
  // selected in the lists; WriteProgram those of the table image.
  int ReadProgram();
  int WriteProgram();

  void SelectSegment(int segment);
  QString CellText(int row, int column) const;

 public slots:
  void tl_addClick();
  void cb_usekChange(int segment);
  void cb_prog_typChange(int type);
  void cb_prog_cisChange(int number);
  void ed_compKeyPress();
  void ed_casKeyPress();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidgetItem* Cell(int row, int column) const;
  void SetCell(int row, int column, const QString& text);
  void HighlightSegment();
  int SelectedProgram() const;
  int RejectCell(int row, int column);
  void ChangeSelection();

  Ui::Tmenu_mod& ui_;
  TableImage& image_;
  Link& link_;
  Hooks hooks_;
};

}  // namespace rq30
