// rq30ctl bridge as a child process, against a real mosquitto on 127.0.0.1
// and the simulator on a pty mapped to COM1 in a private configuration
// folder (which the child inherits), watched by a real MQTT client.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "mqtt_fixture.h"
#include "sim_line.h"

namespace rq30 {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::MosquittoBroker;
using testing::MqttReceived;
using testing::MqttSubscriber;
using testing::SimLine;
using testing::SimLineOptions;

const char kPrefix[] = "plant/line1/vtq";

SimLineOptions ControllerAt5() {
  SimLineOptions o;
  o.addresses = {5};
  o.openPort = false;  // the bridge opens COM1 itself
  return o;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The bridge on COM1 at address 5, with extra arguments.
std::unique_ptr<ChildProcess> StartBridge(const std::string& dir, const std::string& broker,
                                          std::vector<std::string> extra = {},
                                          const std::string& port = "COM1") {
  std::vector<std::string> argv = {RQ30CTL_PATH, "--port", port, "--da", "5", "bridge",
                                   "--broker", broker, "--topic", kPrefix, "--interval", "1"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  return std::make_unique<ChildProcess>(argv, dir + "/bridge.out", dir + "/bridge.err");
}

std::vector<MqttReceived> On(const std::vector<MqttReceived>& all, const std::string& leaf) {
  std::vector<MqttReceived> found;
  for (const MqttReceived& m : all) {
    if (m.topic == std::string(kPrefix) + "/" + leaf) found.push_back(m);
  }
  return found;
}

std::time_t SampleTime(const nlohmann::json& live) {
  std::tm t{};
  strptime(live["time"].get<std::string>().c_str(), "%Y-%m-%dT%H:%M:%S", &t);
  return timegm(&t);  // the offset is the same for all, so it cancels out
}

void SetMeasured(SimLine& line, float value) {
  line.WithModel([value](sim::ControllerModel& m) { return m.Image().live.measured = value; });
}

// The whole life of one bridge: a broker that is not there yet, samples, a
// late subscriber, a controller that falls silent and comes back, a broker
// that restarts, and a clean stop.
TEST(Bridge, PublishesTheControllerAndKeepsRunning) {
  SimLine line(ControllerAt5());
  const std::string dir = line.home.Dir();
  SetMeasured(line, 21.5f);
  line.WithModel([](sim::ControllerModel& m) {
    m.Image().live.relays = 0x05;
    return 0;
  });
  MosquittoBroker broker(dir);
  const std::string url = "mqtt://127.0.0.1:" + std::to_string(broker.Port());
  auto bridge = StartBridge(dir, url);

  // No broker at start: said once, tried again with back-off (the tries at
  // 0 s and 1 s fail), and joined once the broker is up.
  const auto told = testing::MqttClock::now() + 10s;
  while (ReadText(dir + "/bridge.err").find("cannot connect") == std::string::npos) {
    ASSERT_LT(testing::MqttClock::now(), told) << ReadText(dir + "/bridge.err");
    std::this_thread::sleep_for(20ms);
  }
  std::this_thread::sleep_for(1500ms);
  broker.Start();
  MqttSubscriber sub(broker.Port(), std::string(kPrefix) + "/#");

  // Three samples, each with the value the controller held then.
  const float values[] = {21.5f, 22.25f, -3.125f};
  for (int k = 0; k < 3; ++k) {
    ASSERT_TRUE(sub.WaitFor([k](const auto& all) { return On(all, "live").size() > std::size_t(k); },
                            15s))
        << k << ReadText(dir + "/bridge.err");
    const nlohmann::json live = nlohmann::json::parse(On(sub.Messages(), "live")[k].payload);
    EXPECT_EQ(live["measured"].get<double>(), values[k]) << live.dump();
    EXPECT_EQ(live["relays"], nlohmann::json::parse("[true,false,true,false]"));
    if (k < 2) SetMeasured(line, values[k + 1]);
  }
  {
    const auto lives = On(sub.Messages(), "live");
    for (int k = 1; k < 3; ++k) {
      EXPECT_EQ(SampleTime(nlohmann::json::parse(lives[k].payload)) -
                    SampleTime(nlohmann::json::parse(lives[k - 1].payload)),
                1);
      const auto gap = lives[k].at - lives[k - 1].at;
      EXPECT_GT(gap, 700ms);
      EXPECT_LT(gap, 1300ms);
      EXPECT_FALSE(lives[k].retained);
    }
  }
  EXPECT_EQ(Occurrences(ReadText(dir + "/bridge.err"), "cannot connect"), 1u)
      << ReadText(dir + "/bridge.err");

  // A client that comes later gets the identification and the status.
  {
    MqttSubscriber late(broker.Port(), std::string(kPrefix) + "/+");
    ASSERT_TRUE(late.WaitForMessage(std::string(kPrefix) + "/status", "online", 5s));
    ASSERT_TRUE(late.WaitFor([](const auto& all) { return !On(all, "ident").empty(); }, 5s));
    const auto all = late.Messages();
    EXPECT_TRUE(On(all, "status")[0].retained);
    EXPECT_TRUE(On(all, "ident")[0].retained);
    EXPECT_EQ(On(all, "ident")[0].payload,
              "{\"device\":\"VTQ45\",\"firmware\":\"FW-K-47-03\",\"variant\":3}");
  }

  // The controller falls silent, then answers again.
  std::size_t from = sub.Count();
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().dropReplies = 1000000; });
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "no-reply", 15s, from));
  from = sub.Count();
  line.WithModel([](sim::ControllerModel& m) { return m.Injected().dropReplies = 0; });
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "online", 15s, from));

  // The broker stops and starts again on its port: samples resume by
  // themselves, and the retained state is there again.
  broker.Stop();
  broker.Start();
  MqttSubscriber again(broker.Port(), std::string(kPrefix) + "/#");
  SetMeasured(line, 30.5f);
  ASSERT_TRUE(again.WaitFor(
      [](const auto& all) {
        for (const MqttReceived& m : On(all, "live")) {
          if (nlohmann::json::parse(m.payload)["measured"] == 30.5) return true;
        }
        return false;
      },
      20s))
      << ReadText(dir + "/bridge.err");
  EXPECT_NE(ReadText(dir + "/bridge.err").find("connection lost"), std::string::npos);

  // SIGTERM: a clean stop that says "offline" itself.
  from = again.Count();
  bridge->Signal(SIGTERM);
  EXPECT_TRUE(again.WaitForMessage(std::string(kPrefix) + "/status", "offline", 5s, from));
  EXPECT_EQ(bridge->Wait(5s), 0) << ReadText(dir + "/bridge.err");
}

// Nothing written to the controller: the bridge only reads.
TEST(Bridge, ReadsOnlyAndAKilledBridgeLeavesItsWill) {
  SimLine line(ControllerAt5());
  const std::string dir = line.home.Dir();
  const TableImage before = line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  MosquittoBroker broker(dir);
  broker.Start();
  MqttSubscriber sub(broker.Port(), std::string(kPrefix) + "/#");
  auto bridge = StartBridge(dir, "mqtt://127.0.0.1:" + std::to_string(broker.Port()),
                            {"--ha-discovery"});
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "online", 10s))
      << ReadText(dir + "/bridge.err");
  ASSERT_TRUE(sub.WaitFor([](const auto& all) { return On(all, "live").size() >= 2; }, 10s));

  const std::size_t from = sub.Count();
  bridge->Signal(SIGKILL);
  EXPECT_EQ(bridge->Wait(5s), 128 + SIGKILL);
  EXPECT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "offline", 10s, from));

  const TableImage after = line.WithModel([](sim::ControllerModel& m) { return m.Image(); });
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  for (const sim::Request& q : line.Requests()) {
    EXPECT_NE(q.function, 0x63) << "a write reached the controller";
  }
  // Home Assistant finds the entities under its own prefix.
  MqttSubscriber ha(broker.Port(), "homeassistant/#");
  EXPECT_TRUE(ha.WaitFor([](const auto& all) { return all.size() >= 8; }, 5s));
}

// The adapter is pulled out and plugged in again (a new device behind the
// same path): the bridge says no-reply, reopens the line by itself and
// identifies the controller again. The bridge opens a link of the test's
// own, so that it can never fall back to a real port while the pty is away.
TEST(Bridge, LineThatGoesAndComesBack) {
  SimLine line(ControllerAt5());
  const std::string dir = line.home.Dir();
  const std::string adapter = dir + "/adapter";
  std::filesystem::create_symlink(line.server.SlavePath(), adapter);
  MosquittoBroker broker(dir);
  broker.Start();
  MqttSubscriber sub(broker.Port(), std::string(kPrefix) + "/#");
  auto bridge = StartBridge(dir, "mqtt://127.0.0.1:" + std::to_string(broker.Port()), {}, adapter);
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "online", 10s))
      << ReadText(dir + "/bridge.err");

  std::size_t from = sub.Count();
  line.server.PullPlug();
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "no-reply", 10s, from));
  EXPECT_NE(ReadText(dir + "/bridge.err").find("line " + adapter + " has gone"), std::string::npos)
      << ReadText(dir + "/bridge.err");

  line.WithModel([](sim::ControllerModel& m) {
    m.SetTexts("VTQ45", "FW-K-47-02");
    return 0;
  });
  from = sub.Count();
  line.server.Start();
  std::filesystem::create_symlink(line.server.SlavePath(), adapter + ".new");
  std::filesystem::rename(adapter + ".new", adapter);
  ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "online", 10s, from))
      << ReadText(dir + "/bridge.err");
  EXPECT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/ident",
                                 "{\"device\":\"VTQ45\",\"firmware\":\"FW-K-47-02\",\"variant\":2}",
                                 5s, from));
  EXPECT_TRUE(sub.WaitFor(
      [from](const auto& all) {
        return !On(std::vector<MqttReceived>(all.begin() + static_cast<long>(from), all.end()),
                   "live")
                    .empty();
      },
      5s));
  EXPECT_EQ(bridge->Wait(0ms), -1);  // still running
}

// Certificates and a password made here; the broker takes TLS only.
class BridgeTls : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& d = line.home.Dir();
    const std::string ssl = std::string(OPENSSL) + " ";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    const std::string quiet = " >>" + d + "/openssl.log 2>&1";
    {
      std::ofstream ext(d + "/ext");
      ext << "subjectAltName=IP:127.0.0.1\n";
    }
    ASSERT_EQ(std::system((ssl + "req -x509" + ec + "-keyout " + d + "/ca.key -out " + d +
                           "/ca.pem -days 2 -subj /CN=rq30-test-ca" + quiet).c_str()), 0);
    ASSERT_EQ(std::system((ssl + "req -x509" + ec + "-keyout " + d + "/other.key -out " + d +
                           "/other.pem -days 2 -subj /CN=rq30-other-ca" + quiet).c_str()), 0);
    ASSERT_EQ(std::system((ssl + "req" + ec + "-keyout " + d + "/server.key -out " + d +
                           "/server.csr -subj /CN=127.0.0.1" + quiet).c_str()), 0);
    ASSERT_EQ(std::system((ssl + "x509 -req -in " + d + "/server.csr -CA " + d + "/ca.pem -CAkey " +
                           d + "/ca.key -CAcreateserial -out " + d + "/server.pem -days 2 -extfile " +
                           d + "/ext" + quiet).c_str()), 0);
    ASSERT_EQ(std::system((std::string(MOSQUITTO_PASSWD) + " -b -c " + d + "/users bridge s3cret" +
                           quiet).c_str()), 0);
    chmod((d + "/users").c_str(), 0600);
    password = d + "/password";
    {
      std::ofstream p(password);
      p << "s3cret\n";
    }
    chmod(password.c_str(), 0600);
    std::string config = "allow_anonymous false\npassword_file " + d + "/users\ncertfile " + d +
                         "/server.pem\nkeyfile " + d + "/server.key\n";
    if (geteuid() == 0) config += "user root\n";  // else mosquitto drops to its own user
    broker = std::make_unique<MosquittoBroker>(d, config);
    broker->Start();
    url = "mqtts://127.0.0.1:" + std::to_string(broker->Port());
  }

  SimLine line{ControllerAt5()};
  std::unique_ptr<MosquittoBroker> broker;
  std::string url;
  std::string password;
};

TEST_F(BridgeTls, ConnectsWithTheRightCaAndRefusesTheRest) {
  const std::string& d = line.home.Dir();
  MqttSubscriber sub(broker->Port(), std::string(kPrefix) + "/#",
                     {"bridge", "s3cret", d + "/ca.pem"});
  {
    auto bridge = StartBridge(d, url, {"--cafile", d + "/ca.pem", "--user", "bridge",
                                       "--password-file", password});
    ASSERT_TRUE(sub.WaitForMessage(std::string(kPrefix) + "/status", "online", 10s))
        << ReadText(d + "/bridge.err");
    ASSERT_TRUE(sub.WaitFor([](const auto& all) { return !On(all, "live").empty(); }, 10s));
    bridge->Signal(SIGTERM);
    EXPECT_EQ(bridge->Wait(5s), 0);
  }
  // A broker certificate signed by another CA: refused at start, exit 1.
  {
    auto bridge = StartBridge(d, url, {"--cafile", d + "/other.pem", "--user", "bridge",
                                       "--password-file", password});
    EXPECT_EQ(bridge->Wait(15s), 1) << ReadText(d + "/bridge.err");
    EXPECT_NE(ReadText(d + "/bridge.err").find("TLS handshake failed"), std::string::npos)
        << ReadText(d + "/bridge.err");
  }
  // A wrong password: refused by the broker at start, exit 1.
  {
    const std::string wrong = d + "/wrong";
    {
      std::ofstream p(wrong);
      p << "guess\n";
    }
    chmod(wrong.c_str(), 0600);
    auto bridge = StartBridge(d, url, {"--cafile", d + "/ca.pem", "--user", "bridge",
                                       "--password-file", wrong});
    EXPECT_EQ(bridge->Wait(15s), 1) << ReadText(d + "/bridge.err");
  }
  // A password file others may read: refused before anything is opened.
  {
    chmod(password.c_str(), 0644);
    auto bridge = StartBridge(d, url, {"--cafile", d + "/ca.pem", "--user", "bridge",
                                       "--password-file", password});
    EXPECT_EQ(bridge->Wait(5s), 2);
    EXPECT_NE(ReadText(d + "/bridge.err").find("others may read"), std::string::npos);
  }
}

}  // namespace
}  // namespace rq30
