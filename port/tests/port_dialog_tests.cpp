// The port dialog against the simulator: stored settings, immediate list
// changes, "Storno" with its question, the open failure and the bus scan.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>

#include "model_port.h"
#include "scripted_dialogs.h"
#include "settings_store.h"
#include "find_control.h"
#include "sim_line.h"
#include "unitport.h"

using rq30::DialogAnswer;
using rq30::testing::SimLine;
using rq30::testing::SimLineOptions;

using rq30::testing::Find;

namespace {

SimLineOptions Controllers(std::vector<uint8_t> addresses) {
  SimLineOptions o;
  o.addresses = std::move(addresses);
  o.openPort = false;  // the dialog opens the line itself
  return o;
}

void Choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

}  // namespace

class PortDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunOpensComOneWithDefaults() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    QVERIFY(port.Port().IsOpen());
    QCOMPARE(port.Port().PortNumber(), 1);
    QCOMPARE(port.Port().BaudRate(), 9600);
    QCOMPARE(Find<QComboBox>(port, "cb_baudrate")->currentText(), QString("9600"));
    QCOMPARE(Find<QComboBox>(port, "cb_baudrate")->count(), 14);
    QCOMPARE(Find<QComboBox>(port, "cb_com")->currentText(), QString("COM 1"));
    QCOMPARE(line.link.ReadTable(11), 1);
    QVERIFY(dialogs.Calls().empty());
  }

  void noPortChoiceKeepsTheLineAndStoresComOne() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    port.show();
    Choose(Find<QComboBox>(port, "cb_com"), 0);
    QCOMPARE(port.Port().PortNumber(), 0);
    QCOMPARE(line.link.ReadTable(11), 1);  // the open line still serves
    Find<QPushButton>(port, "tl_ok")->click();
    QCOMPARE(store->ReadInteger("PORT", "COM", -1), 1);
    QCOMPARE(store->ReadInteger("PORT", "BAUDRATE", -1), 9600);
  }

  void missingPortIsReportedAndLeavesNoPort() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    std::filesystem::create_symlink(line.home.Dir() + "/unplugged",
                                    line.home.Dir() + "/QelFW_K47/COM5");
    store->WriteInteger("PORT", "COM", 5);
    Tport port(*store, line.link);
    const auto messages = dialogs.Messages();
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].text, QString("Sériový port COM5 nelze otevřít"));
    QCOMPARE(messages[0].icon, rq30::DialogIcon::kError);
    QCOMPARE(Find<QComboBox>(port, "cb_com")->currentIndex(), 0);
    QCOMPARE(port.Port().PortNumber(), 0);
    // Later exchanges fail without a word.
    QCOMPARE(line.link.ReadTable(11), 0);
    QCOMPARE(dialogs.Messages().size(), size_t(1));

    // Picking the port again once it is there recovers the line.
    Choose(Find<QComboBox>(port, "cb_com"), 1);
    QCOMPARE(line.link.ReadTable(11), 1);
  }

  void stornoAnsweredYesRestoresAndNoKeeps() {
    SimLine line(Controllers({0, 9}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    auto* da = Find<QComboBox>(port, "cb_da");

    port.show();
    Choose(da, 9);
    QCOMPARE(line.link.GetDeviceAddress(), 9);
    dialogs.QueueAnswer(DialogAnswer::kYes);
    Find<QPushButton>(port, "tl_cancel")->click();
    QCOMPARE(dialogs.Messages().size(), size_t(1));
    QCOMPARE(dialogs.Messages()[0].caption, QString("Dotaz"));
    QCOMPARE(dialogs.Messages()[0].text,
             QString("Byly provedeny změny v nastavení.\n"
                     "Opravdu se chceš vrátit k původnímu nastavení?"));
    QCOMPARE(dialogs.Messages()[0].buttons, rq30::DialogButtons::kYesNo);
    QCOMPARE(line.link.GetDeviceAddress(), 0);
    QCOMPARE(da->currentIndex(), 0);
    QCOMPARE(store->ReadInteger("ADRESA", "DA", -1), 0);
    QVERIFY(!port.isVisible());

    port.show();
    Choose(da, 9);
    dialogs.QueueAnswer(DialogAnswer::kNo);
    Find<QPushButton>(port, "tl_cancel")->click();
    QCOMPARE(line.link.GetDeviceAddress(), 9);
    QCOMPARE(store->ReadInteger("ADRESA", "DA", -1), 9);
    QCOMPARE(line.link.ProbeAddress(), 1);

    // Nothing changed: no question.
    dialogs.ClearCalls();
    port.show();
    Find<QPushButton>(port, "tl_cancel")->click();
    QVERIFY(dialogs.Calls().empty());
  }

  void rateChangeUndoneByStorno() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    auto* rate = Find<QComboBox>(port, "cb_baudrate");
    port.show();
    Choose(rate, rate->findText("19200"));
    QCOMPARE(port.Port().BaudRate(), 19200);
    dialogs.QueueAnswer(DialogAnswer::kYes);
    Find<QPushButton>(port, "tl_cancel")->click();
    QCOMPARE(port.Port().BaudRate(), 9600);
    QCOMPARE(rate->currentText(), QString("9600"));
    QCOMPARE(line.link.ReadTable(11), 1);
  }

  void storedRateOutsideTheListStillRuns() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    store->WriteInteger("PORT", "BAUDRATE", 14400);
    Tport port(*store, line.link);
    QCOMPARE(Find<QComboBox>(port, "cb_baudrate")->currentIndex(), -1);
    QCOMPARE(port.Port().BaudRate(), 14400);
    QCOMPARE(line.link.ReadTable(11), 1);
    QVERIFY(dialogs.Calls().empty());
  }

  void showingTakesTheAddressTheEditorWrote() {
    SimLine line(Controllers({0}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    line.link.SetDeviceAddress(33);
    port.show();
    QCOMPARE(Find<QComboBox>(port, "cb_da")->currentIndex(), 33);
    Find<QPushButton>(port, "tl_cancel")->click();
    QVERIFY(dialogs.Calls().empty());  // nothing changed since it was shown
    QCOMPARE(store->ReadInteger("ADRESA", "DA", -1), 33);
  }

  // All 127 addresses, straight into the controller model (a real line
  // would wait half a second at each silent address).
  void scanFindsTheControllersOnTheBus() {
    SimLine line(Controllers({1, 17}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    line.server.Stop();
    rq30::testing::ModelPort direct(line.model);
    line.link.SetPort(&direct);
    line.link.SetDeviceAddress(1);

    auto* grid = Find<QTableWidget>(port, "str_tab");
    port.show();
    Find<QPushButton>(port, "tl_najit")->click();
    QVERIFY(port.Scanning());
    QVERIFY(!Find<QPushButton>(port, "tl_ok")->isEnabled());
    QVERIFY(!Find<QComboBox>(port, "cb_com")->isEnabled());
    QVERIFY(Find<QPushButton>(port, "tl_prerusit")->isEnabled());
    for (int i = 0; i < 127; ++i) port.Timer1Timer();
    QVERIFY(!port.Scanning());
    QVERIFY(Find<QPushButton>(port, "tl_ok")->isEnabled());
    QVERIFY(!Find<QPushButton>(port, "tl_prerusit")->isEnabled());
    QCOMPARE(line.link.GetDeviceAddress(), 1);

    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 16; ++column) {
        const QString text = grid->item(row, column)->text().trimmed();
        const QString expected = row == 0 && column == 1   ? "1"
                                 : row == 1 && column == 1 ? "17"
                                                           : "";
        QCOMPARE(text, expected);
      }
    }
    QCOMPARE(grid->item(7, 15)->text(), QString());  // address 127 is never probed
    QCOMPARE(direct.writes.size(), size_t(127));
    for (int a = 0; a < 127; ++a) QCOMPARE(int(direct.writes[a][1]), a);  // ascending DA
  }

  // Over the real line: the timer drives it; "Přerušit" keeps what was found.
  void interruptedScanOverThePty() {
    SimLine line(Controllers({1}));
    rq30::ScriptedDialogs dialogs;
    auto store = rq30::OpenSettingsStore();
    Tport port(*store, line.link);
    auto* grid = Find<QTableWidget>(port, "str_tab");
    port.show();
    Find<QPushButton>(port, "tl_najit")->click();
    QTRY_COMPARE_WITH_TIMEOUT(grid->item(0, 1)->text(), QString("1"), 10000);
    Find<QPushButton>(port, "tl_prerusit")->click();
    QVERIFY(!port.Scanning());
    QVERIFY(Find<QPushButton>(port, "tl_cancel")->isEnabled());
    QCOMPARE(grid->item(0, 0)->text(), QString(" "));
    QCOMPARE(line.link.GetDeviceAddress(), 0);
  }
};

QTEST_MAIN(PortDialogTest)
#include "port_dialog_tests.moc"
