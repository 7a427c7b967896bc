// The client's connection over TLS to the real lobby server (in this
// process, on its own thread), through a relay that keeps what the client
// sent: a certificate that checks out carries a log-in that nobody on the
// path can read; every other server ends the attempt with the identity
// message before anything but the handshake has left.

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/memory.h"
#include "net/connection.h"
#include "net/net_transport.h"
#include "platform/loop.h"
#include "platform/testing.h"
#include "protocol/message_build.h"
#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/support/recording_relay.h"
#include "tests/support/test_pki.h"

namespace {

constexpr uint32_t kLoopbackAddress = 0x7F000001u;
constexpr char kUser[] = "tlsplayer";
constexpr char kPassword[] = "Sesame42";

struct Seen {
  std::vector<std::string> boxes;
  std::vector<int> exitCodes;
  std::vector<int16_t> events;
};
Seen g_seen;

bool Contains(const std::vector<uint8_t>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

class TlsConnection : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen = Seen{};
    PlatformSetMessageBoxHook([](PlatformWindow, const char*, const char* text) { g_seen.boxes.emplace_back(text); });
    PlatformSetExitHook([](int code) { g_seen.exitCodes.push_back(code); });
    WriteTestFiles(dir_);
    std::filesystem::create_directories(dir_.File("pki"));
    std::filesystem::create_directories(dir_.File("other"));
    pki_ = std::make_unique<TestPki>(dir_.File("pki"));
    other_ = std::make_unique<TestPki>(dir_.File("other"), "Another CA");
    ASSERT_TRUE(pki_->Ok() && other_->Ok());
  }
  void TearDown() override {
    PlatformSetMessageBoxHook(nullptr);
    PlatformSetExitHook(nullptr);
    for (const char* v : {kServerCaVariable, kServerPinVariable}) unsetenv(v);
    setenv(kServerTlsVariable, "off", 1);
  }

  // The real server with cert (none: plain only), a relay in front, and a
  // TLS log-in through the client's connection. True when it was granted.
  bool LogInThrough(const TestCertificate* cert, const std::string& ca, const std::string& pin) {
    ServerConfig config = TestConfig(dir_);
    config.requestTimeoutS = 2;
    if (cert) {
      config.tlsCert = cert->cert;
      config.tlsKey = cert->key;
    }
    TestLobby lobby(config);
    EXPECT_TRUE(lobby.Started());
    relay_ = std::make_unique<RecordingRelay>(lobby.Port());
    setenv(kServerTlsVariable, "on", 1);
    if (ca.empty()) unsetenv(kServerCaVariable); else setenv(kServerCaVariable, ca.c_str(), 1);
    if (pin.empty()) unsetenv(kServerPinVariable); else setenv(kServerPinVariable, pin.c_str(), 1);

    Connection* c = ConnectionNew();
    if (!c) return false;
    if (ConnectionOpen(c, nullptr, kLoopbackAddress, relay_->Port(),
                       [](Connection*, int16_t event) { g_seen.events.push_back(event); }) != 0) {
      ConnectionDestroy(c);
      return false;
    }
    AccessRequestDetails d = {kUser, kPassword, 2, 1, "Tls Player", "tls@example.org", "Plays safe."};
    uint32_t length = 0;
    uint8_t* body = AccessRequestBuild(&d, &length);
    EXPECT_EQ(ConnectionSend(c, kMessageAccessRequest, body, length), 0);
    MemFree(body);
    // Every admission message, to the welcome text: several arrive in one
    // record, so the later ones wait decrypted inside the session.
    received_.clear();
    const auto closed = [] { return std::count(g_seen.events.begin(), g_seen.events.end(), kConnectionClosed) > 0; };
    for (int i = 0; i < 5000 && !closed(); ++i) {
      PlatformPumpOnce();
      poll(nullptr, 0, 1);
      uint32_t got = 0, size = 0;
      uint8_t* b = ConnectionGetMessage(c, &got, &size, 0);
      MemFree(b);
      if (got != 0) received_.push_back(got);
      if (got == kMessageWelcomeText || (got != 0 && got != kMessageAccessGranted && received_.size() == 1)) break;
    }
    ConnectionDestroy(c);
    return !received_.empty() && received_.front() == kMessageAccessGranted;
  }

  // The attempt ended with the identity message and the exit, and only the
  // handshake went out.
  void ExpectRefusedUnsent(const char* what) {
    ASSERT_EQ(g_seen.boxes.size(), 1u) << what;
    EXPECT_EQ(g_seen.boxes[0],
              "The Orva server at 127.0.0.1 could not prove its identity. The connection was closed before anything "
              "was sent, your password included. If this keeps happening, please write to support@orva.example.")
        << what;
    EXPECT_EQ(g_seen.exitCodes, std::vector<int>{1}) << what;
    const std::vector<uint8_t> types = relay_->ClientRecordTypes();
    EXPECT_FALSE(types.empty()) << what;
    EXPECT_EQ(std::count(types.begin(), types.end(), 0x17), 0) << what << ": application data left";
    EXPECT_FALSE(Contains(relay_->FromClient(), kUser)) << what;
  }

  TempDir dir_;
  std::unique_ptr<TestPki> pki_;
  std::unique_ptr<TestPki> other_;
  std::unique_ptr<RecordingRelay> relay_;
  std::vector<uint32_t> received_;  // message types, in order
};

TEST_F(TlsConnection, AProvenServerGetsTheLogInAndThePathSeesNeitherNameNorPassword) {
  const TestCertificate cert = pki_->Issue("good", {"IP:127.0.0.1", "DNS:localhost"});
  ASSERT_TRUE(LogInThrough(&cert, pki_->CaCert(), ""));
  EXPECT_TRUE(g_seen.boxes.empty());
  // AccessGranted, RoomInfo and RoomStatus of the two announced rooms, then
  // the welcome text.
  EXPECT_EQ(received_.size(), 6u);
  EXPECT_EQ(received_.back(), kMessageWelcomeText);
  const std::vector<uint8_t> wire = relay_->FromClient();
  EXPECT_GT(wire.size(), 80u);
  EXPECT_FALSE(Contains(wire, kUser));
  EXPECT_FALSE(Contains(wire, kPassword));
  EXPECT_FALSE(Contains(wire, "tls@example.org"));
  const std::vector<uint8_t> types = relay_->ClientRecordTypes();
  EXPECT_NE(std::count(types.begin(), types.end(), 0x17), 0);
}

TEST_F(TlsConnection, ServersThatDoNotProveThemselvesGetNothing) {
  const TestCertificate foreign = other_->Issue("foreign", {"IP:127.0.0.1"});
  const TestCertificate expired = pki_->Issue("expired", {"IP:127.0.0.1"}, true);
  const TestCertificate elsewhere = pki_->Issue("elsewhere", {"DNS:elsewhere.example", "IP:10.9.8.7"});
  ASSERT_FALSE(foreign.cert.empty() || expired.cert.empty() || elsewhere.cert.empty());
  struct Case {
    const char* what;
    const TestCertificate* cert;  // nullptr: a plain-only server
  };
  const Case cases[] = {
      {"signed by a CA nobody trusts", &foreign},
      {"expired", &expired},
      {"for another name", &elsewhere},
      {"a server without TLS", nullptr},
  };
  for (const Case& k : cases) {
    g_seen = Seen{};
    EXPECT_FALSE(LogInThrough(k.cert, pki_->CaCert(), "")) << k.what;
    ExpectRefusedUnsent(k.what);
  }
}

TEST_F(TlsConnection, APinStandsInForTheTrustedCertificates) {
  // No CA file: only the pin can vouch for this server.
  const TestCertificate cert = pki_->Issue("pinned", {"IP:127.0.0.1"});
  ASSERT_EQ(cert.pin.size(), 64u);
  EXPECT_TRUE(LogInThrough(&cert, "", cert.pin));
  EXPECT_TRUE(g_seen.boxes.empty());

  const TestCertificate other = pki_->Issue("other", {"IP:127.0.0.1"});
  struct Case {
    const char* what;
    std::string pin;
  };
  const Case cases[] = {
      {"the pin of another key", other.pin},
      {"a pin that is not 64 hex digits", cert.pin.substr(0, 63)},
  };
  for (const Case& k : cases) {
    g_seen = Seen{};
    EXPECT_FALSE(LogInThrough(&cert, pki_->CaCert(), k.pin)) << k.what;
    ExpectRefusedUnsent(k.what);
  }
}

}  // namespace
