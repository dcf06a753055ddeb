// The measurement log through the main window: records, header, the file
// and its writes, and the questions of the two check boxes.
#include <signal.h>
#include <sys/resource.h>

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "cp1250.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "find_control.h"
#include "sim_line.h"
#include "rychlostzaznamu.h"
#include "unit_hl.h"

using rq30::DialogAnswer;
using rq30::DialogCall;
using rq30::testing::SimLine;

using rq30::testing::Find;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Lines(const rq30::MeasurementLog& log) {
  const QString text = QString::fromStdString(rq30::Cp1250ToUtf8(log.Contents()));
  QStringList lines = text.split("\r\n");
  lines.removeLast();  // after the last CR LF
  return lines;
}

// The window with a controller, a fixed clock and its settings in place.
struct Bench {
  explicit Bench(const QByteArray& settings = {}) {
    if (!settings.isEmpty()) {
      QDir().mkpath(Dir() + "/QelFW_K47");
      QFile f(Dir() + "/QelFW_K47/settings.ini");
      f.open(QIODevice::WriteOnly);
      f.write(settings);
    }
    window = std::make_unique<Tvtq45>(line.image, line.link);
    window->SetClock([this] { return now; });
    line.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().live.measured = 21.5f;
      m.Image().live.setpoint = 55.0f;
      m.Image().live.output = 523;
      m.Image().live.fault = 0;
      return 0;
    });
  }
  QString Dir() const { return QString::fromStdString(line.home.Dir()); }
  // One working second of the live cycle.
  void Second() {
    now = now.addSecs(1);
    window->Timer1Timer();
  }

  SimLine line;
  rq30::ScriptedDialogs dialogs;
  QDateTime now{QDate(2026, 12, 6), QTime(9, 5, 7)};
  std::unique_ptr<Tvtq45> window;
};

}  // namespace

class LogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void recordLineShowsThePanelsTimeAndDate() {
    Bench b;
    Find<QCheckBox>(*b.window, "check_auto")->setChecked(true);
    b.Second();
    const QStringList lines = Lines(b.window->Log());
    QCOMPARE(lines.size(), 1);  // no header: automatic reading alone starts none
    QCOMPARE(lines[0], QString("21,50; 55,00; 52,3; není porucha;   9:05:08;   06.12.2026"));
  }

  void newMeasurementWritesHeaderAndFileByteForByte() {
    Bench b;
    const QString path = b.Dir() + "/mereni.txt";
    b.dialogs.QueueFile(path);
    b.window->findChild<QAction*>("mn_novy")->trigger();
    QVERIFY(b.window->LogFileChosen());
    QCOMPARE(Find<QLabel>(*b.window, "pa_path")->text(), path);
    QCOMPARE(b.window->ChartPointCount(), 0);  // the start clears the chart
    QCOMPARE(b.window->SampleNumber(), 0);

    const QByteArray expected = QByteArray(
        "Za\xe8\xe1tek m\xec\xf8""en\xed na regul\xe1toru VTQ45   06.12.2026     9:05:07\r\n"
        "Nam\xec\xf8""en\xe1 hodnota; \x8e\xe1""dan\xe1 hodnota;Ak\xe8n\xed z\xe1sah; Porucha; \xe8""as; datum\r\n"
        "-----------------------------------------------------------------\r\n"
        "21,50; 55,00; 52,3; nen\xed porucha;   9:05:07;   06.12.2026\r\n");
    QCOMPARE(ReadFile(path), expected);

    const auto call = b.dialogs.Calls().back();
    QCOMPARE(call.kind, DialogCall::Kind::kSaveFile);
    QCOMPARE(call.file.title, QString("Uložit jako"));
    QCOMPARE(call.file.filter, QString("Textový soubor [*.txt]|*.txt"));
    QCOMPARE(call.file.defaultExtension, QString("TXT"));
    QCOMPARE(call.file.fileName, QString("Záznam Vtq45"));
    QVERIFY(call.file.confirmOverwrite);
  }

  void emptyListSavedGivesAnEmptyFile() {
    Bench b;
    const QString path = b.Dir() + "/prazdny.txt";
    QFile(path).open(QIODevice::WriteOnly);
    QFile old(path);
    old.open(QIODevice::WriteOnly);
    old.write("old contents");
    old.close();
    b.dialogs.QueueFile(path);
    b.window->findChild<QAction*>("mn_ulozit")->trigger();
    QCOMPARE(ReadFile(path), QByteArray());
  }

  void recordingPeriodInMinutes() {
    Bench b("[ZAZNAM]\r\nLIST=5\r\nJEDNOTKY=60\r\n");
    QCOMPARE(Find<QLabel>(*b.window, "pa_jednotky")->text(), QString("min"));
    b.dialogs.QueueFile(b.Dir() + "/m.txt");
    b.window->findChild<QAction*>("mn_novy")->trigger();
    const size_t afterStart = b.window->Log().LineCount();
    QCOMPARE(afterStart, size_t(3));  // the one start step did not reach 300 s
    Find<QCheckBox>(*b.window, "check_auto")->setChecked(true);
    for (int s = 1; s < 300; ++s) b.Second();
    QCOMPARE(b.window->Log().LineCount(), afterStart);
    b.Second();
    QCOMPARE(b.window->Log().LineCount(), afterStart + 1);
  }

  void saveIntervalRewritesTheFile() {
    Bench b("[ZAZNAM]\r\nSOUBOR=1\r\n");
    const QString path = b.Dir() + "/z.txt";
    b.dialogs.QueueAnswer(DialogAnswer::kNo);  // keep the data
    b.dialogs.QueueFile(path);
    Find<QCheckBox>(*b.window, "check_zapis")->click();
    QFile::remove(path);
    Find<QCheckBox>(*b.window, "check_auto")->setChecked(true);
    for (int s = 1; s < 60; ++s) b.Second();
    QVERIFY(!QFile::exists(path));
    b.Second();
    QCOMPARE(ReadFile(path).count("\r\n"), 60);
    QFile::remove(path);
    for (int s = 0; s < 60; ++s) b.Second();
    QCOMPARE(ReadFile(path).count("\r\n"), 120);
  }

  void checkBoxQuestions() {
    Bench b;
    // Automatic reading with an empty chart asks nothing.
    Find<QCheckBox>(*b.window, "check_auto")->click();
    QVERIFY(b.dialogs.Calls().empty());
    Find<QCheckBox>(*b.window, "check_auto")->click();  // off again: nothing
    b.Second();  // not sampling now
    QCOMPARE(b.window->Log().LineCount(), size_t(0));

    // With points held it asks; Yes starts a new measurement.
    b.window->ShowLiveValues();
    b.dialogs.QueueAnswer(DialogAnswer::kYes);
    Find<QCheckBox>(*b.window, "check_auto")->click();
    QCOMPARE(b.dialogs.Messages().size(), size_t(1));
    const auto question = b.dialogs.Messages()[0];
    QCOMPARE(question.text, QString("Chceš vymazat naměřená data?"));
    QCOMPARE(question.caption, QString("Clear"));
    QCOMPARE(question.icon, rq30::DialogIcon::kWarning);
    QCOMPARE(question.buttons, rq30::DialogButtons::kYesNo);
    QCOMPARE(b.window->Log().LineCount(), size_t(4));
    QCOMPARE(b.dialogs.Calls().size(), size_t(1));  // no file chosen: no save dialog

    // File writing always asks and always opens the save dialog; No keeps
    // the list.
    b.dialogs.ClearCalls();
    b.dialogs.QueueAnswer(DialogAnswer::kNo);
    Find<QCheckBox>(*b.window, "check_zapis")->click();
    QCOMPARE(b.dialogs.Calls().size(), size_t(2));
    QCOMPARE(b.dialogs.Calls()[1].kind, DialogCall::Kind::kSaveFile);
    QCOMPARE(b.window->Log().LineCount(), size_t(4));
  }

  void exitWithAChosenFileWritesWithoutAsking() {
    Bench b;
    const QString path = b.Dir() + "/konec.txt";
    b.dialogs.QueueFile(path);
    b.window->findChild<QAction*>("mn_novy")->trigger();
    b.dialogs.ClearCalls();
    QFile::remove(path);
    b.window->show();
    b.window->findChild<QAction*>("mn_exit")->trigger();
    QVERIFY(b.dialogs.Calls().empty());
    QVERIFY(ReadFile(path).startsWith("Za\xe8\xe1tek"));
    QVERIFY(!b.window->isVisible());
  }

  void exitWithoutAFileOffersTheDialogAndCancelStillExits() {
    Bench b;
    b.window->show();
    b.window->findChild<QAction*>("mn_exit")->trigger();
    QCOMPARE(b.dialogs.Calls().size(), size_t(1));
    QCOMPARE(b.dialogs.Calls()[0].kind, DialogCall::Kind::kSaveFile);
    QVERIFY(!b.window->isVisible());
  }

  // "&Rychlost záznamu": the panels go into the dialog and, on OK, come back
  // with the new rate, unit and interval; the counters run on.
  void recordingRateDialogTransfer() {
    Bench b;
    Tform_zaznam dialog;
    Tvtq45::Windows windows;
    windows.recordingRate = &dialog;
    b.window->SetWindows(windows);
    auto* menu = b.window->findChild<QAction*>("mn_rychlost_zaznamu");

    QString seenRate, seenFile;
    bool seenSeconds = false;
    QTimer::singleShot(0, &dialog, [&] {
      seenRate = dialog.findChild<QLineEdit*>("ed_sample")->text();
      seenFile = dialog.findChild<QLineEdit*>("ed_soubor")->text();
      seenSeconds = dialog.findChild<QRadioButton*>("rb_sec")->isChecked();
      dialog.findChild<QLineEdit*>("ed_sample")->setText("5");
      dialog.findChild<QLineEdit*>("ed_soubor")->setText("2");
      dialog.findChild<QRadioButton*>("rb_min")->setChecked(true);
      dialog.findChild<QPushButton*>("tl_ok")->click();
    });
    menu->trigger();
    QCOMPARE(seenRate, QString("1"));
    QCOMPARE(seenFile, QString("15"));
    QVERIFY(seenSeconds);
    QCOMPARE(Find<QLabel>(*b.window, "pa_zaznam")->text(), QString("5"));
    QCOMPARE(Find<QLabel>(*b.window, "pa_soubor")->text(), QString("2"));
    QCOMPARE(Find<QLabel>(*b.window, "pa_jednotky")->text(), QString("min"));

    // Storno hands nothing back.
    QTimer::singleShot(0, &dialog, [&] {
      dialog.findChild<QLineEdit*>("ed_sample")->setText("9");
      dialog.findChild<QPushButton*>("tl_cancel")->click();
    });
    menu->trigger();
    QCOMPARE(Find<QLabel>(*b.window, "pa_zaznam")->text(), QString("5"));

    // The new period applies: 5 minutes is 300 working seconds.
    Find<QCheckBox>(*b.window, "check_auto")->setChecked(true);
    for (int s = 1; s < 300; ++s) b.Second();
    QCOMPARE(b.window->Log().LineCount(), size_t(0));
    b.Second();
    QCOMPARE(b.window->Log().LineCount(), size_t(1));

    // And it is what the window stores when it closes.
    b.window->close();
    auto store = rq30::OpenSettingsStore();
    QCOMPARE(store->ReadInteger("ZAZNAM", "LIST", -1), 5);
    QCOMPARE(store->ReadInteger("ZAZNAM", "JEDNOTKY", -1), 60);
    QCOMPARE(store->ReadInteger("ZAZNAM", "SOUBOR", -1), 2);
  }

  // A full disk: the write fails, the operator is told, and the file that
  // was there stays complete, as do the list, the flag and the path panel.
  void failedWriteKeepsTheOldFileAndTheList() {
    Bench b;
    const QString path = b.Dir() + "/plny.txt";
    b.dialogs.QueueFile(path);
    b.window->findChild<QAction*>("mn_novy")->trigger();
    const QByteArray before = ReadFile(path);
    Find<QCheckBox>(*b.window, "check_auto")->setChecked(true);
    for (int s = 0; s < 20; ++s) b.Second();
    const size_t lines = b.window->Log().LineCount();

    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(before.size() + 10);
    setrlimit(RLIMIT_FSIZE, &small);
    b.dialogs.ClearCalls();
    b.window->show();
    b.window->findChild<QAction*>("mn_exit")->trigger();
    setrlimit(RLIMIT_FSIZE, &old);

    QCOMPARE(b.dialogs.Messages().size(), size_t(1));
    QCOMPARE(b.dialogs.Messages()[0].text, "Cannot create file " + path);
    QCOMPARE(ReadFile(path), before);
    QCOMPARE(QDir(b.Dir()).entryList({"plny.txt.tmp*"}).size(), 0);
    QCOMPARE(b.window->Log().LineCount(), lines);
    QVERIFY(b.window->LogFileChosen());
    QCOMPARE(Find<QLabel>(*b.window, "pa_path")->text(), path);
    QVERIFY(b.window->isVisible());  // the exit stopped at the failed write
  }
};

QTEST_MAIN(LogTest)
#include "log_tests.moc"
