// The Windows serial backend and the link on it, under Wine, against
// vtq45-sim on a pty. tools/test-windows.sh maps COM1 to the simulator and
// COM3..COM8 to a path that does not exist (HKLM\Software\Wine\Ports).
//
// What Wine on a pty cannot show, and these tests therefore do not claim:
//  - a pty keeps no parity bit, so the even parity the port sets is applied
//    but reads back as none;
//  - once the pty has dropped the parity bit, every further SetCommState
//    with even parity fails with ERROR_INVALID_PARAMETER (87) until one
//    without parity has run (wine_pty.h);
//  - rates outside Wine's own list of termios rates read back as 38400;
//  - a COM name that Wine knows opens even when the device behind it is
//    missing (Wine's own port device answers), and fails at SetupComm;
//  - Wine does not enforce the unshared open of a COM port, and ignores
//    abort-on-error.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "link.h"
#include "read_timing.h"
#include "serial_port.h"
#include "table_image.h"
#include "wine_pty.h"

namespace rq30 {
namespace {

constexpr int kSimCom = 1;      // the simulator, address 0, firmware 3
constexpr int kMissingCom = 8;  // mapped to a path that does not exist

template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

// The line as a second handle sees it (wine_pty.h).
DCB LineState(int com) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const HANDLE h = wintest::OpenSecondHandle(com);
  if (h == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "second handle on COM" << com << ": error " << GetLastError();
    return dcb;
  }
  if (!GetCommState(h, &dcb)) ADD_FAILURE() << "GetCommState: error " << GetLastError();
  CloseHandle(h);
  return dcb;
}

void ForgetPtyParity(int com) {
  const DWORD error = wintest::ForgetPtyParity(com);
  ASSERT_EQ(error, 0u) << "COM" << com << ": Windows error " << error;
}

// Passes everything on to the real port and keeps the last request, so a
// test can send the link's own telegrams by hand.
class RecordingPort : public Port {
 public:
  explicit RecordingPort(Port& line) : line_(line) {}
  bool ReadPort(uint8_t* buffer, int n, int& got) override {
    return line_.ReadPort(buffer, n, got);
  }
  bool WritePort(const uint8_t* buffer, int n, int& written) override {
    lastRequest.assign(buffer, buffer + n);
    return line_.WritePort(buffer, n, written);
  }
  void PurgeReceive() override { line_.PurgeReceive(); }
  void PurgeTransmit() override { line_.PurgeTransmit(); }

  std::vector<uint8_t> lastRequest;

 private:
  Port& line_;
};

class Win32SerialOnSim : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetPtyParity(kSimCom);
    ASSERT_NO_THROW(port.OpenPort(kSimCom)) << "is COM1 mapped to vtq45-sim?";
  }

  // The bytes of the request that one of the link's operations sends.
  template <typename Operation>
  std::vector<uint8_t> RequestOf(Operation operation) {
    RecordingPort recorder(port);
    Link link(image, &recorder);
    EXPECT_EQ(operation(link), 1);
    return recorder.lastRequest;
  }

  void Send(const std::vector<uint8_t>& request) {
    int written = 0;
    EXPECT_TRUE(port.WritePort(request.data(), static_cast<int>(request.size()), written));
    EXPECT_EQ(written, static_cast<int>(request.size()));
  }

  SerialPort port;
  TableImage image{};
};

TEST(Win32SerialOpen, FailuresNameThePortAndLeaveNoLine) {
  SerialPort port;
  // No COM0 exists anywhere: the open itself fails.
  EXPECT_EQ(ErrorOf([&] { port.OpenPort(0); }), "Sériový port COM0 nelze otevřít");
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_FALSE(port.IsOpen());
  // Wine opens its own port device for a COM name whose device is missing
  // (see the top of the file); the driver's first call refuses it.
  EXPECT_EQ(ErrorOf([&] { port.OpenPort(kMissingCom); }),
            "Na COM8 nelze otevřít vyrovnávací buffer");
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_FALSE(port.IsOpen());

  // Without a line, exchanges fail without a word, and a rate change fails.
  uint8_t buffer[8] = {};
  int n = -1;
  EXPECT_FALSE(port.WritePort(buffer, 8, n));
  EXPECT_FALSE(port.ReadPort(buffer, 8, n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(ErrorOf([&] { port.ApplyLineSettings(); }), "Nepodařila se reinicializace portu COM0");

  // A plain file opens, but is no serial line either.
  char folder[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string file = std::string(folder) + "rq30-not-a-line.txt";
  const HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  try {
    port.OpenPath(file);
    ADD_FAILURE() << "a plain file opened as a serial line";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Na " + file + " nelze otevřít vyrovnávací buffer");
  }
  EXPECT_FALSE(port.IsOpen());
  DeleteFileA(file.c_str());
}

// The open configures the line whatever another program left on it. What a
// pty can show: the rate and the stop bits (it forces 8 data bits and keeps
// no parity, and Wine always reports binary mode).
TEST_F(Win32SerialOnSim, OpenSetsRateAndStopBitsOverWhatWasThere) {
  port.ClosePort();
  {
    const HANDLE other = wintest::OpenSecondHandle(kSimCom);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(other, &dcb));
    dcb.BaudRate = 4800;
    dcb.StopBits = TWOSTOPBITS;
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    ASSERT_TRUE(SetCommState(other, &dcb)) << "error " << GetLastError();
    CloseHandle(other);
  }
  ASSERT_EQ(LineState(kSimCom).StopBits, TWOSTOPBITS);

  ASSERT_NO_THROW(port.OpenPort(kSimCom));
  const DCB dcb = LineState(kSimCom);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
}

// Every rate the port dialog offers, and one it does not, opens the line.
TEST_F(Win32SerialOnSim, EveryOfferedRateAndAnOddOneOpenTheLine) {
  // The rates Wine turns into termios rates; any other reads back as 38400.
  const std::vector<DWORD> wineRates = {110,  300,   600,   1200,  2400,  4800,
                                        9600, 19200, 38400, 57600, 115200};
  for (DWORD rate : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 56000u, 57600u,
                     115200u, 128000u, 256000u, 12345u}) {
    SCOPED_TRACE(rate);
    port.ClosePort();
    ForgetPtyParity(kSimCom);
    port.SetBaudRate(static_cast<int>(rate));
    ASSERT_NO_THROW(port.OpenPort(kSimCom));
    const bool known = std::find(wineRates.begin(), wineRates.end(), rate) != wineRates.end();
    EXPECT_EQ(LineState(kSimCom).BaudRate, known ? rate : 38400u);
  }
}

// A rate change reconfigures the open line. On a pty under Wine that second
// SetCommState with even parity fails (see the top of the file), so what is
// checked is how the port handles a failed reconfiguration, and that picking
// the port again, as the operator would, brings the line back at the new
// rate.
TEST_F(Win32SerialOnSim, FailedRateChangeLeavesNoLineUntilThePortIsPickedAgain) {
  port.SetBaudRate(19200);
  try {
    port.ApplyLineSettings();
    ADD_FAILURE() << "Wine accepted a second even-parity configuration of the pty";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Nepodařila se reinicializace portu COM1");
  }
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.PortNumber(), 0);
  uint8_t buffer[4];
  int got = -1;
  EXPECT_FALSE(port.ReadPort(buffer, 4, got));

  ForgetPtyParity(kSimCom);
  ASSERT_NO_THROW(port.OpenPort(kSimCom));
  EXPECT_EQ(LineState(kSimCom).BaudRate, 19200u);
  Link link(image, &port);
  EXPECT_EQ(link.ReadTable(11), 1);
}

// Nothing comes back: the read ends after 2 ms per byte asked for plus
// 500 ms, and is still a successful read of nothing.
TEST_F(Win32SerialOnSim, ReadWithNoReplyWaitsTheTotalTimeOut) {
  for (int n : {1, 26, 255}) {
    SCOPED_TRACE(n);
    uint8_t buffer[256];
    const test::TimedRead r = test::ReadTimed(port, buffer, n);
    std::printf("measured: read of %d bytes, no reply: %.0f ms (time-out %.0f ms)\n", n, r.ms,
                test::TotalTimeOutMs(n));
    test::ExpectTotalTimeOut(r, n, 20);
  }
}

// A reply shorter than asked for ends the read 100 ms after its last byte,
// long before the total time-out of a 255-byte read (1010 ms).
TEST_F(Win32SerialOnSim, ShortReplyEndsOneIntervalAfterItsLastByte) {
  const std::vector<uint8_t> request = RequestOf([](Link& link) { return link.ReadTable(11); });
  ASSERT_FALSE(request.empty());
  Send(request);
  uint8_t buffer[255];
  const test::TimedRead r = test::ReadTimed(port, buffer, 255);
  std::printf("measured: 255-byte read, %d-byte reply: %.0f ms (interval %.0f ms)\n", r.got, r.ms,
              test::kModelIntervalMs);
  test::ExpectEndAtGap(r, 255, 26, 0, 20);  // the live values table's data reply
}

// A reply that arrives after its read gave up must not become the start of
// the next reply: every write begins with empty queues.
TEST_F(Win32SerialOnSim, WriteDiscardsALateReply) {
  const auto identRequest = RequestOf([](Link& link) { return link.ReadDeviceType(); });
  const auto liveRequest = RequestOf([](Link& link) { return link.ReadTable(11); });

  Send(identRequest);
  Sleep(300);  // its reply now waits in the receive queue
  Send(liveRequest);
  uint8_t buffer[255];
  int got = 0;
  EXPECT_TRUE(port.ReadPort(buffer, 255, got));
  ASSERT_EQ(got, 26);
  EXPECT_EQ(buffer[0], 0x68);
  EXPECT_EQ(buffer[1], 20);  // LE of the live values reply
}

// The live values table end to end: a setpoint written to table 0 comes
// back in table 11, decoded.
TEST_F(Win32SerialOnSim, LiveValuesTravelEndToEnd) {
  Link link(image, &port);
  ASSERT_EQ(link.ReadTable(0), 1);
  image.sp = image.sp == 123.5f ? 98.25f : 123.5f;
  const float written = image.sp;
  ASSERT_EQ(link.WriteTable(0), 1);
  Sleep(300);  // the simulated process takes it over on its next step

  ClearImage(image);
  ASSERT_EQ(link.ReadTable(11), 1);
  EXPECT_EQ(image.live.setpoint, written);
  EXPECT_EQ(image.live.fault, 0);
  EXPECT_GT(image.live.terminal, 0.0f);

  ASSERT_EQ(link.ReadDeviceType(), 1);
  EXPECT_STREQ(image.deviceType, "VTQ45");
  ASSERT_EQ(link.ReadFirmwareVersion(), 1);
  EXPECT_STREQ(image.firmwareVersion, "FW-K-47-03");
}

TEST_F(Win32SerialOnSim, WrittenTableReadsBack) {
  Link link(image, &port);
  ASSERT_EQ(link.ReadTable(1), 1);
  const AlarmTable wanted{-12.5f, 345.25f, 2.5f,
                          static_cast<uint8_t>(image.alarm1.rala == 2 ? 1 : 2),
                          static_cast<uint8_t>(image.alarm1.rele ? 0 : 1)};
  image.alarm1 = wanted;
  ASSERT_EQ(link.WriteTable(1), 1);

  ClearImage(image);
  ASSERT_EQ(link.ReadTable(1), 1);
  EXPECT_EQ(image.alarm1.splo, wanted.splo);
  EXPECT_EQ(image.alarm1.sphi, wanted.sphi);
  EXPECT_EQ(image.alarm1.hyst, wanted.hyst);
  EXPECT_EQ(image.alarm1.rala, wanted.rala);
  EXPECT_EQ(image.alarm1.rele, wanted.rele);
}

}  // namespace
}  // namespace rq30
