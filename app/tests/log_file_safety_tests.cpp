// The log never replaces a file it has not written in this measurement
// without the operator's word, and a write killed half-way leaves nothing
// behind for good.
#include <unistd.h>
#include <sys/wait.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "find_control.h"
#include "live_boxes.h"
#include "safe_file.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unit_hl.h"

using rq30::DialogAnswer;
using rq30::testing::Find;
using rq30::testing::SimLine;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The window on a simulated controller, a save interval of one minute and
// the working folder a private one (the log's default name lives there).
struct Bench {
  Bench() {
    QDir().mkpath(Dir() + "/QelFW_K47");
    QFile f(Dir() + "/QelFW_K47/settings.ini");
    f.open(QIODevice::WriteOnly);
    f.write("[ZAZNAM]\r\nSOUBOR=1\r\n");
    f.close();
    previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    line.link.SetDeviceAddress(9);
    window = std::make_unique<Tvtq45>(line.image, line.link);
    window->SetClock([this] {
      now = now.addSecs(1);
      return now;
    });
  }
  ~Bench() { QDir::setCurrent(previous); }
  QString Dir() const { return QString::fromStdString(line.home.Dir()); }
  QString DefaultLog() const { return work.filePath("Záznam Vtq45"); }
  void Minute() {
    for (int s = 0; s < 60; ++s) window->Timer1Timer();
  }
  void Check(const char* name) { Find<QCheckBox>(*window, name)->setChecked(true); }

  SimLine line{[] {
    rq30::testing::SimLineOptions o;
    o.addresses = {9};
    return o;
  }()};
  rq30::ScriptedDialogs dialogs;
  QTemporaryDir work;
  QString previous;
  QDateTime now{QDate(2026, 12, 6), QTime(9, 5, 7)};
  std::unique_ptr<Tvtq45> window;
};

}  // namespace

class LogFileSafetyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // Every way a save dialog opens asks it to confirm replacing a file,
  // the first "Uložit..." included.
  void everySaveDialogConfirmsReplacing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("first Uložit...") << "mn_ulozit";
    QTest::newRow("Uložit jako...") << "mn_ulozitjako";
    QTest::newRow("Nový soubor") << "mn_novy";
  }
  void everySaveDialogConfirmsReplacing() {
    QFETCH(QString, how);
    Bench b;
    b.window->findChild<QAction*>(how)->trigger();
    QTest::qWait(10);
    const auto calls = b.dialogs.Calls();
    QVERIFY(!calls.empty());
    QCOMPARE(calls.back().kind, rq30::DialogCall::Kind::kSaveFile);
    QVERIFY(calls.back().file.confirmOverwrite);
  }

  // The periodic write before any choice goes to "Záznam Vtq45" in the
  // working folder. An earlier file of that name is asked about (after the
  // tick, under the caption "Zápis"); No keeps it, Yes replaces it, and
  // once this measurement has written it, later writes ask nothing.
  void periodicWriteAsksBeforeReplacingAFileItDidNotWrite_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("no file yet: written, nothing asked") << false << -1 << true;
    QTest::newRow("an earlier file, No: kept") << true << int(DialogAnswer::kNo) << false;
    QTest::newRow("an earlier file, Yes: replaced") << true << int(DialogAnswer::kYes) << true;
  }
  void periodicWriteAsksBeforeReplacingAFileItDidNotWrite() {
    QFETCH(bool, existing);
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    Bench b;
    const QByteArray earlier = "last week's log\r\n";
    if (existing) WriteFile(b.DefaultLog(), earlier);
    if (answer >= 0) b.dialogs.QueueAnswer(static_cast<DialogAnswer>(answer));
    b.Check("check_auto");
    b.Check("check_zapis");
    b.Minute();
    QVERIFY(b.dialogs.Messages().empty());  // never inside the tick
    QTest::qWait(20);
    const auto messages = b.dialogs.Messages();
    QCOMPARE(int(messages.size()), existing ? 1 : 0);
    if (existing) {
      QCOMPARE(messages[0].caption, QString("Zápis"));
      QVERIFY(messages[0].text.contains("Záznam Vtq45"));
      QCOMPARE(messages[0].buttons, rq30::DialogButtons::kYesNo);
    }
    const QByteArray after = ReadFile(b.DefaultLog());
    QCOMPARE(after == earlier, !replaced);
    if (replaced) {
      b.Minute();  // written by this measurement now: no question
      QTest::qWait(20);
      QCOMPARE(int(b.dialogs.Messages().size()), existing ? 1 : 0);
      QVERIFY(ReadFile(b.DefaultLog()).size() > after.size());
    }
  }

  // A writer killed between its temporary file and the rename leaves that
  // file behind; the next write beside it removes it. A running writer's
  // temporary file and the user's own similar names are left alone.
  void leftoverOfAKilledWriteGoesAtTheNextWrite() {
    QTemporaryDir dir;
    const QString log = dir.filePath("noc.txt");
    const pid_t child = fork();
    if (child == 0) {
      // Stands for a program killed in the middle of a write.
      QFile f(log + ".tmp" + QString::number(getpid()) + ".Ab12Cd");
      f.open(QIODevice::WriteOnly);
      f.write("half");
      f.close();
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const QString running = log + ".tmp" + QString::number(getppid()) + ".Xy34Zw";
    const QString users = log + ".tmp-poznámky";
    WriteFile(running, "a running writer's");
    WriteFile(users, "the user's");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);

    rq30::WriteFileReplacing(log.toStdString(), "new\r\n");
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    left.sort();
    QStringList kept{"noc.txt", "noc.txt.tmp" + QString::number(getppid()) + ".Xy34Zw",
                     "noc.txt.tmp-poznámky"};
    kept.sort();
    QCOMPARE(left, kept);
    QCOMPARE(ReadFile(log), QByteArray("new\r\n"));
  }
};

QTEST_MAIN(LogFileSafetyTest)
#include "log_file_safety_tests.moc"
