// The live cycle as the program runs it: Timer1 on the event loop, not ticked
// by hand, stopped while a check box's question box is open and running
// again after it; and the menu items, triggered as the operator does, opening
// their windows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include "find_control.h"
#include "program_windows.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unit_hl.h"

using rq30::testing::Find;

namespace {

// The wall clock as the window sees it: the test moves the second, and every
// look at the clock is counted (the tick looks once, before anything else).
struct SteppedClock {
  int second = 10;
  int looks = 0;
  Tvtq45::Clock Function() {
    return [this] {
      ++looks;
      return QDateTime(QDate(2026, 3, 14), QTime(9, 30, second));
    };
  }
};

// Lets the event loop run for `ms`, as the program's own loop would.
void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// What each menu item opens, by the window's class, in order. Each window is
// closed as soon as it is seen (with done(): the loading window ignores Esc).
QStringList OpenedBy(QAction* action) {
  QStringList opened;
  QTimer poll;
  poll.setInterval(20);
  QWidget* last = nullptr;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == last || !modal->isVisible()) return;
    last = modal;
    opened << modal->metaObject()->className();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->done(QDialog::Rejected);
    } else {
      modal->close();
    }
  });
  poll.start();
  action->trigger();
  return opened;
}

}  // namespace

class LiveCycleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // Every 200 ms the tick looks at the clock; the work runs once for each
  // change of the second, however many ticks fall into it. While a question
  // box is open no tick runs, and after it the cycle goes on.
  void timerRunsOnTheEventLoop() {
    rq30::testing::PrivateConfigHome home;
    rq30::ScriptedDialogs dialogs;
    rq30::TableImage image{};
    rq30::Link link(image);  // no line: the reads fail quietly, the points still come
    link.SetPause([](int) {});
    Tvtq45 window(image, link);
    SteppedClock clock;
    window.SetClock(clock.Function());

    // The interval: about six ticks in 1.2 s (one every 200 ms), neither
    // three (500 ms) nor twelve (100 ms).
    clock.looks = 0;
    RunFor(1200);
    QVERIFY2(clock.looks >= 4 && clock.looks <= 7, qPrintable(QString::number(clock.looks)));

    // While the question box is open, the second moves on but no tick runs.
    int looksWhileAsked = -1;
    dialogs.SetOnCall([&](const rq30::DialogCall& call) {
      if (call.kind != rq30::DialogCall::Kind::kMessage) return;
      const int before = clock.looks;
      ++clock.second;
      RunFor(700);  // the box is open: a nested loop, as a real modal box runs
      looksWhileAsked = clock.looks - before;
    });

    // One point for each new second, none for ticks within the same second.
    auto expectOnePointPerSecond = [&](const char* after) {
      const int points = window.ChartPointCount();
      RunFor(500);  // the second the box moved on
      QVERIFY2(window.ChartPointCount() == points + 1, after);
      RunFor(500);  // the same second: the ticks do nothing
      QVERIFY2(window.ChartPointCount() == points + 1, after);
      ++clock.second;
      RunFor(500);
      QVERIFY2(window.ChartPointCount() == points + 2, after);
    };

    struct Box {
      const char* name;
      bool asks;
    };
    // Demo data, then back to idle (no question), then automatic reading
    // (the chart now holds points, so it asks), then the log file.
    const Box boxes[] = {
        {"check_demo", true}, {"check_demo", false}, {"check_auto", true}, {"check_zapis", true}};
    for (const Box& box : boxes) {
      const QString what = QString("%1 %2").arg(box.name, box.asks ? "asked" : "unchecked");
      dialogs.ClearCalls();
      looksWhileAsked = -1;
      Find<QCheckBox>(window, box.name)->click();
      QCOMPARE(dialogs.Messages().size(), size_t(box.asks ? 1 : 0));
      if (box.asks) {
        QVERIFY2(looksWhileAsked == 0, qPrintable(what));
        QCOMPARE(dialogs.Messages()[0].caption, QString("Clear"));
        expectOnePointPerSecond(qPrintable(what));
      } else {
        const int looks = clock.looks;
        RunFor(500);
        QVERIFY2(clock.looks > looks, qPrintable(what));
      }
    }
    QVERIFY(window.Log().LineCount() > 0);
  }

  // The menu items, triggered as from the menu, open the program's windows;
  // the parameter item the loading window and then the editor.
  void menuItemsOpenTheirWindows() {
    rq30::testing::SimLineOptions options;
    options.openPort = false;  // the port dialog opens the line itself
    rq30::testing::SimLine line(options);
    rq30::ScriptedDialogs dialogs;
    ProgramWindows windows{line.image, line.link};
    // The loading window starts its load from a timer and closes itself when
    // done; held, it stays open until the test closes it.
    auto* start = windows.loader.findChild<QTimer*>("Timer1");
    QVERIFY(start);
    start->blockSignals(true);

    const std::pair<const char*, QStringList> items[] = {
        {"mn_port", {"Tport"}},
        {"mn_parametry", {"Tload_form", "Tmenu_mod"}},
        {"mn_zaznam", {"TFormZaznam"}},
        {"mn_barva", {"Trotace3D"}},
        {"mn_rychlost_zaznamu", {"Tform_zaznam"}},
        {"mn_about", {"TAboutBox"}},
        {"mn_ident", {"Tabout_ident"}},
    };
    for (const auto& [name, expected] : items) {
      auto* action = windows.main.findChild<QAction*>(name);
      QVERIFY2(action, name);
      QCOMPARE(OpenedBy(action), expected);
    }
  }
};

QTEST_MAIN(LiveCycleTest)
#include "timer_cycle_tests.moc"
