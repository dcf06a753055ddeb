// A day of automatic reading with file writing, against the simulator on a
// pty, with the clock stepped a second at a time so that 24 simulated hours
// run in minutes. Every live read really goes over the line.
//
// Held to: every periodic write leaves the complete log on disk (the file is
// the whole list at that moment, byte for byte); the chart stays at its
// limit; the memory in use grows by the log list and not otherwise. The figures
// (simulated hours, records, writes, memory) are printed at the end.
// RQ30_SOAK_HOURS shortens or lengthens the day.
#include <malloc.h>
#include <QAction>
#include <QCheckBox>
#include <QFile>

#include <QtTest>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "program_on_line.h"

using rq30::reliability::ProgramOnLine;

namespace {

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return -1;
}

// Bytes the program holds on the heap right now, freed blocks not counted.
long HeapInUseKb() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long>((m.uordblks + m.hblkhd) / 1024);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class SoakTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void dayOfAutomaticReadingWithFileWriting() {
    const int hours =
        std::getenv("RQ30_SOAK_HOURS") ? std::atoi(std::getenv("RQ30_SOAK_HOURS")) : 24;
    QVERIFY(hours >= 2);
    ProgramOnLine p;
    Tvtq45& main = p.windows->main;
    const QString path = QString::fromStdString(p.home.Dir()) + "/soak.txt";

    // "Zápis do souboru": clear the data, choose the file; then automatic reading.
    p.dialogs.QueueAnswer(rq30::DialogAnswer::kYes);
    p.dialogs.QueueFile(path);
    main.findChild<QCheckBox*>("check_zapis")->click();
    main.findChild<QCheckBox*>("check_auto")->setChecked(true);
    QVERIFY(main.LogFileChosen());
    const int saveEvery = 15 * 60;  // the default file save interval
    const int pointLimit = 200;     // the default chart limit

    const auto started = std::chrono::steady_clock::now();
    long rssAfterFirstHour = 0;
    long heapAfterFirstHour = 0;
    std::size_t logAfterFirstHour = 0;
    std::size_t logCapacityAfterFirstHour = 0;
    int writesChecked = 0;
    int readsFailed = 0;
    for (int s = 1; s <= hours * 3600; ++s) {
      p.WithModel([](rq30::sim::ControllerModel& m) {
        m.Step(1.0);
        m.ClearRequests();  // the simulator's own record of requests is no part of the program
        return 0;
      });
      p.now = p.now.addSecs(1);
      const int failedBefore = p.counter->writes;
      main.Timer1Timer();
      // One live read a second: one request, or three when it failed.
      if (p.counter->writes - failedBefore != 1) ++readsFailed;
      if (s % saveEvery == 0) {
        // The periodic write has just replaced the file with the whole list.
        QCOMPARE(ReadFile(path), QByteArray::fromStdString(main.Log().Contents()));
        QVERIFY(main.ChartPointCount() <= pointLimit + 1);
        ++writesChecked;
      }
      if (s == 3600) {
        rssAfterFirstHour = StatusKb("VmRSS");
        heapAfterFirstHour = HeapInUseKb();
        logAfterFirstHour = main.Log().Contents().size();
        logCapacityAfterFirstHour = main.Log().Contents().capacity();
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const std::size_t records = main.Log().LineCount() - 3;
    QCOMPARE(records, std::size_t(hours * 3600 + 1));  // and the start's own record
    QCOMPARE(main.ChartPointCount(), pointLimit + 1);  // "more than" the limit
    QCOMPARE(writesChecked, hours * 3600 / saveEvery);
    QCOMPARE(readsFailed, 0);

    // What the program holds grows by the log list (one string, whose
    // capacity runs ahead of its size) and by nothing else worth a megabyte.
    const long heapGrowthKb = HeapInUseKb() - heapAfterFirstHour;
    const long logCapacityGrowthKb =
        static_cast<long>((main.Log().Contents().capacity() - logCapacityAfterFirstHour) / 1024);
    QVERIFY2(heapGrowthKb <= logCapacityGrowthKb + 1024,
             qPrintable(QString("the heap grew %1 kB while the log's capacity grew %2 kB")
                            .arg(heapGrowthKb)
                            .arg(logCapacityGrowthKb)));
    // The resident size also keeps blocks freed meanwhile (the file read
    // back for each check, the list's old copies as it grew).
    const long rssGrowthKb = StatusKb("VmRSS") - rssAfterFirstHour;
    const long logGrowthKb =
        static_cast<long>((main.Log().Contents().size() - logAfterFirstHour) / 1024);

    qInfo("soak: %d simulated hours in %.1f s wall time", hours, seconds);
    qInfo("soak: %zu records, %d periodic writes checked, log %zu bytes", records, writesChecked,
          main.Log().Contents().size());
    qInfo(
        "soak: from hour 1 to the end the heap in use grew %ld kB, the log %ld kB (capacity %ld "
        "kB)",
        heapGrowthKb, logGrowthKb, logCapacityGrowthKb);
    qInfo("soak: resident size grew %ld kB; peak RSS %ld kB", rssGrowthKb, StatusKb("VmHWM"));
  }
};

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
