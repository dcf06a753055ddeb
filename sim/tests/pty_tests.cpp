// The pty server, talked to through the slave side like a serial line.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "hex.h"
#include "pty_server.h"

namespace rq30::sim {
namespace {

using Clock = std::chrono::steady_clock;
using test::Hex;
using test::ValidDataReply;

int OpenRaw(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return fd;
  termios tio;
  tcgetattr(fd, &tio);
  cfmakeraw(&tio);
  tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

// Reads until `n` bytes came or nothing came for `quietMs`.
std::vector<uint8_t> ReadReply(int fd, std::size_t n, int quietMs = 500) {
  std::vector<uint8_t> bytes;
  uint8_t buffer[256];
  while (bytes.size() < n) {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, quietMs) <= 0) break;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

void Write(int fd, const std::vector<uint8_t>& bytes) {
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.SetRealTime(false);
    server.Start();
    fd = OpenRaw(server.SlavePath());
    ASSERT_GE(fd, 0) << server.SlavePath();
  }
  void TearDown() override {
    if (fd >= 0) close(fd);
  }

  const std::vector<uint8_t> readLive = Hex("68 08 08 68 05 00 6C 01 0B 11 00 00 CS 16");
  ControllerModel model{Firmware::V3, {5}};
  PtyServer server{model};
  int fd = -1;
};

TEST_F(PtyTest, AnswersAReadRequest) {
  EXPECT_EQ(server.SlavePath().rfind("/dev/pts/", 0), 0u);
  Write(fd, readLive);
  const auto reply = ReadReply(fd, 26);
  ASSERT_EQ(reply.size(), 26u);
  EXPECT_TRUE(ValidDataReply(reply));
  // Nothing more follows: the master does not echo the request back.
  EXPECT_TRUE(ReadReply(fd, 1, 100).empty());
}

TEST_F(PtyTest, FramesTelegramsFromPiecesAndSkipsNoise) {
  // Noise first, then a telegram in two pieces within the quiet gap.
  Write(fd, Hex("FF 00"));
  Write(fd, std::vector<uint8_t>(readLive.begin(), readLive.begin() + 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Write(fd, std::vector<uint8_t>(readLive.begin() + 5, readLive.end()));
  EXPECT_EQ(ReadReply(fd, 26).size(), 26u);

  // A probe and a read back to back are two telegrams with two answers.
  auto both = Hex("10 05 00 69 CS 16");
  both.insert(both.end(), readLive.begin(), readLive.end());
  Write(fd, both);
  const auto replies = ReadReply(fd, 6 + 26);
  ASSERT_EQ(replies.size(), 32u);
  EXPECT_EQ(std::vector<uint8_t>(replies.begin(), replies.begin() + 6), Hex("10 00 05 00 05 16"));
}

TEST_F(PtyTest, IncompleteTelegramIsForgottenAfterAQuietGap) {
  Write(fd, std::vector<uint8_t>(readLive.begin(), readLive.begin() + 9));
  std::this_thread::sleep_for(std::chrono::milliseconds(kQuietGapMs * 3));
  Write(fd, readLive);
  const auto reply = ReadReply(fd, 26);
  EXPECT_EQ(reply.size(), 26u);
  EXPECT_TRUE(ValidDataReply(reply));
}

TEST_F(PtyTest, TimingFaultsStretchTheReply) {
  const struct {
    int delayMs, gapMs, baud;
    int atLeastMs;
  } cases[] = {
      {150, 0, 0, 150},
      {0, 10, 0, 25 * 10},                  // 25 gaps between 26 bytes
      {0, 0, 1200, 40 * 11 * 1000 / 1200},  // 14 bytes in, 26 out at 1200 Bd
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.delayMs) + " " + std::to_string(c.gapMs) + " " +
                 std::to_string(c.baud));
    server.WithModel([&](ControllerModel& m) {
      m.Injected().delayMs = c.delayMs;
      m.Injected().gapMs = c.gapMs;
      m.Injected().baud = c.baud;
    });
    const auto start = Clock::now();
    Write(fd, readLive);
    const auto reply = ReadReply(fd, 26);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(reply.size(), 26u);
    EXPECT_TRUE(ValidDataReply(reply));
    EXPECT_GE(ms, c.atLeastMs);
    EXPECT_LT(ms, c.atLeastMs + 1000);
  }
}

TEST_F(PtyTest, FaultsSetWhileServingApplyToTheNextReplies) {
  server.WithModel([](ControllerModel& m) { m.Injected().dropReplies = 1; });
  Write(fd, readLive);
  EXPECT_TRUE(ReadReply(fd, 26, 200).empty());
  Write(fd, readLive);
  EXPECT_EQ(ReadReply(fd, 26).size(), 26u);
  EXPECT_EQ(server.WithModel([](ControllerModel& m) { return m.Requests().size(); }), 2u);
}

TEST_F(PtyTest, ClientMayCloseAndReopenTheLine) {
  close(fd);
  fd = OpenRaw(server.SlavePath());
  ASSERT_GE(fd, 0);
  Write(fd, readLive);
  EXPECT_EQ(ReadReply(fd, 26).size(), 26u);
}

TEST_F(PtyTest, StoppedServerLeavesASilentLine) {
  server.Stop();
  Write(fd, readLive);
  EXPECT_TRUE(ReadReply(fd, 26, 200).empty());
  server.Start();
  tcflush(fd, TCIOFLUSH);
  Write(fd, readLive);
  EXPECT_EQ(ReadReply(fd, 26).size(), 26u);
}

TEST_F(PtyTest, PulledPlugFailsTheClient) {
  const std::string path = server.SlavePath();
  server.PullPlug();
  uint8_t byte;
  pollfd p = {fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 1000), 1);
  EXPECT_TRUE(p.revents & (POLLHUP | POLLERR));
  EXPECT_LE(read(fd, &byte, 1), 0);
  EXPECT_NE(access(path.c_str(), F_OK), 0) << "the slave is gone";
}

}  // namespace
}  // namespace rq30::sim
