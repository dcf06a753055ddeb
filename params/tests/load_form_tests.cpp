// The loading window against the simulated controller: what each firmware
// has read and in which order, the progress bar, identification failures,
// tables that do not answer, and the presets it leaves in the editor.
#include <QLabel>
#include <QLocale>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "load_fixture.h"
#include "param_values.h"
#include "table_layout.h"

using rq30::DialogButtons;
using rq30::DialogIcon;
using rq30::TableImage;
using rq30::testing::LoadFixture;
using Firmware = rq30::sim::Firmware;

namespace {

using Strings = std::vector<std::string>;

Strings Join(std::initializer_list<Strings> parts) {
  Strings all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Strings kIdentification = {"ident", "fw"};

// The program selection, the setpoint list and all ten programs, whichever
// program is selected: the editor saves every one of them.
Strings ProgramData() {
  Strings blocks = {"t16 2@0", "t0 40@0"};
  for (int p = 0; p < rq30::kPrograms; ++p) {
    blocks.push_back("t17 80@" + std::to_string(80 * p));
    blocks.push_back("t18 40@" + std::to_string(40 * p));
  }
  return blocks;
}
const Strings kProgramData = ProgramData();
// A pause after the selection, then 100 ms before each of the 20 blocks.
std::vector<int> ProgramPauses() {
  std::vector<int> pauses = {10};
  pauses.insert(pauses.end(), 2 * rq30::kPrograms, 100);
  return pauses;
}
// Pages 1..10 by their tables; SENS (3) comes after ONOFF (6).
const Strings kTablePages = {"t1 14@0", "t2 14@0", "t4 13@0", "t5 13@0", "t6 20@0",
                             "t3 15@0", "t7 10@0", "t8 4@0",  "t9 14@0", "t10 3@0"};
// Page 11: the program start table; firmware 3 reads it with the start
// day and time (table 19, on the wire table 14 with 7 bytes).
const Strings kPages = Join({kTablePages, {"t14 4@0"}});
const Strings kPagesWithStartTime = Join({kTablePages, {"t14 7@0"}});

QStringList Texts(const Strings& strings) {
  QStringList list;
  for (const auto& s : strings) list << QString::fromStdString(s);
  return list;
}

std::vector<int> Steps(int from, int step, int count) {
  std::vector<int> positions;
  for (int i = 1; i <= count; ++i) positions.push_back(from + i * step);
  return positions;
}

QByteArray Encoded(const TableImage& image, int table) {
  uint8_t bytes[64] = {};
  const int n = rq30::EncodeTable(table, image, bytes, sizeof bytes);
  return QByteArray(reinterpret_cast<const char*>(bytes), n);
}

// Values a load must not touch, to see what it left alone.
void MarkImage(TableImage& image) {
  image.control.dser = 4321;
  image.alarm1.sphi = 777.0f;
  image.sp = 55.5f;
  image.setpointList[0] = -1.0f;
  image.programTimes[0][0] = 999;
}

}  // namespace

class LoadFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void readOrderOfEachFirmware_data() {
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<std::vector<int>>("progress");
    QTest::addColumn<std::vector<int>>("pauses");
    Strings v1 = kIdentification;
    for (int t = 0; t <= 10; ++t)
      v1.push_back("t" + std::to_string(t) + " " + std::to_string(rq30::kTableLength[t]) + "@0");
    // 20 after identification, then a step before each table; the
    // eleventh table of firmware 1 leaves the bar at 100.
    const std::vector<int> v1Progress = Steps(12, 8, 11);
    const std::vector<int> v2Progress = Steps(13, 7, 12);
    std::vector<int> v3Progress = v2Progress;
    v3Progress.push_back(100);
    const std::vector<int> blocks = ProgramPauses();
    std::vector<int> v2Pauses = blocks, v3Pauses = blocks;
    v2Pauses.insert(v2Pauses.end(), 11, 10);
    v3Pauses.insert(v3Pauses.end(), 12, 10);

    QTest::newRow("firmware 1") << int(Firmware::V1) << 1 << Texts(v1) << v1Progress
                                << std::vector<int>(11, 10);
    QTest::newRow("firmware 2") << int(Firmware::V2) << 2
                                << Texts(Join({kIdentification, kProgramData, kPages}))
                                << v2Progress << v2Pauses;
    QTest::newRow("firmware 3") << int(Firmware::V3) << 3
                                << Texts(Join({kIdentification, kProgramData,
                                               kPagesWithStartTime, {"t15 7@0"}}))
                                << v3Progress << v3Pauses;
  }
  void readOrderOfEachFirmware() {
    QFETCH(int, firmware);
    QFETCH(int, variant);
    QFETCH(QStringList, requests);
    QFETCH(std::vector<int>, progress);
    QFETCH(std::vector<int>, pauses);
    LoadFixture f(static_cast<Firmware>(firmware));
    f.Load();
    QCOMPARE(f.loader.FirmwareVariant(), variant);
    QCOMPARE(Texts(f.Requests()), requests);
    QCOMPARE(f.progress, progress);
    QCOMPARE(f.pauses, pauses);
    // Stepping the editor's pages ran none of its page-change handling:
    // a collect of the unfilled program page would have complained.
    QVERIFY(f.dialogs.Calls().empty());
    QCOMPARE(f.loader.findChild<QLabel*>("lb_verze")->text(), QStringLiteral("VTQ45"));
    QVERIFY(f.loader.isHidden());

    const TableImage controller = f.Controller();
    for (int table : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
      QCOMPARE(Encoded(f.line.image, table), Encoded(controller, table));
    if (variant == 1) {
      QCOMPARE(f.line.image.sp, controller.sp);
    } else {
      QCOMPARE(Encoded(f.line.image, 14), Encoded(controller, 14));
      QCOMPARE(0, std::memcmp(f.line.image.setpointList, controller.setpointList,
                              sizeof controller.setpointList));
      QCOMPARE(0, std::memcmp(f.line.image.programSetpoints, controller.programSetpoints,
                              sizeof controller.programSetpoints));
      QCOMPARE(0, std::memcmp(f.line.image.programTimes, controller.programTimes,
                              sizeof controller.programTimes));
    }
    if (variant == 3) {
      QCOMPARE(Encoded(f.line.image, 19), Encoded(controller, 19));
      QCOMPARE(Encoded(f.line.image, 15), Encoded(controller, 15));
    }
  }

  // Only the first ten characters of the firmware text count; a text that
  // names no known firmware, or none at all, stops the load before any
  // table is read.
  void identification_data() {
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("firmwareText");  // empty: the firmware's own
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("caption");
    QTest::newRow("longer text") << int(Firmware::V2) << "FW-K-47-02 rev. B" << 2 << "VTQ45";
    QTest::newRow("unknown release") << int(Firmware::Unknown) << "" << 0 << "VTQ45";
    QTest::newRow("silent") << int(Firmware::Silent) << "" << 0 << "neidentifikováno";
  }
  void identification() {
    QFETCH(int, firmware);
    QFETCH(QString, firmwareText);
    QFETCH(int, variant);
    QFETCH(QString, caption);
    LoadFixture f(static_cast<Firmware>(firmware));
    if (!firmwareText.isEmpty())
      f.line.WithModel(
          [&](rq30::sim::ControllerModel& m) { m.SetTexts("VTQ45", firmwareText.toStdString()); });
    MarkImage(f.line.image);
    const TableImage before = f.line.image;
    f.Load();
    QCOMPARE(f.loader.FirmwareVariant(), variant);
    QCOMPARE(f.loader.findChild<QLabel*>("lb_verze")->text(), caption);
    const auto messages = f.dialogs.Messages();
    if (variant != 0) {
      QVERIFY(messages.empty());
      QCOMPARE(f.Requests().size(), Join({kIdentification, kProgramData, kPages}).size());
      return;
    }
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Chyba při čtení nebo neznámé zřízení"));
    QCOMPARE(messages[0].caption, QStringLiteral("Komunikace"));
    QCOMPARE(messages[0].icon, DialogIcon::kError);
    QCOMPARE(messages[0].buttons, DialogButtons::kOk);
    for (const auto& r : f.line.Requests()) QCOMPARE(r.table, -1);
    QCOMPARE(f.pauses, std::vector<int>{10});
    QCOMPARE(f.Bar()->value(), 20);
    QCOMPARE(Encoded(f.line.image, 5), Encoded(before, 5));
    QCOMPARE(f.line.image.setpointList[0], before.setpointList[0]);
  }

  // The menu's road: the loader runs modally on its own timer, and the
  // editor opens afterwards even when nothing could be read.
  void editorOpensWhateverTheLoadAchieved() {
    LoadFixture f(Firmware::Unknown);
    MarkImage(f.line.image);
    QCOMPARE(f.loader.exec(), int(QDialog::Accepted));
    QCOMPARE(f.dialogs.Messages().size(), std::size_t{1});
    QCOMPARE(f.loader.FirmwareVariant(), 0);
    f.OpenEditor();
    QVERIFY(f.editor.isVisible());
    // Laid out like firmware 3, and showing what the program held.
    QVERIFY(f.Find<QTabWidget>("PageControl")->isTabVisible(Tmenu_mod::kTime));
    f.GoTo(Tmenu_mod::kRego);
    QCOMPARE(f.Edit("ed_dser")->text(), QStringLiteral("4321"));
  }

  // Every program comes, whatever type and number the controller has
  // selected: an SP selection no longer leaves the programs out.
  void programDataReadsEveryProgram_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("number");
    QTest::newRow("SP") << 0 << 4;
    QTest::newRow("RAMP 9") << 1 << 9;
    QTest::newRow("JUMP 2") << 2 << 2;
  }
  void programDataReadsEveryProgram() {
    QFETCH(int, type);
    QFETCH(int, number);
    LoadFixture f;
    f.ChangeController([&](TableImage& m) {
      m.programSelection = {static_cast<uint8_t>(type), static_cast<uint8_t>(number)};
      for (int p = 0; p < rq30::kPrograms; ++p) {
        m.programSetpoints[p][19] = 100.5f + p;
        m.programTimes[p][19] = 70 + p;
      }
    });
    QCOMPARE(f.loader.ReadProgramData(), 1);
    QCOMPARE(Texts(f.Requests()), Texts(kProgramData));
    QCOMPARE(f.pauses, ProgramPauses());
    QCOMPARE(int(f.line.image.programSelection.number), number);
    for (int p = 0; p < rq30::kPrograms; ++p) {
      QCOMPARE(f.line.image.programSetpoints[p][19], 100.5f + p);
      QCOMPARE(f.line.image.programTimes[p][19], 70 + p);
    }
  }

  // Tables that do not answer are passed over without a word; the image
  // keeps what it had of them and the rest still comes. A controller with
  // the first firmware's tables that calls itself firmware 2 has no program
  // data and no program start table.
  void silentTablesArePassedOver() {
    LoadFixture f(Firmware::V1);
    f.line.WithModel([](rq30::sim::ControllerModel& m) { m.SetTexts("VTQ45", "FW-K-47-02"); });
    MarkImage(f.line.image);
    f.line.image.programStart = {1, 1, 2, 2};
    // The selection read earlier stands when table 16 does not come.
    f.line.image.programSelection = {1, 0};
    const TableImage before = f.line.image;
    f.Load();
    QCOMPARE(f.loader.FirmwareVariant(), 2);
    QVERIFY(f.dialogs.Calls().empty());
    // Every read was tried, in order, however often the link asked again.
    Strings tried = f.Requests();
    tried.erase(std::unique(tried.begin(), tried.end()), tried.end());
    QCOMPARE(Texts(tried), Texts(Join({kIdentification, kProgramData, kPages})));
    QCOMPARE(f.progress.back(), 97);
    QCOMPARE(Encoded(f.line.image, 14), Encoded(before, 14));
    QCOMPARE(f.line.image.setpointList[0], before.setpointList[0]);
    QCOMPARE(f.line.image.programTimes[0][0], before.programTimes[0][0]);
    QCOMPARE(Encoded(f.line.image, 5), Encoded(f.Controller(), 5));
    QCOMPARE(Encoded(f.line.image, 10), Encoded(f.Controller(), 10));
  }

  // Firmware 3 reads the program start with its start day and time, so a
  // write of the GO page right after opening sends back what the
  // controller holds: its programmed start stays.
  void goPageWriteKeepsTheStartTime() {
    LoadFixture f(Firmware::V3);
    f.ChangeController([](TableImage& m) {
      m.programStart = {1, 1, 2, 3};
      m.programStartTime = {12, 7, 45};
    });
    f.Open();
    const TableImage before = f.Controller();
    f.GoTo(Tmenu_mod::kGo);
    QCOMPARE(f.Edit("ed_godate")->text(), QStringLiteral("12"));
    f.Click("tl_zapis");
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(Texts(f.Requests()), QStringList{"fc99 t14 7@0"});
    const TableImage after = f.Controller();
    QCOMPARE(std::memcmp(&before, &after, sizeof after), 0);
  }

  // The loader resets the editor's controls before it reads anything; the
  // pages the operator never shows keep these values.
  void presetsTheEditorsControls() {
    LoadFixture f(Firmware::Silent);
    f.Type("ed_splo1", QStringLiteral("junk"));
    f.Type("ed_pass", QStringLiteral("77"));
    f.Pick("cb_tpid", 0);
    f.Pick("cb_puc", 3);
    f.Pick("cb_prog_cis", 6);
    f.Load();
    for (const auto& key : rq30::paramset::Keys()) {
      if (!key.preset) continue;
      QCOMPARE(f.ControlValue(key), QString::fromStdString(*key.preset));
    }
    const std::pair<const char*, const char*> shown[] = {
        {"cb_rala1", "CONS (jedna pevná mez)"},
        {"cb_re1", "OFF při překročení relé vypne"},
        {"cb_tpid", "1,2"},
        {"cb_at", "1 "},
        {"cb_onof_re2", "ON při překročení relé sepne"},
        {"cb_sens", "Pt100"},
        {"cb_dp", "000.0"},
        {"cb_komp", "teplota svorek"},
        {"cb_filtr", "0 (bez filtru)"},
        {"cb_puc", "OFF-ukončení programu s vypnutím"},
        {"cb_prog_typ", "SP"},
        {"cb_prog_cis", "0"},
    };
    for (const auto& [name, text] : shown)
      QCOMPARE(f.List(name)->currentText(), QString::fromUtf8(text));
    QCOMPARE(f.Edit("ed_splo1")->text(), QStringLiteral("0"));
    QCOMPARE(f.Edit("ed_phea")->text(), QStringLiteral("-2"));
    QCOMPARE(f.Edit("ed_pass")->text(), QStringLiteral("0"));
    QCOMPARE(f.Edit("ed_zaznam")->text(), QStringLiteral("60"));
  }

  // Each showing is a new load: the variant of the last one is kept until
  // then.
  void variantKeptUntilTheNextLoad() {
    LoadFixture f(Firmware::V2);
    QCOMPARE(f.loader.FirmwareVariant(), 0);
    f.Load();
    QCOMPARE(f.loader.FirmwareVariant(), 2);
    f.line.WithModel([](rq30::sim::ControllerModel& m) { m.SetFirmware(Firmware::V1); });
    QCOMPARE(f.loader.FirmwareVariant(), 2);
    f.line.ClearRequests();
    f.Load();
    QCOMPARE(f.loader.FirmwareVariant(), 1);
    QCOMPARE(f.loader.findChild<QLabel*>("lb_verze")->text(), QStringLiteral("VTQ45"));
    QCOMPARE(f.Requests().size(), std::size_t{2 + 11});
  }
};

QTEST_MAIN(LoadFormTest)
#include "load_form_tests.moc"
