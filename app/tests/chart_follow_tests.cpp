// The live chart while the window changes and the operator looks around:
// the legend keeps listing the newest values after a resize, a view away
// from the newest points says so and a click brings them back, and the top
// row's controls stay put as the values change width.
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPushButton>
#include <QtTest>

#include "find_control.h"
#include "line_chart.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unit_hl.h"

using rq30::testing::Find;
using rq30::testing::SimLine;

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

struct Shown {
  Shown() {
    line.link.SetDeviceAddress(9);
    window.resize(718, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  SimLine line{[] {
    rq30::testing::SimLineOptions o;
    o.addresses = {9};
    return o;
  }()};
  rq30::ScriptedDialogs dialogs;
  Tvtq45 window{line.image, line.link};
};

}  // namespace

class ChartFollowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void legendListsTheNewestValuesAfterAResize_data() {
    QTest::addColumn<int>("height");
    QTest::newRow("smaller") << 380;
    QTest::newRow("larger") << 900;
  }
  void legendListsTheNewestValuesAfterAResize() {
    QFETCH(int, height);
    Shown s;
    rq30::LineChart& chart = s.window.Chart();
    for (int i = 0; i < 150; ++i) s.window.AddChartPoint(i);
    const int rowsBefore = chart.LegendRows();
    QCOMPARE(chart.LegendFirst(), 150 - rowsBefore);
    s.window.resize(718, height);
    QTRY_VERIFY(chart.LegendRows() != rowsBefore);
    QCOMPARE(chart.LegendFirst(), 150 - chart.LegendRows());
  }

  // Zoomed in and dragged to older points: the chart says so; a click (no
  // drag) goes back to the newest points and the note goes.
  void awayFromTheNewestSaysSoAndAClickReturns() {
    Shown s;
    rq30::LineChart& chart = s.window.Chart();
    for (int i = 0; i < 100; ++i) s.window.AddChartPoint(i % 7);
    QVERIFY(chart.FollowingNewest());
    QVERIFY(chart.AwayNote().isEmpty());
    const QPointF middle(chart.width() / 2.0, chart.height() / 2.0);
    QWheelEvent wheel(middle, chart.mapToGlobal(middle), QPoint(), QPoint(0, 3 * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    Mouse(&chart, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    Mouse(&chart, QEvent::MouseMove, middle + QPointF(80, 0), Qt::LeftButton);
    Mouse(&chart, QEvent::MouseButtonRelease, middle + QPointF(80, 0), Qt::NoButton);
    QVERIFY(!chart.FollowingNewest());
    QVERIFY(chart.AwayNote().contains(QStringLiteral("Klepnutím")));
    s.window.AddChartPoint(3);  // arrives out of sight
    QVERIFY(!chart.FollowingNewest());

    Mouse(&chart, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    Mouse(&chart, QEvent::MouseButtonRelease, middle, Qt::NoButton);
    QVERIFY(chart.FollowingNewest());
    QVERIFY(chart.AwayNote().isEmpty());
  }

  // 5,0 % then 52,3 % then 100,0 %: "Přečíst" and the check boxes beside
  // the output label do not move.
  void topRowStaysPutAsTheOutputGrows() {
    Shown s;
    auto* read = Find<QPushButton>(s.window, "tl_precist");
    auto* automatic = Find<QCheckBox>(s.window, "check_auto");
    QList<QPoint> places;
    for (int output : {50, 523, 1000}) {
      s.line.WithModel([output](rq30::sim::ControllerModel& m) {
        m.Image().live.output = output;
        m.Image().live.terminal = output / 10.0f;
        return 0;
      });
      read->click();
      QApplication::processEvents();
      places << read->mapTo(&s.window, QPoint()) << automatic->mapTo(&s.window, QPoint());
    }
    QCOMPARE(Find<QLabel>(s.window, "lb_yout")->text(), QStringLiteral("100,0"));
    QCOMPARE(places[2], places[0]);
    QCOMPARE(places[4], places[0]);
    QCOMPARE(places[3], places[1]);
    QCOMPARE(places[5], places[1]);
  }
};

QTEST_MAIN(ChartFollowTest)
#include "chart_follow_tests.moc"
