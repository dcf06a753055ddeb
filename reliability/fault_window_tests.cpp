// A misbehaving line under the program's own windows: every exchange fails
// cleanly, with the window's message where it has one, the table image never
// takes part of a damaged reply, the program goes on, and the line works
// again once the fault is gone (after a pulled plug: once the operator
// chooses the port again).
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "find_control.h"
#include "program_on_line.h"
#include "unitmenumod.h"

using rq30::reliability::LineTamper;
using rq30::reliability::ProgramOnLine;

using rq30::testing::Find;

namespace {

enum class Fault { kDropped, kCorrupted, kCut, kGaps, kOtherAddress };

QString Measured(ProgramOnLine& p) {
  return Find<QLabel>(p.windows->main, "pa_measure")->text();
}

void SetLive(ProgramOnLine& p, float measured) {
  p.WithModel([measured](rq30::sim::ControllerModel& m) {
    m.Image().live.measured = measured;
    return 0;
  });
}

bool SameLive(const rq30::LiveTable& a, const rq30::LiveTable& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void Inject(ProgramOnLine& p, Fault fault) {
  rq30::sim::Faults f;
  switch (fault) {
    case Fault::kDropped:
      f.dropReplies = 3;
      break;
    case Fault::kCorrupted:
      f.corruptReplies = 1;
      break;
    case Fault::kCut:
      p.tamper->CutReplies(3, 10);
      break;
    case Fault::kGaps:
      f.gapMs = 150;  // longer than the 100 ms the read waits after a byte
      break;
    case Fault::kOtherAddress:
      p.link.SetDeviceAddress(7);  // the controller answers at 0 only
      break;
  }
  p.Inject(f);
}

// Back to a sound line; a controller still sending slow bytes is cut off.
void Heal(ProgramOnLine& p, Fault fault) {
  p.server.Stop();
  p.Inject({});
  p.server.Start();
  p.tamper->CutReplies(0, 0);
  if (fault == Fault::kOtherAddress) p.link.SetDeviceAddress(0);
}

// The operator's view of a read that is still running in the background.
void WaitMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

class FaultWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // The main window's live read ("Přečíst") on a line that fails in each
  // way: the panels and the image keep the last good values, nothing is
  // shown (a failed live read is silent), the request went out as often as
  // the protocol's repeats say, and the next read after the fault is good.
  void liveReadKeepsTheLastValues_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("requests");
    // No reply: the request goes out three times.
    QTest::newRow("dropped replies") << int(Fault::kDropped) << 3;
    // A damaged complete reply: one more read without a request, then one resend.
    QTest::newRow("corrupted checksum") << int(Fault::kCorrupted) << 2;
    QTest::newRow("replies cut short") << int(Fault::kCut) << 3;
    QTest::newRow("bytes with long gaps") << int(Fault::kGaps) << 3;
    QTest::newRow("controller at another address") << int(Fault::kOtherAddress) << 3;
  }
  void liveReadKeepsTheLastValues() {
    QFETCH(int, fault);
    QFETCH(int, requests);
    ProgramOnLine p;
    SetLive(p, 21.5f);
    QPushButton* read = Find<QPushButton>(p.windows->main, "tl_precist");
    read->click();
    QCOMPARE(Measured(p), QString("21,50"));
    const rq30::LiveTable good = p.image.live;

    SetLive(p, 30.0f);
    Inject(p, Fault(fault));
    const int before = p.counter->writes;
    read->click();
    QCOMPARE(p.counter->writes - before, requests);
    QCOMPARE(Measured(p), QString("21,50"));
    QVERIFY(SameLive(p.image.live, good));
    QVERIFY(p.dialogs.Calls().empty());

    Heal(p, Fault(fault));
    read->click();
    QCOMPARE(Measured(p), QString("30,00"));
  }

  // The parameter editor tells the operator of each failed exchange, and a
  // refused write or store changes nothing in the controller.
  void editorReportsFailedExchanges() {
    ProgramOnLine p;
    Tmenu_mod& editor = p.windows->editor;
    editor.SetFirmwareVariant(3);
    editor.show();
    editor.ShowPage(Tmenu_mod::kAlarm1);
    p.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().alarm1.splo = 11.0f;
      return 0;
    });
    Find<QPushButton>(editor, "tl_cteni")->click();
    QCOMPARE(p.image.alarm1.splo, 11.0f);
    QVERIFY(p.dialogs.Calls().empty());

    rq30::sim::Faults dropped;
    dropped.dropReplies = 3;
    p.Inject(dropped);
    p.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().alarm1.splo = 12.0f;
      return 0;
    });
    const rq30::AlarmTable before = p.image.alarm1;
    Find<QPushButton>(editor, "tl_cteni")->click();
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(p.dialogs.Messages()[0].text, QString("Chyba při čtení"));
    QCOMPARE(p.dialogs.Messages()[0].caption, QString("Komunikace"));
    QCOMPARE(p.dialogs.Messages()[0].icon, rq30::DialogIcon::kError);
    QVERIFY(std::memcmp(&p.image.alarm1, &before, sizeof before) == 0);

    rq30::sim::Faults refused;
    refused.nakCode = 5;
    p.Inject(refused);
    p.dialogs.ClearCalls();
    Find<QPushButton>(editor, "tl_zapis")->click();
    Find<QPushButton>(editor, "tl_eeprom")->click();
    const auto messages = p.dialogs.Messages();
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(messages[0].text, QString("Chyba při zápisu"));
    QCOMPARE(messages[1].text, QString("Chyba při zápisu do EEPROM"));
    QCOMPARE(p.link.AckErrorCode(), uint8_t(5));
    const auto [splo, stores] = p.WithModel([](rq30::sim::ControllerModel& m) {
      return std::make_pair(m.Image().alarm1.splo, m.EepromStores());
    });
    QCOMPARE(splo, 12.0f);
    QCOMPARE(stores, 0);

    p.Inject({});
    p.dialogs.ClearCalls();
    Find<QPushButton>(editor, "tl_cteni")->click();
    QCOMPARE(p.image.alarm1.splo, 12.0f);
    QVERIFY(p.dialogs.Calls().empty());
  }

  // Answers that come late must never be taken for the next exchange's
  // reply, even when the next table has the same length (alarm 1 and alarm
  // 2: 14 bytes each), so alarm 1's values never land in alarm 2.
  //
  // A repeated request leaves an answer on its way when the exchange ends:
  // here two replies are lost, so the third sending is answered at once,
  // after the exchange's last read of a reply. The exchange reads it off
  // before returning, and alarm 2 is read straight after, as the loading
  // window does.
  void answerToTheLastRepeatIsNeverTakenForTheNextTable() {
    ProgramOnLine p;
    p.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().alarm1.splo = 11.0f;
      m.Image().alarm2.splo = 22.0f;
      return 0;
    });
    for (int run = 0; run < 5; ++run) {
      rq30::sim::Faults twoLost;
      twoLost.dropReplies = 2;
      p.Inject(twoLost);
      p.image.alarm2.splo = 0.0f;
      QCOMPARE(p.link.ReadTable(1), 0);
      QCOMPARE(p.link.ReadTable(2), 1);
      QCOMPARE(p.image.alarm2.splo, 22.0f);
    }
  }

  // A controller that answers only after the exchange has given up, the
  // read-off included: its late reply reaches the program's receive queue
  // between two exchanges and is thrown away by the next request.
  void lateReplyIsNeverTakenForTheNextExchange() {
    ProgramOnLine p;
    Tmenu_mod& editor = p.windows->editor;
    editor.SetFirmwareVariant(3);
    editor.show();
    p.WithModel([](rq30::sim::ControllerModel& m) {
      m.Image().alarm1.splo = 11.0f;
      m.Image().alarm2.splo = 22.0f;
      return 0;
    });
    // Three reads of 23 bytes give up after 3 × (2 × 23 + 500) ms and two
    // pauses of 100 ms; the reply comes well after that, even on a loaded
    // machine.
    rq30::sim::Faults late;
    late.delayMs = 3000;

    // First, that the late reply really comes: read it off the line.
    p.Inject(late);
    QCOMPARE(p.link.ReadTable(1), 0);
    WaitMs(1800);
    uint8_t leftover[64] = {};
    int got = 0;
    QVERIFY(p.windows->port.Port().ReadPort(leftover, 64, got));
    QCOMPARE(got, 23);
    QCOMPARE(leftover[0], uint8_t(0x68));

    // Then the same through the editor: the page fails, the late reply
    // arrives, and the next page reads its own table.
    p.server.Stop();
    p.server.Start();  // forgets the repeated requests still queued
    p.Inject(late);
    editor.ShowPage(Tmenu_mod::kAlarm1);
    Find<QPushButton>(editor, "tl_cteni")->click();
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(p.dialogs.Messages()[0].text, QString("Chyba při čtení"));
    QCOMPARE(p.image.alarm1.splo, 0.0f);
    WaitMs(1800);
    p.server.Stop();
    p.Inject({});
    p.server.Start();
    editor.ShowPage(Tmenu_mod::kAlarm2);
    Find<QPushButton>(editor, "tl_cteni")->click();
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(p.image.alarm2.splo, 22.0f);
    QCOMPARE(p.image.alarm1.splo, 0.0f);
  }

  // The record download on a line that cuts every reply: one message after
  // all blocks, the listing built from what the image held, and the image's
  // record values untouched by the damaged blocks.
  void recordDownloadOnACuttingLine() {
    ProgramOnLine p;
    TFormZaznam& records = p.windows->records;
    p.WithModel([](rq30::sim::ControllerModel& m) {
      for (int i = 0; i < rq30::kRecordValues; ++i) m.Image().recordValues[i] = 100.0f + i;
      return 0;
    });
    Find<QPushButton>(records, "tl_cteni")->click();
    QVERIFY(p.dialogs.Calls().empty());
    auto* list = Find<QListWidget>(records, "ListBox");
    QCOMPARE(list->count(), 6 + 256);
    const QString firstValue = list->item(6)->text();

    float before[rq30::kRecordValues];
    std::memcpy(before, p.image.recordValues, sizeof before);
    p.WithModel([](rq30::sim::ControllerModel& m) {
      for (int i = 0; i < rq30::kRecordValues; ++i) m.Image().recordValues[i] = -1.0f;
      return 0;
    });
    p.tamper->CutReplies(1000, 12);
    Find<QPushButton>(records, "tl_cteni")->click();
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(p.dialogs.Messages()[0].text, QString("Chyba při čtení záznamu"));
    QCOMPARE(p.dialogs.Messages()[0].caption, QString("Komunikace"));
    QVERIFY(std::memcmp(before, p.image.recordValues, sizeof before) == 0);
    QCOMPARE(list->count(), 6 + 256);
    QCOMPARE(list->item(6)->text(), firstValue);
  }

  // The adapter is pulled while the main window reads every second: the
  // reads fail at once and silently, records go on with the last values, and
  // the program keeps running. Choosing the port while it is gone shows the
  // open error and "žádný port"; once it is back, choosing it again works.
  void pulledPlugThenChoosingThePortAgainRecovers() {
    ProgramOnLine p;
    Tvtq45& main = p.windows->main;
    SetLive(p, 21.5f);
    Find<QCheckBox>(main, "check_auto")->setChecked(true);
    auto second = [&] {
      p.now = p.now.addSecs(1);
      main.Timer1Timer();
    };
    second();
    QCOMPARE(Measured(p), QString("21,50"));

    p.tamper->PullPlug();
    const auto start = std::chrono::steady_clock::now();
    for (int s = 0; s < 5; ++s) second();
    const auto spent = std::chrono::steady_clock::now() - start;
    QVERIFY(spent < std::chrono::seconds(2));  // a gone line fails at once
    QCOMPARE(main.Log().LineCount(), size_t(6));
    QCOMPARE(Measured(p), QString("21,50"));
    QVERIFY(p.dialogs.Calls().empty());

    p.ChoosePort(1);
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    QCOMPARE(p.dialogs.Messages()[0].text, QString("Sériový port COM1 nelze otevřít"));
    QCOMPARE(Find<QComboBox>(p.windows->port, "cb_com")->currentIndex(), 0);
    second();  // no line at all: still silent
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));

    // The adapter is back (a new device node), mapped to COM1 again.
    p.tamper = std::make_unique<LineTamper>(p.server.SlavePath());
    p.tamper->Start();
    p.mapping.Map(1, p.tamper->SlavePath());
    SetLive(p, 30.0f);
    p.ChoosePort(1);
    QCOMPARE(p.dialogs.Messages().size(), size_t(1));
    second();
    QCOMPARE(Measured(p), QString("30,00"));
    QCOMPARE(main.Log().LineCount(), size_t(8));
  }
};

QTEST_MAIN(FaultWindowTest)
#include "fault_window_tests.moc"
