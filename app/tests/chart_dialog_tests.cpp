// "GRAF 3D": hand-in, the preview on the chart, its exact undo on Cancel,
// the values handed back on OK, and the checks of the point count.
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include "line_chart.h"
#include "live_series.h"
#include "rotace_3d.h"
#include "scripted_dialogs.h"

using rq30::DialogCall;
using rq30::DialogIcon;

namespace {

const QString kIntegerText = QStringLiteral("Chyba při zadání číselného textu");
const QString kRangeText = QStringLiteral("Je nutné zadávat pouze čísla v rozsahu 10 až 100000");

QImage Rendered(rq30::LineChart& chart) {
  QImage image(500, 260, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  chart.Render(painter, image.rect());
  return image;
}

// The main window's side: a chart with points and its look applied.
struct Fixture {
  rq30::ScriptedDialogs dialogs;
  rq30::LineChart chart;
  rq30::LiveSeries live{chart};
  Trotace3D dialog{&chart};
  rq30::ChartLook look;

  Fixture() {
    look.view3D = true;
    look.percent3D = 35;
    look.gridColour = 0x00E0FFFF;
    look.backColour = rq30::kButtonFaceColour;
    look.pointLimit = 200;
    live.SetLook(look);
    for (int i = 0; i < 40; ++i) live.AddChartPoint(20 + (i % 7));
    dialog.SetLook(look);
  }
  template <typename T>
  T* Find(const char* name) {
    T* widget = dialog.findChild<T*>(name);
    if (!widget) qFatal("no control %s", name);
    return widget;
  }
  QLineEdit* Field() { return Find<QLineEdit>("ed_poc_mer"); }
  QColor Swatch(const char* name) { return Find<QWidget>(name)->palette().color(QPalette::Window); }
};

void Type(QLineEdit* field, const QString& text) {
  field->clear();
  QTest::keyClicks(field, text);
}

}  // namespace

class ChartDialogTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void controlsAsTheOperatorSeesThem() {
    Trotace3D dialog(nullptr);
    QCOMPARE(dialog.objectName(), QString("rotace3D"));
    QCOMPARE(dialog.windowTitle(), QString("GRAF 3D"));
    QCOMPARE(dialog.size(), QSize(192, 230));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const struct {
      const char* name;
      const char* text;
      const char* hint;
    } controls[] = {
        {"Label4", "Rozměr", ""},
        {"check_3D", "3D", "Nastaví zobrazení 3D"},
        {"Label1", "Procento natočení", ""},
        {"bar_3D", "", "Nastaví natočení 3D grafu"},
        {"Label2", "Nastavení barvy", ""},
        {"tl_barva_mriz", "Mrižka", "Nastaví barvu pozadí mřížky"},
        {"tl_barva_okraj", "Okraj", "Nastaví barvu okraje grafu"},
        {"Label3", "Počet měření", ""},
        {"ed_poc_mer", "200", "Počet zobrazených měření v grafu (10 až 100.0000)"},
        {"tl_ok", "OK", ""},
        {"tl_cancel", "Storno", ""},
        {"pa_barva_mriz", "", ""},
        {"pa_barva_okraj", "", ""},
    };
    for (const auto& c : controls) {
      QWidget* w = dialog.findChild<QWidget*>(c.name);
      QVERIFY2(w, c.name);
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
      QCOMPARE(text, QString::fromUtf8(c.text));
      QCOMPARE(w->toolTip(), QString::fromUtf8(c.hint));
    }
    auto* bar = dialog.findChild<QScrollBar*>("bar_3D");
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 1);
    QVERIFY(dialog.findChild<QCheckBox*>("check_3D")->isChecked());
  }

  // Handing in fills every control and leaves the chart alone.
  void handInFillsControlsOnly() {
    Fixture f;
    const rq30::ChartStyle before = f.chart.Style();
    rq30::ChartLook look = f.look;
    look.view3D = false;
    look.percent3D = 77;
    look.gridColour = 0x000000FF;
    look.backColour = 0x00FF0000;
    look.pointLimit = 1234;
    f.dialog.SetLook(look);
    QCOMPARE(f.Find<QCheckBox>("check_3D")->isChecked(), false);
    QCOMPARE(f.Find<QScrollBar>("bar_3D")->value(), 77);
    QCOMPARE(f.Swatch("pa_barva_mriz"), QColor(255, 0, 0));
    QCOMPARE(f.Swatch("pa_barva_okraj"), QColor(0, 0, 255));
    QCOMPARE(f.Field()->text(), QString("1234"));
    QVERIFY(f.chart.Style() == before);
  }

  // Each control acts on the chart at once; a cancelled colour dialog
  // changes nothing; the colour dialog opens with the colour last chosen
  // through it, black at first, for both buttons.
  void previewActsOnTheChartAtOnce() {
    Fixture f;
    f.dialog.show();
    f.Find<QCheckBox>("check_3D")->click();
    QCOMPARE(f.chart.View3D(), false);
    f.Find<QScrollBar>("bar_3D")->setValue(90);
    QCOMPARE(f.chart.Percent3D(), 90);

    f.dialogs.QueueColour(std::nullopt);
    f.Find<QPushButton>("tl_barva_mriz")->click();
    QCOMPARE(f.chart.WallColour(), QColor(255, 255, 0xE0));
    QCOMPARE(f.Swatch("pa_barva_mriz"), QColor(255, 255, 0xE0));

    f.dialogs.QueueColour(QColor(10, 20, 30));
    f.Find<QPushButton>("tl_barva_mriz")->click();
    QCOMPARE(f.chart.WallColour(), QColor(10, 20, 30));
    QCOMPARE(f.Swatch("pa_barva_mriz"), QColor(10, 20, 30));

    f.dialogs.QueueColour(QColor(40, 50, 60));
    f.Find<QPushButton>("tl_barva_okraj")->click();
    QCOMPARE(f.chart.PanelColour(), QColor(40, 50, 60));
    QCOMPARE(f.Swatch("pa_barva_okraj"), QColor(40, 50, 60));
    QCOMPARE(f.chart.WallColour(), QColor(10, 20, 30));

    const auto& calls = f.dialogs.Calls();
    QCOMPARE(calls.size(), std::size_t{3});
    QCOMPARE(calls[0].initialColour, QColor(0, 0, 0));
    QCOMPARE(calls[1].initialColour, QColor(0, 0, 0));
    QCOMPARE(calls[2].initialColour, QColor(10, 20, 30));
    f.dialog.reject();
  }

  void cancelRestoresTheChartExactly_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Storno") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "close";
  }

  // Whatever was changed, Cancel leaves the chart as it was when the dialog
  // opened, down to the pixel, and hands nothing back: the typed point count
  // is discarded.
  void cancelRestoresTheChartExactly() {
    QFETCH(QString, how);
    Fixture f;
    const rq30::ChartStyle before = f.chart.Style();
    const QImage picture = Rendered(f.chart);
    const rq30::ChartLook handedIn = f.look;
    bool shown = false;
    QTimer::singleShot(0, &f.dialog, [&] {
      shown = true;
      f.Find<QCheckBox>("check_3D")->click();
      f.Find<QScrollBar>("bar_3D")->setValue(100);
      f.dialogs.QueueColour(QColor(0, 0, 128));
      f.Find<QPushButton>("tl_barva_mriz")->click();
      f.dialogs.QueueColour(QColor(128, 0, 0));
      f.Find<QPushButton>("tl_barva_okraj")->click();
      Type(f.Field(), "5000");
      QVERIFY(f.chart.Style() != before);
      if (how == "button") f.Find<QPushButton>("tl_cancel")->click();
      if (how == "escape") QTest::keyClick(&f.dialog, Qt::Key_Escape);
      if (how == "close") f.dialog.close();
    });
    QVERIFY(!f.dialog.Edit(f.look));
    QVERIFY(shown);
    QVERIFY(f.look == handedIn);
    QVERIFY(f.chart.Style() == before);
    QCOMPARE(Rendered(f.chart), picture);
    // Adding points goes on with the old limit.
    for (int i = 0; i < 300; ++i) f.live.AddChartPoint(i);
    QCOMPARE(f.chart.PointCount(), 201);
  }

  // A chart whose plotting area was never filled gets no fill from Cancel.
  void cancelKeepsAnUnfilledPlottingArea() {
    rq30::ScriptedDialogs dialogs;
    rq30::LineChart chart;
    Trotace3D dialog(&chart);
    dialog.show();
    dialogs.QueueColour(QColor(1, 2, 3));
    dialog.findChild<QPushButton*>("tl_barva_mriz")->click();
    QCOMPARE(chart.WallColour(), QColor(1, 2, 3));
    dialog.findChild<QPushButton*>("tl_cancel")->click();
    QVERIFY(!chart.WallColour().isValid());
  }

  // OK hands back what the chart now shows and the typed point count; the
  // pen colour passes through untouched.
  void okHandsBackTheNewLook() {
    Fixture f;
    f.look.penColour = 0x00123456;
    QTimer::singleShot(0, &f.dialog, [&] {
      f.Find<QCheckBox>("check_3D")->click();
      f.Find<QScrollBar>("bar_3D")->setValue(12);
      f.dialogs.QueueColour(QColor(0, 255, 0));
      f.Find<QPushButton>("tl_barva_mriz")->click();
      Type(f.Field(), "500");
      f.Find<QPushButton>("tl_ok")->click();
    });
    QVERIFY(f.dialog.Edit(f.look));
    QCOMPARE(f.look.view3D, false);
    QCOMPARE(f.look.percent3D, 12);
    QCOMPARE(f.look.gridColour, 0x0000FF00);
    QCOMPARE(f.look.backColour, rq30::kButtonFaceColour);
    QCOMPARE(f.look.pointLimit, 500);
    QCOMPARE(f.look.penColour, 0x00123456);
    QCOMPARE(f.chart.View3D(), false);  // the chart stays flat
    QCOMPARE(f.chart.Percent3D(), 12);

    // The main window adopts it; the next showing hands the colour in again.
    f.live.SetLook(f.look);
    QCOMPARE(f.chart.WallColour(), QColor(0, 255, 0));
    f.dialog.SetLook(f.live.Look());
    QCOMPARE(f.Swatch("pa_barva_mriz"), QColor(0, 255, 0));
  }

  // Letters: the warning, "0" in the field, the dialog open; a second OK
  // then gives the range error.
  void lettersThenZero() {
    Fixture f;
    f.dialog.show();
    Type(f.Field(), "abc");
    f.Find<QPushButton>("tl_ok")->click();
    QVERIFY(f.dialog.isVisible());
    auto messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, kIntegerText);
    QCOMPARE(messages[0].caption, QString("CHYBA"));
    QCOMPARE(messages[0].icon, DialogIcon::kWarning);
    QCOMPARE(messages[0].buttons, rq30::DialogButtons::kOk);
    QCOMPARE(f.Field()->text(), QString("0"));
    QCOMPARE(f.dialog.focusWidget(), f.Field());

    f.Find<QPushButton>("tl_ok")->click();
    QVERIFY(f.dialog.isVisible());
    messages = f.dialogs.Messages();
    QCOMPARE(messages.size(), std::size_t{2});
    QCOMPARE(messages[1].text, kRangeText);
    QCOMPARE(messages[1].caption, QString("EDIT"));
    QCOMPARE(messages[1].icon, DialogIcon::kError);
    QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    f.dialog.reject();
  }

  void pointCountLimits_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");  // empty: accepted
    QTest::newRow("9") << "9" << kRangeText;
    QTest::newRow("10") << "10" << QString();
    QTest::newRow("100000") << "100000" << QString();
    QTest::newRow("100001") << "100001" << kRangeText;
    QTest::newRow("negative") << "-50" << kRangeText;
    QTest::newRow("blanks around") << " 300 " << QString();
    QTest::newRow("decimal") << "10,5" << kIntegerText;
    QTest::newRow("empty") << "" << kIntegerText;
    QTest::newRow("too long") << "99999999999999999999999" << kIntegerText;
  }

  // OK and the Enter key run the same checks: OK closes only on a good
  // number, Enter moves the focus to OK then and never closes.
  void pointCountLimits() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    for (const bool enter : {false, true}) {
      Fixture f;
      f.dialog.show();
      Type(f.Field(), typed);
      if (enter) {
        QTest::keyClick(f.Field(), Qt::Key_Return);
      } else {
        f.Find<QPushButton>("tl_ok")->click();
      }
      const auto messages = f.dialogs.Messages();
      const QString mode = enter ? "Enter" : "OK";
      if (message.isEmpty()) {
        QVERIFY2(messages.empty(), qPrintable(mode));
        QCOMPARE(f.dialog.isVisible(), enter);
        if (enter) QCOMPARE(f.dialog.focusWidget(), f.Find<QPushButton>("tl_ok"));
        if (!enter) QCOMPARE(f.dialog.Look().pointLimit, typed.trimmed().toInt());
      } else {
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].text, message);
        QVERIFY2(f.dialog.isVisible(), qPrintable(mode));
        QCOMPARE(f.dialog.focusWidget(), f.Field());
        QCOMPARE(f.Field()->text(), message == kIntegerText ? QString("0") : typed);
      }
      f.dialog.reject();
    }
  }
};

QTEST_MAIN(ChartDialogTests)
#include "chart_dialog_tests.moc"
