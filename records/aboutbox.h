// The about box: product name, maker, the program's version and the minimum
// system requirements. Created once; its version text is fixed for the run.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

namespace Ui {
class AboutBox;
}

// "Verze 1.1.0.0" for "1.1.0.0"; an empty version gives an empty text.
QString VersionCaption(const std::string& version);

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
  ~TAboutBox() override;

 private:
  void FormCreate();

  std::unique_ptr<Ui::AboutBox> ui;
};
