// The operator looking into the live chart with the mouse: wheel zoom on the
// time axis around the cursor, drag to pan, the crosshair readout, and the
// double-click back to following the newest points, with new points and the
// point limit still working while a window is held.
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "chart_view_state.h"
#include "line_chart.h"

namespace {

constexpr QRgb kPen = qRgb(0, 200, 0);

void Wheel(QWidget& widget, QPointF at, int notches) {
  QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &event);
}

// What the main window does with every new point: append, then drop the
// oldest beyond the limit.
void AddWithLimit(rq30::LineChart& chart, double x, int limit) {
  chart.AppendPoint(x, std::sin(x / 7.0) * 50.0, kPen);
  while (chart.PointCount() > limit) chart.RemoveOldest();
}

}  // namespace

class ChartNavigationTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void init() {
    chart_ = std::make_unique<rq30::LineChart>();
    chart_->SetView3D(false);
    chart_->SetIntegralX(true);
    chart_->resize(640, 400);
    for (int n = 1; n <= 100; ++n) AddWithLimit(*chart_, n, 200);
    chart_->show();
    QVERIFY(QTest::qWaitForWindowExposed(chart_.get()));
  }
  void cleanup() { chart_.reset(); }

  void wheelZoomsAroundTheCursorAndBackOut() {
    const rq30::ChartLayout layout = chart_->LayoutFor(chart_->rect());
    const QPointF at(layout.mapX(70.0), layout.front.center().y());
    Wheel(*chart_, at, 2);
    QVERIFY(!chart_->FollowingNewest());
    const rq30::XWindow shown = chart_->ShownX();
    QVERIFY2(shown.Width() < 99.0 * 0.7, qPrintable(QString::number(shown.Width())));
    QVERIFY(shown.low < 70.0 && shown.high > 70.0);
    // The sample under the cursor stays under it (to within a pixel's worth).
    const rq30::ChartLayout zoomed = chart_->LayoutFor(chart_->rect());
    QVERIFY(std::abs(zoomed.mapX(70.0) - at.x()) <
            0.6 * std::abs(zoomed.mapX(1.0) - zoomed.mapX(0.0)) + 1.0);

    Wheel(*chart_, at, -10);  // wider than the whole series
    QVERIFY(chart_->FollowingNewest());
    QCOMPARE(chart_->ShownX().low, 1.0);
    QCOMPARE(chart_->ShownX().high, 100.0);
  }

  void dragPansAndStopsAtTheOldestPoint() {
    const QPoint centre = chart_->LayoutFor(chart_->rect()).front.center().toPoint();
    Wheel(*chart_, centre, 3);
    const rq30::XWindow before = chart_->ShownX();
    const double pixelsPerSample = chart_->LayoutFor(chart_->rect()).mapX.scale;

    QTest::mousePress(chart_.get(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(chart_.get(), centre + QPoint(60, 0));
    QTest::mouseRelease(chart_.get(), Qt::LeftButton, Qt::NoModifier, centre + QPoint(60, 0));
    const rq30::XWindow after = chart_->ShownX();
    QVERIFY(std::abs((before.low - after.low) - 60.0 / pixelsPerSample) < 1e-6);
    QCOMPARE(after.Width(), before.Width());

    QTest::mousePress(chart_.get(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(chart_.get(), centre + QPoint(250, 0));
    QTest::mouseMove(chart_.get(), centre + QPoint(300, 0));
    QTest::mouseRelease(chart_.get(), Qt::LeftButton, Qt::NoModifier, centre + QPoint(300, 0));
    QCOMPARE(chart_->ShownX().low, 1.0);
    QVERIFY(!chart_->FollowingNewest());
  }

  void crosshairReadsThePointUnderTheCursor() {
    const rq30::ChartLayout layout = chart_->LayoutFor(chart_->rect());
    QTest::mouseMove(chart_.get(), QPointF(layout.mapX(50.2), layout.front.center().y()).toPoint());
    QCOMPARE(chart_->CrosshairIndex(), 49);
    const QString value = QLocale().toString(std::sin(50.0 / 7.0) * 50.0, 'g', 6);
    QCOMPARE(chart_->CrosshairText(), QStringLiteral("vzorek 50: ") + value);
    QVERIFY(value.contains(QLatin1Char(',')));

    // Outside the plotting area (over the axis labels) nothing is read.
    QTest::mouseMove(chart_.get(), QPoint(2, 2));
    QCOMPARE(chart_->CrosshairIndex(), -1);
    QVERIFY(chart_->CrosshairText().isEmpty());
  }

  void doubleClickReturnsToFollowing() {
    Wheel(*chart_, chart_->LayoutFor(chart_->rect()).front.center(), 3);
    QVERIFY(!chart_->FollowingNewest());
    QTest::mouseDClick(chart_.get(), Qt::LeftButton, Qt::NoModifier,
                       chart_->LayoutFor(chart_->rect()).front.center().toPoint());
    QVERIFY(chart_->FollowingNewest());
    AddWithLimit(*chart_, 101, 200);
    QCOMPARE(chart_->ShownX().high, 101.0);
  }

  // While the operator looks at a window, points keep arriving and the
  // oldest keep dropping at the limit; the window and the crosshair's point
  // stay put until the points themselves are gone.
  void pointLimitHoldsWhileZoomed() {
    const rq30::ChartLayout layout = chart_->LayoutFor(chart_->rect());
    Wheel(*chart_, QPointF(layout.mapX(90.0), layout.front.center().y()), 4);
    const rq30::XWindow held = chart_->ShownX();
    QTest::mouseMove(
        chart_.get(),
        QPointF(chart_->LayoutFor(chart_->rect()).mapX(90.0), layout.front.center().y()).toPoint());
    QCOMPARE(chart_->CrosshairIndex(), 89);

    for (int n = 101; n <= 150; ++n) AddWithLimit(*chart_, n, 100);
    QCOMPARE(chart_->PointCount(), 100);
    QCOMPARE(chart_->PointAt(0).x, 51.0);
    QCOMPARE(chart_->PointAt(99).x, 150.0);
    QVERIFY(!chart_->FollowingNewest());
    QCOMPARE(chart_->ShownX().low, held.low);
    QCOMPARE(chart_->ShownX().high, held.high);
    QCOMPARE(chart_->CrosshairIndex(), 39);  // still sample 90
    QVERIFY(chart_->CrosshairText().startsWith(QStringLiteral("vzorek 90:")));

    for (int n = 151; n <= 300; ++n) AddWithLimit(*chart_, n, 100);
    QCOMPARE(chart_->PointCount(), 100);
    QCOMPARE(chart_->CrosshairIndex(), -1);  // sample 90 has dropped out
    QTest::mouseDClick(chart_.get(), Qt::LeftButton, Qt::NoModifier,
                       layout.front.center().toPoint());
    QCOMPARE(chart_->ShownX().low, 201.0);
    QCOMPARE(chart_->ShownX().high, 300.0);
  }

  // A zoomed series is cut at the plotting area: nothing of it is painted
  // over the axis labels or the legend. Checked flat and in 3D.
  void zoomedSeriesStaysInsideThePlottingArea_data() {
    QTest::addColumn<bool>("view3D");
    QTest::newRow("flat") << false;
    QTest::newRow("3D") << true;
  }
  void zoomedSeriesStaysInsideThePlottingArea() {
    QFETCH(bool, view3D);
    chart_->SetView3D(view3D);
    chart_->SetLegendVisible(false);
    const rq30::ChartLayout before = chart_->LayoutFor(chart_->rect());
    Wheel(*chart_, before.front.center(), 6);
    const rq30::ChartLayout layout = chart_->LayoutFor(chart_->rect());
    const QRectF inside = layout.front.united(layout.BackWall()).adjusted(-1, -1, 1, 1);
    QImage image(chart_->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    chart_->Render(painter, image.rect());
    painter.end();
    int inView = 0;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, y);
        // The pen's green, or the ribbon's tint and shade of it.
        const bool series =
            qGreen(c) > 100 && qRed(c) < qGreen(c) - 60 && qBlue(c) < qGreen(c) - 60;
        if (!series) continue;
        if (inside.contains(QPointF(x, y))) {
          ++inView;
        } else {
          ++outside;
        }
      }
    }
    QVERIFY(inView > 50);
    QCOMPARE(outside, 0);
  }

  void viewStateEdges_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<double>("amount");
    QTest::addColumn<bool>("following");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    // Series 0..100; the action starts from following the whole of it.
    QTest::newRow("zoom in around 50") << "zoom" << 0.5 << false << 25.0 << 75.0;
    QTest::newRow("zoom stops at two samples") << "zoom" << 1e-6 << false << 49.0 << 51.0;
    QTest::newRow("zoom out of all: still following") << "zoom" << 2.0 << true << 0.0 << 100.0;
    QTest::newRow("pan with everything in view") << "pan" << 10.0 << true << 0.0 << 100.0;
    QTest::newRow("bad factor ignored") << "zoom" << -1.0 << true << 0.0 << 100.0;
    QTest::newRow("no data ignored") << "zoom-empty" << 0.5 << true << 0.0 << 100.0;
  }
  void viewStateEdges() {
    QFETCH(QString, action);
    QFETCH(double, amount);
    QFETCH(bool, following);
    QFETCH(double, low);
    QFETCH(double, high);
    const rq30::XWindow data{0.0, 100.0};
    rq30::ChartViewState view;
    if (action == "zoom") view.Zoom(amount, 50.0, data);
    if (action == "pan") view.Pan(amount, data);
    if (action == "zoom-empty") view.Zoom(amount, 50.0, rq30::XWindow{1.0, -1.0});
    QCOMPARE(view.Following(), following);
    QCOMPARE(view.Shown(data).low, low);
    QCOMPARE(view.Shown(data).high, high);
  }

 private:
  std::unique_ptr<rq30::LineChart> chart_;
};

QTEST_MAIN(ChartNavigationTest)
#include "chart_navigation_tests.moc"
