// What the chart puts on pixels: segment colours, walls and panel, in the
// flat and the 3D view.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "line_chart.h"

using rq30::LineChart;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QImage Rendered(LineChart& chart, QSize size = QSize(640, 320)) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::magenta);  // anything left unpainted would show
  QPainter painter(&image);
  chart.Render(painter, image.rect());
  return image;
}

// The pixels around `at` (a one-pixel antialiased line may share its ink
// between neighbours): red if some are clearly red and none clearly blue,
// and the other way round.
enum class Ink { kRed, kBlue, kMixed, kNone };
Ink InkAround(const QImage& image, QPointF at) {
  bool red = false;
  bool blue = false;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      const QRgb c = image.pixel(int(std::floor(at.x())) + dx, int(std::floor(at.y())) + dy);
      red = red || qRed(c) - qBlue(c) > 60;
      blue = blue || qBlue(c) - qRed(c) > 60;
    }
  }
  if (red && blue) return Ink::kMixed;
  return red ? Ink::kRed : blue ? Ink::kBlue : Ink::kNone;
}

}  // namespace

class ChartRenderTests : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void segmentsTakeTheColourOfThePointTheyLeadTo_data() {
    QTest::addColumn<bool>("view3D");
    QTest::newRow("flat") << false;
    QTest::newRow("3D") << true;
  }

  // Points 1..5 red, 6..10 blue: the segment 5 -> 6 is already blue. Each
  // segment is sampled at its middle (in 3D in the middle of its ribbon face).
  void segmentsTakeTheColourOfThePointTheyLeadTo() {
    QFETCH(bool, view3D);
    LineChart chart;
    chart.SetView3D(view3D);
    chart.SetPercent3D(35);
    chart.SetWallColour(Qt::white);
    chart.SetLegendVisible(false);
    for (int i = 1; i <= 10; ++i)
      chart.AppendPoint(i, (i % 2) ? 10.0 : 20.0, i <= 5 ? kRed : kBlue);
    const QImage image = Rendered(chart);
    const rq30::ChartLayout layout = chart.LayoutFor(image.rect());
    for (int i = 2; i <= 10; ++i) {
      const auto& a = chart.PointAt(i - 2);
      const auto& b = chart.PointAt(i - 1);
      QPointF middle((layout.mapX(a.x) + layout.mapX(b.x)) / 2,
                     (layout.mapY(a.y) + layout.mapY(b.y)) / 2);
      middle += layout.depth / 2;
      const QString where = QString("segment into point %1").arg(i);
      QVERIFY2(InkAround(image, middle) == (i <= 5 ? Ink::kRed : Ink::kBlue), qPrintable(where));
    }
  }

  void denseSeriesKeepsSpikesAndColours_data() {
    QTest::addColumn<bool>("view3D");
    QTest::newRow("flat") << false;
    QTest::newRow("3D") << true;
  }

  // 20,000 points on some 500 pixel columns: a single-sample spike still
  // reaches its height, and the colour change stays where it happened.
  void denseSeriesKeepsSpikesAndColours() {
    QFETCH(bool, view3D);
    LineChart chart;
    chart.SetView3D(view3D);
    chart.SetPercent3D(20);
    chart.SetWallColour(Qt::white);
    chart.SetLegendVisible(false);
    const int n = 20000;
    const int spike = 7001;
    for (int i = 0; i < n; ++i) {
      const double y = (i == spike) ? 50.0 : 10.0 + (i % 3);
      chart.AppendPoint(i + 1, y, i < n / 2 ? kRed : kBlue);
    }
    const QImage image = Rendered(chart);
    const rq30::ChartLayout layout = chart.LayoutFor(image.rect());
    QVERIFY(layout.front.width() * 10 < n);  // really dense
    const auto& top = chart.PointAt(spike);
    QCOMPARE(InkAround(image, QPointF(layout.mapX(top.x), layout.mapY(top.y) + 1)), Ink::kRed);
    // Above the spike's neighbours nothing is drawn (to its left: in 3D the
    // ribbon runs up and to the right).
    const double beside = layout.mapX(chart.PointAt(spike - 400).x);
    QCOMPARE(InkAround(image, QPointF(beside, layout.mapY(40))), Ink::kNone);
    const auto& early = chart.PointAt(n / 4);
    const auto& late = chart.PointAt(3 * n / 4);
    QCOMPARE(InkAround(image, QPointF(layout.mapX(early.x), layout.mapY(11))), Ink::kRed);
    QCOMPARE(InkAround(image, QPointF(layout.mapX(late.x), layout.mapY(11))), Ink::kBlue);
  }

  // Dense stretches with a hole in x between them are joined by a line in
  // the colour of the point it leads to.
  void denseStretchesAreJoinedAcrossAHole() {
    LineChart chart;
    chart.SetWallColour(Qt::white);
    chart.SetLegendVisible(false);
    for (int i = 1; i <= 5000; ++i) chart.AppendPoint(i, 10.0 + (i % 2), kRed);
    for (int i = 15000; i <= 20000; ++i) chart.AppendPoint(i, 30.0 + (i % 2), kBlue);
    const QImage image = Rendered(chart);
    const rq30::ChartLayout layout = chart.LayoutFor(image.rect());
    const QPointF middle((layout.mapX(5000) + layout.mapX(15000)) / 2,
                         (layout.mapY(10) + layout.mapY(30)) / 2);  // 5000 is even, so is 15000
    QCOMPARE(InkAround(image, middle), Ink::kBlue);
  }

  // The plotting area is filled with the wall colour only once one is set;
  // the panel takes its own colour; in 3D the side walls are shaded.
  void wallAndPanelColours() {
    LineChart chart;
    chart.SetLegendVisible(false);
    chart.SetPanelColour(QColor(0, 128, 0));
    QImage image = Rendered(chart);
    rq30::ChartLayout layout = chart.LayoutFor(image.rect());
    QCOMPARE(image.pixel(2, 2), qRgb(0, 128, 0));
    QCOMPARE(image.pixel(layout.front.center().toPoint()), qRgb(0, 128, 0));  // not filled

    chart.SetWallColour(QColor(255, 255, 0));
    image = Rendered(chart);
    QCOMPARE(image.pixel(layout.front.center().toPoint()), qRgb(255, 255, 0));

    chart.SetView3D(true);
    chart.SetPercent3D(50);
    image = Rendered(chart);
    layout = chart.LayoutFor(image.rect());
    QCOMPARE(image.pixel(layout.BackWall().center().toPoint()), qRgb(255, 255, 0));
    const QPointF onLeftWall =
        QPointF(layout.front.left(), layout.front.center().y()) + layout.depth / 2;
    const QRgb side = image.pixel(onLeftWall.toPoint());
    QVERIFY(qRed(side) < 255 && qRed(side) > 150 && qBlue(side) < 40);
    QCOMPARE(image.pixel(2, 2), qRgb(0, 128, 0));
  }

  void styleReadsBackAsApplied() {
    LineChart chart;
    rq30::ChartStyle style;
    style.view3D = true;
    style.percent3D = 77;
    style.wallColour = QColor(1, 2, 3);
    style.panelColour = QColor(4, 5, 6);
    chart.SetStyle(style);
    QVERIFY(chart.Style() == style);
    QCOMPARE(chart.View3D(), true);
    QCOMPARE(chart.Percent3D(), 77);
    QCOMPARE(chart.WallColour(), QColor(1, 2, 3));
    QCOMPARE(chart.PanelColour(), QColor(4, 5, 6));
    chart.SetPercent3D(0);
    QCOMPARE(chart.Percent3D(), 1);
    chart.SetPercent3D(101);
    QCOMPARE(chart.Percent3D(), 100);
    chart.SetWallColour(QColor());  // back to an unfilled area
    QVERIFY(!chart.WallColour().isValid());
  }
};

QTEST_MAIN(ChartRenderTests)
#include "chart_render_tests.moc"
