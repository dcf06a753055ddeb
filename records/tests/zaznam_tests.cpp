// The record window against the simulated controller: what the download asks
// for, what the listing shows, and what the saved file holds.

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unitzaznam.h"

using rq30::DialogCall;
using rq30::ScriptedDialogs;
using rq30::testing::SimLine;

namespace {

constexpr int kBlocks = 16;
constexpr int kPauseAfterBlock = 300;
const QDateTime kNow(QDate(2026, 12, 6), QTime(9, 5, 7));

// Value i of the controller's memory is i + 0.25, so every listed value
// names the ring slot it came from ("250;" ... "250,25").
float SlotValue(int slot) {
  return static_cast<float>(slot) + 0.25f;
}

QString SlotText(int slot) {
  return QString::number(slot) + QStringLiteral(",25");
}

// A record window on a simulated controller, with the window's and the
// link's pauses recorded instead of slept.
struct Bench {
  SimLine line;
  ScriptedDialogs dialogs;
  TFormZaznam window{line.image, line.link};
  std::vector<int> windowPauses;
  int blocksDone = 0;
  // Runs after the last record block, before the ring index is read again:
  // the moment at which the controller's recording shows in the download.
  std::function<void()> afterLastBlock;
  std::function<void(int)> onLinkPause;

  Bench() {
    window.SetPause([this](int ms) { windowPauses.push_back(ms); });
    window.SetClock([] { return kNow; });
    line.link.SetPause([this](int ms) {
      line.pauses.push_back(ms);
      if (onLinkPause) onLinkPause(ms);
      if (ms == kPauseAfterBlock && ++blocksDone == kBlocks && afterLastBlock) afterLastBlock();
    });
  }

  void SetController(int ringIndex, int rate) {
    line.WithModel([&](rq30::sim::ControllerModel& m) {
      m.Image().recordMemory.ringIndex = static_cast<uint8_t>(ringIndex);
      m.Image().address.rate = rate;
      for (int i = 0; i < rq30::kRecordValues; ++i) m.Image().recordValues[i] = SlotValue(i);
    });
  }

  void RecordDuringDownload(int ringIndexAfter) {
    afterLastBlock = [this, ringIndexAfter] {
      line.WithModel([&](rq30::sim::ControllerModel& m) {
        m.Image().recordMemory.ringIndex = static_cast<uint8_t>(ringIndexAfter);
      });
    };
  }

  void Read() {
    blocksDone = 0;
    window.findChild<QPushButton*>("tl_cteni")->click();
  }

  QStringList Listing() const {
    QStringList lines;
    auto* list = window.findChild<QListWidget*>("ListBox");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
};

// The value line numbered n (1 = newest).
QString ValueLine(const QStringList& listing, int n) {
  return listing.value(5 + n);
}

QString Expected(int n, int slot) {
  return QString::number(n) + ";   " + SlotText(slot);
}

}  // namespace

class ZaznamTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void listsNewestFirstAndLeavesOutOverwritten_data();
  void listsNewestFirstAndLeavesOutOverwritten();
  void recordLength_data();
  void recordLength();
  void headerAndWire();
  void valueTexts_data();
  void valueTexts();
  void failedBlockReportedOnceAfterAllBlocks();
  void noControllerListsTheImage();
  void saveWritesWindows1250WithCrLf();
  void saveCancelledOrFailing();
  void listingKeptBetweenShowings();
  void clickDuringDownloadIsDropped();
  void missedBlocksNamedAndSaveAsks();
};

void ZaznamTests::listsNewestFirstAndLeavesOutOverwritten_data() {
  QTest::addColumn<int>("before");
  QTest::addColumn<int>("after");
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("lastSlot");  // slot of the oldest listed value
  QTest::addColumn<int>("zeroLine");  // line number showing slot 0; slot 255 follows it

  QTest::newRow("unchanged") << 100 << 100 << 256 << 101 << 101;
  QTest::newRow("250 to 4") << 250 << 4 << 246 << 5 << -1;
  QTest::newRow("5 to 9 wraps past 0") << 5 << 9 << 252 << 10 << 6;
  QTest::newRow("255 to 0") << 255 << 0 << 255 << 1 << -1;
  QTest::newRow("at 0") << 0 << 0 << 256 << 1 << 1;
}

void ZaznamTests::listsNewestFirstAndLeavesOutOverwritten() {
  QFETCH(int, before);
  QFETCH(int, after);
  QFETCH(int, count);
  QFETCH(int, lastSlot);
  QFETCH(int, zeroLine);

  Bench bench;
  bench.SetController(before, 60);
  bench.RecordDuringDownload(after);
  bench.Read();

  const QStringList listing = bench.Listing();
  QCOMPARE(listing.size(), 6 + count);
  QCOMPARE(listing[1], QStringLiteral("Počet zaznamenaných hodnot ") + QString::number(count));
  QCOMPARE(ValueLine(listing, 1), Expected(1, before));
  QCOMPARE(ValueLine(listing, 2), Expected(2, (before + 255) % 256));
  QCOMPARE(ValueLine(listing, count), Expected(count, lastSlot));
  if (zeroLine > 0) {
    QCOMPARE(ValueLine(listing, zeroLine), Expected(zeroLine, 0));
    if (zeroLine < count) QCOMPARE(ValueLine(listing, zeroLine + 1), Expected(zeroLine + 1, 255));
  }
  QVERIFY(bench.dialogs.Messages().empty());
}

void ZaznamTests::recordLength_data() {
  QTest::addColumn<int>("rate");
  QTest::addColumn<int>("recordedDuringDownload");
  QTest::addColumn<QString>("line4");

  QTest::newRow("60 s, 256 values") << 60 << 0 << QStringLiteral("Délka záznamu: 4hod., 16min.");
  QTest::newRow("1 s, 256 values") << 1 << 0 << QStringLiteral("Délka záznamu: 0hod., 4min.");
  QTest::newRow("10 s, 253 values") << 10 << 3 << QStringLiteral("Délka záznamu: 0hod., 42min.");
  QTest::newRow("largest rate") << 65535 << 0 << QStringLiteral("Délka záznamu: 4660hod., 16min.");
}

void ZaznamTests::recordLength() {
  QFETCH(int, rate);
  QFETCH(int, recordedDuringDownload);
  QFETCH(QString, line4);

  Bench bench;
  bench.SetController(200, rate);
  bench.RecordDuringDownload(200 + recordedDuringDownload);
  bench.Read();

  const QStringList listing = bench.Listing();
  QCOMPARE(listing.value(2), QStringLiteral("Rychlost záznamu: ") + QString::number(rate) + "[s]");
  QCOMPARE(listing.value(3), line4);
}

// Header lines, the order of the requests and the pauses between them.
void ZaznamTests::headerAndWire() {
  Bench bench;
  bench.SetController(17, 5);
  bench.line.ClearRequests();
  auto* bar = bench.window.findChild<QProgressBar*>("bargraf");
  std::vector<int> barDuringBlocks;  // the bar's position while each block is read
  bench.onLinkPause = [&](int ms) {
    if (ms == 270) barDuringBlocks.push_back(bar->isVisible() ? bar->value() : -1);
  };
  bench.window.show();
  bench.Read();

  const QStringList listing = bench.Listing();
  QCOMPARE(listing.value(0), QStringLiteral("Záznam z regulátoru    06.12.2026     9:05:07"));
  QCOMPARE(listing.value(4),
           QStringLiteral("Údaj s pořadovým číslem 1 je poslední (aktuální) záznam"));
  QCOMPARE(listing.value(5), QString(93, QLatin1Char('-')));

  // Address table, record memory table, the sixteen blocks behind the ring
  // index byte, the record memory table again.
  const auto requests = bench.line.Requests();
  QCOMPARE(requests.size(), std::size_t{3 + kBlocks});
  QCOMPARE(requests[0].table, 10);
  QCOMPARE(requests[1].table, 12);
  QCOMPARE(requests[1].offset, 0);
  for (int k = 0; k < kBlocks; ++k) {
    const auto& block = requests[2 + static_cast<std::size_t>(k)];
    QCOMPARE(block.table, 12);
    QCOMPARE(block.length, 64);
    QCOMPARE(block.offset, 64 * k + 1);
  }
  QCOMPARE(requests.back().table, 12);
  QCOMPARE(requests.back().offset, 0);
  for (const auto& request : requests) QCOMPARE(int(request.function), 0x6C);

  QCOMPARE(bench.windowPauses, (std::vector<int>{10, 10}));
  QCOMPARE(std::count(bench.line.pauses.begin(), bench.line.pauses.end(), 270), 16);
  QCOMPARE(std::count(bench.line.pauses.begin(), bench.line.pauses.end(), 300), 16);

  std::vector<int> positions(kBlocks);
  std::iota(positions.begin(), positions.end(), 0);
  QCOMPARE(barDuringBlocks, positions);
  QVERIFY(bar->isHidden());
  QCOMPARE(bench.line.image.address.rate, 5);
  QCOMPARE(bench.line.image.recordValues[255], SlotValue(255));
}

void ZaznamTests::valueTexts_data() {
  QTest::addColumn<float>("value");
  QTest::addColumn<QString>("text");

  QTest::newRow("five digits") << 1234.567f << QStringLiteral("1234,60");
  QTest::newRow("two decimals") << 12.3456f << QStringLiteral("12,35");
  QTest::newRow("negative") << -0.125f << QStringLiteral("-0,13");
  QTest::newRow("whole") << 20.0f << QStringLiteral("20,00");
  QTest::newRow("too large for five digits") << 123456.0f << QStringLiteral("1,2346E+5");
}

void ZaznamTests::valueTexts() {
  QFETCH(float, value);
  QFETCH(QString, text);

  Bench bench;
  bench.SetController(42, 1);
  bench.line.WithModel([&](rq30::sim::ControllerModel& m) { m.Image().recordValues[42] = value; });
  bench.Read();
  QCOMPARE(ValueLine(bench.Listing(), 1), QStringLiteral("1;   ") + text);
}

// One block goes unanswered: the others still arrive, the operator is told
// once, after all blocks, and the listing keeps that block's earlier values.
// The ring index is read before the box shows, so the time the box stays
// open does not shorten the listing.
void ZaznamTests::failedBlockReportedOnceAfterAllBlocks() {
  Bench bench;
  for (int i = 0; i < rq30::kRecordValues; ++i) bench.line.image.recordValues[i] = -1.0f;
  bench.SetController(20, 10);
  // Swallow every answer to the first block (the request goes out three times).
  bench.window.SetPause([&](int ms) {
    bench.windowPauses.push_back(ms);
    if (bench.windowPauses.size() == 2) {
      bench.line.WithModel([](rq30::sim::ControllerModel& m) { m.Injected().dropReplies = 3; });
    }
  });
  int blocksWhenReported = -1;
  bench.dialogs.SetOnCall([&](const DialogCall&) {
    blocksWhenReported = bench.blocksDone;
    bench.line.WithModel(
        [](rq30::sim::ControllerModel& m) { m.Image().recordMemory.ringIndex = 90; });
  });
  bench.Read();

  const auto messages = bench.dialogs.Messages();
  QCOMPARE(messages.size(), std::size_t{1});
  QCOMPARE(messages[0].text, QStringLiteral("Chyba při čtení záznamu"));
  QCOMPARE(messages[0].caption, QStringLiteral("Komunikace"));
  QCOMPARE(messages[0].icon, rq30::DialogIcon::kError);
  QCOMPARE(messages[0].buttons, rq30::DialogButtons::kOk);
  QCOMPARE(blocksWhenReported, kBlocks);

  const QStringList listing = bench.Listing();
  QCOMPARE(listing.size(), 6 + 256);
  QCOMPARE(ValueLine(listing, 1), Expected(1, 20));                 // block 1
  QCOMPARE(ValueLine(listing, 6), QStringLiteral("6;   -1,00"));    // slot 15, block 0
  QCOMPARE(ValueLine(listing, 21), QStringLiteral("21;   -1,00"));  // slot 0
  QCOMPARE(ValueLine(listing, 22), Expected(22, 255));              // block 15
  QVERIFY(bench.window.findChild<QProgressBar*>("bargraf")->isHidden());
}

// Without a controller nothing arrives: one message, and the listing is built
// from what the table image already holds.
void ZaznamTests::noControllerListsTheImage() {
  Bench bench;
  bench.line.image.recordMemory.ringIndex = 3;
  bench.line.image.address.rate = 30;
  for (int i = 0; i < rq30::kRecordValues; ++i) bench.line.image.recordValues[i] = SlotValue(i);
  bench.line.server.PullPlug();
  bench.Read();

  QCOMPARE(bench.dialogs.Messages().size(), std::size_t{1});
  QCOMPARE(bench.dialogs.Messages()[0].text, QStringLiteral("Chyba při čtení záznamu"));
  const QStringList listing = bench.Listing();
  QCOMPARE(listing.size(), 6 + 256);
  QCOMPARE(listing[2], QStringLiteral("Rychlost záznamu: 30[s]"));
  QCOMPARE(listing[3], QStringLiteral("Délka záznamu: 2hod., 8min."));
  QCOMPARE(ValueLine(listing, 1), Expected(1, 3));
  QCOMPARE(ValueLine(listing, 256), Expected(256, 4));
}

void ZaznamTests::saveWritesWindows1250WithCrLf() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString path = dir.filePath("zaznam.txt");

  Bench bench;
  bench.SetController(7, 2);
  bench.Read();
  bench.dialogs.QueueFile(path);
  bench.window.findChild<QPushButton*>("tl_ulozit")->click();

  const DialogCall& call = bench.dialogs.Calls().back();
  QCOMPARE(call.kind, DialogCall::Kind::kSaveFile);
  QCOMPARE(call.file.title, QStringLiteral("Uložit soubor jako"));
  QCOMPARE(call.file.fileName, QStringLiteral("Záznam z regulátoru"));
  QCOMPARE(call.file.defaultExtension, QStringLiteral("TXT"));
  QCOMPARE(call.file.filter, QStringLiteral("Textový soubor [*.txt]|*.txt"));
  QVERIFY(call.file.confirmOverwrite);

  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  const QList<QByteArray> lines = bytes.split('\n');
  QCOMPARE(lines.size(), 6 + 256 + 1);  // the last CR LF ends the last line
  QVERIFY(lines.last().isEmpty());
  for (int i = 0; i + 1 < lines.size(); ++i)
    QVERIFY2(lines[i].endsWith('\r'), qPrintable(QString::number(i)));
  QVERIFY(lines[0].startsWith("Z\xE1znam z regul\xE1toru    "));
  QCOMPARE(lines[1], QByteArray("Po\xE8"
                                "et zaznamenan\xFD"
                                "ch hodnot 256\r"));
  QCOMPARE(lines[6], QByteArray("1;   7,25\r"));

  // The next save offers the name chosen last.
  bench.window.findChild<QPushButton*>("tl_ulozit")->click();
  QCOMPARE(bench.dialogs.Calls().back().file.fileName, path);
}

void ZaznamTests::saveCancelledOrFailing() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());

  Bench bench;
  auto* save = bench.window.findChild<QPushButton*>("tl_ulozit");

  // Cancelled: nothing written, nothing said.
  save->click();
  QCOMPARE(bench.dialogs.Calls().size(), std::size_t{1});
  QVERIFY(QDir(dir.path()).isEmpty());

  // Nothing downloaded yet: an empty file.
  const QString empty = dir.filePath("prazdny.txt");
  bench.dialogs.QueueFile(empty);
  save->click();
  QVERIFY(QFile::exists(empty));
  QCOMPARE(QFileInfo(empty).size(), 0);

  // A file that cannot be created: the error is shown, the listing stays.
  bench.SetController(1, 1);
  bench.Read();
  const QStringList before = bench.Listing();
  const QString unreachable = dir.filePath("chybi/zaznam.txt");
  bench.dialogs.QueueFile(unreachable);
  save->click();
  const auto messages = bench.dialogs.Messages();
  QCOMPARE(messages.size(), std::size_t{1});
  QCOMPARE(messages[0].text, QStringLiteral("Cannot create file ") + unreachable);
  QCOMPARE(messages[0].icon, rq30::DialogIcon::kError);
  QCOMPARE(bench.Listing(), before);
}

void ZaznamTests::listingKeptBetweenShowings() {
  Bench bench;
  bench.window.show();
  QVERIFY(bench.Listing().isEmpty());  // nothing is read until asked
  QVERIFY(bench.line.Requests().empty());

  bench.SetController(9, 3);
  bench.Read();
  const QStringList first = bench.Listing();
  bench.window.findChild<QPushButton*>("tl_cancel")->click();
  QCOMPARE(bench.window.result(), int(QDialog::Rejected));
  QVERIFY(bench.window.isHidden());

  bench.line.ClearRequests();
  bench.window.show();
  QCOMPARE(bench.Listing(), first);
  QVERIFY(bench.line.Requests().empty());

  QTest::keyClick(&bench.window, Qt::Key_Escape);
  QVERIFY(bench.window.isHidden());
  QCOMPARE(bench.window.result(), int(QDialog::Rejected));
}

// The download keeps the event loop waiting; a click made meanwhile must
// not start a second download once it is over.
void ZaznamTests::clickDuringDownloadIsDropped() {
  Bench bench;
  bench.SetController(20, 10);
  auto* read = bench.window.findChild<QPushButton*>("tl_cteni");
  bool checked = false;
  bench.onLinkPause = [&](int ms) {
    if (ms != kPauseAfterBlock || bench.blocksDone != 4) return;
    checked = true;
    for (const char* name : {"tl_cteni", "tl_ulozit", "tl_cancel"}) {
      QVERIFY2(!bench.window.findChild<QPushButton*>(name)->isEnabled(), name);
    }
    // The operator clicks "Čtení" again; the click waits in the queue.
    const QPointF centre = QRectF(read->rect()).center();
    const QPointF global = read->mapToGlobal(centre);
    QCoreApplication::postEvent(read, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                      Qt::LeftButton, Qt::LeftButton,
                                                      Qt::NoModifier));
    QCoreApplication::postEvent(read, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                      Qt::LeftButton, Qt::NoButton,
                                                      Qt::NoModifier));
  };
  bench.window.show();
  bench.Read();
  QVERIFY(checked);
  QCoreApplication::processEvents();
  QTest::qWait(20);
  const auto requests = bench.line.Requests();
  const auto addressReads = std::count_if(requests.begin(), requests.end(),
                                          [](const rq30::sim::Request& r) { return r.table == 10; });
  QCOMPARE(int(addressReads), 1);
  for (const char* name : {"tl_cteni", "tl_ulozit", "tl_cancel"}) {
    QVERIFY2(bench.window.findChild<QPushButton*>(name)->isEnabled(), name);
  }
}

// Blocks that did not arrive are named under the list, and saving such a
// listing asks first; a complete download clears both.
void ZaznamTests::missedBlocksNamedAndSaveAsks() {
  QTemporaryDir dir;
  Bench bench;
  bench.SetController(20, 10);
  bench.onLinkPause = [&](int ms) {
    // The answers to blocks 3 and 7 are swallowed (sent three times each).
    if (ms == kPauseAfterBlock && (bench.blocksDone == 2 || bench.blocksDone == 6)) {
      bench.line.WithModel([](rq30::sim::ControllerModel& m) { m.Injected().dropReplies = 3; });
    }
  };
  bench.Read();
  auto* missed = bench.window.findChild<QLabel*>("lb_chyby");
  QCOMPARE(missed->text(), QStringLiteral("Nepřečtené bloky záznamu (0–15): 3, 7"));
  QVERIFY(!missed->isHidden());

  auto* save = bench.window.findChild<QPushButton*>("tl_ulozit");
  const QString path = dir.filePath("zaznam.txt");
  struct Case {
    rq30::DialogAnswer answer;
    bool saved;
  };
  for (const Case c : {Case{rq30::DialogAnswer::kNo, false}, Case{rq30::DialogAnswer::kYes, true}}) {
    bench.dialogs.ClearCalls();
    bench.dialogs.QueueAnswer(c.answer);
    bench.dialogs.QueueFile(path);
    save->click();
    const auto calls = bench.dialogs.Calls();
    QVERIFY(!calls.empty());
    QCOMPARE(calls[0].caption, QStringLiteral("Dotaz"));
    QVERIFY(calls[0].text.contains(QStringLiteral("3, 7")));
    QCOMPARE(calls[0].buttons, rq30::DialogButtons::kYesNo);
    QCOMPARE(QFile::exists(path), c.saved);
    QCOMPARE(int(calls.size()), c.saved ? 2 : 1);
  }

  bench.onLinkPause = nullptr;
  bench.dialogs.ClearCalls();
  bench.Read();
  QVERIFY(missed->isHidden());
  bench.dialogs.QueueFile(path);
  save->click();
  QCOMPARE(bench.dialogs.Calls().size(), std::size_t{1});  // the save dialog only
  QCOMPARE(bench.dialogs.Calls()[0].kind, DialogCall::Kind::kSaveFile);
}

QTEST_MAIN(ZaznamTests)
#include "zaznam_tests.moc"
