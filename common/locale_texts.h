// Date, time and decimal separator as the user's regional settings write
// them, for the texts the record window puts in its listing.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>

namespace rq30 {

// The default locale's short date format, with four year digits ("06.12.2026"
// in Czech, "6.12.2026" on Czech Windows).
QString ShortDateText(const QDate& date);

// The default locale's long time format without a time-zone name: Windows
// long times carry none ("9:05:07"), while Qt's own locale data adds one.
QString LongTimeText(const QTime& time);

// The long time format of `format` with its time-zone fields taken out.
QString WithoutTimeZone(const QString& format);

}  // namespace rq30
