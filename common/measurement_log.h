// The measurement log: the lines of one measurement, kept exactly as the log
// file holds them (Windows-1250, CR LF after every line), so that appending a
// record is cheap and writing the file is one write of the whole list.
#pragma once

#include <cstddef>
#include <string>

namespace rq30 {

class MeasurementLog {
 public:
  // Empties the list (a new measurement, or the program's start).
  void Clear();

  // Appends one line given in UTF-8.
  void Append(const std::string& utf8Line);

  // Starts a measurement: the three header lines with its date and time.
  void AppendHeader(const std::string& date, const std::string& time);

  std::size_t LineCount() const { return lines_; }
  // The file's contents: every line in Windows-1250, each ended by CR LF.
  const std::string& Contents() const { return bytes_; }

  // Replaces the file with the whole list through a temporary file, so a
  // failed write leaves the old file as it was. Throws
  // std::runtime_error("Cannot create file <path>").
  void WriteTo(const std::string& path) const;

 private:
  std::string bytes_;
  std::size_t lines_ = 0;
};

// One record: the four panel texts as shown, then time and date.
std::string RecordLine(const std::string& measured, const std::string& setpoint,
                       const std::string& output, const std::string& fault,
                       const std::string& time, const std::string& date);

}  // namespace rq30
