// Where the main window opens: the design place on a first run, the stored
// place while some screen shows it, the primary screen otherwise.
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "scripted_dialogs.h"
#include "sim_line.h"
#include "unit_hl.h"
#include "window_placement.h"

using rq30::PlaceOnScreen;

class WindowPlacementTest : public QObject {
  Q_OBJECT

 private slots:
  // Two screens side by side, the primary on the left.
  void storedPlaceIsKeptOnlyWhileAScreenShowsIt_data() {
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("placed");
    const QRect design(192, 107, 718, 523);
    QTest::newRow("design place") << design << design;
    QTest::newRow("on the second screen") << QRect(2000, 300, 718, 523) << QRect(2000, 300, 718, 523);
    QTest::newRow("hanging over the right edge")
        << QRect(3700, 100, 718, 523) << QRect(3700, 100, 718, 523);
    QTest::newRow("a screen removed: far right") << QRect(5000, 300, 718, 523) << design;
    QTest::newRow("above every screen") << QRect(300, -900, 718, 523) << design;
    QTest::newRow("only its bottom edge shows")
        << QRect(300, -500, 718, 523) << design;
    QTest::newRow("a sliver at the left edge") << QRect(-700, 100, 718, 523) << design;
    QTest::newRow("larger than the primary screen")
        << QRect(-9000, 0, 2500, 1500) << QRect(0, 0, 1920, 1040);
  }
  void storedPlaceIsKeptOnlyWhileAScreenShowsIt() {
    QFETCH(QRect, stored);
    QFETCH(QRect, placed);
    const QRect primary(0, 0, 1920, 1040);
    const QRect second(1920, 0, 1920, 1080);
    QCOMPARE(PlaceOnScreen(stored, {primary, second}, primary), placed);
  }

  // No stored settings: the window opens at the design place and size.
  void firstRunOpensAtTheDesignPlace() {
    rq30::testing::SimLine line;
    rq30::ScriptedDialogs dialogs;
    Tvtq45 window(line.image, line.link);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (screen.width() < 192 + 2 * rq30::kGrip) QSKIP("screen too small");
    QCOMPARE(window.pos(), QPoint(192, 107));
    QCOMPARE(window.size(), QSize(718, std::min(523, screen.height())));
  }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_tests.moc"
