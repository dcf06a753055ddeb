#include "locale_texts.h"

#include <QLocale>
#include <QRegularExpression>

namespace rq30 {

// Qt's short date formats often keep only two year digits ("dd.MM.yy" in
// Czech); a log and a listing must tell the century, as Windows' do.
QString ShortDateText(const QDate& date) {
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
  format.replace(twoDigitYear, QStringLiteral("yyyy"));
  return QLocale().toString(date, format);
}

QString LongTimeText(const QTime& time) {
  const QLocale locale;
  return locale.toString(time, WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString WithoutTimeZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (int i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && c == QLatin1Char('t')) {
      while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t')) ++i;
      continue;
    }
    out += c;
  }
  // The blank that separated the zone from the time must not stay behind.
  return out.simplified();
}

}  // namespace rq30
