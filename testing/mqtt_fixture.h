// A real MQTT broker and client for tests and benchmarks of the bridge:
// Debian's mosquitto started on 127.0.0.1 at a free port with a config of
// the test's own, a libmosquitto subscriber that records what arrives, and a
// child process (the bridge) that can be signalled and awaited. The users
// link libmosquitto themselves.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace rq30::testing {

using MqttClock = std::chrono::steady_clock;

// A port nobody listens on right now (the kernel's choice for port 0).
inline int FreeTcpPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(fd);
    throw std::runtime_error("no free port");
  }
  close(fd);
  return ntohs(a.sin_port);
}

inline bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

// A program run as a child; its standard output and error go to files.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const std::string& outPath,
               const std::string& errPath) {
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(err, 2);
      // Nothing else of ours: a pty master held here would keep a line
      // alive that the test means to pull out.
      for (int fd = 3; fd < 1024; ++fd) close(fd);
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  void Signal(int sig) { kill(pid_, sig); }
  // The exit code (128 + signal for a signal); -1 when still running after
  // `timeout`.
  int Wait(std::chrono::milliseconds timeout) {
    const auto end = MqttClock::now() + timeout;
    while (!exited_) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (MqttClock::now() >= end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return code_;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int code_ = -1;
};

// mosquitto on 127.0.0.1:port with `extraConfig` lines (TLS, passwords).
class MosquittoBroker {
 public:
  MosquittoBroker(std::string dir, std::string extraConfig = "allow_anonymous true\n",
                  int port = FreeTcpPort())
      : dir_(std::move(dir)), extra_(std::move(extraConfig)), port_(port) {}
  ~MosquittoBroker() { Stop(); }

  int Port() const { return port_; }

  // Starts it and waits until it accepts connections.
  void Start() {
    const std::string config = dir_ + "/mosquitto.conf";
    {
      std::ofstream c(config);
      c << "listener " << port_ << " 127.0.0.1\npersistence false\n" << extra_;
    }
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{MOSQUITTO_BROKER, "-c", config}, dir_ + "/broker.out",
        dir_ + "/broker.log");
    const auto end = MqttClock::now() + std::chrono::seconds(10);
    while (!Accepts(port_)) {
      if (MqttClock::now() > end || process_->Wait(std::chrono::milliseconds(0)) >= 0) {
        throw std::runtime_error("mosquitto did not start; see " + dir_ + "/broker.log");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void Stop() {
    if (!process_) return;
    process_->Signal(SIGTERM);
    if (process_->Wait(std::chrono::seconds(5)) < 0) process_->Signal(SIGKILL);
    process_->Wait(std::chrono::seconds(5));
    process_.reset();
  }

 private:
  std::string dir_;
  std::string extra_;
  int port_;
  std::unique_ptr<ChildProcess> process_;
};

struct MqttReceived {
  std::string topic;
  std::string payload;
  bool retained;
  MqttClock::time_point at;
};

struct MqttLogin {
  std::string user, password, cafile;  // cafile: TLS
};

// Subscribes to `topic` and records every message, with its arrival time.
class MqttSubscriber {
 public:
  MqttSubscriber(int port, const std::string& topic, const MqttLogin& login = {}) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    if (!login.user.empty()) {
      mosquitto_username_pw_set(mosq_, login.user.c_str(), login.password.c_str());
    }
    if (!login.cafile.empty()) mosquitto_tls_set(mosq_, login.cafile.c_str(), nullptr, nullptr, nullptr, nullptr);
    topic_ = topic;
    mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
      if (rc == 0) mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber*>(self)->topic_.c_str(), 1);
    });
    mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
      auto* s = static_cast<MqttSubscriber*>(self);
      std::lock_guard<std::mutex> lock(s->mutex_);
      s->subscribed_ = true;
      s->changed_.notify_all();
    });
    mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto* s = static_cast<MqttSubscriber*>(self);
      std::lock_guard<std::mutex> lock(s->mutex_);
      s->messages_.push_back({m->topic, std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                              m->retain, MqttClock::now()});
      s->changed_.notify_all();
    });
    if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS) {
      throw std::runtime_error("subscriber cannot connect");
    }
    mosquitto_loop_start(mosq_);
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::seconds(10), [this] { return subscribed_; })) {
      throw std::runtime_error("subscription not confirmed");
    }
  }
  ~MqttSubscriber() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
    mosquitto_lib_cleanup();
  }
  MqttSubscriber(const MqttSubscriber&) = delete;
  MqttSubscriber& operator=(const MqttSubscriber&) = delete;

  std::vector<MqttReceived> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }

  // Waits until `done` holds for the messages so far; false on time-out.
  bool WaitFor(const std::function<bool(const std::vector<MqttReceived>&)>& done,
               std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(messages_); });
  }

  // Waits for a message on `topic` with `payload`, after the first `from`.
  bool WaitForMessage(const std::string& topic, const std::string& payload,
                      std::chrono::milliseconds timeout, std::size_t from = 0) {
    return WaitFor(
        [&](const std::vector<MqttReceived>& all) {
          for (std::size_t i = from; i < all.size(); ++i) {
            if (all[i].topic == topic && all[i].payload == payload) return true;
          }
          return false;
        },
        timeout);
  }

  std::size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_.size();
  }

 private:
  mosquitto* mosq_ = nullptr;
  std::string topic_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool subscribed_ = false;
  std::vector<MqttReceived> messages_;
};

}  // namespace rq30::testing
