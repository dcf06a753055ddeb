// The bridge's one connection to the broker, through libmosquitto, driven
// from the bridge's own loop (no thread of libmosquitto's): it connects,
// reconnects with back-off (1, 2, 4 ... at most 30 s between tries), and
// tells standard error once per change of state, not once per try.
//
// Nothing is queued for a broker that is away: Publish() while not connected
// drops the message and says so by its result. The retained state the
// broker should hold is published again by the OnConnected hook.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

#include "bridge_options.h"

struct mosquitto;

namespace rq30::cli {

class MqttSession {
 public:
  // Sets the will (`willTopic` "offline", retained) and the TLS and login
  // options; throws BridgeUsageError when libmosquitto refuses them.
  MqttSession(const BridgeOptions& options, const std::string& password,
              const std::string& clientId, const std::string& willTopic, std::ostream& err);
  ~MqttSession();
  MqttSession(const MqttSession&) = delete;
  MqttSession& operator=(const MqttSession&) = delete;

  // Runs once per accepted connection, before anything else is sent on it.
  void SetOnConnected(std::function<void()> hook) { onConnected_ = std::move(hook); }

  // Connects when a try is due and handles the connection's traffic for at
  // most `ms` milliseconds. False after a fault that ends the bridge: at the
  // first connection, a certificate that fails verification or a broker that
  // refuses the credentials (the message is written). Later the same faults
  // are retried, since they may be passing.
  bool Service(int ms);

  bool Connected() const { return state_ == State::kConnected; }

  // QoS 0 or 1. False, and nothing kept, when not connected.
  bool Publish(const std::string& topic, const std::string& payload, int qos, bool retain);

  // Publishes the last message (QoS 1, retained), waits at most `ms` for the
  // broker to take it, and disconnects cleanly, so that the will is dropped.
  void Close(const std::string& topic, const std::string& payload, int ms);

 private:
  enum class State { kIdle, kConnecting, kConnected };
  using Clock = std::chrono::steady_clock;

  void TryConnect();
  void Lost(int rc, int error);
  std::string Where() const;
  static void OnConnect(struct mosquitto*, void* self, int rc);
  static void OnPublish(struct mosquitto*, void* self, int mid);

  struct mosquitto* mosq_ = nullptr;
  BrokerUrl broker_;
  std::ostream& err_;
  std::function<void()> onConnected_;
  State state_ = State::kIdle;
  bool everConnected_ = false;
  bool triedOnce_ = false;
  bool fatal_ = false;
  bool reportedUnreachable_ = false;
  int connackCode_ = 0;
  int lastAcked_ = -1;
  std::chrono::seconds delay_{1};
  Clock::time_point nextTry_ = Clock::now();
};

}  // namespace rq30::cli
