// The one serial line of the program: "COMn" opened with the controller's
// line settings (8 data bits, even parity, 1 stop bit) and the read time-out
// model of the Windows serial driver: a read of n bytes ends when n bytes have
// come, when the gap after a received byte exceeds 100 ms, or after
// 2 ms × n + 500 ms in all.
//
// One backend per platform implements the Os* members: serial_port_posix.cpp
// (termios2 on Linux, with a COMn mapping through the user's config folder)
// and serial_port_win.cpp (the Windows serial calls).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "port.h"

namespace rq30 {

constexpr int kReadIntervalMs = 100;
constexpr int kReadTotalPerByteMs = 2;
constexpr int kReadTotalConstantMs = 500;
constexpr int kDefaultBaudRate = 9600;

class SerialPort : public Port {
 public:
  SerialPort();
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens and configures COMn. On failure closes what was opened, sets the
  // port number to 0 and throws std::runtime_error with the program's text.
  void OpenPort(int number);
  // The same for an explicit device path (the command-line client); the
  // messages then name the path.
  void OpenPath(const std::string& path);
  // Writes the line configuration with the current baud rate to the open
  // line; throws like OpenPort.
  void ApplyLineSettings();
  void ClosePort();

  bool ReadPort(uint8_t* buffer, int n, int& got) override;
  bool ReadPortWithin(uint8_t* buffer, int n, int& got, int firstByteMs) override;
  bool WritePort(const uint8_t* buffer, int n, int& written) override;
  void PurgeReceive() override;
  void PurgeTransmit() override;

  bool IsOpen() const;
  // A platform read or write failed since the line was opened: the device
  // has gone (an adapter pulled, its node removed) or stopped working. A
  // silent line is not lost; only reopening can bring a lost one back.
  bool LineLost() const { return lost_; }
  int PortNumber() const { return number_; }
  // Records the number without touching the line ("žádný port" keeps the
  // open line working).
  void SetPortNumber(int number) { number_ = number; }
  int BaudRate() const { return baud_; }
  void SetBaudRate(int baud) { baud_ = baud; }

  // "COM3" for 3.
  static std::string PortName(int number);
  // The device behind COMn on this platform.
  static std::string DevicePath(int number);

 private:
  enum class Step { Open, QueueSizes, Timeouts, GetConfig, SetConfig };
  void OpenDevice(const std::string& path, const std::string& name);
  [[noreturn]] void Fail(Step step, const std::string& name);

  // Platform backend.
  bool OsOpen(const std::string& path);
  bool OsSetQueueSizes();
  bool OsSetTimeouts();
  bool OsGetConfig();
  bool OsSetConfig();
  void OsClose();
  // firstByteMs < 0: the line's own total time-out.
  bool OsRead(uint8_t* buffer, int n, int& got, int firstByteMs = -1);
  bool OsWrite(const uint8_t* buffer, int n, int& written);
  void OsPurge(bool receive);

  std::string path_;  // set when opened by path; the messages then name it
  int number_ = 1;
  int baud_ = kDefaultBaudRate;
  intptr_t handle_ = -1;  // fd or HANDLE; -1 when closed
  bool lost_ = false;
  struct LineConfig;  // the platform's serial line record
  std::unique_ptr<LineConfig> config_;
};

}  // namespace rq30
