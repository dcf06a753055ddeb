// The parameter road on a simulated controller, as the menu item walks it:
// the loading window presets the editor and reads the controller, then the
// editor opens with the loader's firmware variant. Operator dialogs are
// scripted; the loader's pauses and progress positions are recorded.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <string>
#include <vector>

#include "load_form.h"
#include "param_keys.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unitmenumod.h"

namespace rq30::testing {

// One request as "ident", "fw", or "t<table> <length>@<offset>" for a
// read; writes and probes get their function code in front.
inline std::string Describe(const sim::Request& r) {
  std::string text;
  if (r.function != 0x6C) text = "fc" + std::to_string(r.function) + " ";
  if (r.table < 0) return text + (r.command == 0 ? "ident" : r.command == 4 ? "fw" : "cmd");
  return text + "t" + std::to_string(r.table) + " " + std::to_string(r.length) + "@" +
         std::to_string(r.offset);
}

struct LoadFixture {
  explicit LoadFixture(sim::Firmware firmware = sim::Firmware::V3)
      : line(Options(firmware)),
        editor(line.image, line.link),
        loader(line.image, line.link, editor) {
    loader.SetPause([this](int ms) {
      pauses.push_back(ms);
      if (onPause) onPause();
    });
    editor.SetPause([](int) {});
    QObject::connect(Bar(), &QProgressBar::valueChanged,
                     [this](int position) { progress.push_back(position); });
  }

  static SimLineOptions Options(sim::Firmware firmware) {
    SimLineOptions options;
    options.firmware = firmware;
    return options;
  }

  // The loading window shown and its start fired at once.
  void Load() {
    progress.clear();
    pauses.clear();
    loader.show();
    loader.Timer1Timer();
  }

  // What "&Parametry regulátoru" does after the loader: the editor opens.
  void OpenEditor() {
    editor.SetFirmwareVariant(loader.FirmwareVariant());
    editor.show();
    editor.activateWindow();
    if (!QTest::qWaitForWindowActive(&editor)) qWarning("editor window not active");
  }

  // Load, open the editor, and forget the traffic so far.
  void Open() {
    Load();
    OpenEditor();
    line.ClearRequests();
    dialogs.ClearCalls();
  }

  std::vector<std::string> Requests() {
    std::vector<std::string> described;
    for (const auto& r : line.Requests()) described.push_back(Describe(r));
    return described;
  }

  TableImage Controller() {
    return line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  }
  template <typename F>
  void ChangeController(F&& change) {
    line.WithModel([&](sim::ControllerModel& m) { change(m.Image()); });
  }

  QProgressBar* Bar() { return loader.findChild<QProgressBar*>("bar_load"); }

  template <typename T>
  T* Find(const char* name) {
    T* widget = editor.findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  QComboBox* List(const char* name) { return Find<QComboBox>(name); }
  void Type(const char* name, const QString& text) { Edit(name)->setText(text); }
  void Pick(const char* name, int position) { List(name)->setCurrentIndex(position); }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  // As the operator picks a tab.
  void GoTo(int page) { Find<QTabWidget>("PageControl")->setCurrentIndex(page); }
  QString Cell(int row, int column) {
    QTableWidgetItem* item = Find<QTableWidget>("tab_comp")->item(row, column);
    return item ? item->text() : QString();
  }

  // The value a key's control holds, as the file writes it.
  QString ControlValue(const paramset::Key& key) {
    QWidget* control = editor.findChild<QWidget*>(QString::fromStdString(key.control));
    if (auto* list = qobject_cast<QComboBox*>(control))
      return QString::number(list->currentIndex());
    if (auto* field = qobject_cast<QLineEdit*>(control)) return field->text();
    qFatal("no control %s", key.control.c_str());
    return QString();
  }

  // The operator's file dialogs: the next one returns `path`.
  void Save(const QString& path) {
    dialogs.QueueFile(path);
    Click("tl_ulozit");
  }
  void LoadFile(const QString& path) {
    dialogs.QueueFile(path);
    Click("tl_otevrit");
  }

  SimLine line;
  ScriptedDialogs dialogs;
  Tmenu_mod editor;
  Tload_form loader;
  std::vector<int> pauses;
  std::vector<int> progress;
  std::function<void()> onPause;
};

}  // namespace rq30::testing
