// The editor's parameter set file, after a load from the simulated
// controller as the menu item does it: what a save writes from the controls
// and the image, and what a load puts back, with its messages.
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"
#include "ini_file.h"
#include "load_fixture.h"
#include "param_file.h"
#include "param_values.h"

using rq30::DialogCall;
using rq30::DialogIcon;
using rq30::TableImage;
using rq30::testing::LoadFixture;
using Firmware = rq30::sim::Firmware;
namespace paramset = rq30::paramset;

namespace {

const QString kNotDecimal = QStringLiteral("Je nutné zadávat pouze čísla nebo desetinnou čárku");

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString Value(const QString& path, const char* section, const std::string& key) {
  const rq30::IniFile file(QFile::encodeName(path).toStdString());
  return QString::fromStdString(file.ReadString(section, key, "<none>"));
}

// Every control a key of pages 1..11 names, with what it holds.
QStringList PageControls(LoadFixture& f) {
  QStringList values;
  for (const auto& key : paramset::Keys()) {
    if (key.page != paramset::kCompPage)
      values << QString::fromStdString(key.name) + "=" + f.ControlValue(key);
  }
  return values;
}

void ShowEveryPage(LoadFixture& f) {
  auto* tabs = f.Find<QTabWidget>("PageControl");
  for (int page = 1; page < tabs->count(); ++page) {
    if (tabs->isTabVisible(page)) f.GoTo(page);
  }
  f.GoTo(Tmenu_mod::kComp);
}

}  // namespace

class MenuFileTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  // A save right after opening is a backup: pages never shown are saved
  // from the table image, not with the loader's presets, and the file is
  // byte for byte the one rq30ctl saves from the same controller.
  void saveRightAfterOpeningIsTheControllersSet_data() {
    QTest::addColumn<int>("firmware");
    QTest::newRow("firmware 1") << int(Firmware::V1);
    QTest::newRow("firmware 2") << int(Firmware::V2);
    QTest::newRow("firmware 3") << int(Firmware::V3);
  }
  void saveRightAfterOpeningIsTheControllersSet() {
    QFETCH(int, firmware);
    // rq30ctl writes the C locale's point; so does the editor here, until
    // the test ends however it ends.
    struct CzechAgain {
      ~CzechAgain() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }
    } czechAgain;
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    LoadFixture f(static_cast<Firmware>(firmware));
    f.ChangeController([](TableImage& m) {
      m.alarm1.sphi = 432.5f;
      m.control.tpid = 10;
      m.programSetpoints[7][0] = 21.75f;
      m.programTimes[9][19] = 33;
      m.programStartTime = {12, 7, 45};
    });
    f.Open();
    const QString path = dir.filePath("VTQ 45-1xxx.INI");
    f.Save(path);
    QVERIFY(f.dialogs.Messages().empty());
    QVERIFY(f.line.Requests().empty());
    QCOMPARE(Value(path, "ALARM1", "SPHI"), QStringLiteral("432.50"));
    QCOMPARE(Value(path, "REGO", "TPID"), QStringLiteral("9"));
    if (firmware != int(Firmware::V1)) {
      QCOMPARE(Value(path, "COMP", "TEP[7][0]"), QStringLiteral("21.75"));
      QCOMPARE(Value(path, "COMP", "CAS[9][19]"), QStringLiteral("33"));
    }
    QCOMPARE(Value(path, "GO", "DATE"),
             firmware == int(Firmware::V3) ? QStringLiteral("12") : QStringLiteral("0"));

    f.line.port.ClosePort();  // the client opens COM1 itself
    const QString cliPath = dir.filePath("rq30ctl.ini");
    std::ostringstream out, err;
    rq30::cli::Io io{out, err, [](int) {}};
    QCOMPARE(rq30::cli::Run({"params", "save", QFile::encodeName(cliPath).toStdString()}, io), 0);
    QCOMPARE(ReadFile(path), ReadFile(cliPath));
  }

  // On a Czech desktop (LANG=cs_CZ.UTF-8, no system locale installed, as
  // here) the editor's "Uložit..." and `rq30ctl params save` write the same
  // bytes: both take the comma from the environment.
  void czechDesktopSavesTheSameFileAsTheClient() {
    struct Environment {
      std::vector<std::pair<const char*, QByteArray>> saved;
      Environment() {
        for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"}) {
          saved.emplace_back(name, qgetenv(name));
          qunsetenv(name);
        }
        qputenv("LANG", "cs_CZ.UTF-8");
      }
      ~Environment() {
        for (const auto& [name, value] : saved) {
          if (value.isNull()) {
            qunsetenv(name);
          } else {
            qputenv(name, value);
          }
        }
      }
    } czech;
    // What the program makes of that environment.
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    QTemporaryDir dir;
    LoadFixture f(Firmware::V3);
    f.ChangeController([](TableImage& m) {
      m.alarm1.sphi = 432.5f;
      m.pid.pb = 1.25f;
      m.programSetpoints[7][0] = 21.75f;
    });
    f.Open();
    const QString path = dir.filePath("editor.ini");
    f.Save(path);
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(Value(path, "ALARM1", "SPHI"), QStringLiteral("432,50"));

    f.line.port.ClosePort();  // the client opens COM1 itself
    const QString cliPath = dir.filePath("rq30ctl.ini");
    std::ostringstream out, err;
    rq30::cli::Io io{out, err, [](int) {}};
    QCOMPARE(rq30::cli::Run({"params", "save", QFile::encodeName(cliPath).toStdString()}, io), 0);
    QCOMPARE(ReadFile(cliPath), ReadFile(path));
  }

  // Once every page has been shown the file says what the controller
  // holds, byte for byte what the command-line client writes from the
  // same image.
  void saveAfterShowingEveryPageMatchesTheImage_data() {
    QTest::addColumn<int>("firmware");
    QTest::newRow("firmware 1") << int(Firmware::V1);
    QTest::newRow("firmware 2") << int(Firmware::V2);
    QTest::newRow("firmware 3") << int(Firmware::V3);
  }
  void saveAfterShowingEveryPageMatchesTheImage() {
    QFETCH(int, firmware);
    QTemporaryDir dir;
    LoadFixture f(static_cast<Firmware>(firmware));
    f.ChangeController([](TableImage& m) {
      m.sp = 66.5f;
      m.alarm2.rala = 9;  // outside its list
      m.programStart.pcut = 4;
      m.programStartTime = {12, 7, 45};
    });
    f.Open();
    ShowEveryPage(f);
    QVERIFY(f.dialogs.Messages().empty());
    const QString path = dir.filePath("editor.ini");
    f.Save(path);
    const std::string image = QFile::encodeName(dir.filePath("image.ini")).toStdString();
    paramset::SaveImage(image, f.line.image, f.loader.FirmwareVariant(), ',');
    QCOMPARE(ReadFile(path), ReadFile(QString::fromStdString(image)));
  }

  // The file holds positions: the editor's lists must have the entries the
  // file format counts on.
  void listsHaveTheFilesEntries_data() {
    QTest::addColumn<int>("firmware");
    QTest::newRow("firmware 2") << int(Firmware::V2);
    QTest::newRow("firmware 3") << int(Firmware::V3);
  }
  void listsHaveTheFilesEntries() {
    QFETCH(int, firmware);
    LoadFixture f(static_cast<Firmware>(firmware));
    f.Open();
    for (const auto& key : paramset::Keys()) {
      if (key.form != paramset::Form::kList) continue;
      QCOMPARE(f.List(key.control.c_str())->count(),
               paramset::ListCount(key, f.loader.FirmwareVariant()));
    }
  }

  // Nothing is collected or checked before a save: a field is saved as the
  // operator left it.
  void saveTakesTheControlsAsTheyAre() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Type("ed_sphi1", QStringLiteral("abc"));
    f.Pick("cb_re1", 1);
    const QString path = dir.filePath("typed.ini");
    f.Save(path);
    QCOMPARE(Value(path, "ALARM1", "SPHI"), QStringLiteral("abc"));
    QCOMPARE(Value(path, "ALARM1", "RELE"), QStringLiteral("1"));
    QVERIFY(f.dialogs.Messages().empty());
    const auto& call = f.dialogs.Calls().at(0);
    QCOMPARE(call.kind, DialogCall::Kind::kSaveFile);
    QCOMPARE(call.file.filter, QStringLiteral("Parametry regulátoru[*.ini]|*.ini"));
    QCOMPARE(call.file.defaultExtension, QStringLiteral("INI"));
    QCOMPARE(call.file.fileName, QStringLiteral("VTQ 45-1xxx"));
    QVERIFY(call.file.confirmOverwrite);
  }

  void saveThenLoadGivesBackListsAndTexts() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    ShowEveryPage(f);
    f.Pick("cb_tpid", 4);
    f.Pick("cb_rala1", 2);
    f.Pick("cb_sens", 7);
    f.Pick("cb_puc", 4);
    f.Pick("cb_loc", 1);
    f.Type("ed_sphi1", QStringLiteral("12,75"));
    f.Type("ed_dser", QStringLiteral("120"));
    f.Type("ed_pass", QStringLiteral("4321"));
    f.Type("ed_godate", QStringLiteral("15"));
    f.Type("ed_adresa", QStringLiteral("5"));
    const QStringList saved = PageControls(f);
    const QString path = dir.filePath("round.ini");
    f.Save(path);
    QCOMPARE(Value(path, "REGO", "TPID"), QStringLiteral("4"));

    f.Load();  // the next opening presets the controls again
    QVERIFY(PageControls(f) != saved);
    f.line.ClearRequests();
    f.LoadFile(path);
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(PageControls(f), saved);
    QCOMPARE(f.List("cb_tpid")->currentText(), QStringLiteral("1,0"));
    QCOMPARE(f.line.image.control.tpid, 5);
    QCOMPARE(int(f.line.image.alarm1.rala), 2);
    QCOMPARE(f.line.image.alarm1.sphi, 12.75f);
    QCOMPARE(f.line.image.misc.pass, 4321);
    QCOMPARE(int(f.line.image.programStartTime.date), 15);
    QCOMPARE(int(f.line.image.address.address), 5);
    QVERIFY(f.line.Requests().empty());
  }

  void fileWithoutCompLoadsZeros() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    const QString path = dir.filePath("short.ini");
    WriteFile(path, "[ALARM1]\r\nSPLO=5,00\r\n");
    f.LoadFile(path);
    QVERIFY(f.dialogs.Messages().empty());
    const TableImage& m = f.line.image;
    QCOMPARE(m.sp, 0.0f);
    for (int p = 0; p < rq30::kPrograms; ++p) {
      QCOMPARE(m.setpointList[p], 0.0f);
      for (int s = 0; s < rq30::kSegments; ++s) {
        QCOMPARE(m.programSetpoints[p][s], 0.0f);
        QCOMPARE(m.programTimes[p][s], 0);
      }
    }
    // Page 0 shows them; the other keys took their defaults.
    QCOMPARE(f.Cell(1, 1), QStringLiteral("0,00"));
    QCOMPARE(f.Cell(20, 2), QStringLiteral("0"));
    QCOMPARE(f.Edit("ed_pocatek")->text(), QStringLiteral("0,00"));
    QCOMPARE(f.Edit("ed_cas")->text(), QStringLiteral("0"));
    QCOMPARE(m.alarm1.splo, 5.0f);
    QCOMPARE(f.Edit("ed_sphi1")->text(), QStringLiteral("100"));
    QCOMPARE(m.alarm1.sphi, 100.0f);
  }

  void lettersInSploGiveOneMessage() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    const QString path = dir.filePath("letters.ini");
    WriteFile(path, "[ALARM1]\r\nSPLO=abc\r\nSPHI=80,5\r\n");
    f.LoadFile(path);
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, kNotDecimal);
    QCOMPARE(messages[0].caption, QStringLiteral("CHYBA"));
    QCOMPARE(f.Edit("ed_splo1")->text(), QStringLiteral("0"));
    QCOMPARE(f.line.image.alarm1.splo, 0.0f);
    QCOMPARE(f.line.image.alarm1.sphi, 80.5f);
    QCOMPARE(f.Edit("ed_ends")->text(), QStringLiteral("100"));
  }

  // A file saved where the separator is a comma loads where it is a point
  // with the same values, and the fields show them with a point.
  void commaFileLoadsUnderAPoint() {
    struct CzechAgain {
      ~CzechAgain() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }
    } czechAgain;
    QLocale::setDefault(QLocale::c());
    QTemporaryDir dir;
    LoadFixture f;
    f.ChangeController([](TableImage& m) {
      m.pid.pb = 2.25f;
      m.alarm1.splo = -12.5f;
      m.programSetpoints[4][3] = 101.75f;
    });
    f.Open();
    ShowEveryPage(f);
    const QString path = dir.filePath("comma.ini");
    paramset::SaveImage(QFile::encodeName(path).toStdString(), f.Controller(), 3, ',');
    QCOMPARE(Value(path, "PID", "PB"), QStringLiteral("2,25"));
    const QStringList before = PageControls(f);
    QVERIFY(before.contains(QStringLiteral("PB=2.25")));
    f.line.image = TableImage{};
    f.LoadFile(path);
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(f.Edit("ed_pb")->text(), QStringLiteral("2.25"));
    QCOMPARE(f.line.image.pid.pb, 2.25f);
    QCOMPARE(f.line.image.alarm1.splo, -12.5f);
    QCOMPARE(f.line.image.programSetpoints[4][3], 101.75f);
    QCOMPARE(PageControls(f), before);
  }

  // A file with none of the twelve sections is no parameter set: a message,
  // and every control and the image stay as they were.
  void fileWithoutSectionsIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("binary") << QByteArray::fromHex("00ff10e0c4a50000017f");
    QTest::newRow("utf-16") << QByteArray::fromHex("fffe5b0041004c00410052004d0031005d000d000a00");
    QTest::newRow("other ini") << QByteArray("[PORT]\r\nCOM=3\r\n");
  }
  void fileWithoutSectionsIsRefused() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    f.GoTo(Tmenu_mod::kAlarm1);
    f.Type("ed_splo1", QStringLiteral("3,25"));
    const QStringList before = PageControls(f);
    const QString cell = f.Cell(1, 1);
    const TableImage image = f.line.image;
    const QString path = dir.filePath("junk.ini");
    WriteFile(path, bytes);
    f.LoadFile(path);
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QVERIFY(messages[0].text.contains(QStringLiteral("neobsahuje parametry regulátoru")));
    QCOMPARE(messages[0].caption, QStringLiteral("CHYBA"));
    QCOMPARE(PageControls(f), before);
    QCOMPARE(f.Cell(1, 1), cell);
    QCOMPARE(std::memcmp(&image, &f.line.image, sizeof image), 0);
  }

  void badCompValueStopsTheLoad() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    const float third = f.line.image.setpointList[2];
    const QString cell = f.Cell(1, 1);
    const QString path = dir.filePath("comp.ini");
    WriteFile(path, "[COMP]\r\nSP[0]=11\r\nSP[1]=12\r\nSP[2]=dvanáct\r\nTEP[0][0]=5\r\n");
    f.LoadFile(path);
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Chybná hodnota klíče SP[2] v souboru"));
    QCOMPARE(messages[0].caption, QStringLiteral("CHYBA"));
    QCOMPARE(f.line.image.setpointList[0], 11.0f);
    QCOMPARE(f.line.image.setpointList[1], 12.0f);
    QCOMPARE(f.line.image.setpointList[2], third);
    QVERIFY(f.line.image.programSetpoints[0][0] != 5.0f);
    QCOMPARE(f.Cell(1, 1), cell);  // page 0 is not refilled
  }

  // The file's program type and number are for the reader; the controller's
  // selection stays, and a load sends nothing at all.
  void loadKeepsTheProgramSelection() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    const QString path = dir.filePath("selection.ini");
    WriteFile(path, "[COMP]\r\nPROG=2\r\nC_PR=7\r\nPOCATEK=99\r\nSP[0]=11,5\r\n");
    f.LoadFile(path);
    QVERIFY(f.dialogs.Messages().empty());
    QCOMPARE(f.List("cb_prog_typ")->currentIndex(), 1);
    QCOMPARE(f.List("cb_prog_cis")->currentIndex(), 0);
    QCOMPARE(int(f.line.image.programSelection.type), 1);
    QCOMPARE(int(f.line.image.programSelection.number), 0);
    // A ramp's start value is the loaded setpoint list's, not POCATEK.
    QCOMPARE(f.Edit("ed_pocatek")->text(), QStringLiteral("11,50"));
    QVERIFY(f.line.Requests().empty());
    QCOMPARE(int(f.Controller().programSelection.type), 1);
    const auto& call = f.dialogs.Calls().at(0);
    QCOMPARE(call.kind, DialogCall::Kind::kOpenFile);
    QCOMPARE(call.file.filter, QStringLiteral("Parametry regulátoru [*.ini]|*.ini"));
    QCOMPARE(call.file.defaultExtension, QStringLiteral("INI"));
    QCOMPARE(call.file.fileName, QStringLiteral("VTQ 45-1xxx"));
  }

  // Outside firmware 1 the field beside SP is the segment entry, so SP is
  // saved from the image: a file the editor writes always loads again.
  void setpointKeyByFirmware() {
    QTemporaryDir dir;
    {
      LoadFixture f;
      f.Open();
      f.Type("ed_comp", QStringLiteral("abc"));
      const QString path = dir.filePath("sp3.ini");
      f.Save(path);
      QCOMPARE(Value(path, "COMP", "SP"), QStringLiteral("0,00"));
      f.LoadFile(path);
      QVERIFY(f.dialogs.Messages().empty());
    }
    // In firmware 1 the field is the setpoint, saved as it reads.
    LoadFixture f(Firmware::V1);
    f.ChangeController([](TableImage& m) { m.sp = 60.0f; });
    f.Open();
    QCOMPARE(f.Edit("ed_comp")->text(), QStringLiteral("60,00"));
    f.Type("ed_comp", QStringLiteral("12,5"));
    const QString path = dir.filePath("sp1.ini");
    f.Save(path);
    QCOMPARE(Value(path, "COMP", "SP"), QStringLiteral("12,5"));
    f.Type("ed_comp", QStringLiteral("1"));
    f.LoadFile(path);
    QCOMPARE(f.line.image.sp, 12.5f);
    QCOMPARE(f.Edit("ed_comp")->text(), QStringLiteral("12,50"));
  }

  void cancelledDialogsChangeNothing() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    f.Save(QString());
    f.Type("ed_splo1", QStringLiteral("3,25"));
    f.LoadFile(QString());
    QCOMPARE(f.Edit("ed_splo1")->text(), QStringLiteral("3,25"));
    QVERIFY(f.dialogs.Messages().empty());
    QVERIFY(QDir(dir.path()).isEmpty());
  }

  void unwritableFileIsReported() {
    QTemporaryDir dir;
    LoadFixture f;
    f.Open();
    const QString path = dir.filePath("gone/set.ini");
    f.Save(path);
    const auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Unable to write to ") + path);
    QCOMPARE(messages[0].icon, DialogIcon::kError);
    QVERIFY(!QFile::exists(path));
  }
};

QTEST_MAIN(MenuFileTest)
#include "menu_file_tests.moc"
