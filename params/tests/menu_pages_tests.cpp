// The parameter editor's pages against the simulated controller: what the
// operator types travels as the page's table and comes back on a read, and
// the page checks, variants and button actions behave as the operator needs.
#include <QApplication>
#include <QLocale>
#include <QProgressBar>
#include <QTabBar>
#include <cstring>
#include <QtTest>
#include <utility>
#include <vector>

#include "editor_fixture.h"
#include "table_layout.h"

using rq30::DialogAnswer;
using rq30::DialogButtons;
using rq30::DialogIcon;
using rq30::TableImage;
using rq30::testing::EditorFixture;
using Firmware = rq30::sim::Firmware;

namespace {

const QString kNotDecimal = QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku");
const QString kNotWhole = QStringLiteral("Je nutné zadávat pouze čísla");
// Telegram function and command codes of a table write and an EEPROM store.
constexpr int kWriteFc = 0x63;
constexpr int kWriteCommand = 2;
constexpr int kStoreCommand = 6;

// One page filled in by the operator, and the data bytes its table must
// carry (big-endian; floats as IEEE-754 single precision).
struct PageCase {
  const char* name;
  Firmware firmware;
  int page;
  int wireTable;  // the table number in the telegram
  int table;      // the table as the program knows it
  std::vector<std::pair<const char*, const char*>> texts;
  std::vector<std::pair<const char*, int>> picks;
  const char* hex;
};

const std::vector<PageCase>& PageCases() {
  static const std::vector<PageCase> cases = {
      {"COMP v1", Firmware::V1, Tmenu_mod::kComp, 0, 0, {{"ed_comp", "123,50"}}, {}, "42f70000"},
      {"ALARM 1",
       Firmware::V3,
       Tmenu_mod::kAlarm1,
       1,
       1,
       {{"ed_splo1", "12,50"}, {"ed_sphi1", "-3,25"}, {"ed_hyst1", "0,75"}},
       {{"cb_rala1", 3}, {"cb_re1", 0}},
       "41480000 c0500000 3f400000 03 00"},
      {"ALARM 2",
       Firmware::V3,
       Tmenu_mod::kAlarm2,
       2,
       2,
       {{"ed_splo2", "1,50"}, {"ed_sphi2", "250,00"}, {"ed_hyst2", "2,00"}},
       {{"cb_rala2", 1}, {"cb_re2", 0}},
       "3fc00000 437a0000 40000000 01 00"},
      {"PID",
       Firmware::V3,
       Tmenu_mod::kPid,
       4,
       4,
       {{"ed_pb", "25,50"}, {"ed_ti", "300,00"}, {"ed_td", "0,25"}},
       {{"cb_tune", 1}},
       "41cc0000 43960000 3e800000 01"},
      {"REGO",
       Firmware::V3,
       Tmenu_mod::kRego,
       5,
       5,
       {{"ed_dser", "120"}, {"ed_dead", "5"}, {"ed_ps", "7"}, {"ed_per", "300"}},
       {{"cb_type", 3}, {"cb_f2", 16}, {"cb_tpid", 43}},
       "03 0078 0005 0010 002c 0007 012c"},
      {"ONOFF",
       Firmware::V3,
       Tmenu_mod::kOnOff,
       6,
       6,
       {{"ed_phea", "-2,00"}, {"ed_pcoo", "3,50"}, {"ed_hhea", "0,50"}, {"ed_hcoo", "1,25"}},
       {{"cb_at", 10}, {"cb_onof_re1", 1}, {"cb_onof_re2", 0}},
       "c0000000 40600000 3f000000 3fa00000 000a 01 00"},
      {"SENS",
       Firmware::V3,
       Tmenu_mod::kSens,
       3,
       3,
       {{"ed_strs", "-50,00"}, {"ed_ends", "850,00"}, {"ed_offs", "1,50"}},
       {{"cb_sens", 10}, {"cb_dp", 2}, {"cb_komp", 4}},
       "0a 02 c2480000 44548000 3fc00000 04"},
      {"DACO",
       Firmware::V3,
       Tmenu_mod::kDaco,
       7,
       7,
       {{"ed_astr", "10,00"}, {"ed_aend", "90,00"}},
       {{"cb_ain", 1}, {"cb_aout", 3}},
       "01 03 41200000 42b40000"},
      {"ERRO",
       Firmware::V3,
       Tmenu_mod::kErro,
       8,
       8,
       {},
       {{"cb_erro12", 2}, {"cb_erro3", 1}, {"cb_erro4", 2}, {"cb_yout", 2}},
       "02 01 02 02"},
      {"OST_",
       Firmware::V3,
       Tmenu_mod::kOstat,
       9,
       9,
       {{"ed_oplo", "5,00"}, {"ed_ophi", "95,00"}, {"ed_pass", "1234"}},
       {{"cb_filtr", 32}, {"cb_loc", 1}},
       "40a00000 42be0000 0020 04d2 01 00"},
      {"ADD",
       Firmware::V3,
       Tmenu_mod::kAdd,
       10,
       10,
       {{"ed_adresa", "0"}, {"ed_zaznam", "1234"}},
       {},
       "00 04d2"},
      {"GO v3",
       Firmware::V3,
       Tmenu_mod::kGo,
       14,
       19,
       {{"ed_godate", "15"}, {"ed_gohour", "6"}, {"ed_gomin", "30"}},
       {{"cb_go", 1}, {"cb_pend", 2}, {"cb_hold", 1}, {"cb_puc", 4}},
       "01 01 02 04 0f 06 1e"},
      {"GO v2",
       Firmware::V2,
       Tmenu_mod::kGo,
       14,
       14,
       {},
       {{"cb_go", 1}, {"cb_pend", 1}, {"cb_hold", 0}, {"cb_puc", 2}},
       "01 00 01 02"},
      {"TIME",
       Firmware::V3,
       Tmenu_mod::kTime,
       15,
       15,
       {{"ed_year", "99"},
        {"ed_month", "12"},
        {"ed_mday", "31"},
        {"ed_hour", "23"},
        {"ed_min", "59"},
        {"ed_sec", "45"}},
       {{"cb_wday", 6}},
       "2d 3b 17 07 1f 0c 63"},
  };
  return cases;
}

QByteArray Hex(const char* text) {
  return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray ControllerTable(EditorFixture& f, int table) {
  const TableImage image = f.Controller();
  uint8_t bytes[64] = {};
  const int n = rq30::EncodeTable(table, image, bytes, sizeof bytes);
  return QByteArray(reinterpret_cast<const char*>(bytes), n);
}

}  // namespace

class MenuPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void writeThenReadGivesBackThePage_data() {
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < PageCases().size(); ++i)
      QTest::newRow(PageCases()[i].name) << static_cast<int>(i);
  }
  void writeThenReadGivesBackThePage() {
    QFETCH(int, index);
    const PageCase& c = PageCases()[index];
    EditorFixture f(c.firmware);
    f.GoTo(c.page);
    QCOMPARE(f.editor.ActivePage(), c.page);
    for (const auto& [name, text] : c.texts) f.Type(name, QString::fromUtf8(text));
    for (const auto& [name, position] : c.picks) f.Pick(name, position);

    f.Click("tl_zapis");
    QVERIFY2(f.dialogs.Messages().empty(), "a write of good values told the operator something");
    const QByteArray expected = Hex(c.hex);
    auto requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(int(requests[0].function), kWriteFc);
    QCOMPARE(requests[0].command, kWriteCommand);
    QCOMPARE(requests[0].table, c.wireTable);
    QCOMPARE(requests[0].length, expected.size());
    QCOMPARE(f.SentData(expected.size()).toHex(' '), expected.toHex(' '));
    QCOMPARE(ControllerTable(f, c.table).toHex(' '), expected.toHex(' '));
    QVERIFY(f.Find<QProgressBar>("bar_load")->isHidden());

    // The program forgets, the controller remembers: a read brings it back.
    rq30::ClearImage(f.line.image);
    for (const auto& [name, text] : c.texts) f.Type(name, QStringLiteral("x"));
    for (const auto& [name, position] : c.picks) f.List(name)->setCurrentIndex(0);
    f.line.ClearRequests();
    f.Click("tl_cteni");
    QVERIFY(f.dialogs.Messages().empty());
    requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].table, c.wireTable);
    QCOMPARE(requests[0].length, expected.size());
    for (const auto& [name, text] : c.texts)
      QCOMPARE(f.Edit(name)->text(), QString::fromUtf8(text));
    for (const auto& [name, position] : c.picks) QCOMPARE(f.List(name)->currentIndex(), position);
  }

  // Every bad field is reported, in the order the page lists them, and the
  // operator stays on the page; a write then sends nothing.
  void rejectedFieldsKeepThePage_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    QTest::newRow("decimal") << int(Tmenu_mod::kAlarm1) << "ed_splo1"
                             << "ed_hyst1" << kNotDecimal;
    QTest::newRow("whole") << int(Tmenu_mod::kRego) << "ed_dser"
                           << "ed_per" << kNotWhole;
  }
  void rejectedFieldsKeepThePage() {
    QFETCH(int, page);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);
    EditorFixture f;
    f.GoTo(page);
    f.Type(qPrintable(second), QStringLiteral("1,2,3"));
    f.Type(qPrintable(first), QStringLiteral("abc"));

    f.GoTo(Tmenu_mod::kDaco);
    QCOMPARE(f.editor.ActivePage(), page);
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{2});
    for (const auto& m : messages) {
      QCOMPARE(m.text, message);
      QCOMPARE(m.caption, QStringLiteral("CHYBA"));
      QCOMPARE(m.icon, DialogIcon::kWarning);
    }
    QCOMPARE(f.Edit(qPrintable(first))->text(), QStringLiteral("0"));
    QCOMPARE(f.Edit(qPrintable(second))->text(), QStringLiteral("0"));

    // Now both read "0" and pass; put one bad text back and write.
    f.dialogs.ClearCalls();
    f.Type(qPrintable(first), QString());
    f.Click("tl_zapis");
    QCOMPARE(f.dialogs.Messages().size(), std::size_t{1});
    QCOMPARE(f.dialogs.Messages()[0].text, message);
    QVERIFY(f.line.Requests().empty());
  }

  void tpidIsPositionPlusOne() {
    EditorFixture f;
    f.ChangeController([](TableImage& m) { m.control.tpid = 44; });
    f.GoTo(Tmenu_mod::kRego);
    f.Click("tl_cteni");
    QCOMPARE(f.List("cb_tpid")->currentText(), QStringLiteral("10,0"));
    f.Pick("cb_tpid", 0);
    f.GoTo(Tmenu_mod::kOnOff);
    QCOMPARE(f.line.image.control.tpid, 1);
    // No "5,0" in the controller's steps, and two blank entries at the end.
    QCOMPARE(f.List("cb_tpid")->count(), 46);
    QCOMPARE(f.List("cb_tpid")->itemText(24), QStringLiteral("5,2"));
    QCOMPARE(f.List("cb_tpid")->itemText(45), QString());
  }

  void weekdayIsPositionPlusOne() {
    EditorFixture f;
    f.ChangeController([](TableImage& m) { m.clock.wday = 1; });
    f.GoTo(Tmenu_mod::kTime);
    f.Click("tl_cteni");
    QCOMPARE(f.List("cb_wday")->currentText(), QStringLiteral("Pondělí"));
    f.Pick("cb_wday", f.List("cb_wday")->findText(QStringLiteral("Neděle")));
    f.Click("tl_zapis");
    QCOMPARE(f.Controller().clock.wday, 7);
  }

  // What the firmware allows: the GO table's size, the PCUT entries and
  // the pages and fields shown.
  void firmwareVariants_data() {
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("goLength");
    QTest::addColumn<int>("pcutEntries");
    QTest::addColumn<bool>("goTab");
    QTest::addColumn<bool>("timeTab");
    QTest::addColumn<bool>("startTime");
    QTest::newRow("v1") << int(Firmware::V1) << 1 << 0 << 3 << false << false << false;
    QTest::newRow("v2") << int(Firmware::V2) << 2 << 4 << 3 << true << false << false;
    QTest::newRow("v3") << int(Firmware::V3) << 3 << 7 << 5 << true << true << true;
    QTest::newRow("unidentified") << int(Firmware::Unknown) << 0 << 4 << 5 << true << true << true;
  }
  void firmwareVariants() {
    QFETCH(int, firmware);
    QFETCH(int, variant);
    QFETCH(int, goLength);
    QFETCH(int, pcutEntries);
    QFETCH(bool, goTab);
    QFETCH(bool, timeTab);
    QFETCH(bool, startTime);
    EditorFixture f(static_cast<Firmware>(firmware), variant);
    QCOMPARE(f.Tabs()->isTabVisible(Tmenu_mod::kGo), goTab);
    QCOMPARE(f.Tabs()->isTabVisible(Tmenu_mod::kTime), timeTab);
    QCOMPARE(f.List("cb_puc")->count(), pcutEntries);
    QCOMPARE(!f.Edit("ed_godate")->isHidden(), startTime);
    QCOMPARE(!f.Edit("ed_gomin")->isHidden(), startTime);
    if (!goTab) return;

    f.GoTo(Tmenu_mod::kGo);
    f.Type("ed_godate", QStringLiteral("3"));
    f.Click("tl_zapis");
    f.Click("tl_cteni");
    const auto requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{2});
    for (const auto& r : requests) {
      QCOMPARE(r.table, 14);
      QCOMPARE(r.length, goLength);
    }
    // Unidentified firmware keeps the start day in the program only.
    QCOMPARE(f.line.image.programStartTime.date, variant == 2 ? 1 : 3);
  }

  // A page the firmware lacks is out of reach: Ctrl+Tab and Ctrl+Shift+Tab
  // walk past it, and even made active by the program its read and write
  // send nothing. Neither the program start nor the clock is exchanged.
  void pagesTheFirmwareLacksAreOutOfReach_data() {
    QTest::addColumn<int>("firmware");
    QTest::newRow("v1") << int(Firmware::V1);
    QTest::newRow("v2") << int(Firmware::V2);
  }
  void pagesTheFirmwareLacksAreOutOfReach() {
    QFETCH(int, firmware);
    EditorFixture f(static_cast<Firmware>(firmware));
    const TableImage before = f.Controller();
    const bool go = firmware != int(Firmware::V1);
    QTabBar* bar = f.Tabs()->tabBar();
    QCOMPARE(f.Tabs()->isTabEnabled(Tmenu_mod::kTime), false);
    QCOMPARE(f.Tabs()->isTabEnabled(Tmenu_mod::kGo), go);
    for (const auto modifiers :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
      for (int i = 0; i < 2 * Tmenu_mod::kPageCount; ++i) {
        QTest::keyClick(f.Tabs(), Qt::Key_Tab, modifiers);
        QTest::keyClick(bar, Qt::Key_Right);
        const int page = f.Tabs()->currentIndex();
        QVERIFY2(page != Tmenu_mod::kTime && (go || page != Tmenu_mod::kGo),
                 qPrintable(QString::number(page)));
      }
    }
    QVERIFY(f.dialogs.Messages().empty());
    f.line.ClearRequests();
    for (int page : {int(Tmenu_mod::kGo), int(Tmenu_mod::kTime)}) {
      if (go && page == Tmenu_mod::kGo) continue;
      f.editor.ShowPage(page);
      f.Click("tl_cteni");
      f.Click("tl_zapis");
    }
    QVERIFY(f.line.Requests().empty());
    QVERIFY(f.dialogs.Messages().empty());
    const TableImage after = f.Controller();
    QCOMPARE(std::memcmp(&before, &after, sizeof before), 0);
  }

  // A write the controller refused and carried out on its repeat has been
  // written: no error, and the controller holds exactly the page.
  void refusedThenAcknowledgedWriteIsWritten() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kPid);
    f.Type("ed_pb", QStringLiteral("42,5"));
    TableImage expected = f.Controller();
    expected.pid.pb = 42.5f;
    f.line.WithModel([](rq30::sim::ControllerModel& m) {
      m.Injected().nakCode = 5;
      m.Injected().nakTimes = 1;
    });
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    const TableImage after = f.Controller();
    QCOMPARE(std::memcmp(&expected, &after, sizeof after), 0);
    QCOMPARE(f.line.WithModel([](rq30::sim::ControllerModel& m) { return m.WriteRequests(); }), 2);
  }

  void variantOneShowsOnlyTheSetpoint() {
    EditorFixture f(Firmware::V1);
    QVERIFY(f.Edit("ed_comp")->isVisibleTo(&f.editor));
    for (const char* name : {"tab_comp", "cb_prog_typ", "cb_prog_cis", "cb_usek", "tl_add",
                             "ed_cas", "ed_pocatek", "lb_usek", "lb_prog", "lb_c_prog"})
      QVERIFY2(!f.Find<QWidget>(name)->isVisibleTo(&f.editor), name);
    QCOMPARE(f.Edit("ed_comp")->text(), QStringLiteral("60,00"));
    f.ChangeController([](TableImage& m) { m.sp = 72.25f; });
    f.Click("tl_cteni");
    QCOMPARE(f.Edit("ed_comp")->text(), QStringLiteral("72,25"));
    const auto requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].table, 0);
    QCOMPARE(requests[0].length, 4);
  }

  void newAddressIsUsedAfterTheWrite() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kAdd);
    f.Type("ed_adresa", QStringLiteral("17"));
    f.Click("tl_zapis");
    QCOMPARE(f.line.link.GetDeviceAddress(), 17);
    f.line.ClearRequests();
    f.Click("tl_cteni");
    QVERIFY(f.dialogs.Messages().empty());
    const auto requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(int(requests[0].address), 17);
    QCOMPARE(f.Edit("ed_adresa")->text(), QStringLiteral("17"));
  }

  void addressKeptWhenTheWriteFailsOrIsRejected() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kAdd);
    f.Type("ed_adresa", QStringLiteral("17"));
    f.Type("ed_zaznam", QStringLiteral("fast"));
    f.Click("tl_zapis");
    QCOMPARE(f.line.link.GetDeviceAddress(), 0);
    QVERIFY(f.line.Requests().empty());

    f.dialogs.ClearCalls();
    f.ChangeController([](TableImage&) {});
    f.line.WithModel([](rq30::sim::ControllerModel& m) { m.Injected().nakCode = 0x02; });
    f.Type("ed_zaznam", QStringLiteral("60"));
    f.Click("tl_zapis");
    QCOMPARE(f.line.link.GetDeviceAddress(), 0);
    QCOMPARE(f.dialogs.Messages().size(), std::size_t{1});
    QCOMPARE(f.dialogs.Messages()[0].text, QStringLiteral("Chyba při zápisu"));
  }

  // Neither field has a range: out-of-range numbers go out as their low bits.
  void addressPageHasNoRange() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kAdd);
    f.Type("ed_adresa", QStringLiteral("300"));
    f.Type("ed_zaznam", QStringLiteral("40000"));
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(f.SentData(3).toHex(' '), QByteArray("2c 9c 40"));
    QCOMPARE(f.line.link.GetDeviceAddress(), 44);
  }

  void lowerLimitColourFollowsAlarmMode() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kAlarm1);
    QLineEdit* lower = f.Edit("ed_splo1");
    const QColor normal = QApplication::palette(lower).color(QPalette::Base);
    const QColor grey(192, 192, 192);
    QVERIFY(normal != grey);
    f.Pick("cb_rala1", 2);
    QCOMPARE(lower->palette().color(QPalette::Base), normal);
    f.Pick("cb_rala1", 0);
    QCOMPARE(lower->palette().color(QPalette::Base), grey);
    f.Pick("cb_rala1", 3);
    QCOMPARE(lower->palette().color(QPalette::Base), normal);
    f.Pick("cb_rala1", 1);
    QCOMPARE(lower->palette().color(QPalette::Base), grey);

    // Grey is a hint, not a lock: the limit is written in every mode.
    f.Pick("cb_rala1", 0);
    f.Type("ed_splo1", QStringLiteral("7,00"));
    f.Click("tl_zapis");
    QCOMPARE(f.Controller().alarm1.splo, 7.0f);
    f.Pick("cb_rala1", 2);
    f.Type("ed_splo1", QStringLiteral("8,00"));
    f.Click("tl_zapis");
    QCOMPARE(f.Controller().alarm1.splo, 8.0f);

    // A fill colours by the stored mode: alarm 2 of the controller is DWI.
    f.GoTo(Tmenu_mod::kAlarm2);
    QCOMPARE(f.Edit("ed_splo2")->palette().color(QPalette::Base), normal);
  }

  void eepromStoresWhatTheControllerHolds() {
    EditorFixture f;
    const float before = f.Controller().alarm1.sphi;
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Type("ed_sphi1", QStringLiteral("555,00"));
    f.Click("tl_eeprom");
    QVERIFY(f.dialogs.Messages().empty());
    const auto requests = f.line.Requests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].command, kStoreCommand);
    QCOMPARE(f.line.WithModel([](rq30::sim::ControllerModel& m) { return m.EepromStores(); }), 1);
    QCOMPARE(f.Controller().alarm1.sphi, before);
  }

  void storedValueOutsideItsList() {
    EditorFixture f;
    f.ChangeController([](TableImage& m) { m.alarm1.rala = 7; });
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Click("tl_cteni");
    QCOMPARE(f.List("cb_rala1")->currentIndex(), -1);
    // No mode: the lower limit is greyed like CONS.
    QCOMPARE(f.Edit("ed_splo1")->palette().color(QPalette::Base), QColor(192, 192, 192));
    f.GoTo(Tmenu_mod::kPid);
    QCOMPARE(int(f.line.image.alarm1.rala), 255);
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Click("tl_zapis");
    QCOMPARE(int(f.Controller().alarm1.rala), 255);
  }

  // A failed exchange says so under "Komunikace"; a failed read still shows
  // what the program holds.
  void failedTransfersAreReported_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::newRow("read") << "tl_cteni"
                          << "Chyba při čtení";
    QTest::newRow("write") << "tl_zapis"
                           << "Chyba při zápisu";
    QTest::newRow("eeprom") << "tl_eeprom"
                            << "Chyba při zápisu do EEPROM";
  }
  void failedTransfersAreReported() {
    QFETCH(QString, button);
    QFETCH(QString, message);
    EditorFixture f;
    f.GoTo(Tmenu_mod::kPid);
    f.line.image.pid.pb = 42.5f;
    f.line.WithModel([](rq30::sim::ControllerModel& m) {
      m.Injected().dropReplies = 100;
      m.Injected().nakCode = 0x02;
    });
    f.Click(qPrintable(button));
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, message);
    QCOMPARE(messages[0].caption, QStringLiteral("Komunikace"));
    QCOMPARE(messages[0].icon, DialogIcon::kError);
    QCOMPARE(messages[0].buttons, DialogButtons::kOk);
    if (button == "tl_cteni") QCOMPARE(f.Edit("ed_pb")->text(), QStringLiteral("42,50"));
    QVERIFY(f.Find<QProgressBar>("bar_load")->isHidden());
  }

  void enterMovesThroughThePage() {
    EditorFixture f;
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Edit("ed_splo1")->setFocus();
    f.Enter("ed_splo1");
    QCOMPARE(f.Focus(), f.Edit("ed_sphi1"));
    // Enter in a field never fires a button.
    QVERIFY(f.line.Requests().empty());
  }

  void oddListEntriesAreKept() {
    EditorFixture f;
    QCOMPARE(f.List("cb_at")->itemText(1), QStringLiteral("1 "));
    QCOMPARE(f.List("cb_erro12")->count(), 5);
    QCOMPARE(f.List("cb_erro12")->itemText(4), QString());
    QCOMPARE(f.List("cb_sens")->itemText(1), QStringLiteral("termočlánek \"K\""));
  }
};

QTEST_MAIN(MenuPagesTest)
#include "menu_pages_tests.moc"
