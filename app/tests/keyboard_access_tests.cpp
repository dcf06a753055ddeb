// Every window worked from the keyboard alone and read out by assistive
// technology: each entry field and list carries a name, Tab reaches every
// control without getting stuck, the smallest window size hides nothing, and
// Enter and Esc end the dialogs. The windows are the program's own, built as
// at start against a simulated controller.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "find_control.h"
#include "program_windows.h"
#include "scripted_dialogs.h"
#include "sim_line.h"

using rq30::testing::Find;
using rq30::testing::SimLine;
using rq30::testing::SimLineOptions;

namespace {

SimLineOptions PortLeftToTheDialog() {
  SimLineOptions o;
  o.openPort = false;  // the port dialog opens the line itself
  return o;
}

// The program's windows as at start, on a simulated controller.
struct Program {
  SimLine line{PortLeftToTheDialog()};
  rq30::ScriptedDialogs dialogs;
  ProgramWindows windows{line.image, line.link};

  // The loading window starts its load from a timer once shown and closes
  // itself when the load ends, which could be before the test sees it
  // active; held here, it stays open to be looked at.
  Program() {
    auto* start = windows.loader.findChild<QTimer*>("Timer1");
    if (!start) qFatal("the loading window has no start timer");
    start->blockSignals(true);
  }

  QWidget* Window(const QString& name) {
    const std::pair<const char*, QWidget*> all[] = {
        {"main", &windows.main},           {"port", &windows.port},
        {"about", &windows.about},         {"ident", &windows.ident},
        {"editor", &windows.editor},       {"records", &windows.records},
        {"chart", &windows.chartSettings}, {"rate", &windows.recordingRate},
        {"loader", &windows.loader}};
    for (const auto& [n, w] : all) {
      if (name == n) return w;
    }
    qFatal("no window %s", qPrintable(name));
  }
};

// Parts of compound controls (a combo box's list, a grid's scroll bars and
// corner button, the arrows of a tab bar) are reached through their owner.
bool InsideCompound(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
        qobject_cast<const QAbstractItemView*>(p) || qobject_cast<const QTabBar*>(p)) {
      return true;
    }
  }
  return false;
}

// Shown, or on a tab page that is merely not the current one.
bool ShownOrOnPage(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w; p && p != window; p = p->parentWidget()) {
    if (!p->isHidden()) continue;
    const QWidget* stack = p->parentWidget();
    const bool tabPage = qobject_cast<const QStackedWidget*>(stack) && stack->parentWidget() &&
                         qobject_cast<const QTabWidget*>(stack->parentWidget());
    if (!tabPage) return false;
  }
  return true;
}

bool IsField(const QWidget* w) {
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QAbstractSlider*>(w);
}

bool IsControl(const QWidget* w) {
  return IsField(w) || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QTabBar*>(w);
}

QList<QWidget*> Controls(QWidget& window, bool (*kind)(const QWidget*)) {
  QList<QWidget*> found;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->window() == &window && kind(w) && !InsideCompound(w, &window)) found << w;
  }
  return found;
}

// What a screen reader says for the field: its own accessible name, or the
// text of the label that names it (the buddy relation). Combo boxes on X11
// give their current item as name and their label only through the relation.
QString AnnouncedName(QWidget* w) {
  if (!w->accessibleName().isEmpty()) return w->accessibleName();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  if (!a) return {};
  for (const auto& [label, relation] : a->relations(QAccessible::Label)) {
    Q_UNUSED(relation);
    const QString text = label->text(QAccessible::Name).trimmed();
    if (!text.isEmpty()) return text;
  }
  return {};
}

void Show(QWidget& window) {
  window.show();
  window.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Presses Tab from the first stop until the focus comes round again; a
// control that keeps the focus on Tab ends the walk.
QList<QWidget*> TabWalk(QWidget& window, QString* heldBy) {
  QWidget* first = nullptr;
  for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&window) && w->isEnabled() &&
        !w->focusProxy()) {
      first = w;
      break;
    }
  }
  QList<QWidget*> seen;
  if (!first) return seen;
  first->setFocus(Qt::TabFocusReason);
  for (int step = 0; step < 300; ++step) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || (!seen.isEmpty() && focus == seen.front())) break;
    if (seen.contains(focus)) {
      *heldBy = focus->objectName();
      break;
    }
    seen << focus;
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  return seen;
}

// Controls that a window keeps out of the Tab order on purpose: the port
// dialog's scan result grid only shows, and takes no focus.
bool KeptOutOfTabOrder(const QString& window, const QWidget* w) {
  return window == "port" && w->objectName() == "str_tab";
}

// A radio button of a group is reached when its group is: the arrow keys
// move within the group.
bool Reached(QWidget* w, const QList<QWidget*>& seen) {
  if (seen.contains(w)) return true;
  auto* radio = qobject_cast<QRadioButton*>(w);
  if (!radio || !radio->autoExclusive()) return false;
  for (QWidget* s : seen) {
    if (qobject_cast<QRadioButton*>(s) && s->parentWidget() == w->parentWidget()) return true;
  }
  return false;
}

QList<QTabWidget*> PageControls(QWidget& window) {
  QList<QTabWidget*> tabs;
  for (QTabWidget* t : window.findChildren<QTabWidget*>()) {
    if (t->window() == &window) tabs << t;
  }
  return tabs;
}

// Calls check once for each page of the window's page control (once when
// it has none).
template <typename Check>
void OnEveryPage(QWidget& window, Check check) {
  const QList<QTabWidget*> tabs = PageControls(window);
  if (tabs.isEmpty()) {
    check(QString());
    return;
  }
  QTabWidget* tab = tabs.front();
  for (int i = 0; i < tab->count(); ++i) {
    if (!tab->isTabEnabled(i)) continue;
    tab->setCurrentIndex(i);
    QCOMPARE(tab->currentIndex(), i);
    check(tab->tabText(i));
  }
}

void AddWindows() {
  QTest::addColumn<QString>("window");
  for (const char* name :
       {"main", "port", "about", "ident", "editor", "records", "chart", "rate", "loader"}) {
    QTest::newRow(name) << name;
  }
}

void AddDialogs() {
  QTest::addColumn<QString>("window");
  for (const char* name : {"port", "about", "ident", "editor", "records", "chart", "rate"}) {
    QTest::newRow(name) << name;
  }
}

}  // namespace

class KeyboardAccessTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Program> program_;

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }
  void init() { program_ = std::make_unique<Program>(); }
  void cleanup() { program_.reset(); }

  void everyFieldHasAName_data() { AddWindows(); }
  void everyFieldHasAName() {
    QFETCH(QString, window);
    QWidget& w = *program_->Window(window);
    QStringList unnamed;
    for (QWidget* field : Controls(w, IsField)) {
      if (ShownOrOnPage(field, &w) && AnnouncedName(field).isEmpty()) {
        unnamed << field->objectName();
      }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable("unnamed: " + unnamed.join(", ")));
  }

  // A field with a mnemonic label and a describing one is read out with the
  // describing one; a line edit gives it as its own name too.
  void describingLabelIsAnnounced_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::newRow("ed_splo1") << "ed_splo1"
                              << "spodní hranice limity";
    QTest::newRow("ed_hyst2") << "ed_hyst2"
                              << "hystereze";
    QTest::newRow("ed_comp") << "ed_comp"
                             << "žádaná hodnota";
    QTest::newRow("cb_rala1") << "cb_rala1"
                              << "režim alarmu";
    QTest::newRow("cb_komp") << "cb_komp"
                             << "kompenzace studeného konce\ntermočlánku";
  }
  void describingLabelIsAnnounced() {
    QFETCH(QString, field);
    QFETCH(QString, name);
    auto* w = Find<QWidget>(program_->windows.editor, qPrintable(field));
    QCOMPARE(AnnouncedName(w), name);
    if (qobject_cast<QLineEdit*>(w)) {
      QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), name);
    }
  }

  void tabReachesEveryControl_data() { AddWindows(); }
  void tabReachesEveryControl() {
    QFETCH(QString, window);
    QWidget& w = *program_->Window(window);
    Show(w);
    OnEveryPage(w, [&](const QString& page) {
      QString heldBy;
      const QList<QWidget*> seen = TabWalk(w, &heldBy);
      QVERIFY2(heldBy.isEmpty(), qPrintable(page + ": Tab stays in " + heldBy));
      QStringList missed;
      for (QWidget* c : Controls(w, IsControl)) {
        if (c->isVisibleTo(&w) && c->isEnabled() && !KeptOutOfTabOrder(window, c) &&
            !Reached(c, seen)) {
          missed << c->objectName();
        }
      }
      QVERIFY2(missed.isEmpty(), qPrintable(page + ": not reached by Tab: " + missed.join(", ")));
    });
    w.hide();
  }

  // Tab goes through a form as it reads, top to bottom and left to right,
  // and through the port dialog in its own order, buttons first.
  void tabFollowsTheForm_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("port") << "port" << -1
                          << QStringList{"tl_ok",       "tl_cancel", "tl_najit", "cb_com",
                                         "cb_baudrate", "cb_da",     "cb_sa"
#ifndef _WIN32
                                         // the device picker, after the form's own order
                                         , "tl_zarizeni"
#endif
                                         };
    QTest::newRow("chart") << "chart" << -1
                           << QStringList{"check_3D",   "bar_3D", "tl_barva_mriz", "tl_barva_okraj",
                                          "ed_poc_mer", "tl_ok",  "tl_cancel"};
    QTest::newRow("rate") << "rate" << 0
                          << QStringList{"qt_tabwidget_tabbar", "rb_sec|rb_min", "ed_sample",
                                         "tl_ok", "tl_cancel"};
    QTest::newRow("records") << "records" << -1
                             << QStringList{"ListBox", "tl_cteni", "tl_ulozit", "tl_cancel"};
    QTest::newRow("editor ALARM 1") << "editor" << 1
                                    << QStringList{"qt_tabwidget_tabbar",
                                                   "cb_rala1",
                                                   "cb_re1",
                                                   "ed_splo1",
                                                   "ed_sphi1",
                                                   "ed_hyst1",
                                                   "tl_cteni",
                                                   "tl_zapis",
                                                   "tl_eeprom",
                                                   "tl_otevrit",
                                                   "tl_ulozit",
                                                   "tl_cancel"};
  }
  void tabFollowsTheForm() {
    QFETCH(QString, window);
    QFETCH(int, page);
    QFETCH(QStringList, order);
    QWidget& w = *program_->Window(window);
    Show(w);
    if (page >= 0) PageControls(w).front()->setCurrentIndex(page);
    QString heldBy;
    QStringList walk;
    for (QWidget* f : TabWalk(w, &heldBy)) walk << f->objectName();
    QVERIFY(heldBy.isEmpty());
    // The walk starts where the focus chain does; compare it as a ring.
    const int start = walk.indexOf(order.front());
    QVERIFY2(start >= 0, qPrintable(walk.join(", ")));
    QStringList fromFirst = walk.mid(start) + walk.mid(0, start);
    // A radio group is one stop ("a|b"); the arrow keys move within it.
    bool same = fromFirst.size() == order.size();
    for (int i = 0; same && i < order.size(); ++i) {
      same = order[i].split('|').contains(fromFirst[i]);
    }
    QVERIFY2(same, qPrintable(fromFirst.join(", ")));
    w.hide();
  }

  void smallestSizeHidesNothing_data() { AddWindows(); }
  void smallestSizeHidesNothing() {
    QFETCH(QString, window);
    QWidget& w = *program_->Window(window);
    Show(w);
    w.resize(1, 1);
    const QSize smallest = w.size();
    QVERIFY2(smallest.width() > 1 && smallest.height() > 1, "no minimum size");
    OnEveryPage(w, [&](const QString& page) {
      if (w.layout()) w.layout()->activate();
      QCoreApplication::processEvents();
      QStringList clipped;
      for (QWidget* c : w.findChildren<QWidget*>()) {
        if (c->window() != &w || !c->isVisibleTo(&w) || InsideCompound(c, &w)) continue;
        if (!IsControl(c) && !qobject_cast<QLabel*>(c)) continue;
        const QRect inWindow(c->mapTo(&w, QPoint(0, 0)), c->size());
        QSize hint = c->minimumSizeHint();
        if (auto* label = qobject_cast<QLabel*>(c); label && label->hasScaledContents()) {
          hint = QSize();  // a scaled picture fits any size
        } else if (auto* button = qobject_cast<QPushButton*>(c)) {
          // The style's least button width is a look, not a need: the
          // caption and its margins must fit.
          const int margin = c->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, c) +
                             2 * c->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, c);
          hint.setWidth(c->fontMetrics().horizontalAdvance(button->text().remove('&')) + margin);
        }
        const bool squeezed =
            hint.isValid() && (c->width() < hint.width() || c->height() < hint.height());
        const bool outside = !w.rect().contains(inWindow);
        if (squeezed || outside) {
          clipped << QStringLiteral("%1 (%2×%3 at %4,%5, needs %6×%7)")
                         .arg(c->objectName())
                         .arg(c->width())
                         .arg(c->height())
                         .arg(inWindow.x())
                         .arg(inWindow.y())
                         .arg(hint.width())
                         .arg(hint.height());
        }
      }
      QVERIFY2(clipped.isEmpty(),
               qPrintable(page + ": clipped at " + QString::number(smallest.width()) + "×" +
                          QString::number(smallest.height()) + ": " + clipped.join(", ")));
    });
    w.hide();
  }

  void escapeCancels_data() { AddDialogs(); }
  void escapeCancels() {
    QFETCH(QString, window);
    auto* dialog = qobject_cast<QDialog*>(program_->Window(window));
    QVERIFY(dialog);
    Show(*dialog);
    dialog->setResult(-1);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                    Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
  }

  // Enter on the focused closing button ends the dialog with that button's
  // result; where the dialog has a default button, Enter on a field that
  // does not use the key itself presses it.
  void enterPressesTheButton_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("port") << "port"
                          << "tl_ok" << int(QDialog::Accepted);
    QTest::newRow("about") << "about"
                           << "OKButton" << int(QDialog::Accepted);
    QTest::newRow("ident") << "ident"
                           << "OKButton" << int(QDialog::Accepted);
    QTest::newRow("editor") << "editor"
                            << "tl_cancel" << int(QDialog::Rejected);
    QTest::newRow("records") << "records"
                             << "tl_cancel" << int(QDialog::Rejected);
    QTest::newRow("chart ok") << "chart"
                              << "tl_ok" << int(QDialog::Accepted);
    QTest::newRow("chart storno") << "chart"
                                  << "tl_cancel" << int(QDialog::Rejected);
    QTest::newRow("rate ok") << "rate"
                             << "tl_ok" << int(QDialog::Accepted);
    QTest::newRow("rate storno") << "rate"
                                 << "tl_cancel" << int(QDialog::Rejected);
  }
  void enterPressesTheButton() {
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, result);
    auto* dialog = qobject_cast<QDialog*>(program_->Window(window));
    QVERIFY(dialog);
    if (window == "rate") program_->windows.recordingRate.SetValues("15", "1", 1);
    Show(*dialog);
    dialog->setResult(-1);
    auto* b = Find<QPushButton>(*dialog, qPrintable(button));
    b->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), b);
    QTest::keyClick(b, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), result);
  }

  // Enter on a focused colour button opens the colour dialog, not OK.
  void enterOnAColourButtonChoosesAColour() {
    Trotace3D& dialog = program_->windows.chartSettings;
    Show(dialog);
    program_->dialogs.QueueColour(std::nullopt);
    auto* button = Find<QPushButton>(dialog, "tl_barva_okraj");
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(program_->dialogs.Calls().size(), size_t(1));
    QCOMPARE(program_->dialogs.Calls().front().kind, rq30::DialogCall::Kind::kColour);
    dialog.hide();
  }

  void enterInAListOrBoxPressesTheDefault_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::newRow("port") << "port"
                          << "cb_da";
    QTest::newRow("chart") << "chart"
                           << "check_3D";
    QTest::newRow("rate") << "rate"
                          << "rb_sec";
  }
  void enterInAListOrBoxPressesTheDefault() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    auto* dialog = qobject_cast<QDialog*>(program_->Window(window));
    if (window == "rate") program_->windows.recordingRate.SetValues("15", "1", 1);
    Show(*dialog);
    dialog->setResult(-1);
    auto* c = Find<QWidget>(*dialog, qPrintable(control));
    c->setFocus(Qt::TabFocusReason);
    QTest::keyClick(c, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
  }

  // Every menu and menu item can be opened with Alt and a letter, and no two
  // items of one menu share their letter.
  void everyMenuHasAnAccelerator() {
    QMenuBar* bar = program_->windows.main.menuBar();
    QList<QList<QAction*>> menus{bar->actions()};
    for (QAction* a : bar->actions()) {
      if (a->menu()) menus << a->menu()->actions();
    }
    for (const QList<QAction*>& items : menus) {
      QSet<QChar> letters;
      for (QAction* a : items) {
        if (a->isSeparator()) continue;
        const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
        QVERIFY2(!mnemonic.isEmpty(), qPrintable("no accelerator: " + a->text()));
        const QChar letter = a->text().at(a->text().indexOf('&') + 1).toLower();
        QVERIFY2(!letters.contains(letter), qPrintable("accelerator used twice: " + a->text()));
        letters << letter;
      }
    }
  }
};

QTEST_MAIN(KeyboardAccessTest)
#include "keyboard_access_tests.moc"
