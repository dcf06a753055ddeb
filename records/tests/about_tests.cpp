// The about box: its texts and the version the program finds in itself.

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "aboutbox.h"

class AboutTests : public QObject {
  Q_OBJECT

 private slots:
  void showsProgramVersion();
  void fixedTexts_data();
  void fixedTexts();
  void versionCaptionWithoutVersion();
};

void AboutTests::showsProgramVersion() {
  TAboutBox box;
  auto* version = box.findChild<QLabel*>("Label5");
  QCOMPARE(version->text(), QStringLiteral("Verze " RQ30_PROJECT_VERSION));
  QVERIFY(version->font().bold());
  QCOMPARE(box.windowTitle(), QStringLiteral("O aplikaci"));
  QVERIFY(!box.findChild<QLabel*>("ProgramIcon")->pixmap().isNull());
  QVERIFY(!box.findChild<QLabel*>("LabelCompany")->text().isEmpty());

  box.show();
  box.findChild<QPushButton*>("OKButton")->click();
  QCOMPARE(box.result(), int(QDialog::Accepted));
}

void AboutTests::fixedTexts_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QString>("text");
  QTest::newRow("product") << "ProductName" << QStringLiteral("Název produktu");
  QTest::newRow("product name") << "Label6" << QStringLiteral("RQ-30");
  QTest::newRow("company") << "LabelCompName" << QStringLiteral("Název firmy");
  QTest::newRow("version") << "Label1" << QStringLiteral("Verze");
  QTest::newRow("requirements") << "Label4" << QStringLiteral("Minimální systémové požadavky");
  QTest::newRow("cpu") << "Label2" << QStringLiteral("-CPU Pentium 100 MHz nebo vyšší");
  QTest::newRow("system") << "Label3" << QStringLiteral("-Microsoft Windows 95/98/ME");
  QTest::newRow("disk") << "Label7" << QStringLiteral("-3 MB volného místa na pevném disku");
  QTest::newRow("memory") << "Label8"
                          << QStringLiteral("-Systémová paměť 32 MB (64 MB doporučeno)");
  QTest::newRow("display") << "Label9" << QStringLiteral("-VGA nebo vyšší rozlišení");
}

void AboutTests::fixedTexts() {
  QFETCH(QString, label);
  QFETCH(QString, text);
  TAboutBox box;
  auto* widget = box.findChild<QLabel*>(label);
  QVERIFY(widget);
  QCOMPARE(widget->text(), text);
}

void AboutTests::versionCaptionWithoutVersion() {
  QCOMPARE(VersionCaption(""), QString());
  QCOMPARE(VersionCaption("2.0.1.7"), QStringLiteral("Verze 2.0.1.7"));
}

QTEST_MAIN(AboutTests)
#include "about_tests.moc"
