// On Linux the port dialog says where each COM entry leads: a tooltip on
// every entry and a line under the list for the chosen one, while the list's
// entries stay "žádný port", "COM 1" ... "COM 8" in their places.
#include <unistd.h>
#include <QComboBox>
#include <QLabel>
#include <QtTest>
#include <string>

#include "scripted_dialogs.h"
#include "settings_store.h"
#include "sim_line.h"
#include "unitport.h"

namespace {

const QString kAdapter =
    QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9K3LQ2D-if00-port0");

}  // namespace

class PortDeviceNamesTest : public QObject {
  Q_OBJECT

 private slots:
  void entriesNameTheirDevices() {
    rq30::testing::SimLineOptions options;
    options.openPort = false;
    rq30::testing::SimLine line(options);
    // An adapter mapped by the user; it need not be plugged in to be named.
    const std::string com3 = line.home.Dir() + "/QelFW_K47/COM3";
    QCOMPARE(symlink(kAdapter.toStdString().c_str(), com3.c_str()), 0);

    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    port.show();
    auto* list = port.findChild<QComboBox*>("cb_com");
    auto* device = port.findChild<QLabel*>("lb_device");
    QVERIFY(list && device);

    const QString pty = QString::fromStdString(line.server.SlavePath());
    QCOMPARE(list->itemData(1, Qt::ToolTipRole).toString(), pty);
    QCOMPARE(list->itemData(3, Qt::ToolTipRole).toString(), kAdapter);
    QCOMPARE(list->itemData(5, Qt::ToolTipRole).toString(), QStringLiteral("/dev/ttyS4"));
    QVERIFY(!list->itemData(0, Qt::ToolTipRole).isValid());

    QCOMPARE(list->currentIndex(), 1);
    QCOMPARE(device->toolTip(), pty);
    QVERIFY(pty.startsWith(device->text().left(8)));

    // Only the label follows the choice; no line is opened by looking.
    list->setCurrentIndex(3);
    QCOMPARE(device->toolTip(), kAdapter);
    QVERIFY(device->text().startsWith(QStringLiteral("/dev/serial/by-id/usb-")));
    list->setCurrentIndex(0);
    QVERIFY(device->text().isEmpty());

    QCOMPARE(list->count(), 9);
    QCOMPARE(list->itemText(0), QStringLiteral("žádný port"));
    for (int i = 1; i <= 8; ++i) QCOMPARE(list->itemText(i), QStringLiteral("COM %1").arg(i));
  }
};

QTEST_MAIN(PortDeviceNamesTest)
#include "port_device_names_tests.moc"
