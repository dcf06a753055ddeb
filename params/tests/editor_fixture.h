// The parameter editor on a simulated controller: a SimLine (simulator on a
// pty in a private configuration folder), scripted operator dialogs and the
// editor shown on the line's table image, with its pauses recorded.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <cstddef>
#include <vector>

#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unitmenumod.h"

namespace rq30::testing {

inline SimLineOptions LineFor(sim::Firmware firmware) {
  SimLineOptions options;
  options.firmware = firmware;
  return options;
}

inline int VariantOf(sim::Firmware firmware) {
  switch (firmware) {
    case sim::Firmware::V1:
      return 1;
    case sim::Firmware::V2:
      return 2;
    case sim::Firmware::V3:
      return 3;
    default:
      return 0;
  }
}

struct EditorFixture {
  // A pause of the editor, and how many requests the controller had seen
  // when it came: that places it between two transfers.
  struct Pause {
    int ms;
    std::size_t afterRequests;
  };

  explicit EditorFixture(sim::Firmware firmware = sim::Firmware::V3)
      : EditorFixture(firmware, VariantOf(firmware)) {}

  EditorFixture(sim::Firmware firmware, int variant)
      : line(LineFor(firmware)), editor(line.image, line.link) {
    editor.SetFirmwareVariant(variant);
    editor.SetPause([this](int ms) { pauses.push_back({ms, line.Requests().size()}); });
    Open();
  }

  // Opens the editor as after a load: the program holds what the
  // controller holds.
  void Open() {
    line.image = Controller();
    editor.hide();
    editor.show();
    editor.activateWindow();
    if (!QTest::qWaitForWindowActive(&editor)) qWarning("editor window not active");
    line.ClearRequests();
    pauses.clear();
  }

  TableImage Controller() {
    return line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  }
  template <typename F>
  void ChangeController(F&& change) {
    line.WithModel([&](sim::ControllerModel& m) { change(m.Image()); });
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = editor.findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  QComboBox* List(const char* name) { return Find<QComboBox>(name); }
  QTabWidget* Tabs() { return Find<QTabWidget>("PageControl"); }
  QTableWidget* Grid() { return Find<QTableWidget>("tab_comp"); }

  void Type(const char* name, const QString& text) { Edit(name)->setText(text); }
  // As the operator picks an entry: the list changes and reports it.
  void Pick(const char* name, int position) {
    QComboBox* list = List(name);
    list->setCurrentIndex(position);
    emit list->activated(position);
  }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  // As the operator picks a tab.
  void GoTo(int page) { Tabs()->setCurrentIndex(page); }
  void Enter(const char* name) { QTest::keyClick(Edit(name), Qt::Key_Return); }

  // Data bytes of the last write telegram (after command, table, length
  // and offset).
  QByteArray SentData(int length) {
    return QByteArray(reinterpret_cast<const char*>(line.link.TransmitBuffer()) + 12, length);
  }

  QWidget* Focus() { return editor.focusWidget(); }

  QString CellText(int row, int column) {
    QTableWidgetItem* item = Grid()->item(row, column);
    return item ? item->text() : QString();
  }

  SimLine line;
  ScriptedDialogs dialogs;
  Tmenu_mod editor;
  std::vector<Pause> pauses;
};

}  // namespace rq30::testing
