// The standard buttons the operator meets in message boxes and in Qt's own
// dialogs read in Czech once the program has loaded Qt's Czech texts, even
// where the system speaks another language (the tests run under C.UTF-8).
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "qt_texts.h"

namespace {

QString Plain(QString text) {
  return text.remove(QLatin1Char('&'));
}

}  // namespace

class CzechQtTextsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // Before loading, Qt speaks English here: the checks below would fail
    // without the translation rather than pass by accident.
    QDialogButtonBox english(QDialogButtonBox::Cancel);
    QCOMPARE(Plain(english.button(QDialogButtonBox::Cancel)->text()), QStringLiteral("Cancel"));
    QVERIFY2(rq30::LoadCzechQtTexts(translator_),
             "qtbase_cs.qm missing from Qt's translations folder");
  }

  void messageBoxButtons_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringLiteral("Ano");
    QTest::newRow("no") << int(QMessageBox::No) << QStringLiteral("Ne");
    QTest::newRow("ok") << int(QMessageBox::Ok) << QStringLiteral("OK");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("Zrušit");
  }

  void messageBoxButtons() {
    QFETCH(int, button);
    QFETCH(QString, text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Potvrzení"), QStringLiteral("Smazat?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    QAbstractButton* shown = box.button(static_cast<QMessageBox::StandardButton>(button));
    QVERIFY(shown != nullptr);
    QCOMPARE(Plain(shown->text()), text);
  }

  // The forms' OK/Storno boxes and Qt's file and colour dialogs use the
  // same button box.
  void dialogButtonBox() {
    QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Save | QDialogButtonBox::Close);
    QCOMPARE(Plain(box.button(QDialogButtonBox::Open)->text()), QStringLiteral("Otevřít"));
    QCOMPARE(Plain(box.button(QDialogButtonBox::Save)->text()), QStringLiteral("Uložit"));
    QCOMPARE(Plain(box.button(QDialogButtonBox::Close)->text()), QStringLiteral("Zavřít"));
  }

 private:
  QTranslator translator_;
};

QTEST_MAIN(CzechQtTextsTest)
#include "czech_qt_texts_tests.moc"
