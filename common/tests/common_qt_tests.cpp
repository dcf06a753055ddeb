// Colour values, the numeric field checks and the scripted dialogs.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "colour_value.h"
#include "field_check.h"
#include "qt_operator_dialogs.h"
#include "scripted_dialogs.h"

using namespace rq30;

class CommonQtTest : public QObject {
  Q_OBJECT

 private slots:
  void colourValues_data();
  void colourValues();
  void colourValueOfQColor();
  void systemColoursFollowThePalette();

  void checkIntegerAcceptsWholeNumbers();
  void checkIntegerResetsAndFocusesTheField_data();
  void checkIntegerResetsAndFocusesTheField();
  void checkRange_data();
  void checkRange();

  void scriptedDialogsAnswerInOrderThenDecline();
  void scriptedDialogsUninstallThemselves();
  void filterTextsBecomeQtNameFilters();
};

void CommonQtTest::colourValues_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("red pen") << 255 << QColor(255, 0, 0);
  QTest::newRow("yellow") << 0x0000FFFF << QColor(255, 255, 0);
  QTest::newRow("blue") << 0x00FF0000 << QColor(0, 0, 255);
  QTest::newRow("mixed") << 0x00123456 << QColor(0x56, 0x34, 0x12);
  QTest::newRow("top byte ignored") << 0x02123456 << QColor(0x56, 0x34, 0x12);
  QTest::newRow("unknown system index") << static_cast<int>(0x800000FFu) << QColor(Qt::black);
}

void CommonQtTest::colourValues() {
  QFETCH(int, value);
  QFETCH(QColor, colour);
  QCOMPARE(ColourFromValue(value), colour);
}

void CommonQtTest::colourValueOfQColor() {
  QCOMPARE(ValueFromColour(QColor(1, 2, 3)), 0x00030201);
  QCOMPARE(ValueFromColour(QColor(255, 0, 0, 10)), 255);
  for (int32_t value : {0, 255, 0x0000FFFF, 0x00FFFFFF, 0x00804020}) {
    QCOMPARE(ValueFromColour(ColourFromValue(value)), value);
  }
  QCOMPARE(kButtonFaceColour, -2147483633);
}

void CommonQtTest::systemColoursFollowThePalette() {
  QPalette palette;
  palette.setColor(QPalette::Button, QColor(10, 20, 30));
  palette.setColor(QPalette::Base, QColor(40, 50, 60));
  palette.setColor(QPalette::Text, QColor(70, 80, 90));
  palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
  QCOMPARE(ColourFromValue(kButtonFaceColour, palette), QColor(10, 20, 30));
  QCOMPARE(ColourFromValue(SystemColourValue(5), palette), QColor(40, 50, 60));
  QCOMPARE(ColourFromValue(SystemColourValue(8), palette), QColor(70, 80, 90));
  QCOMPARE(ColourFromValue(SystemColourValue(13), palette), QColor(1, 2, 3));
}

// A field in a shown, active window, so that focus can be checked.
struct FieldWindow {
  QWidget window;
  QLineEdit* field = new QLineEdit(&window);
  QPushButton* ok = new QPushButton(QStringLiteral("OK"), &window);

  FieldWindow() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(field);
    layout->addWidget(ok);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    ok->setFocus();
  }
};

void CommonQtTest::checkIntegerAcceptsWholeNumbers() {
  ScriptedDialogs dialogs;
  FieldWindow w;
  for (const char* text : {"12", " 7", "-3", "100000"}) {
    w.field->setText(QString::fromUtf8(text));
    QCOMPARE(CheckInteger(w.field, QStringLiteral("x"), QStringLiteral("1")), 0);
    QCOMPARE(w.field->text(), QString::fromUtf8(text));
  }
  QVERIFY(dialogs.Calls().empty());
  QVERIFY(w.ok->hasFocus());
}

void CommonQtTest::checkIntegerResetsAndFocusesTheField_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("resetText");
  // The two dialogs' own texts: recording rate, chart settings.
  QTest::newRow("letters, rate") << "abc"
                                 << "Je nutné zadávat pouze číslice"
                                 << "1";
  QTest::newRow("decimal, chart") << "12,5"
                                  << "Chyba při zadání číselného textu"
                                  << "0";
  QTest::newRow("empty") << ""
                         << "Je nutné zadávat pouze číslice"
                         << "1";
}

void CommonQtTest::checkIntegerResetsAndFocusesTheField() {
  QFETCH(QString, text);
  QFETCH(QString, message);
  QFETCH(QString, resetText);
  ScriptedDialogs dialogs;
  FieldWindow w;
  w.field->setText(text);
  QCOMPARE(CheckInteger(w.field, message, resetText), -1);
  QCOMPARE(dialogs.Calls().size(), size_t{1});
  const DialogCall& call = dialogs.Calls()[0];
  QCOMPARE(call.text, message);
  QCOMPARE(call.caption, QStringLiteral("CHYBA"));
  QCOMPARE(call.icon, DialogIcon::kWarning);
  QCOMPARE(call.buttons, DialogButtons::kOk);
  QCOMPARE(w.field->text(), resetText);
  QVERIFY(w.field->hasFocus());
}

void CommonQtTest::checkRange_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("low");
  QTest::addColumn<int>("high");
  QTest::addColumn<int>("result");
  QTest::newRow("rate below") << "0" << 1 << 1000 << -1;
  QTest::newRow("rate lowest") << "1" << 1 << 1000 << 0;
  QTest::newRow("rate highest") << "1000" << 1 << 1000 << 0;
  QTest::newRow("rate above") << "1001" << 1 << 1000 << -1;
  QTest::newRow("file interval above") << "61" << 1 << 60 << -1;
  QTest::newRow("points below") << "9" << 10 << 100000 << -1;
  QTest::newRow("points highest") << "100000" << 10 << 100000 << 0;
  QTest::newRow("points above") << "100001" << 10 << 100000 << -1;
  QTest::newRow("negative") << "-5" << 1 << 60 << -1;
  QTest::newRow("not a number") << "abc" << 1 << 60 << -1;
}

void CommonQtTest::checkRange() {
  QFETCH(QString, text);
  QFETCH(int, low);
  QFETCH(int, high);
  QFETCH(int, result);
  ScriptedDialogs dialogs;
  FieldWindow w;
  w.field->setText(text);
  QCOMPARE(CheckRange(w.field, low, high, RangeMessage(low, high)), result);
  QCOMPARE(w.field->text(), text);
  QVERIFY(w.ok->hasFocus());  // the caller moves the focus
  if (result == 0) {
    QVERIFY(dialogs.Calls().empty());
    return;
  }
  QCOMPARE(dialogs.Calls().size(), size_t{1});
  const DialogCall& call = dialogs.Calls()[0];
  QCOMPARE(call.text,
           QStringLiteral("Je nutné zadávat pouze čísla v rozsahu %1 až %2\n").arg(low).arg(high));
  QCOMPARE(call.caption, QStringLiteral("EDIT"));
  QCOMPARE(call.icon, DialogIcon::kError);
  QCOMPARE(call.buttons, DialogButtons::kOk);
}

void CommonQtTest::scriptedDialogsAnswerInOrderThenDecline() {
  ScriptedDialogs dialogs;
  dialogs.QueueAnswer(DialogAnswer::kYes);
  dialogs.QueueFile(QStringLiteral("/tmp/a.ini"));
  dialogs.QueueColour(QColor(1, 2, 3));
  int seen = 0;
  dialogs.SetOnCall([&seen](const DialogCall&) { ++seen; });

  OperatorDialogs& d = Dialogs();
  QCOMPARE(d.Message("q", "Clear", DialogIcon::kWarning, DialogButtons::kYesNo),
           DialogAnswer::kYes);
  QCOMPARE(d.Message("q", "Clear", DialogIcon::kWarning, DialogButtons::kYesNo), DialogAnswer::kNo);
  QCOMPARE(d.Message("m", "Komunikace", DialogIcon::kError, DialogButtons::kOk), DialogAnswer::kOk);
  QCOMPARE(d.Message("m", "x", DialogIcon::kNone, DialogButtons::kOkCancel), DialogAnswer::kCancel);
  QCOMPARE(d.Message("m", "x", DialogIcon::kNone, DialogButtons::kYesNoCancel),
           DialogAnswer::kCancel);
  FileDialogOptions options;
  options.filter = QStringLiteral("Parametry regulátoru[*.ini]|*.ini");
  QCOMPARE(d.SaveFile(options), QStringLiteral("/tmp/a.ini"));
  QCOMPARE(d.OpenFile(options), QString());
  QCOMPARE(d.ChooseColour(Qt::black), std::optional<QColor>(QColor(1, 2, 3)));
  QCOMPARE(d.ChooseColour(Qt::red), std::optional<QColor>());

  QCOMPARE(seen, 9);
  QCOMPARE(dialogs.Messages().size(), size_t{5});
  QCOMPARE(dialogs.Calls()[5].kind, DialogCall::Kind::kSaveFile);
  QCOMPARE(dialogs.Calls()[5].file.filter, options.filter);
  QCOMPARE(dialogs.Calls()[6].kind, DialogCall::Kind::kOpenFile);
  QCOMPARE(dialogs.Calls()[8].initialColour, QColor(Qt::red));
}

void CommonQtTest::scriptedDialogsUninstallThemselves() {
  OperatorDialogs* real = &Dialogs();
  {
    ScriptedDialogs dialogs;
    QCOMPARE(&Dialogs(), static_cast<OperatorDialogs*>(&dialogs));
  }
  QCOMPARE(&Dialogs(), real);
  QVERIFY(dynamic_cast<QtOperatorDialogs*>(real) != nullptr);
}

void CommonQtTest::filterTextsBecomeQtNameFilters() {
  QCOMPARE(QtNameFilters(QStringLiteral("Parametry regulátoru [*.ini]|*.ini")),
           QStringList{QStringLiteral("Parametry regulátoru [*.ini] (*.ini)")});
  QCOMPARE(QtNameFilters(QStringLiteral("Text|*.txt;*.csv|Vše|*.*")),
           (QStringList{QStringLiteral("Text (*.txt *.csv)"), QStringLiteral("Vše (*.*)")}));
  QVERIFY(QtNameFilters(QString()).isEmpty());
}

QTEST_MAIN(CommonQtTest)
#include "common_qt_tests.moc"
