#include "aboutbox.h"

#include "program_icon.h"
#include "program_info.h"
#include "ui_aboutbox.h"

QString VersionCaption(const std::string& version) {
  if (version.empty()) return QString();
  return QStringLiteral("Verze ") + QString::fromStdString(version);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::AboutBox>()) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(324, 289);
  connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
  FormCreate();
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormCreate() {
  ui->ProgramIcon->setPixmap(rq30::ProgramPicture());
  ui->Label6->setText(QString::fromUtf8(rq30::kProductName));
  ui->LabelCompany->setText(QString::fromUtf8(rq30::kMakerName));
  ui->Label5->setText(VersionCaption(rq30::ProgramVersion()));
}
