// The setpoint program page against the simulated controller: the program
// blocks that a read and a write exchange for each program type, the segment
// entry with its checks, and the program selection that changes at once.
#include <QLabel>
#include <QLocale>
#include <QtTest>
#include <vector>

#include "editor_fixture.h"
#include "field_check.h"
#include "field_parsers.h"

using rq30::DialogAnswer;
using rq30::DialogButtons;
using rq30::DialogIcon;
using rq30::TableImage;
using rq30::testing::EditorFixture;
using Firmware = rq30::sim::Firmware;

namespace {

const QString kNotDecimal = QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku");
const QString kNotWhole = QStringLiteral("Je nutné zadávat pouze čísla");
constexpr int kReadFc = 0x6C;
constexpr int kWriteFc = 0x63;
constexpr int kSp = 0, kRamp = 1, kJump = 2;

struct Transfer {
  int function;
  int table;
  int length;
  int offset;
};

// The blocks of program p: the setpoint list, its setpoints, its times.
Transfer List(int fc) {
  return {fc, 0, 40, 0};
}
Transfer Setpoints(int fc, int p) {
  return {fc, 17, 80, 80 * p};
}
Transfer Times(int fc, int p) {
  return {fc, 18, 40, 40 * p};
}
Transfer Selection() {
  return {kWriteFc, 16, 2, 0};
}

void CompareTransfers(const std::vector<rq30::sim::Request>& got,
                      const std::vector<Transfer>& expected) {
  QCOMPARE(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    QCOMPARE(int(got[i].function), expected[i].function);
    QCOMPARE(got[i].table, expected[i].table);
    QCOMPARE(got[i].length, expected[i].length);
    QCOMPARE(got[i].offset, expected[i].offset);
  }
}

// Each pause as the number of transfers that came before it.
std::vector<std::size_t> PausePlaces(const EditorFixture& f) {
  std::vector<std::size_t> places;
  for (const auto& p : f.pauses) {
    if (p.ms != 100) qWarning("pause of %d ms", p.ms);
    places.push_back(p.afterRequests);
  }
  return places;
}

void SelectProgram(EditorFixture& f, int type, int number) {
  f.ChangeController([&](TableImage& m) {
    m.programSelection.type = static_cast<uint8_t>(type);
    m.programSelection.number = static_cast<uint8_t>(number);
  });
  f.Open();
}

}  // namespace

class ProgramPageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void transfersByProgramType_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("SP") << kSp;
    QTest::newRow("RAMP") << kRamp;
    QTest::newRow("JUMP") << kJump;
  }
  void transfersByProgramType() {
    QFETCH(int, type);
    const int p = 3;
    EditorFixture f;
    SelectProgram(f, type, p);

    f.Click("tl_cteni");
    QVERIFY(f.dialogs.Messages().empty());
    if (type == kSp) {
      CompareTransfers(f.line.Requests(), {List(kReadFc)});
      QCOMPARE(PausePlaces(f), std::vector<std::size_t>{});
    } else {
      // JUMP has no start value, yet the setpoint list comes along.
      CompareTransfers(f.line.Requests(),
                       {List(kReadFc), Setpoints(kReadFc, p), Times(kReadFc, p)});
      QCOMPARE(PausePlaces(f), (std::vector<std::size_t>{1, 2}));
    }

    f.line.ClearRequests();
    f.pauses.clear();
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    if (type == kSp) {
      CompareTransfers(f.line.Requests(), {Selection(), List(kWriteFc)});
      QCOMPARE(PausePlaces(f), std::vector<std::size_t>{1});
    } else if (type == kRamp) {
      CompareTransfers(f.line.Requests(),
                       {Selection(), List(kWriteFc), Setpoints(kWriteFc, p), Times(kWriteFc, p)});
      QCOMPARE(PausePlaces(f), (std::vector<std::size_t>{1, 2, 3}));
    } else {
      CompareTransfers(f.line.Requests(),
                       {Selection(), Setpoints(kWriteFc, p), Times(kWriteFc, p)});
      QCOMPARE(PausePlaces(f), (std::vector<std::size_t>{1, 2}));
    }
    QCOMPARE(int(f.Controller().programSelection.type), type);
    QCOMPARE(int(f.Controller().programSelection.number), p);
  }

  void rampProgramRoundTrip() {
    EditorFixture f;
    SelectProgram(f, kRamp, 3);
    const TableImage before = f.Controller();
    QCOMPARE(f.Edit("ed_pocatek")->text(), rq30::DecimalText(before.setpointList[3]));
    QCOMPARE(f.CellText(0, 0), QStringLiteral("úsek"));
    QCOMPARE(f.CellText(0, 2), QStringLiteral("čas"));
    QCOMPARE(f.CellText(20, 0), QStringLiteral("19"));
    QCOMPARE(f.CellText(1, 1), rq30::DecimalText(before.programSetpoints[3][0]));
    QCOMPARE(f.CellText(20, 2), QString::number(before.programTimes[3][19]));
    QVERIFY(f.Edit("ed_cas")->isVisible());
    QCOMPARE(f.Find<QLabel>("lb_usek")->text(), QStringLiteral("úsek"));

    f.Type("ed_pocatek", QStringLiteral("77,25"));
    f.Type("ed_comp", QStringLiteral("55,5"));
    f.Type("ed_cas", QStringLiteral("12,7"));
    f.Click("tl_add");
    QCOMPARE(f.List("cb_usek")->currentIndex(), 1);
    f.Type("ed_comp", QStringLiteral("-1"));
    f.Type("ed_cas", QStringLiteral("-3,5"));
    f.Click("tl_add");
    QCOMPARE(f.CellText(1, 1), QStringLiteral("55,5"));
    QCOMPARE(f.CellText(2, 2), QStringLiteral("-3,5"));

    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    // The last telegram carries the times, cut toward zero, as int16.
    QCOMPARE(f.SentData(4).toHex(' '), QByteArray("00 0c ff fd"));
    const TableImage after = f.Controller();
    QCOMPARE(after.setpointList[3], 77.25f);
    QCOMPARE(after.programSetpoints[3][0], 55.5f);
    QCOMPARE(after.programSetpoints[3][1], -1.0f);
    QCOMPARE(after.programTimes[3][0], 12);
    QCOMPARE(after.programSetpoints[3][5], before.programSetpoints[3][5]);

    rq30::ClearImage(f.line.image);
    f.line.image.programSelection = {kRamp, 3};
    f.Click("tl_cteni");
    QCOMPARE(f.CellText(1, 1), QStringLiteral("55,50"));
    QCOMPARE(f.CellText(1, 2), QStringLiteral("12"));
    QCOMPARE(f.Edit("ed_pocatek")->text(), QStringLiteral("77,25"));
  }

  void setpointListLayout() {
    EditorFixture f;
    SelectProgram(f, kSp, 0);
    const TableImage c = f.Controller();
    QCOMPARE(f.CellText(0, 0), QStringLiteral("program"));
    QCOMPARE(f.CellText(0, 1), QStringLiteral("teplota"));
    QCOMPARE(f.CellText(0, 2), QStringLiteral("--"));
    for (int r = 1; r <= 10; ++r) {
      QCOMPARE(f.CellText(r, 1), rq30::DecimalText(c.setpointList[r - 1]));
      QCOMPARE(f.CellText(r, 2), QString());
    }
    QVERIFY(!f.Edit("ed_cas")->isVisible());
    QVERIFY(!f.Edit("ed_pocatek")->isVisible());
    QCOMPARE(f.Find<QLabel>("lb_usek")->text(), QStringLiteral("program"));
    QCOMPARE(f.List("cb_usek")->count(), 20);

    f.Pick("cb_usek", 2);
    QCOMPARE(f.Grid()->currentRow(), 3);
    f.Type("ed_comp", QStringLiteral("81,00"));
    f.Click("tl_add");
    QCOMPARE(f.CellText(3, 1), QStringLiteral("81,00"));
    QCOMPARE(f.CellText(3, 2), QStringLiteral("--"));
    // Rows past the ten setpoints are never collected.
    f.Pick("cb_usek", 14);
    f.Type("ed_comp", QStringLiteral("junk"));
    f.Click("tl_add");
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(f.Controller().setpointList[2], 81.0f);
  }

  void enterChecksTheSegment_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");  // empty: accepted
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("after");
    const QString setpointRange = rq30::RangeMessage(-999, 9999);
    const QString timeRange = rq30::RangeMessage(0, 1000);
    QTest::newRow("setpoint too high") << "ed_comp"
                                       << "10000" << setpointRange << "EDIT"
                                       << "ed_comp"
                                       << "10000";
    QTest::newRow("setpoint too low") << "ed_comp"
                                      << "-1000" << setpointRange << "EDIT"
                                      << "ed_comp"
                                      << "-1000";
    QTest::newRow("setpoint cut to 9999") << "ed_comp"
                                          << "9999,9"
                                          << ""
                                          << ""
                                          << "ed_cas"
                                          << "9999,9";
    QTest::newRow("setpoint cut to -999") << "ed_comp"
                                          << "-999,9"
                                          << ""
                                          << ""
                                          << "ed_cas"
                                          << "-999,9";
    QTest::newRow("setpoint not a number") << "ed_comp"
                                           << "12a" << kNotDecimal << "CHYBA"
                                           << "ed_comp"
                                           << "0";
    QTest::newRow("time too long") << "ed_cas"
                                   << "1001" << timeRange << "EDIT"
                                   << "ed_cas"
                                   << "1001";
    QTest::newRow("time negative") << "ed_cas"
                                   << "-1" << timeRange << "EDIT"
                                   << "ed_cas"
                                   << "-1";
    QTest::newRow("time at its limit") << "ed_cas"
                                       << "1000"
                                       << ""
                                       << ""
                                       << "tl_add"
                                       << "1000";
    QTest::newRow("time with decimals") << "ed_cas"
                                        << "1,5" << kNotWhole << "CHYBA"
                                        << "ed_cas"
                                        << "0";
  }
  void enterChecksTheSegment() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(QString, focus);
    QFETCH(QString, after);
    EditorFixture f;
    f.Edit(qPrintable(field))->setFocus();
    f.Type(qPrintable(field), text);
    f.Enter(qPrintable(field));
    const auto messages = f.dialogs.Messages();
    if (message.isEmpty()) {
      QVERIFY(messages.empty());
    } else {
      QCOMPARE(messages.size(), std::size_t{1});
      QCOMPARE(messages[0].text, message);
      QCOMPARE(messages[0].caption, caption);
      QCOMPARE(messages[0].icon, caption == "EDIT" ? DialogIcon::kError : DialogIcon::kWarning);
    }
    QCOMPARE(f.Focus()->objectName(), focus);
    QCOMPARE(f.Edit(qPrintable(field))->text(), after);
    // Entry checks never touch the program or the controller.
    QVERIFY(f.line.Requests().empty());
    QCOMPARE(f.line.image.programSetpoints[0][0], f.Controller().programSetpoints[0][0]);
  }

  void enterWithoutTimeFieldGoesToAdd() {
    EditorFixture f;
    SelectProgram(f, kSp, 0);
    f.Edit("ed_comp")->setFocus();
    f.Type("ed_comp", QStringLiteral("20"));
    f.Enter("ed_comp");
    QCOMPARE(f.Focus()->objectName(), QStringLiteral("tl_add"));
    QTest::keyClick(f.Focus(), Qt::Key_Return);
    QCOMPARE(f.CellText(1, 1), QStringLiteral("20"));
  }

  void addAtTheLastSegment_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("nextNumber");
    QTest::newRow("no") << 4 << false << 5;
    QTest::newRow("no at program 9") << 9 << false << 9;
    QTest::newRow("yes") << 4 << true << 5;
  }
  void addAtTheLastSegment() {
    QFETCH(int, number);
    QFETCH(bool, yes);
    QFETCH(int, nextNumber);
    EditorFixture f;
    SelectProgram(f, kRamp, number);
    const QString firstRow = f.CellText(1, 1);
    f.Pick("cb_usek", 19);
    f.Type("ed_comp", QStringLiteral("33,00"));
    f.Type("ed_cas", QStringLiteral("5"));
    f.dialogs.QueueAnswer(yes ? DialogAnswer::kYes : DialogAnswer::kNo);
    f.Click("tl_add");

    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Chceš zapsat data do regulátoru?"));
    QCOMPARE(messages[0].caption, QStringLiteral("Zápis"));
    QCOMPARE(messages[0].icon, DialogIcon::kWarning);
    QCOMPARE(messages[0].buttons, DialogButtons::kYesNo);
    if (yes) {
      CompareTransfers(f.line.Requests(), {Selection(), List(kWriteFc), Setpoints(kWriteFc, number),
                                           Times(kWriteFc, number)});
      QCOMPARE(f.Controller().programSetpoints[number][19], 33.0f);
    } else {
      QVERIFY(f.line.Requests().empty());
    }
    QCOMPARE(f.List("cb_usek")->currentIndex(), 0);
    QCOMPARE(f.List("cb_prog_cis")->currentIndex(), nextNumber);
    // The next number is not announced and the grid is kept for it.
    QCOMPARE(int(f.line.image.programSelection.number), number);
    QCOMPARE(f.CellText(1, 1), firstRow);
    QCOMPARE(f.CellText(20, 1), QStringLiteral("33,00"));
    QCOMPARE(f.Grid()->currentRow(), 1);
    QCOMPARE(f.Focus()->objectName(), QStringLiteral("ed_comp"));
  }

  void pickingANumberSelectsAndReadsAtOnce() {
    EditorFixture f;
    SelectProgram(f, kRamp, 0);
    f.Pick("cb_prog_cis", 6);
    CompareTransfers(f.line.Requests(),
                     {Selection(), List(kReadFc), Setpoints(kReadFc, 6), Times(kReadFc, 6)});
    const TableImage c = f.Controller();
    QCOMPARE(int(c.programSelection.number), 6);
    QCOMPARE(f.CellText(1, 1), rq30::DecimalText(c.programSetpoints[6][0]));
    QCOMPARE(f.CellText(1, 2), QString::number(c.programTimes[6][0]));
    QCOMPARE(f.Edit("ed_pocatek")->text(), rq30::DecimalText(c.setpointList[6]));

    f.line.ClearRequests();
    f.Pick("cb_prog_typ", kJump);
    QCOMPARE(int(f.Controller().programSelection.type), kJump);
    QCOMPARE(f.line.Requests().front().table, 16);
    QVERIFY(!f.Edit("ed_pocatek")->isVisible());
    QCOMPARE(f.List("cb_prog_cis")->currentIndex(), 6);
  }

  void collectStopsAtABadCell() {
    EditorFixture f;
    SelectProgram(f, kRamp, 1);
    f.Pick("cb_usek", 4);
    f.Type("ed_comp", QStringLiteral("abc"));
    f.Click("tl_add");
    f.Click("tl_zapis");
    auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, kNotDecimal);
    QCOMPARE(messages[0].caption, QStringLiteral("CHYBA"));
    QVERIFY(f.line.Requests().empty());
    QCOMPARE(f.Grid()->currentRow(), 5);
    QCOMPARE(f.Grid()->currentColumn(), 1);
    QCOMPARE(f.Focus(), static_cast<QWidget*>(f.Grid()));
    // Leaving the page is refused as for any bad field.
    f.GoTo(Tmenu_mod::kPid);
    QCOMPARE(f.editor.ActivePage(), int(Tmenu_mod::kComp));

    f.dialogs.ClearCalls();
    f.Type("ed_comp", QStringLiteral("1"));
    f.Pick("cb_usek", 4);
    f.Click("tl_add");
    f.Type("ed_pocatek", QStringLiteral("x"));
    f.Click("tl_zapis");
    messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, kNotDecimal);
    QCOMPARE(f.Focus()->objectName(), QStringLiteral("ed_pocatek"));
    QVERIFY(f.line.Requests().empty());
  }

  // A program number the editor has no program for is shown, read and
  // written as program 0; it never indexes the ten programs.
  void programNumberOutsideTheTen() {
    EditorFixture f;
    SelectProgram(f, kRamp, 12);
    QCOMPARE(f.List("cb_prog_cis")->currentIndex(), 0);
    const TableImage c = f.Controller();
    QCOMPARE(f.CellText(1, 1), rq30::DecimalText(c.programSetpoints[0][0]));
    f.Click("tl_cteni");
    CompareTransfers(f.line.Requests(), {List(kReadFc), Setpoints(kReadFc, 0), Times(kReadFc, 0)});
    f.line.ClearRequests();
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    CompareTransfers(f.line.Requests(),
                     {Selection(), List(kWriteFc), Setpoints(kWriteFc, 0), Times(kWriteFc, 0)});
    QCOMPARE(int(f.Controller().programSelection.number), 0);
  }

  void programNumberOutsideTheTenOnTypeChange() {
    EditorFixture f;
    SelectProgram(f, kRamp, 200);
    f.Pick("cb_prog_typ", kJump);
    QCOMPARE(int(f.Controller().programSelection.number), 0);
    CompareTransfers(f.line.Requests(),
                     {Selection(), List(kReadFc), Setpoints(kReadFc, 0), Times(kReadFc, 0)});
  }
};

QTEST_MAIN(ProgramPageTest)
#include "program_page_tests.moc"
