// The identification window against the simulated controller, and the
// message it builds for a device of another kind.

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <string>

#include "about_ident.h"
#include "cp1250.h"
#include "foreign_message.h"
#include "scripted_dialogs.h"
#include "sim_line.h"

using rq30::ScriptedDialogs;
using rq30::sim::ControllerModel;
using rq30::sim::Firmware;
using rq30::testing::SimLine;
using rq30::testing::SimLineOptions;

namespace {

const QString kNotice =
    QStringLiteral("Identifikováno zařízení pro které je nutné použít jiný software ");

struct Bench {
  explicit Bench(Firmware firmware = Firmware::V3) : line(Options(firmware)) {}

  static SimLineOptions Options(Firmware firmware) {
    SimLineOptions options;
    options.firmware = firmware;
    return options;
  }

  QString Device() const { return window.findChild<QLabel*>("lb_zarizeni")->text(); }
  QString Version() const { return window.findChild<QLabel*>("lb_verze")->text(); }

  // Shows the window and lets its one-second timer tick at once.
  void ShowAndTick() {
    window.show();
    auto* timer = window.findChild<QTimer*>("Timer1");
    QVERIFY(timer->isActive());
    window.Timer1Timer();
    QVERIFY(!timer->isActive());
  }

  std::vector<int> Commands() {
    std::vector<int> commands;
    for (const auto& request : line.Requests()) commands.push_back(request.command);
    return commands;
  }

  SimLine line;
  ScriptedDialogs dialogs;
  Tabout_ident window{line.image, line.link};
};

// 96 bytes of foreign texts: three 32-byte fields, blank-padded.
std::string ForeignFields(const std::string& a, const std::string& b, const std::string& c) {
  std::string fields(96, ' ');
  fields.replace(0, a.size(), a);
  fields.replace(32, b.size(), b);
  fields.replace(64, c.size(), c);
  return fields;
}

}  // namespace

class IdentTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void startsOneSecondAfterShowing();
  void showsBothAnswers();
  void firmwareOnlyKeepsDeviceCaption();
  void foreignDeviceReported();
  void silentSecondShowingKeepsTexts();
  void foreignMessageBytes_data();
  void foreignMessageBytes();
};

void IdentTests::startsOneSecondAfterShowing() {
  Bench bench;
  QCOMPARE(bench.Device(), QStringLiteral("Typ zařízení - neidentifikováno"));
  QCOMPARE(bench.Version(), QStringLiteral("Verze zařízení - neidentifikováno"));

  auto* timer = bench.window.findChild<QTimer*>("Timer1");
  QVERIFY(!timer->isActive());
  bench.window.show();
  QVERIFY(timer->isActive());
  QVERIFY(timer->isSingleShot());
  QCOMPARE(timer->interval(), 1000);
  QVERIFY(bench.line.Requests().empty());  // nothing before the tick

  // Closed before the tick: the identification does not run behind it.
  bench.window.findChild<QPushButton*>("OKButton")->click();
  QCOMPARE(bench.window.result(), int(QDialog::Accepted));
  QVERIFY(!timer->isActive());
}

void IdentTests::showsBothAnswers() {
  Bench bench;
  const QString device = QStringLiteral("VTQ45 regulátor teploty");
  bench.line.WithModel([&](ControllerModel& m) {
    m.SetTexts(rq30::Utf8ToCp1250(device.toStdString()), "FW-K-47-03");
  });
  bench.ShowAndTick();

  QCOMPARE(bench.Device(), device);
  QCOMPARE(bench.Version(), QStringLiteral("FW-K-47-03"));
  QVERIFY(bench.dialogs.Messages().empty());
  QCOMPARE(bench.Commands(), (std::vector<int>{0, 4}));  // device type, firmware
}

// A controller that leaves the device type request unanswered but gives its
// firmware is still a VTQ45: no request in the other format follows.
void IdentTests::firmwareOnlyKeepsDeviceCaption() {
  Bench bench;
  bench.ShowAndTick();
  QCOMPARE(bench.Device(), QStringLiteral("VTQ45"));

  bench.line.WithModel([](ControllerModel& m) {
    m.SetTexts("VTQ46", "FW-K-47-02");
    m.Injected().dropReplies = 2;  // the device type request and its repeat
  });
  bench.line.ClearRequests();
  bench.window.hide();
  bench.ShowAndTick();

  QCOMPARE(bench.Device(), QStringLiteral("VTQ45"));
  QCOMPARE(bench.Version(), QStringLiteral("FW-K-47-02"));
  QCOMPARE(bench.Commands(), (std::vector<int>{0, 0, 4}));
  QVERIFY(bench.dialogs.Messages().empty());
}

void IdentTests::foreignDeviceReported() {
  Bench bench(Firmware::Foreign);
  std::memset(bench.line.image.firmwareVersion, 'x', sizeof bench.line.image.firmwareVersion);
  bench.ShowAndTick();

  const auto messages = bench.dialogs.Messages();
  QCOMPARE(messages.size(), std::size_t{1});
  QCOMPARE(messages[0].caption, QStringLiteral("ERROR"));
  QCOMPARE(messages[0].icon, rq30::DialogIcon::kWarning);
  QCOMPARE(messages[0].buttons, rq30::DialogButtons::kOk);
  // The first two texts come blank-padded to 32 bytes, the third ends in zeros.
  const auto padded = [](const char* text) { return QString::fromLatin1(text).leftJustified(32); };
  const QString expected = kNotice + "\n" + padded(rq30::sim::kForeignTexts[0]) + "\n" +
                           padded(rq30::sim::kForeignTexts[1]) + "\n" +
                           QString::fromLatin1(rq30::sim::kForeignTexts[2]);
  QCOMPARE(messages[0].text, expected);

  QCOMPARE(bench.Device(), QStringLiteral("jiné zařízení"));
  QCOMPARE(bench.Version(), QString::fromLatin1(rq30::sim::kForeignTexts[2]));
  // The table image's firmware text is now the third text, zero-filled after it.
  const char* firmware = bench.line.image.firmwareVersion;
  QCOMPARE(QByteArray(firmware), QByteArray(rq30::sim::kForeignTexts[2]));
  for (std::size_t i = std::strlen(firmware); i < sizeof bench.line.image.firmwareVersion; ++i) {
    QVERIFY2(firmware[i] == 0, qPrintable(QString::number(i)));
  }
}

// Switched off the second time: the window still shows the first answers.
void IdentTests::silentSecondShowingKeepsTexts() {
  Bench bench;
  bench.ShowAndTick();
  bench.window.findChild<QPushButton*>("OKButton")->click();

  bench.line.WithModel([](ControllerModel& m) { m.SetFirmware(Firmware::Silent); });
  bench.ShowAndTick();
  QCOMPARE(bench.Device(), QStringLiteral("VTQ45"));
  QCOMPARE(bench.Version(), QStringLiteral("FW-K-47-03"));
  QVERIFY(bench.dialogs.Messages().empty());
}

void IdentTests::foreignMessageBytes_data() {
  QTest::addColumn<QByteArray>("fields");
  QTest::addColumn<QByteArray>("message");  // after the notice

  const std::string full = ForeignFields("A", "B", "C");
  QTest::newRow("three texts") << QByteArray::fromStdString(full)
                               << QByteArray::fromStdString("\r" + full.substr(0, 32) + "\r" +
                                                            full.substr(32, 32) + "\r" +
                                                            full.substr(64, 32));

  std::string cut = full;
  cut[5] = '\0';
  QTest::newRow("zero inside text 1 ends the message")
      << QByteArray::fromStdString(cut) << QByteArray::fromStdString("\r" + full.substr(0, 5));

  std::string second = full;
  second[32] = '\0';
  QTest::newRow("zero opening text 2")
      << QByteArray::fromStdString(second)
      << QByteArray::fromStdString("\r" + full.substr(0, 32) + "\r");

  // Texts without any zero are still only 32 bytes each, and bytes beyond
  // the third text never show.
  const std::string dense =
      std::string(32, 'a') + std::string(32, 'b') + std::string(32, 'c') + std::string(20, 'd');
  QTest::newRow("no zeros at all")
      << QByteArray::fromStdString(dense)
      << QByteArray::fromStdString("\r" + std::string(32, 'a') + "\r" + std::string(32, 'b') +
                                   "\r" + std::string(32, 'c'));

  QTest::newRow("short buffer counts as zeros") << QByteArray("Dev") << QByteArray("\rDev");
}

void IdentTests::foreignMessageBytes() {
  QFETCH(QByteArray, fields);
  QFETCH(QByteArray, message);

  const std::string built =
      rq30::ForeignDeviceMessage(reinterpret_cast<const uint8_t*>(fields.constData()),
                                 static_cast<std::size_t>(fields.size()));
  const std::string notice = rq30::Utf8ToCp1250(kNotice.toStdString());
  QCOMPARE(QByteArray::fromStdString(built), QByteArray::fromStdString(notice) + message);
}

QTEST_MAIN(IdentTests)
#include "ident_tests.moc"
