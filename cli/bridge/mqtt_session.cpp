#include "mqtt_session.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace rq30::cli {

namespace {

constexpr int kKeepAliveS = 30;
constexpr std::chrono::seconds kMaxDelay{30};

void Check(int rc, const std::string& what) {
  if (rc != MOSQ_ERR_SUCCESS) {
    throw BridgeUsageError(what + ": " + mosquitto_strerror(rc));
  }
}

// A TLS handshake that fails shows as EPROTO after the failed call.
bool TlsFault(int rc, int error) { return rc == MOSQ_ERR_TLS || error == EPROTO; }

}  // namespace

MqttSession::MqttSession(const BridgeOptions& o, const std::string& password,
                         const std::string& clientId, const std::string& willTopic,
                         std::ostream& err)
    : broker_(o.broker), err_(err) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new(clientId.c_str(), true, this);
  if (!mosq_) throw BridgeUsageError("cannot make an MQTT client");
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(mosq_, &MqttSession::OnConnect);
  mosquitto_publish_callback_set(mosq_, &MqttSession::OnPublish);
  static const char kOffline[] = "offline";
  Check(mosquitto_will_set(mosq_, willTopic.c_str(), sizeof kOffline - 1, kOffline, 1, true),
        "last will");
  if (!o.user.empty()) {
    Check(mosquitto_username_pw_set(mosq_, o.user.c_str(),
                                    o.passwordFile.empty() ? nullptr : password.c_str()),
          "--user");
  }
  if (o.broker.tls) {
    if (!o.cafile.empty() || !o.cert.empty()) {
      // libmosquitto wants a CA source beside a client certificate.
      Check(mosquitto_tls_set(mosq_, o.cafile.empty() ? nullptr : o.cafile.c_str(),
                              o.cafile.empty() ? "/etc/ssl/certs" : nullptr,
                              o.cert.empty() ? nullptr : o.cert.c_str(),
                              o.key.empty() ? nullptr : o.key.c_str(), nullptr),
            "TLS files");
    } else {
      Check(mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1), "system CA certificates");
    }
    if (o.insecure) {
      Check(mosquitto_tls_opts_set(mosq_, 0 /* SSL_VERIFY_NONE */, nullptr, nullptr), "--insecure");
      Check(mosquitto_tls_insecure_set(mosq_, true), "--insecure");
    }
  }
}

MqttSession::~MqttSession() {
  mosquitto_destroy(mosq_);
  mosquitto_lib_cleanup();
}

std::string MqttSession::Where() const {
  return "broker " + broker_.host + ":" + std::to_string(broker_.port);
}

void MqttSession::TryConnect() {
  connackCode_ = 0;
  errno = 0;
  const int rc =
      triedOnce_ ? mosquitto_reconnect_async(mosq_)
                 : mosquitto_connect_async(mosq_, broker_.host.c_str(), broker_.port, kKeepAliveS);
  triedOnce_ = true;
  if (rc == MOSQ_ERR_SUCCESS) {
    state_ = State::kConnecting;
  } else {
    Lost(rc, errno);
  }
}

void MqttSession::Lost(int rc, int error) {
  const State was = state_;
  state_ = State::kIdle;
  // No DISCONNECT here: libmosquitto has closed the socket, and a clean
  // DISCONNECT would make the broker drop the will.
  std::string why = rc == MOSQ_ERR_ERRNO && error ? std::strerror(error) : mosquitto_strerror(rc);
  if (connackCode_) why = mosquitto_connack_string(connackCode_);
  const bool refused = connackCode_ == 4 || connackCode_ == 5;  // credentials, not authorised
  if (!everConnected_ && (TlsFault(rc, error) || refused)) {
    err_ << "rq30ctl: " << Where() << ": " << (refused ? why : "TLS handshake failed (" + why + ")")
         << "; giving up\n";
    fatal_ = true;
    return;
  }
  if (was == State::kConnected) {
    err_ << "rq30ctl: " << Where() << ": connection lost (" << why << "); reconnecting\n";
    delay_ = std::chrono::seconds(1);
    reportedUnreachable_ = false;
  } else if (!reportedUnreachable_) {
    err_ << "rq30ctl: " << Where() << ": cannot connect (" << why
         << "); trying again with back-off, at most 30 s apart\n";
    reportedUnreachable_ = true;
  }
  nextTry_ = Clock::now() + delay_;
  delay_ = std::min(delay_ * 2, kMaxDelay);
}

bool MqttSession::Service(int ms) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  while (!fatal_) {
    const Clock::time_point now = Clock::now();
    if (now >= end) break;
    const int left =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count());
    if (state_ == State::kIdle) {
      if (now >= nextTry_) {
        TryConnect();
        continue;
      }
      const auto wait = std::min(end, nextTry_) - now;
      std::this_thread::sleep_for(std::min<Clock::duration>(wait, std::chrono::milliseconds(50)));
      continue;
    }
    errno = 0;
    const int rc = mosquitto_loop(mosq_, std::max(1, std::min(left, 100)), 1);
    if (rc != MOSQ_ERR_SUCCESS) Lost(rc, errno);
  }
  return !fatal_;
}

bool MqttSession::Publish(const std::string& topic, const std::string& payload, int qos,
                          bool retain) {
  if (state_ != State::kConnected) return false;
  return mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                           payload.data(), qos, retain) == MOSQ_ERR_SUCCESS;
}

void MqttSession::Close(const std::string& topic, const std::string& payload, int ms) {
  if (state_ != State::kConnected) return;
  int mid = -1;
  if (mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                        payload.data(), 1, true) == MOSQ_ERR_SUCCESS) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (lastAcked_ != mid && state_ == State::kConnected && Clock::now() < end) {
      if (mosquitto_loop(mosq_, 50, 1) != MOSQ_ERR_SUCCESS) break;
    }
  }
  mosquitto_disconnect(mosq_);
  state_ = State::kIdle;
}

void MqttSession::OnConnect(struct mosquitto*, void* self, int rc) {
  auto* s = static_cast<MqttSession*>(self);
  if (rc != 0) {
    s->connackCode_ = rc;  // mosquitto_loop fails next and Lost() reports it
    return;
  }
  s->state_ = State::kConnected;
  s->delay_ = std::chrono::seconds(1);
  s->reportedUnreachable_ = false;
  s->err_ << "rq30ctl: " << s->Where() << ": connected\n";
  s->everConnected_ = true;
  if (s->onConnected_) s->onConnected_();
}

void MqttSession::OnPublish(struct mosquitto*, void* self, int mid) {
  static_cast<MqttSession*>(self)->lastAcked_ = mid;
}

}  // namespace rq30::cli
