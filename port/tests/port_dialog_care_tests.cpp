// The port dialog's finer points: stored addresses it cannot show, the
// focus when it opens, a scan grid that only shows, and OK as the way to a
// fresh line.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "find_control.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "sim_line.h"
#include "unitport.h"

using rq30::testing::Find;
using rq30::testing::SimLine;
using rq30::testing::SimLineOptions;

namespace {

SimLineOptions DialogOpensTheLine() {
  SimLineOptions o;
  o.addresses = {5};
  o.openPort = false;
  return o;
}

void WriteSettings(const SimLine& line, const QByteArray& text) {
  QDir().mkpath(QString::fromStdString(line.home.Dir()) + "/QelFW_K47");
  QFile f(QString::fromStdString(line.home.Dir()) + "/QelFW_K47/settings.ini");
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(text);
}

}  // namespace

class PortDialogCareTest : public QObject {
  Q_OBJECT

 private slots:
  // The lists hold 0..126; anything else stored reads as the default 0,
  // for the link as for the lists.
  void storedAddressOutsideTheListReadsAsDefault_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("126, the last") << 126 << 126;
    QTest::newRow("127, the broadcast") << 127 << 0;
    QTest::newRow("200") << 200 << 0;
    QTest::newRow("-1") << -1 << 0;
  }
  void storedAddressOutsideTheListReadsAsDefault() {
    QFETCH(int, stored);
    QFETCH(int, used);
    SimLine line(DialogOpensTheLine());
    WriteSettings(line, QByteArray("[ADRESA]\r\nSA=") + QByteArray::number(stored) +
                            "\r\nDA=" + QByteArray::number(stored) + "\r\n");
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    QCOMPARE(port.DeviceAddress(), used);
    QCOMPARE(port.ComputerAddress(), used);
    QCOMPARE(line.link.GetDeviceAddress(), used);
    QCOMPARE(line.link.GetComputerAddress(), used);
    QCOMPARE(Find<QComboBox>(port, "cb_da")->currentIndex(), used);
    QCOMPARE(Find<QComboBox>(port, "cb_sa")->currentIndex(), used);
  }

  // Enter right after opening confirms; the grid never takes the focus or
  // a click (its current cell moves only with the scan).
  void okHasTheFocusAndTheGridOnlyShows() {
    SimLine line(DialogOpensTheLine());
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    port.show();
    QCOMPARE(port.focusWidget(), Find<QPushButton>(port, "tl_ok"));
    auto* grid = Find<QTableWidget>(port, "str_tab");
    QCOMPARE(grid->focusPolicy(), Qt::NoFocus);
    const int before = grid->currentRow();
    const QRect cell = grid->visualRect(grid->model()->index(3, 7));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid->currentRow(), before);
    QVERIFY(grid->selectedItems().isEmpty());
    QVERIFY(port.focusWidget() != grid);
    port.hide();
  }

  // OK opens the chosen port again though the choice did not change: a
  // line that was closed or stopped working comes back without choosing
  // another port first.
  void okReopensTheChosenPort() {
    SimLine line(DialogOpensTheLine());
    line.link.SetDeviceAddress(5);
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    line.link.SetDeviceAddress(5);
    QVERIFY(port.Port().IsOpen());
    port.Port().ClosePort();
    QCOMPARE(line.link.ReadTable(11), 0);
    port.show();
    Find<QPushButton>(port, "tl_ok")->click();
    QVERIFY(port.isHidden());
    QVERIFY(port.Port().IsOpen());
    QCOMPARE(port.Port().PortNumber(), 1);
    QCOMPARE(line.link.ReadTable(11), 1);
    QVERIFY(dialogs.Calls().empty());
  }
};

QTEST_MAIN(PortDialogCareTest)
#include "port_dialog_care_tests.moc"
