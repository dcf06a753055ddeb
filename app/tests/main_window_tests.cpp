// The main window against the simulator: settings restored and stored, the
// live display, the once-a-second live cycle and the last-resort error box.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "application.h"
#include "colour_value.h"
#include "line_chart.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "find_control.h"
#include "sim_line.h"
#include "unit_hl.h"

using rq30::testing::SimLine;

using rq30::testing::Find;

namespace {

constexpr int32_t kYellow = 0x0000FFFF;

QString Text(QWidget& window, const char* name) { return Find<QLabel>(window, name)->text(); }

int32_t ColourOf(QWidget& window, const char* name) {
  return Find<QLabel>(window, name)->property("colourValue").toInt();
}

QByteArray SettingsFile(SimLine& line) {
  QFile f(QString::fromStdString(line.home.Dir()) + "/QelFW_K47/settings.ini");
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteSettingsFile(SimLine& line, const QByteArray& text) {
  QDir().mkpath(QString::fromStdString(line.home.Dir()) + "/QelFW_K47");
  QFile f(QString::fromStdString(line.home.Dir()) + "/QelFW_K47/settings.ini");
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text);
}

class Thrower : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("Zkušební chyba");
    return QObject::event(e);
  }
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void firstRunUsesDefaultsAndCreatesTheStore() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    {
      Tvtq45 window(line.image, line.link);
      QVERIFY(QDir(QString::fromStdString(line.home.Dir()) + "/QelFW_K47").exists());
      QCOMPARE(window.size(), QSize(718, 523));
      QCOMPARE(Text(window, "pa_zaznam"), QString("1"));
      QCOMPARE(Text(window, "pa_jednotky"), QString("s"));
      QCOMPARE(Text(window, "pa_soubor"), QString("15"));
      QCOMPARE(Text(window, "pa_path"), QString("c:"));
      QCOMPARE(ColourOf(window, "pa_barva_pera"), rq30::kRedColour);
      QVERIFY(window.Chart().View3D());
      QCOMPARE(window.Chart().Percent3D(), 35);
      window.close();
    }
    QVERIFY(dialogs.Calls().empty());
    auto store = rq30::OpenSettingsStore();
    QCOMPARE(store->ReadInteger("GRAF", "POCET", -1), 200);
    QCOMPARE(store->ReadInteger("GRAF", "G3D", -1), 1);
    QCOMPARE(store->ReadInteger("ZAZNAM", "SOUBOR", -1), 15);
    // A system colour keeps its encoding in the store.
    QVERIFY(SettingsFile(line).contains("MRIZ=-2147483633"));
    QVERIFY(SettingsFile(line).contains("POZADI=-2147483633"));
  }

  void damagedValuesReadAsDefaults() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    WriteSettingsFile(line, "[GRAF]\r\nPOCET=abc\r\n[ZAZNAM]\r\nSOUBOR=0\r\nLIST=5000\r\nJEDNOTKY=7\r\n");
    Tvtq45 window(line.image, line.link);
    QCOMPARE(Text(window, "pa_soubor"), QString("15"));
    QCOMPARE(Text(window, "pa_zaznam"), QString("1"));
    QCOMPARE(Text(window, "pa_jednotky"), QString("s"));
    for (int i = 0; i < 205; ++i) window.AddChartPoint(i);
    QCOMPARE(window.ChartPointCount(), 201);  // the limit of 200, plus one
  }

  void geometrySurvivesARestart() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    QPoint place;
    {
      Tvtq45 window(line.image, line.link);
      window.show();
      window.move(300, 200);
      window.resize(800, 600);
      place = window.pos();
      window.close();
    }
    Tvtq45 again(line.image, line.link);
    QCOMPARE(again.pos(), place);
    QCOMPARE(again.size(), QSize(800, 600));
  }

  void readShowsTheControllersValues() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    line.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().live.measured = 21.5f;
      m.Image().live.setpoint = 55.0f;
      m.Image().live.output = 523;
      m.Image().live.terminal = 23.125f;
      m.Image().live.relays = 0x05;
      m.Image().live.fault = 0;
      return 0;
    });
    Tvtq45 window(line.image, line.link);
    Find<QPushButton>(window, "tl_precist")->click();
    QCOMPARE(Text(window, "pa_measure"), QString("21,50"));
    QCOMPARE(Text(window, "pa_sp"), QString("55,00"));
    QCOMPARE(Text(window, "lb_yout"), QString("52,3"));
    QCOMPARE(Text(window, "lb_ts"), QString("23,13"));
    QCOMPARE(Text(window, "pa_porucha"), QString("není porucha"));
    QCOMPARE(ColourOf(window, "pa_re1"), kYellow);
    QCOMPARE(ColourOf(window, "pa_re2"), rq30::kButtonFaceColour);
    QCOMPARE(ColourOf(window, "pa_re3"), kYellow);
    QCOMPARE(ColourOf(window, "pa_re4"), rq30::kButtonFaceColour);
    QCOMPARE(window.ChartPointCount(), 1);
    QCOMPARE(window.Chart().PointAt(0).y, 21.5);
    QCOMPARE(window.Log().LineCount(), size_t(0));  // a read alone records nothing

    line.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().live.output = 1000;
      m.Image().live.fault = 3;
      return 0;
    });
    Find<QPushButton>(window, "tl_precist")->click();
    QCOMPARE(Text(window, "pa_porucha"), QString("PORUCHA"));
    QCOMPARE(ColourOf(window, "pa_porucha"), rq30::kRedColour);
    QCOMPARE(Find<QProgressBar>(window, "bar_yout")->value(), 1000);
    QCOMPARE(Text(window, "lb_yout"), QString("100,0"));

    // With the line gone the last values stay, and nothing is said.
    line.server.Stop();
    line.WithModel([](rq30::sim::ControllerModel& m) { return m.Image().live.output = 7; });
    Find<QPushButton>(window, "tl_precist")->click();
    QCOMPARE(Text(window, "lb_yout"), QString("100,0"));
    QCOMPARE(window.ChartPointCount(), 3);
    QVERIFY(dialogs.Calls().empty());
  }

  void oneStepPerWallClockSecond() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    Tvtq45 window(line.image, line.link);
    QDateTime now(QDate(2026, 12, 6), QTime(9, 5, 7));
    window.SetClock([&] { return now; });
    Find<QCheckBox>(window, "check_auto")->setChecked(true);
    line.ClearRequests();
    for (int i = 0; i < 5; ++i) window.Timer1Timer();
    QCOMPARE(window.Log().LineCount(), size_t(1));
    QCOMPARE(line.Requests().size(), size_t(1));
    now = now.addSecs(1);
    for (int i = 0; i < 5; ++i) window.Timer1Timer();
    QCOMPARE(window.Log().LineCount(), size_t(2));

    // Demo mode takes precedence and never reads.
    Find<QCheckBox>(window, "check_demo")->setChecked(true);
    line.ClearRequests();
    now = now.addSecs(1);
    window.Timer1Timer();
    QCOMPARE(line.Requests().size(), size_t(0));
    QCOMPARE(window.Log().LineCount(), size_t(2));
    QCOMPARE(Text(window, "pa_porucha"), QString("DEMO"));
  }

  void failedSaveIsShownAndTheProgramGoesOn() {
    SimLine line;
    rq30::ScriptedDialogs dialogs;
    Tvtq45 window(line.image, line.link);
    const QString bad = QString::fromStdString(line.home.Dir()) + "/no-such-folder/log.txt";
    dialogs.QueueFile(bad);
    window.findChild<QAction*>("mn_ulozit")->trigger();
    const auto messages = dialogs.Messages();
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].text, "Cannot create file " + bad);
    QCOMPARE(messages[0].caption, QString("RQ-30"));
    QCOMPARE(messages[0].icon, rq30::DialogIcon::kError);
    QCOMPARE(Text(window, "pa_path"), QString("c:"));
    QVERIFY(!window.LogFileChosen());
    Find<QPushButton>(window, "tl_precist")->click();
    QCOMPARE(window.ChartPointCount(), 1);
  }

  void exceptionFromAHandlerReachesTheErrorBox() {
    rq30::ScriptedDialogs dialogs;
    Thrower thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCOMPARE(dialogs.Messages().size(), size_t(1));
    QCOMPARE(dialogs.Messages()[0].text, QString("Zkušební chyba"));
  }
};

int main(int argc, char** argv) {
  Application app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_tests.moc"
