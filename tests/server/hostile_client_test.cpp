// Clients that do not follow the protocol: each one is closed alone, and
// the others go on being served.

#include <gtest/gtest.h>

#include "core/byte_reader.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/server/lobby_fixture.h"

namespace {

std::vector<uint8_t> Header(uint32_t type, uint32_t padded, uint32_t length) {
  std::vector<uint8_t> h(12);
  StoreBe32(h.data(), type);
  StoreBe32(h.data() + 4, padded);
  StoreBe32(h.data() + 8, length);
  return h;
}

// A log-in body with one field overwritten.
std::vector<uint8_t> LogInBody() {
  std::vector<uint8_t> b(80, 0);
  StoreBe32(b.data(), 0x70726C72u);
  StoreBe32(b.data() + 4, 1);
  b[8] = 'x';
  b[40] = 'y';
  StoreBe16(b.data() + 72, 3);
  return b;
}

class HostileClients : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTestFiles(dir_);
    config_ = TestConfig(dir_);
  }
  void StartLobby() {
    lobby_ = std::make_unique<TestLobby>(config_);
    ASSERT_TRUE(lobby_->Started());
    ASSERT_TRUE(good_.Connect(lobby_->Port()));
    ASSERT_TRUE(good_.Admitted("good", "pass1", true));
  }
  // The well-behaved client still gets its answers.
  void ExpectGoodServed() {
    ASSERT_TRUE(good_.Send(kMessageDisclaimerRequest, {}));
    Frame f;
    ASSERT_TRUE(good_.ReadSkippingEchoes(&f));
    EXPECT_EQ(f.type, kMessageDisclaimer);
  }
  TempDir dir_;
  ServerConfig config_;
  std::unique_ptr<TestLobby> lobby_;
  TestClient good_;
};

TEST_F(HostileClients, BrokenFramesAndBodiesCloseOnlyTheirConnection) {
  StartLobby();
  std::vector<uint8_t> shortRequest = Header(kMessageAccessRequest, 40, 40);
  shortRequest.resize(12 + 40, 0);
  std::vector<uint8_t> unterminated = Header(kMessageAccessRequest, 80, 80);
  std::vector<uint8_t> body = LogInBody();
  for (int i = 8; i < 40; ++i) body[i] = 'n';  // the user name fills its field without a NUL
  unterminated.insert(unterminated.end(), body.begin(), body.end());
  std::vector<uint8_t> newUserShort = Header(kMessageAccessRequest, 80, 80);
  body = LogInBody();
  StoreBe16(body.data() + 76, 1);  // claims to register but has no room for it
  newUserShort.insert(newUserShort.end(), body.begin(), body.end());

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"length above padded", Header(kMessageAccessRequest, 4, 8)},
      {"padding above three", Header(kMessageAccessRequest, 12, 4)},
      {"oversized body", Header(kMessageAccessRequest, 1364, 1364)},
      {"huge body", Header(kMessageAccessRequest, 0x7FFFFFF0u, 0x7FFFFFF0u)},
      {"short access request", shortRequest},
      {"text without its terminator", unterminated},
      {"registration shorter than its layout", newUserShort},
      {"another message before admission", Header(kMessageDisclaimerRequest, 0, 0)},
      {"unknown system message before admission", Header(0x80000001u, 0, 0)},
  };
  for (const Case& k : cases) {
    TestClient c;
    ASSERT_TRUE(c.Connect(lobby_->Port()));
    ASSERT_TRUE(c.SendRaw(k.bytes));
    Frame f;
    EXPECT_FALSE(c.Read(&f, 3000)) << k.what << ": answered with " << f.type;
    EXPECT_TRUE(c.WaitClosed(100)) << k.what;
    ExpectGoodServed();
  }
}

TEST_F(HostileClients, AnAdmittedClientsShortBodyClosesIt) {
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  ASSERT_TRUE(c.Admitted("mallory", "pass1", true));
  ASSERT_TRUE(c.Send(kMessageGameImageRequest, {0, 1}));
  EXPECT_TRUE(c.WaitClosed());
  ExpectGoodServed();
}

TEST_F(HostileClients, EchoesBeforeAdmissionAreAnsweredAndASilentConnectionTimesOut) {
  config_.requestTimeoutS = 0.3;
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  ASSERT_TRUE(c.Send(kMessageEcho, {}));
  Frame f;
  ASSERT_TRUE(c.Read(&f));
  EXPECT_EQ(f.type, kMessageEcho);
  EXPECT_TRUE(c.WaitClosed());
  ExpectGoodServed();
}

TEST_F(HostileClients, ConnectionsPerAddressAreCapped) {
  config_.maxConnectionsPerAddress = 3;
  StartLobby();  // the good client is one of the three
  TestClient a, b, over;
  ASSERT_TRUE(a.Connect(lobby_->Port()));
  ASSERT_TRUE(b.Connect(lobby_->Port()));
  ASSERT_TRUE(over.Connect(lobby_->Port()));
  EXPECT_TRUE(over.WaitClosed());
  // a and b are still open: each answers an echo.
  for (TestClient* c : {&a, &b}) {
    ASSERT_TRUE(c->Send(kMessageEcho, {}));
    Frame f;
    ASSERT_TRUE(c->Read(&f));
    EXPECT_EQ(f.type, kMessageEcho);
  }
  ExpectGoodServed();
}

TEST_F(HostileClients, AReaderThatNeverReadsIsDroppedAtItsQueueCap) {
  config_.maxQueuedBytes = 4096;
  StartLobby();
  TestClient c;
  ASSERT_TRUE(c.Connect(lobby_->Port()));
  ASSERT_TRUE(c.Admitted("slow", "pass1", true));
  // The disclaimer's answer is 8 + 20 bytes for a 12-byte request (a room's
  // set would be sent a few times only); the socket buffers take a few
  // megabytes before the server's own queue grows. Ask until the server
  // gives up.
  const std::vector<uint8_t> request = Header(kMessageDisclaimerRequest, 0, 0);
  std::vector<uint8_t> burst;
  for (int i = 0; i < 2000; ++i) burst.insert(burst.end(), request.begin(), request.end());
  bool sent = true;
  for (int i = 0; i < 1200 && sent; ++i) sent = c.SendRaw(burst);
  EXPECT_TRUE(!sent || c.WaitClosed()) << "the server kept queueing";
  ExpectGoodServed();
}

}  // namespace
