#include "serial_port.h"

#include <stdexcept>

namespace rq30 {

std::string SerialPort::PortName(int number) { return "COM" + std::to_string(number); }

void SerialPort::OpenPort(int number) {
  number_ = number;
  path_.clear();
  OpenDevice(DevicePath(number), PortName(number));
}

void SerialPort::OpenPath(const std::string& path) {
  path_ = path;
  OpenDevice(path, path);
}

void SerialPort::OpenDevice(const std::string& path, const std::string& name) {
  OsClose();
  lost_ = false;
  if (!OsOpen(path)) Fail(Step::Open, name);
  if (!OsSetQueueSizes()) Fail(Step::QueueSizes, name);
  if (!OsSetTimeouts()) Fail(Step::Timeouts, name);
  if (!OsGetConfig()) Fail(Step::GetConfig, name);
  ApplyLineSettings();
  PurgeTransmit();
  PurgeReceive();
}

void SerialPort::ApplyLineSettings() {
  const std::string name = path_.empty() ? PortName(number_) : path_;
  if (!IsOpen() || !OsSetConfig()) Fail(Step::SetConfig, name);
}

// Every open or configuration failure leaves the program without a line:
// the handle closed, no port number, and the operator told why.
void SerialPort::Fail(Step step, const std::string& name) {
  OsClose();
  number_ = 0;
  switch (step) {
    case Step::Open:
      throw std::runtime_error("Sériový port " + name + " nelze otevřít");
    case Step::QueueSizes:
      throw std::runtime_error("Na " + name + " nelze otevřít vyrovnávací buffer");
    case Step::Timeouts:
      throw std::runtime_error("Na " + name + " nelze nastavit Timeout");
    case Step::GetConfig:
      throw std::runtime_error("Nelze získat konfiguraci na sériovém portu " + name);
    case Step::SetConfig:
      break;
  }
  throw std::runtime_error("Nepodařila se reinicializace portu " + name);
}

void SerialPort::ClosePort() {
  OsClose();
  lost_ = false;
}

bool SerialPort::IsOpen() const { return handle_ != -1; }

bool SerialPort::ReadPort(uint8_t* buffer, int n, int& got) {
  got = 0;
  if (!IsOpen() || n < 0) return false;
  if (OsRead(buffer, n, got)) return true;
  lost_ = true;
  return false;
}

bool SerialPort::ReadPortWithin(uint8_t* buffer, int n, int& got, int firstByteMs) {
  got = 0;
  if (!IsOpen() || n < 0) return false;
  if (OsRead(buffer, n, got, firstByteMs < 0 ? 0 : firstByteMs)) return true;
  lost_ = true;
  return false;
}

bool SerialPort::WritePort(const uint8_t* buffer, int n, int& written) {
  written = 0;
  PurgeReceive();
  PurgeTransmit();
  if (!IsOpen() || n < 0) return false;
  if (OsWrite(buffer, n, written)) return true;
  lost_ = true;
  return false;
}

void SerialPort::PurgeReceive() {
  if (IsOpen()) OsPurge(true);
}

void SerialPort::PurgeTransmit() {
  if (IsOpen()) OsPurge(false);
}

}  // namespace rq30
