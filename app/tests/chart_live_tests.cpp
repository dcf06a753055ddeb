// The live chart as the main window drives it: point limit, sample numbers,
// pen colour per point, legend on the newest values, and the demo data.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>
#include <set>

#include "demo_data.h"
#include "line_chart.h"
#include "live_series.h"
#include "scripted_dialogs.h"

using rq30::LineChart;
using rq30::LiveSeries;

namespace {

rq30::ChartLook LookWithLimit(int limit) {
  rq30::ChartLook look;
  look.pointLimit = limit;
  return look;
}

std::vector<double> Xs(const LineChart& chart) {
  std::vector<double> xs;
  for (int i = 0; i < chart.PointCount(); ++i) xs.push_back(chart.PointAt(i).x);
  return xs;
}

std::vector<double> Range(double from, double to) {
  std::vector<double> r;
  for (double x = from; x <= to; ++x) r.push_back(x);
  return r;
}

}  // namespace

class ChartLiveTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void pointLimitSettlesOneAbove_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("additions");
    QTest::addColumn<int>("firstX");
    QTest::newRow("limit 10, twelve points") << 10 << 12 << 2;
    QTest::newRow("default limit, long run") << 200 << 450 << 250;
    QTest::newRow("below the limit") << 10 << 7 << 1;
    QTest::newRow("exactly limit + 1") << 10 << 11 << 1;
  }

  // "More than the limit" removes: the series settles at limit + 1 points,
  // numbered on from 1 without gaps.
  void pointLimitSettlesOneAbove() {
    QFETCH(int, limit);
    QFETCH(int, additions);
    QFETCH(int, firstX);
    LineChart chart;
    LiveSeries live(chart);
    live.SetLook(LookWithLimit(limit));
    for (int i = 0; i < additions; ++i) live.AddChartPoint(i * 0.5);
    QCOMPARE(Xs(chart), Range(firstX, additions));
    QCOMPARE(live.SampleNumber(), additions);
    QCOMPARE(chart.PointAt(chart.PointCount() - 1).y, (additions - 1) * 0.5);
  }

  // A lowered limit trims nothing at once; every addition then removes one
  // point and adds one. A raised limit lets the series grow again.
  void changedLimitTakesEffectThroughAdditions() {
    LineChart chart;
    LiveSeries live(chart);
    live.SetLook(LookWithLimit(20));
    for (int i = 0; i < 30; ++i) live.AddChartPoint(i);
    QCOMPARE(chart.PointCount(), 21);
    live.SetLook(LookWithLimit(10));
    QCOMPARE(chart.PointCount(), 21);
    for (int i = 0; i < 5; ++i) {
      live.AddChartPoint(i);
      QCOMPARE(chart.PointCount(), 21);
    }
    QCOMPARE(Xs(chart), Range(15, 35));
    live.SetLook(LookWithLimit(25));
    for (int i = 0; i < 10; ++i) live.AddChartPoint(i);
    QCOMPARE(chart.PointCount(), 26);
  }

  void clearStartsNumberingAgain() {
    LineChart chart;
    LiveSeries live(chart);
    for (int i = 0; i < 5; ++i) live.AddChartPoint(i);
    live.Clear();
    QCOMPARE(chart.PointCount(), 0);
    QCOMPARE(live.SampleNumber(), 0);
    live.AddChartPoint(42);
    QCOMPARE(Xs(chart), Range(1, 1));
    QCOMPARE(chart.PointAt(0).y, 42.0);
  }

  // "Barva pera": red, then blue chosen in the colour dialog. Earlier points
  // keep red, later ones are blue, and the rendered curve shows it: the
  // segment into the first blue point is already blue.
  void penColourColoursOnlyLaterPoints() {
    rq30::ScriptedDialogs dialogs;
    LineChart chart;
    LiveSeries live(chart);
    rq30::ChartLook look;
    look.view3D = false;
    look.gridColour = 0x00FFFFFF;  // white
    live.SetLook(look);
    chart.SetLegendVisible(false);
    for (int i = 1; i <= 5; ++i) live.AddChartPoint(i % 2 ? 10 : 20);

    dialogs.QueueColour(QColor(0, 0, 255));
    QVERIFY(live.ChoosePenColour());
    QCOMPARE(live.Look().penColour, 0x00FF0000);  // blue in the stored encoding
    for (int i = 6; i <= 10; ++i) live.AddChartPoint(i % 2 ? 10 : 20);

    for (int i = 0; i < 10; ++i)
      QCOMPARE(chart.PointAt(i).colour, i < 5 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));

    QImage image(640, 320, QImage::Format_ARGB32_Premultiplied);
    {
      QPainter painter(&image);
      chart.Render(painter, image.rect());
    }
    const rq30::ChartLayout layout = chart.LayoutFor(image.rect());
    for (int i = 1; i < 10; ++i) {
      const auto& a = chart.PointAt(i - 1);
      const auto& b = chart.PointAt(i);
      const QPointF middle((layout.mapX(a.x) + layout.mapX(b.x)) / 2,
                           (layout.mapY(a.y) + layout.mapY(b.y)) / 2);
      // A one-pixel antialiased line may share its ink between neighbours.
      bool red = false;
      bool blue = false;
      for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
          const QRgb c = image.pixel(int(middle.x()) + dx, int(middle.y()) + dy);
          red = red || qRed(c) - qBlue(c) > 60;
          blue = blue || qBlue(c) - qRed(c) > 60;
        }
      }
      QVERIFY2(i < 5 ? red && !blue : blue && !red,
               qPrintable(QString("segment into point %1").arg(i + 1)));
    }
  }

  // The colour dialog opens black at first, then with the colour last
  // chosen; a cancelled dialog changes nothing.
  void penColourDialogStartsFromLastChoice() {
    rq30::ScriptedDialogs dialogs;
    LineChart chart;
    LiveSeries live(chart);
    dialogs.QueueColour(std::nullopt);
    QVERIFY(!live.ChoosePenColour());
    QCOMPARE(live.Look().penColour, rq30::kRedColour);
    live.AddChartPoint(1);
    QCOMPARE(chart.PointAt(0).colour, qRgb(255, 0, 0));
    dialogs.QueueColour(QColor(0, 128, 0));
    QVERIFY(live.ChoosePenColour());
    dialogs.QueueColour(std::nullopt);
    QVERIFY(!live.ChoosePenColour());
    QCOMPARE(live.Look().penColour, 0x00008000);
    QCOMPARE(dialogs.Calls().size(), std::size_t{3});
    QCOMPARE(dialogs.Calls()[0].initialColour, QColor(0, 0, 0));
    QCOMPARE(dialogs.Calls()[1].initialColour, QColor(0, 0, 0));
    QCOMPARE(dialogs.Calls()[2].initialColour, QColor(0, 128, 0));
  }

  // After every addition the legend's top row is the value just added, and
  // the rows are the newest points, newest first.
  void legendFollowsTheNewestPoints() {
    LineChart chart;
    chart.resize(500, 260);
    LiveSeries live(chart);
    const int rows = chart.LegendRows();
    QVERIFY(rows >= 3 && rows < 40);
    for (int i = 1; i <= rows * 3; ++i) {
      live.AddChartPoint(i + 0.25);
      const rq30::ChartLayout layout = chart.LayoutFor(chart.rect());
      QCOMPARE(int(layout.legendEntries.size()), std::min(i, rows));
      QCOMPARE(layout.legendEntries.front().text, QString("%1,25").arg(i));
      QCOMPARE(layout.legendEntries.back().text, QString("%1,25").arg(std::max(1, i - rows + 1)));
    }
  }

  // The look goes onto the chart with its colours decoded: an explicit
  // 0x00BBGGRR value and the button-face system colour.
  void lookIsAppliedToTheChart() {
    LineChart chart;
    LiveSeries live(chart);
    rq30::ChartLook look;
    look.view3D = false;
    look.percent3D = 64;
    look.gridColour = 0x0000FFFF;  // yellow
    look.backColour = rq30::kButtonFaceColour;
    live.SetLook(look);
    QCOMPARE(chart.View3D(), false);
    QCOMPARE(chart.Percent3D(), 64);
    QCOMPARE(chart.WallColour(), QColor(255, 255, 0));
    QCOMPARE(chart.PanelColour(), QApplication::palette().color(QPalette::Button));
    QVERIFY(live.Look() == look);
  }

  void demoRelays_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("bits");  // bit n-1: pa_re<n> yellow
    QTest::newRow("55: only Out 2") << 55 << 0x02;
    QTest::newRow("34: Out 2 and Out 4") << 34 << 0x0A;
    QTest::newRow("35") << 35 << 0x02;
    QTest::newRow("56") << 56 << 0x01;
    QTest::newRow("75") << 75 << 0x01;
    QTest::newRow("76") << 76 << 0x05;
    QTest::newRow("0") << 0 << 0x0A;
    QTest::newRow("99") << 99 << 0x05;
  }

  void demoRelays() {
    QFETCH(int, value);
    QFETCH(int, bits);
    QCOMPARE(int(rq30::DemoRelayBits(value)), bits);
  }

  // Every step: the fixed texts, numbers in their ranges, texts that match
  // the numbers; and two fresh generators give the same sequence, as every
  // run of the program does.
  void demoStepsRepeatAndStayInRange() {
    rq30::DemoGenerator first;
    rq30::DemoGenerator second;
    std::set<QString> temperatures;
    std::set<int> values;
    for (int step = 0; step < 2000; ++step) {
      const rq30::DemoSample a = first.Next();
      const rq30::DemoSample b = second.Next();
      QCOMPARE(a.value, b.value);
      QCOMPARE(a.terminalText, b.terminalText);
      QCOMPARE(a.outputText, b.outputText);
      QVERIFY(a.value >= 0 && a.value <= 99);
      QCOMPARE(a.valueText, QString::number(a.value));
      QCOMPARE(a.faultText, QString("DEMO"));
      QCOMPARE(a.setpointText, QString("55,00"));
      const int output = a.outputText.toInt();
      QVERIFY(output >= 0 && output <= 49);
      QCOMPARE(a.outputBar, output * 10);
      QCOMPARE(a.relayBits, rq30::DemoRelayBits(a.value));
      temperatures.insert(a.terminalText);
      values.insert(a.value);
    }
    const std::set<QString> expected = {"21,01", "21,02", "21,03", "21,04", "21,05",
                                        "21,06", "21,07", "21,08", "21,09", "21,1"};
    QCOMPARE(temperatures, expected);
    QCOMPARE(int(values.size()), 100);
  }

  void generalNumberText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("cs 21,1") << "cs_CZ" << 21.01 + 0.01 * 9 << "21,1";
    QTest::newRow("cs 21,05") << "cs_CZ" << 21.01 + 0.01 * 4 << "21,05";
    QTest::newRow("cs integer") << "cs_CZ" << 42.0 << "42";
    QTest::newRow("en point") << "en_US" << 21.01 + 0.01 * 2 << "21.03";
    QTest::newRow("no grouping") << "en_US" << 12345.5 << "12345.5";
  }

  void generalNumberText() {
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(rq30::GeneralNumberText(value), text);
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
  }
};

QTEST_MAIN(ChartLiveTests)
#include "chart_live_tests.moc"
