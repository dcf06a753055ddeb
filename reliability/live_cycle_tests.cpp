// The live cycle never stops for a message box and never hides a dead line:
// a box raised from a tick is shown after the tick, and ticks go on reading
// and logging while it is open (the scripted box blocks like a real one, in
// a nested event loop); the status bar tells a silent line from a closed
// one; a line whose device went away is reopened by the program itself.
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "find_control.h"
#include "live_boxes.h"
#include "program_on_line.h"

using rq30::reliability::LineTamper;
using rq30::reliability::ProgramOnLine;
using rq30::testing::Find;

namespace {

void SetLive(ProgramOnLine& p, float measured) {
  p.WithModel([measured](rq30::sim::ControllerModel& m) {
    m.Image().live.measured = measured;
    return 0;
  });
}

QString LinkState(ProgramOnLine& p) {
  return Find<QLabel>(p.windows->main, "pa_linka")->text();
}

// Every reading of the clock is a new wall-clock second, so every tick,
// the timer's own or the test's, does its work.
void RunningClock(ProgramOnLine& p) {
  p.windows->main.SetClock([&p] {
    p.now = p.now.addSecs(1);
    return p.now;
  });
}

}  // namespace

class LiveCycleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // The log folder disappears under a chosen log file: the periodic write
  // fails. Its box comes after the tick; while it is open the timer goes on
  // reading and recording, and the next failed write (one save interval,
  // 15 minutes, later) adds no second box beside it.
  void failedPeriodicWriteBoxLetsTheCycleRun() {
    ProgramOnLine p({9});
    p.link.SetDeviceAddress(9);
    Tvtq45& main = p.windows->main;
    RunningClock(p);
    SetLive(p, 21.5f);
    auto folder = std::make_unique<QTemporaryDir>();
    const QString path = folder->filePath("noc.txt");
    p.dialogs.QueueFile(path);
    main.SaveAs();
    QVERIFY(main.LogFileChosen());
    folder.reset();  // the folder is gone
    Find<QCheckBox>(main, "check_auto")->setChecked(true);
    Find<QCheckBox>(main, "check_zapis")->setChecked(true);
    constexpr int kInterval = 15 * 60;
    for (int s = 0; s < kInterval - 1; ++s) main.Timer1Timer();
    QCOMPARE(main.Log().LineCount(), size_t(kInterval - 1));

    std::size_t atOpen = 0;
    bool opened = false;
    p.dialogs.SetOnCall([&](const rq30::DialogCall&) {
      if (opened) return;  // a second box would be a fault of its own
      opened = true;
      atOpen = main.Log().LineCount();
      // The next interval's write fails as well, while this box is open.
      for (int s = 0; s < kInterval; ++s) main.Timer1Timer();
    });
    p.dialogs.BlockUntil([&] { return main.Log().LineCount() >= atOpen + kInterval + 3; }, 5000);

    main.Timer1Timer();  // the interval is full: the write fails
    QCOMPARE(main.Log().LineCount(), size_t(kInterval));
    QVERIFY(p.dialogs.Messages().empty());  // not inside the tick
    QElapsedTimer open;
    open.start();
    QTRY_COMPARE(p.dialogs.Messages().size(), size_t(1));
    QTRY_COMPARE(p.dialogs.OpenBoxes(), 0);
    QVERIFY(open.elapsed() < 9000);  // closed by the records, not by the limit
    QCOMPARE(p.dialogs.Messages()[0].text, "Cannot create file " + path);
    // Three records came from the timer's own ticks while the box was open.
    QVERIFY(main.Log().LineCount() >= atOpen + kInterval + 3);
    QTest::qWait(50);
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(rq30::BoxesPending(), 0);
  }

  // Silent, then gone, then back: the status bar says which, the port
  // message comes once per loss (after the tick, while reading and
  // recording go on), and the program reopens COM1 by itself.
  void deadLineIsShownAndReopenedByItself() {
    ProgramOnLine p({9});
    p.link.SetDeviceAddress(9);
    Tvtq45& main = p.windows->main;
    SetLive(p, 21.5f);
    auto second = [&] {
      p.now = p.now.addSecs(1);
      main.Timer1Timer();
    };
    Find<QCheckBox>(main, "check_auto")->setChecked(true);
    second();
    QCOMPARE(Find<QLabel>(main, "pa_measure")->text(), QString("21,50"));
    QCOMPARE(LinkState(p), QString());
    QVERIFY(!Find<QLabel>(main, "pa_linka")->isVisible());

    p.server.Stop();  // the controller stops answering; the line stays
    second();
    QCOMPARE(LinkState(p), QString("bez odezvy od 9:05:08, nezdařených čtení: 1"));
    second();
    QCOMPARE(LinkState(p), QString("bez odezvy od 9:05:08, nezdařených čtení: 2"));

    p.tamper->PullPlug();  // the adapter is pulled: its device node goes
    second();
    QCOMPARE(LinkState(p), QString("port zavřen"));
    QVERIFY(!p.windows->port.Port().IsOpen());
    QCOMPARE(p.windows->port.LostPort(), 1);
    QVERIFY(p.dialogs.Messages().empty());  // not inside the tick

    // While the port message is open, the timer's ticks go on: records
    // with the last values, and quiet attempts to reopen.
    std::size_t atOpen = 0;
    p.dialogs.SetOnCall([&](const rq30::DialogCall&) { atOpen = main.Log().LineCount(); });
    p.dialogs.BlockUntil([&] { return main.Log().LineCount() >= atOpen + 3; });
    main.SetClock([&p] {
      p.now = p.now.addSecs(1);
      return p.now;
    });
    QTRY_COMPARE(p.dialogs.Messages().size(), size_t(1));
    QTRY_COMPARE(p.dialogs.OpenBoxes(), 0);
    QCOMPARE(p.dialogs.Messages()[0].text, QString("Sériový port COM1 nelze otevřít"));
    QVERIFY(main.Log().LineCount() >= atOpen + 3);
    p.dialogs.BlockUntil(nullptr);
    for (int s = 0; s < 3; ++s) second();
    QTest::qWait(20);
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));  // once per loss
    QCOMPARE(LinkState(p), QString("port zavřen"));

    // The adapter is back under a new device node, mapped to COM1 again.
    p.tamper = std::make_unique<LineTamper>(p.server.SlavePath());
    p.tamper->Start();
    p.mapping.Map(1, p.tamper->SlavePath());
    p.Inject({});
    p.server.Start();
    SetLive(p, 30.0f);
    const std::size_t before = main.Log().LineCount();
    second();
    QVERIFY(p.windows->port.Port().IsOpen());
    QCOMPARE(p.windows->port.LostPort(), 0);
    QCOMPARE(Find<QLabel>(main, "pa_measure")->text(), QString("30,00"));
    QCOMPARE(LinkState(p), QString());
    QCOMPARE(main.Log().LineCount(), before + 1);
    QVERIFY(main.Log().Contents().find("30,00; ") != std::string::npos);
    QTest::qWait(20);
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));

    // Logging to the file resumes with the reading.
    QTemporaryDir folder;
    const QString path = folder.filePath("log.txt");
    p.dialogs.QueueFile(path);
    main.SaveAs();
    Find<QCheckBox>(main, "check_zapis")->setChecked(true);
    SetLive(p, 31.0f);
    for (int s = 0; s < 15 * 60; ++s) second();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("31,00; "));
  }
};

QTEST_MAIN(LiveCycleTest)
#include "live_cycle_tests.moc"
