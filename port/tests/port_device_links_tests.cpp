// Picking a serial device for a COM entry in the port dialog (Linux): the
// devices offered, the link the program makes in its configuration folder,
// a link it did not make replaced only on Yes, and the group a user must be
// in to open the device.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "com_device_links.h"
#include "find_control.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "sim_line.h"
#include "unitport.h"

using rq30::DialogAnswer;
using rq30::testing::Find;
using rq30::testing::SimLine;
using rq30::testing::SimLineOptions;

namespace fs = std::filesystem;

namespace {

void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
}

QString Target(const std::string& link) {
  std::error_code error;
  return QString::fromStdString(fs::read_symlink(link, error).string());
}

}  // namespace

class PortDeviceLinksTest : public QObject {
  Q_OBJECT

 private slots:
  // The stable by-id names first, then the kernel's names by kind and in
  // number order; nothing else from /dev.
  void devicesOffered() {
    QTemporaryDir dev;
    for (const char* name : {"ttyS10", "ttyS1", "ttyS0", "ttyUSB0", "ttyACM0", "tty", "tty1",
                             "null", "serial/by-id/usb-FTDI_FT232R-if00-port0",
                             "serial/by-id/usb-Prolific-port0"}) {
      Touch(dev.filePath(name));
    }
    const QString d = dev.path() + "/";
    QCOMPARE(rq30::SerialDevices(dev.path().toStdString()),
             (QStringList{d + "serial/by-id/usb-FTDI_FT232R-if00-port0",
                          d + "serial/by-id/usb-Prolific-port0", d + "ttyUSB0", d + "ttyACM0",
                          d + "ttyS0", d + "ttyS1", d + "ttyS10"}));
  }

  void groupNote_data() {
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<unsigned>("uid");
    QTest::addColumn<bool>("inGroup");
    QTest::addColumn<bool>("note");
    // The device: owner 0, group 20 (dialout).
    QTest::newRow("crw-rw---- not in dialout") << 0660u << 1000u << false << true;
    QTest::newRow("crw-rw---- in dialout") << 0660u << 1000u << true << false;
    QTest::newRow("crw-rw-rw- open to all") << 0666u << 1000u << false << false;
    QTest::newRow("root") << 0660u << 0u << false << false;
    QTest::newRow("crw------- the group could not either") << 0600u << 1000u << false << false;
  }
  void groupNote() {
    QFETCH(unsigned, mode);
    QFETCH(unsigned, uid);
    QFETCH(bool, inGroup);
    QFETCH(bool, note);
    const std::vector<unsigned> groups = inGroup ? std::vector<unsigned>{1000, 20} : std::vector<unsigned>{1000, 24};
    QCOMPARE(rq30::NotInDeviceGroup({mode, 0, 20}, uid, groups), note);
  }

  // The operator picks the simulator's line for COM2 from the button's
  // menu: the link is made (after Yes, when it was not the program's) and
  // the line opened on it.
  void pickingADeviceLinksTheChosenCom_data() {
    QTest::addColumn<QString>("before");  // "", "ours", "foreign"
    QTest::addColumn<int>("answer");      // -1: no question expected
    QTest::addColumn<bool>("linked");
    QTest::newRow("no link yet") << "" << -1 << true;
    QTest::newRow("the program's own link") << "ours" << -1 << true;
    QTest::newRow("the user's link, Yes") << "foreign" << int(DialogAnswer::kYes) << true;
    QTest::newRow("the user's link, No") << "foreign" << int(DialogAnswer::kNo) << false;
  }
  void pickingADeviceLinksTheChosenCom() {
    QFETCH(QString, before);
    QFETCH(int, answer);
    QFETCH(bool, linked);
    SimLineOptions options;
    options.openPort = false;
    options.addresses = {5};
    SimLine line(options);
    const std::string com2 = line.home.Dir() + "/QelFW_K47/COM2";
    if (before == "ours") QVERIFY(rq30::MapCom(2, "/dev/zero"));
    if (before == "foreign") fs::create_symlink("/dev/null", com2);
    rq30::ScriptedDialogs dialogs;
    if (answer >= 0) dialogs.QueueAnswer(static_cast<DialogAnswer>(answer));
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    line.link.SetDeviceAddress(5);
    Find<QComboBox>(port, "cb_com")->setCurrentIndex(2);

    // The machine's adapter, as its by-id name: here the simulator's pty.
    QTemporaryDir dev;
    const QString device = dev.filePath("serial/by-id/usb-FTDI_FT232R-if00-port0");
    QDir().mkpath(QFileInfo(device).path());
    fs::create_symlink(line.server.SlavePath(), device.toStdString());
    Touch(dev.filePath("ttyS0"));
    port.SetDeviceFolder(dev.path().toStdString());

    auto* pick = Find<QToolButton>(port, "tl_zarizeni");
    QMenu* menu = pick->menu();
    emit menu->aboutToShow();
    QStringList offered;
    for (QAction* a : menu->actions()) offered << a->text();
    QCOMPARE(offered, (QStringList{device, dev.filePath("ttyS0")}));
    menu->actions().first()->trigger();

    const auto messages = dialogs.Messages();
    QCOMPARE(int(messages.size()), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
      QCOMPARE(messages[0].caption, QString("Dotaz"));
      QVERIFY(messages[0].text.startsWith("COM2 už vede na /dev/null"));
      QVERIFY(messages[0].text.contains(device));
    }
    QCOMPARE(Target(com2), linked ? device : before == "foreign" ? QString("/dev/null") : QString("/dev/zero"));
    // Otherwise the line stays on COM1, where the dialog opened it.
    QCOMPARE(port.Port().IsOpen() && port.Port().PortNumber() == 2, linked);
    if (linked) {
      QCOMPARE(line.link.ReadTable(11), 1);
      QCOMPARE(rq30::ComLinkState(2), rq30::LinkState::kOurs);
    }
  }
};

QTEST_MAIN(PortDeviceLinksTest)
#include "port_device_links_tests.moc"
