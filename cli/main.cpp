// rq30ctl: the controller link from a command line.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <iostream>
#include <thread>

#include "cli.h"

namespace {

volatile std::sig_atomic_t stop = 0;

void OnInterrupt(int) { stop = 1; }

// Sleeps in short steps so that Ctrl+C ends a long interval at once.
void Pause(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!stop && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#ifdef SIGHUP
  // A dropped SSH session ends a logger like Ctrl+C: its file complete.
  std::signal(SIGHUP, OnInterrupt);
#endif

  rq30::cli::Io io{std::cout, std::cerr, Pause, [] { return stop != 0; },
                   isatty(STDERR_FILENO) != 0};
  return rq30::cli::Run(std::vector<std::string>(argv + 1, argv + argc), io);
}
