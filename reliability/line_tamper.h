// A pseudo-terminal of its own between the program's serial line and the
// simulator's, that passes the bytes on both ways and can cut the
// controller's replies short, as a line does when a converter or a cable
// drops out in the middle of a telegram.
//
// The program opens SlavePath() (map a COM name to it); the tamper opens the
// simulator's slave path as its client. A reply is what comes back after a
// request: the cut applies to the bytes that follow each of the next N
// requests.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace rq30::reliability {

class LineTamper {
 public:
  explicit LineTamper(std::string controllerPath);
  ~LineTamper();
  LineTamper(const LineTamper&) = delete;
  LineTamper& operator=(const LineTamper&) = delete;

  // Opens both ends and starts passing bytes. Throws std::runtime_error when
  // a pty or the controller's line cannot be had.
  void Start();
  void Stop();

  const std::string& SlavePath() const { return slavePath_; }

  // The replies to the next `replies` requests stop after `keepBytes` bytes.
  void CutReplies(int replies, int keepBytes);
  // Replies cut so far.
  int RepliesCut() const { return cut_; }
  // Requests the program has sent through the tamper.
  int Requests() const { return requests_; }

  // Closes the program's side, as when a USB adapter is pulled: its reads
  // and writes fail and the slave path goes away.
  void PullPlug();

 private:
  void Run();
  void FromProgram();
  void FromController();

  std::string controllerPath_;
  std::string slavePath_;
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up
  int controller_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::atomic<bool> stop_{false};

  std::mutex mutex_;
  int cutsLeft_ = 0;
  int keepBytes_ = 0;
  long budget_ = -1;  // bytes of the current reply still passed on; -1: all
  std::atomic<int> cut_{0};
  std::atomic<int> requests_{0};
};

}  // namespace rq30::reliability
