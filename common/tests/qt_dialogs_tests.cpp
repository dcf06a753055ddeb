// The real operator dialogs: a real QMessageBox and a real QFileDialog,
// answered from a timer as an operator would answer them. Every box is
// closed by the script, and a box the script does not expect is closed too
// and fails the test, so nothing waits on an operator.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <vector>

#include "qt_operator_dialogs.h"

namespace {

// Steps run one after another, each on the modal box that is open once the
// step is due; each step must find its box within five seconds.
class Operator {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit Operator(std::vector<Step> steps) : steps_(std::move(steps)) {
    poll_.setInterval(20);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start();
  }
  ~Operator() { poll_.stop(); }

  // All steps ran.
  bool Done() const { return next_ == steps_.size() && !gaveUp_; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (busy_) return;
    if (next_ == steps_.size()) {
      if (modal) GiveUp(modal);  // a box nobody expected
      return;
    }
    if (!modal || !modal->isVisible() || modal == last_) {
      if (++waited_ > 250) GiveUp(modal);
      return;
    }
    waited_ = 0;
    last_ = modal;
    // Run outside this timer's slot: the step may open a nested box, whose
    // loop must keep this timer running.
    busy_ = true;
    QTimer::singleShot(0, modal, [this, modal] {
      busy_ = false;
      steps_[next_++](modal);
    });
  }

  void GiveUp(QWidget* modal) {
    gaveUp_ = true;
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
  }

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QWidget* last_ = nullptr;
  int waited_ = 0;
  bool busy_ = false;
  bool gaveUp_ = false;
  QTimer poll_;
};

template <typename T>
T* As(QWidget* w) {
  T* t = qobject_cast<T*>(w);
  if (!t)
    qWarning("expected %s, got %s", T::staticMetaObject.className(), w->metaObject()->className());
  return t;
}

// As the Save or Open button does (QFileDialog's own accept is protected).
void Accept(QFileDialog* dialog) {
  static_cast<QDialog*>(dialog)->accept();
}

void TypeName(QFileDialog* dialog, const QString& name) {
  auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
  QVERIFY(edit);
  edit->setText(name);
}

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxAnswers_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<int>("answer");
    using B = rq30::DialogButtons;
    using A = rq30::DialogAnswer;
    QTest::newRow("Ok") << int(B::kOk) << int(QMessageBox::Ok) << int(A::kOk);
    QTest::newRow("Ok of Ok/Cancel") << int(B::kOkCancel) << int(QMessageBox::Ok) << int(A::kOk);
    QTest::newRow("Cancel") << int(B::kOkCancel) << int(QMessageBox::Cancel) << int(A::kCancel);
    QTest::newRow("Yes") << int(B::kYesNo) << int(QMessageBox::Yes) << int(A::kYes);
    QTest::newRow("No") << int(B::kYesNo) << int(QMessageBox::No) << int(A::kNo);
    QTest::newRow("No of three") << int(B::kYesNoCancel) << int(QMessageBox::No) << int(A::kNo);
    QTest::newRow("Cancel of three")
        << int(B::kYesNoCancel) << int(QMessageBox::Cancel) << int(A::kCancel);
  }

  // The caption, text, icon and buttons reach the box, it has no owner
  // window, and the button pressed is the answer.
  void messageBoxAnswers() {
    QFETCH(int, buttons);
    QFETCH(int, pressed);
    QFETCH(int, answer);
    const QMessageBox::StandardButtons offered[] = {
        QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel};
    // A window of the program is active; the box still has no owner.
    QWidget active;
    active.show();
    active.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&active));
    QString caption, text, parent;
    int icon = -1;
    QMessageBox::StandardButtons shown;
    Operator op({[&](QWidget* w) {
      auto* box = As<QMessageBox>(w);
      if (!box) return;
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      shown = box->standardButtons();
      parent = box->parentWidget() ? "owned" : "none";
      box->button(QMessageBox::StandardButton(pressed))->click();
    }});
    rq30::QtOperatorDialogs dialogs;
    const rq30::DialogAnswer got =
        dialogs.Message("Chceš vymazat naměřená data?", "Clear", rq30::DialogIcon::kWarning,
                        rq30::DialogButtons(buttons));
    QVERIFY(op.Done());
    QCOMPARE(int(got), answer);
    QCOMPARE(caption, QString("Clear"));
    QCOMPARE(text, QString("Chceš vymazat naměřená data?"));
    QCOMPARE(icon, int(QMessageBox::Warning));
    QCOMPARE(shown.toInt(), offered[buttons].toInt());
    QCOMPARE(parent, QString("none"));
  }

  void messageBoxIcons() {
    const std::pair<rq30::DialogIcon, QMessageBox::Icon> icons[] = {
        {rq30::DialogIcon::kError, QMessageBox::Critical},
        {rq30::DialogIcon::kQuestion, QMessageBox::Question},
        {rq30::DialogIcon::kInformation, QMessageBox::Information},
        {rq30::DialogIcon::kNone, QMessageBox::NoIcon}};
    for (const auto& [ours, qts] : icons) {
      int icon = -1;
      Operator op({[&](QWidget* w) {
        auto* box = As<QMessageBox>(w);
        if (!box) return;
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
      }});
      rq30::QtOperatorDialogs dialogs;
      QCOMPARE(int(dialogs.Message("Chyba", "DATA", ours, rq30::DialogButtons::kOk)),
               int(rq30::DialogAnswer::kOk));
      QVERIFY(op.Done());
      QCOMPARE(icon, int(qts));
    }
  }

  // A name typed without extension gets the default one; the caption, the
  // filter and the folder reach the dialog.
  void saveDialogAddsTheDefaultExtension() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    rq30::FileDialogOptions options;
    options.title = "Uložit záznam";
    options.filter = "Textový soubor [*.txt]|*.txt";
    options.defaultExtension = "TXT";
    options.initialDir = dir.path();
    options.fileName = "Záznam Vtq45";
    options.confirmOverwrite = true;
    QString caption, suffix;
    QStringList filters;
    int mode = -1;
    Operator op({[&](QWidget* w) {
      auto* dialog = As<QFileDialog>(w);
      if (!dialog) return;
      caption = dialog->windowTitle();
      suffix = dialog->defaultSuffix();
      filters = dialog->nameFilters();
      mode = dialog->acceptMode();
      TypeName(dialog, "mereni");
      Accept(dialog);
    }});
    rq30::QtOperatorDialogs dialogs;
    const QString path = dialogs.SaveFile(options);
    QVERIFY(op.Done());
    QCOMPARE(caption, QString("Uložit záznam"));
    QCOMPARE(suffix, QString("TXT"));
    QCOMPARE(filters, QStringList{"Textový soubor [*.txt] (*.txt)"});
    QCOMPARE(mode, int(QFileDialog::AcceptSave));
    QCOMPARE(QFileInfo(path).absoluteFilePath(), QDir(dir.path()).absoluteFilePath("mereni.TXT"));
  }

  // Saving over a file asks first when the caller wants it: No keeps the
  // dialog open (here then cancelled), Yes takes the file. Without the
  // option nothing is asked.
  void saveDialogAsksBeforeReplacing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = QDir(dir.path()).absoluteFilePath("stary.txt");
    {
      QFile f(existing);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("old\r\n");
    }
    rq30::FileDialogOptions options;
    options.filter = "Textový soubor [*.txt]|*.txt";
    options.defaultExtension = "TXT";
    options.initialDir = dir.path();
    options.confirmOverwrite = true;

    for (const bool replace : {false, true}) {
      QString question;
      QFileDialog* fileDialog = nullptr;
      std::vector<Operator::Step> steps = {
          [&](QWidget* w) {
            fileDialog = As<QFileDialog>(w);
            if (!fileDialog) return;
            TypeName(fileDialog, "stary.txt");
            Accept(fileDialog);  // opens the question, nested
          },
          [&](QWidget* w) {
            auto* box = As<QMessageBox>(w);
            if (!box) return;
            question = box->text();
            box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
          }};
      if (!replace) {
        steps.push_back([&](QWidget* w) {
          QCOMPARE(w, static_cast<QWidget*>(fileDialog));  // still open after No
          fileDialog->reject();
        });
      }
      Operator op(steps);
      rq30::QtOperatorDialogs dialogs;
      const QString path = dialogs.SaveFile(options);
      QVERIFY(op.Done());
      QVERIFY2(question.contains("stary.txt"), qPrintable(question));
      QCOMPARE(path, replace ? existing : QString());
    }

    options.confirmOverwrite = false;
    Operator op({[&](QWidget* w) {
      auto* dialog = As<QFileDialog>(w);
      if (!dialog) return;
      TypeName(dialog, "stary.txt");
      Accept(dialog);
    }});
    rq30::QtOperatorDialogs dialogs;
    QCOMPARE(dialogs.SaveFile(options), existing);
    QVERIFY(op.Done());
  }

  // The open dialog takes an existing file only; cancelling gives nothing.
  void openDialogCancelGivesNothing() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    rq30::FileDialogOptions options;
    options.title = "Otevřít parametry";
    options.filter = "Parametry regulátoru[*.ini]|*.ini";
    options.initialDir = dir.path();
    QString caption;
    int mode = -1, fileMode = -1;
    Operator op({[&](QWidget* w) {
      auto* dialog = As<QFileDialog>(w);
      if (!dialog) return;
      caption = dialog->windowTitle();
      mode = dialog->acceptMode();
      fileMode = dialog->fileMode();
      dialog->reject();
    }});
    rq30::QtOperatorDialogs dialogs;
    QCOMPARE(dialogs.OpenFile(options), QString());
    QVERIFY(op.Done());
    QCOMPARE(caption, QString("Otevřít parametry"));
    QCOMPARE(mode, int(QFileDialog::AcceptOpen));
    QCOMPARE(fileMode, int(QFileDialog::ExistingFile));
  }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_tests.moc"
