// "Rychlost záznamu": hand-in, the checks of both fields on OK and on Enter,
// the page brought forward by a failure, the values handed back on OK only,
// and the page remembered between showings.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "rychlostzaznamu.h"
#include "scripted_dialogs.h"

using rq30::DialogButtons;
using rq30::DialogCall;
using rq30::DialogIcon;

namespace {

const QString kDigitsOnly = QStringLiteral("CHYBA / warning / Je nutné zadávat pouze číslice");
const QString kRateRange =
    QStringLiteral("EDIT / error / Je nutné zadávat pouze čísla v rozsahu 1 až 1000\n");
const QString kSaveRange =
    QStringLiteral("EDIT / error / Je nutné zadávat pouze čísla v rozsahu 1 až 60\n");

QString IconName(DialogIcon icon) {
  switch (icon) {
    case DialogIcon::kWarning:
      return "warning";
    case DialogIcon::kError:
      return "error";
    default:
      return "other";
  }
}

// Every message box shown so far as "caption / icon / text"; boxes with any
// button but OK are marked, since the dialog only ever informs.
QStringList Boxes(const rq30::ScriptedDialogs& dialogs) {
  QStringList boxes;
  for (const DialogCall& call : dialogs.Messages()) {
    QString box = call.caption + " / " + IconName(call.icon) + " / " + call.text;
    if (call.buttons != DialogButtons::kOk) box += " [not an OK box]";
    boxes << box;
  }
  return boxes;
}

struct Fixture {
  rq30::ScriptedDialogs dialogs;
  Tform_zaznam dialog;

  template <typename T>
  T* Find(const char* name) {
    T* widget = dialog.findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QLineEdit* Sample() { return Find<QLineEdit>("ed_sample"); }
  QLineEdit* Soubor() { return Find<QLineEdit>("ed_soubor"); }
  QTabWidget* Pages() { return Find<QTabWidget>("PageControl1"); }
  QPushButton* Ok() { return Find<QPushButton>("tl_ok"); }

  // Shows the dialog without a modal loop, so that the test can act on it
  // step by step, and makes it the active window so that focus is real.
  bool ShowActive() {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    return QTest::qWaitForWindowActive(&dialog);
  }

  // Runs Edit() as the main window does, with `operatorActs` done while the
  // modal loop runs. If the acts leave the dialog open it is cancelled, so a
  // fault fails the test instead of hanging it.
  bool EditWhile(QString& saveMinutes, QString& rate, int& unit,
                 const std::function<void()>& operatorActs) {
    leftOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
      QApplication::setActiveWindow(&dialog);
      if (QTest::qWaitForWindowActive(&dialog)) operatorActs();
      if (dialog.isVisible()) {
        leftOpen = true;
        dialog.reject();
      }
    });
    return dialog.Edit(saveMinutes, rate, unit);
  }
  bool leftOpen = false;
};

// A radio button reacts to clicks on its circle and text only, not on the
// empty rest of its row.
void ClickRadio(QRadioButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void Type(QLineEdit* field, const QString& text) {
  field->clear();
  QTest::keyClicks(field, text);
}

}  // namespace

class RateDialogTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void controlsAsTheOperatorSeesThem() {
    Fixture f;
    QCOMPARE(f.dialog.objectName(), QString("form_zaznam"));
    QCOMPARE(f.dialog.windowTitle(), QString("Rychlost záznamu"));
    QCOMPARE(f.dialog.height(), 236);
    QVERIFY(f.dialog.width() >= 240);
    QCOMPARE(f.dialog.minimumSize(), f.dialog.maximumSize());
    QVERIFY(!(f.dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));

    const struct {
      const char* name;
      const char* text;
    } controls[] = {
        {"rb_sec", "sekundy"},   {"rb_min", "minuty"}, {"tl_ok", "OK"},
        {"tl_cancel", "Storno"}, {"Label1", "min."},
    };
    for (const auto& c : controls) {
      QWidget* w = f.dialog.findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      QCOMPARE(text, QString::fromUtf8(c.text));
    }
    QTabWidget* pages = f.Pages();
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->widget(0)->objectName(), QString("TabSheet1"));
    QCOMPARE(pages->tabText(0), QString("četnost záznamu"));
    QCOMPARE(pages->widget(1)->objectName(), QString("TabSheet2"));
    QCOMPARE(pages->tabText(1), QString("ukládání do souboru"));
    QCOMPARE(pages->currentIndex(), 0);
    // Both page captions in full, without scroll arrows.
    QVERIFY(f.ShowActive());
    QVERIFY(pages->tabBar()->tabRect(1).right() < pages->tabBar()->width());
    QVERIFY(pages->tabBar()->geometry().right() < pages->width());
    // The rate and its unit on the first page, the file interval on the second.
    QVERIFY(pages->widget(0)->isAncestorOf(f.Sample()));
    QVERIFY(pages->widget(0)->isAncestorOf(f.Find<QRadioButton>("rb_sec")));
    QVERIFY(pages->widget(0)->isAncestorOf(f.Find<QRadioButton>("rb_min")));
    QVERIFY(pages->widget(1)->isAncestorOf(f.Soubor()));
    QVERIFY(f.Find<QRadioButton>("rb_min")->isChecked());
    QVERIFY(!f.Find<QRadioButton>("rb_sec")->isChecked());
  }

  // The hand-in fills both fields and checks exactly one radio button, also
  // when a previous showing left the other one checked.
  void handInChoosesTheUnit() {
    Fixture f;
    auto* sec = f.Find<QRadioButton>("rb_sec");
    auto* min = f.Find<QRadioButton>("rb_min");
    const struct {
      int unit;
      bool seconds;
    } cases[] = {{1, true}, {60, false}, {1, true}, {0, false}};
    for (const auto& c : cases) {
      f.dialog.SetValues("15", QString::number(c.unit + 7), c.unit);
      QCOMPARE(f.Soubor()->text(), QString("15"));
      QCOMPARE(f.Sample()->text(), QString::number(c.unit + 7));
      QCOMPARE(sec->isChecked(), c.seconds);
      QCOMPARE(min->isChecked(), !c.seconds);
    }
  }

  void okRefusesBadEntries_data() {
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("soubor");
    QTest::addColumn<int>("startPage");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("sampleAfter");
    QTest::addColumn<QString>("souborAfter");
    auto row = [](const char* name, QString sample, QString soubor, int startPage,
                  QStringList boxes, int page, QString focus, QString sampleAfter,
                  QString souborAfter) {
      QTest::newRow(name) << sample << soubor << startPage << boxes << page << focus << sampleAfter
                          << souborAfter;
    };

    // A rate failure with a valid interval must bring page 0 forward even
    // from page 1, and the other way round.
    row("letters in the rate", "abc", "15", 1, {kDigitsOnly}, 0, "ed_sample", "1", "15");
    row("empty rate", "", "15", 1, {kDigitsOnly}, 0, "ed_sample", "1", "15");
    row("decimal rate", "2,5", "15", 1, {kDigitsOnly}, 0, "ed_sample", "1", "15");
    row("rate 0", "0", "15", 1, {kRateRange}, 0, "ed_sample", "0", "15");
    row("rate 1001", "1001", "15", 1, {kRateRange}, 0, "ed_sample", "1001", "15");
    row("negative rate", "-5", "15", 1, {kRateRange}, 0, "ed_sample", "-5", "15");
    row("interval 61", "5", "61", 0, {kSaveRange}, 1, "ed_soubor", "5", "61");
    row("interval 0", "5", "0", 0, {kSaveRange}, 1, "ed_soubor", "5", "0");
    row("letters in the interval", "5", "x", 0, {kDigitsOnly}, 1, "ed_soubor", "5", "1");
    // Both fields report in one press, the rate first; page 1 ends in front.
    row("both out of range", "0", "61", 0, {kRateRange, kSaveRange}, 1, "ed_soubor", "0", "61");
    row("both letters", "abc", "xyz", 0, {kDigitsOnly, kDigitsOnly}, 1, "ed_soubor", "1", "1");
  }

  void okRefusesBadEntries() {
    QFETCH(QString, sample);
    QFETCH(QString, soubor);
    QFETCH(int, startPage);
    QFETCH(QStringList, boxes);
    QFETCH(int, page);
    QFETCH(QString, focus);
    QFETCH(QString, sampleAfter);
    QFETCH(QString, souborAfter);

    Fixture f;
    f.dialog.SetValues("15", "1", 1);
    QVERIFY(f.ShowActive());
    f.Pages()->setCurrentIndex(startPage);
    f.Sample()->setText(sample);
    f.Soubor()->setText(soubor);

    QTest::mouseClick(f.Ok(), Qt::LeftButton);

    QCOMPARE(Boxes(f.dialogs), boxes);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(f.Pages()->currentIndex(), page);
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(f.Sample()->text(), sampleAfter);
    QCOMPARE(f.Soubor()->text(), souborAfter);
  }

  void okHandsBackTheValues_data() {
    QTest::addColumn<int>("unitIn");
    QTest::addColumn<QString>("radioClicked");
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("soubor");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("saveMinutes");
    auto row = [](const char* name, int unitIn, QString radioClicked, QString sample,
                  QString soubor, int unit, QString rate, QString saveMinutes) {
      QTest::newRow(name) << unitIn << radioClicked << sample << soubor << unit << rate
                          << saveMinutes;
    };

    row("the upper ends in minutes", 60, "", "1000", "60", 60, "1000", "60");
    row("the lower ends in seconds", 1, "", "1", "1", 1, "1", "1");
    row("switched to seconds", 60, "rb_sec", "5", "15", 1, "5", "15");
    row("switched to minutes", 1, "rb_min", "5", "15", 60, "5", "15");
    // Accepted as numbers, handed back as the plain numbers the main window
    // shows and stores.
    row("blanks, sign, leading zeros", 1, "", " +05", "007 ", 1, "5", "7");
  }

  void okHandsBackTheValues() {
    QFETCH(int, unitIn);
    QFETCH(QString, radioClicked);
    QFETCH(QString, sample);
    QFETCH(QString, soubor);
    QFETCH(int, unit);
    QFETCH(QString, rate);
    QFETCH(QString, saveMinutes);

    Fixture f;
    QString saveIn = "15";
    QString rateIn = "1";
    int unitTag = unitIn;
    const bool accepted = f.EditWhile(saveIn, rateIn, unitTag, [&] {
      if (!radioClicked.isEmpty()) {
        ClickRadio(f.Find<QRadioButton>(radioClicked.toUtf8().constData()));
      }
      Type(f.Sample(), sample);
      f.Pages()->setCurrentIndex(1);
      Type(f.Soubor(), soubor);
      QTest::mouseClick(f.Ok(), Qt::LeftButton);
    });

    QVERIFY(!f.leftOpen);
    QVERIFY(accepted);
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(Boxes(f.dialogs), QStringList());
    QCOMPARE(unitTag, unit);
    QCOMPARE(rateIn, rate);
    QCOMPARE(saveIn, saveMinutes);
  }

  void enterChecksTheField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("textAfter");
    auto row = [](const char* name, QString field, QString text, int key, QStringList boxes,
                  QString focus, QString textAfter) {
      QTest::newRow(name) << field << text << key << boxes << focus << textAfter;
    };

    const int ret = Qt::Key_Return;
    row("valid rate", "ed_sample", "1000", ret, {}, "tl_ok", "1000");
    row("valid rate, keypad Enter", "ed_sample", "7", Qt::Key_Enter, {}, "tl_ok", "7");
    row("valid interval", "ed_soubor", "60", ret, {}, "tl_ok", "60");
    row("rate 1001", "ed_sample", "1001", ret, {kRateRange}, "ed_sample", "1001");
    row("interval 61", "ed_soubor", "61", ret, {kSaveRange}, "ed_soubor", "61");
    row("letters in the rate", "ed_sample", "abc", ret, {kDigitsOnly}, "ed_sample", "1");
    row("letters in the interval", "ed_soubor", "abc", ret, {kDigitsOnly}, "ed_soubor", "1");
  }

  // Enter never closes the dialog from a field: it runs that field's checks
  // only, and a field that passes hands the focus to OK.
  void enterChecksTheField() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QStringList, boxes);
    QFETCH(QString, focus);
    QFETCH(QString, textAfter);

    Fixture f;
    // The other field holds a bad value: Enter must not check it.
    f.dialog.SetValues("999", "0", 1);
    QVERIFY(f.ShowActive());
    QLineEdit* edit = f.Find<QLineEdit>(field.toUtf8().constData());
    f.Pages()->setCurrentIndex(field == "ed_sample" ? 0 : 1);
    edit->setFocus();
    edit->setText(text);

    QTest::keyClick(edit, Qt::Key(key));

    QCOMPARE(Boxes(f.dialogs), boxes);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(edit->text(), textAfter);
  }

  // The operator's road without the mouse: Enter in the field, Enter again
  // on OK.
  void secondEnterPressesOk() {
    Fixture f;
    QString saveMinutes = "15";
    QString rate = "1";
    int unit = 1;
    QString focusAfterFirst;
    const bool accepted = f.EditWhile(saveMinutes, rate, unit, [&] {
      f.Sample()->setFocus();
      Type(f.Sample(), "30");
      QTest::keyClick(f.Sample(), Qt::Key_Return);
      QWidget* focused = QApplication::focusWidget();
      focusAfterFirst = focused ? focused->objectName() : QString();
      if (focused) QTest::keyClick(focused, Qt::Key_Return);
    });
    QCOMPARE(focusAfterFirst, QString("tl_ok"));
    QVERIFY(!f.leftOpen);
    QVERIFY(accepted);
    QCOMPARE(rate, QString("30"));
  }

  void cancelHandsNothingBack_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Storno") << "storno";
    QTest::newRow("Esc in a field") << "escape";
    QTest::newRow("close box") << "close";
  }

  void cancelHandsNothingBack() {
    QFETCH(QString, how);
    Fixture f;
    QString saveMinutes = "15";
    QString rate = "2";
    int unit = 1;
    const bool accepted = f.EditWhile(saveMinutes, rate, unit, [&] {
      Type(f.Sample(), "30");
      ClickRadio(f.Find<QRadioButton>("rb_min"));
      f.Soubor()->setText("45");
      if (how == "storno") QTest::mouseClick(f.Find<QPushButton>("tl_cancel"), Qt::LeftButton);
      if (how == "escape") QTest::keyClick(f.Sample(), Qt::Key_Escape);
      if (how == "close") f.dialog.close();
    });
    QVERIFY(!f.leftOpen);
    QVERIFY(!accepted);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(saveMinutes, QString("15"));
    QCOMPARE(rate, QString("2"));
    QCOMPARE(unit, 1);
    QCOMPARE(Boxes(f.dialogs), QStringList());

    // The next showing starts from the main window's values, not the typed ones.
    QString shownSample;
    QString shownSoubor;
    bool shownSeconds = false;
    f.EditWhile(saveMinutes, rate, unit, [&] {
      shownSample = f.Sample()->text();
      shownSoubor = f.Soubor()->text();
      shownSeconds = f.Find<QRadioButton>("rb_sec")->isChecked();
      f.dialog.reject();
    });
    QCOMPARE(shownSample, QString("2"));
    QCOMPARE(shownSoubor, QString("15"));
    QVERIFY(shownSeconds);
  }

  // The page in front when the dialog closed, by whatever way, is the first
  // one shown next time.
  void pageLastShownComesFirst() {
    Fixture f;
    QString saveMinutes = "15";
    QString rate = "1";
    int unit = 1;
    QList<int> shownFirst;
    auto showAndLeave = [&](int page, bool ok) {
      f.EditWhile(saveMinutes, rate, unit, [&] {
        shownFirst << f.Pages()->currentIndex();
        f.Pages()->setCurrentIndex(page);
        if (ok) {
          QTest::mouseClick(f.Ok(), Qt::LeftButton);
        } else {
          f.dialog.reject();
        }
      });
    };
    showAndLeave(1, false);
    showAndLeave(1, true);
    showAndLeave(0, true);
    showAndLeave(1, false);
    showAndLeave(0, false);
    QCOMPARE(shownFirst, (QList<int>{0, 1, 1, 0, 1}));
    QVERIFY(!f.leftOpen);

    // A failed OK that brought page 1 forward, then Storno: page 1 next time.
    shownFirst.clear();
    f.EditWhile(saveMinutes, rate, unit, [&] {
      f.Soubor()->setText("61");
      QTest::mouseClick(f.Ok(), Qt::LeftButton);
      f.dialog.reject();
    });
    showAndLeave(0, false);
    QCOMPARE(shownFirst, QList<int>{1});
  }
};

QTEST_MAIN(RateDialogTests)
#include "rate_dialog_tests.moc"
