#include "measurement_log.h"

#include "cp1250.h"
#include "safe_file.h"

namespace rq30 {

void MeasurementLog::Clear() {
  bytes_.clear();
  lines_ = 0;
}

void MeasurementLog::Append(const std::string& utf8Line) {
  bytes_ += Utf8ToCp1250(utf8Line);
  bytes_ += "\r\n";
  ++lines_;
}

void MeasurementLog::AppendHeader(const std::string& date, const std::string& time) {
  Append("Začátek měření na regulátoru VTQ45   " + date + "     " + time);
  Append("Naměřená hodnota; Žádaná hodnota;Akční zásah; Porucha; čas; datum");
  Append(std::string(65, '-'));
}

void MeasurementLog::WriteTo(const std::string& path) const { WriteFileReplacing(path, bytes_); }

std::string RecordLine(const std::string& measured, const std::string& setpoint,
                       const std::string& output, const std::string& fault,
                       const std::string& time, const std::string& date) {
  return measured + "; " + setpoint + "; " + output + "; " + fault + ";   " + time + ";   " + date;
}

}  // namespace rq30
