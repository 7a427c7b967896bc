// TLS and plain clients on the one port: the first byte tells them apart,
// require = true refuses plain, and a broken or unfinished handshake closes
// that connection alone. The certificates come from a throw-away CA made
// with the openssl command.

#include <gtest/gtest.h>

#include <filesystem>

#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"
#include "tests/support/test_pki.h"

namespace {

class TlsTransport : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTestFiles(dir_);
    std::filesystem::create_directories(dir_.File("pki"));
    pki_ = std::make_unique<TestPki>(dir_.File("pki"));
    ASSERT_TRUE(pki_->Ok());
    server_ = pki_->Issue("server", {"IP:127.0.0.1", "DNS:localhost"});
    ASSERT_FALSE(server_.cert.empty());
    config_ = TestConfig(dir_);
    config_.tlsCert = server_.cert;
    config_.tlsKey = server_.key;
  }
  void StartLobby() {
    lobby_ = std::make_unique<TestLobby>(config_);
    ASSERT_TRUE(lobby_->Started());
  }
  // An admitted TLS client still gets its answers.
  void ExpectTlsClientServed() {
    TestClient c;
    ASSERT_TRUE(c.ConnectTls(lobby_->Port(), pki_->CaCert()));
    ASSERT_TRUE(c.Admitted("tlsuser", "pass1", true));
    ASSERT_TRUE(c.Send(kMessageDisclaimerRequest, {}));
    Frame f;
    ASSERT_TRUE(c.ReadSkippingEchoes(&f));
    EXPECT_EQ(f.type, kMessageDisclaimer);
  }
  TempDir dir_;
  std::unique_ptr<TestPki> pki_;
  TestCertificate server_;
  ServerConfig config_;
  std::unique_ptr<TestLobby> lobby_;
};

TEST_F(TlsTransport, TlsAndPlainClientsShareThePort) {
  StartLobby();
  TestClient plain;
  ASSERT_TRUE(plain.Connect(lobby_->Port()));
  ASSERT_TRUE(plain.Admitted("plainuser", "pass1", true));
  ExpectTlsClientServed();
  // The TLS user logs in again on a new connection: the account made over
  // TLS is the same account.
  TestClient again;
  ASSERT_TRUE(again.ConnectTls(lobby_->Port(), pki_->CaCert()));
  EXPECT_EQ(again.Login("tlsuser", "pass1"), kMessageAccessGranted);
}

TEST_F(TlsTransport, RequiredTlsClosesAPlainClientUnanswered) {
  config_.tlsRequire = true;
  StartLobby();
  TestClient plain;
  ASSERT_TRUE(plain.Connect(lobby_->Port()));
  ASSERT_TRUE(plain.RequestAccess("plainuser", "pass1", true));
  Frame f;
  EXPECT_FALSE(plain.Read(&f));
  EXPECT_TRUE(plain.WaitClosed());
  ExpectTlsClientServed();
}

TEST_F(TlsTransport, BrokenAndUnfinishedHandshakesCloseOnlyTheirConnection) {
  config_.requestTimeoutS = 0.5;
  StartLobby();
  TestClient admitted;
  ASSERT_TRUE(admitted.ConnectTls(lobby_->Port(), pki_->CaCert()));
  ASSERT_TRUE(admitted.Admitted("first", "pass1", true));

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      // A handshake record whose body is nonsense.
      {"broken record", {0x16, 0x03, 0x01, 0x00, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      // A record header and then silence: the request time-out closes it.
      {"unfinished handshake", {0x16, 0x03, 0x01, 0x02, 0x00}},
      {"only the first byte", {0x16}},
      // Neither TLS nor the protocol: text of another protocol.
      {"something else", {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1', '.', '1', '\r', '\n'}},
  };
  for (const Case& k : cases) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port())) << k.what;
    ASSERT_TRUE(c.SendRaw(k.bytes)) << k.what;
    EXPECT_TRUE(c.WaitClosed()) << k.what;
  }
  // A client that fails the check of the server's certificate leaves mid-way.
  std::filesystem::create_directories(dir_.File("other"));
  TestPki other(dir_.File("other"), "Another CA");
  ASSERT_TRUE(other.Ok());
  TestClient distrustful;
  EXPECT_FALSE(distrustful.ConnectTls(lobby_->Port(), other.CaCert()));

  ASSERT_TRUE(admitted.Send(kMessageDisclaimerRequest, {}));
  Frame f;
  ASSERT_TRUE(admitted.ReadSkippingEchoes(&f));
  EXPECT_EQ(f.type, kMessageDisclaimer);
  ExpectTlsClientServed();
}

}  // namespace
