#include "net/connection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory.h"
#include "protocol/frame.h"
#include "tests/net/alert_record.h"
#include "tests/net/net_test_support.h"

namespace {

struct ConnectionTest : ::testing::Test {
  void SetUp() override {
    InstallSeamHooks();
    AlertTexts().clear();
    events.clear();
    destroyOnMessage = false;
    connection = ConnectionNew();
    ASSERT_NE(connection, nullptr);
    ASSERT_EQ(ConnectionOpen(connection, nullptr, kLoopback, listener.Port(), &OnEvent), 0);
    peer = listener.Accept();
    ASSERT_GE(peer, 0);
  }
  void TearDown() override {
    ConnectionDestroy(connection);
    if (peer >= 0) PeerClose(peer);
    RemoveSeamHooks();
  }

  static void OnEvent(Connection* c, int16_t event) {
    events.push_back(event);
    if (event == kConnectionMessageQueued && destroyOnMessage) {
      ConnectionDestroy(c);
      connection = nullptr;
    }
  }

  // Takes the oldest message of any type.
  std::pair<uint32_t, std::string> Take() {
    uint32_t type = 0, length = 0;
    uint8_t* body = ConnectionGetMessage(connection, &type, &length, 0);
    std::string text(reinterpret_cast<const char*>(body), body ? length : 0);
    MemFree(body);
    return {type, text};
  }

  static inline std::vector<int16_t> events;
  static inline bool destroyOnMessage = false;
  static inline Connection* connection = nullptr;
  TestListener listener;
  int peer = -1;
};

TEST_F(ConnectionTest, AMessageArrivingOneBytePerReadEventIsAssembled) {
  const std::vector<uint8_t> frame = Frame(65, Bytes("hello"));
  ASSERT_EQ(frame.size(), 20u);
  for (size_t i = 0; i < frame.size(); ++i) {
    ASSERT_TRUE(SendAll(peer, {frame[i]}));
    PumpRounds(3);
    if (i + 1 < frame.size()) {
      ASSERT_TRUE(events.empty()) << "after byte " << i;
    }
  }
  ASSERT_TRUE(PumpUntil([] { return !events.empty(); }));
  EXPECT_EQ(events, std::vector<int16_t>{kConnectionMessageQueued});
  uint32_t type = 0, length = 0;
  uint8_t* body = ConnectionGetMessage(connection, &type, &length, 0);
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(type, 65u);
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(body), 5), "hello");
  EXPECT_EQ(body[5], 0);  // the terminator behind every body
  MemFree(body);
}

TEST_F(ConnectionTest, TwoMessagesInOneSegmentComeThroughTwoReadEventsInOrder) {
  std::vector<uint8_t> both = Frame(66, Bytes("first"));
  const std::vector<uint8_t> second = Frame(1, Bytes("second!!"));
  both.insert(both.end(), second.begin(), second.end());
  ASSERT_TRUE(SendAll(peer, both));
  ASSERT_TRUE(PumpUntil([] { return !events.empty(); }));
  // One read event completes at most one message.
  EXPECT_EQ(connection->queue->count, 1);
  ASSERT_TRUE(PumpUntil([] { return events.size() == 2; }));
  EXPECT_EQ(Take(), std::make_pair(66u, std::string("first")));
  EXPECT_EQ(Take(), std::make_pair(1u, std::string("second!!")));
}

TEST_F(ConnectionTest, AnEchoIsAnsweredAndNeverQueued) {
  std::vector<uint8_t> bytes = Frame(kMessageEcho, {});
  const std::vector<uint8_t> after = Frame(64, std::vector<uint8_t>(12, 0));
  bytes.insert(bytes.end(), after.begin(), after.end());
  ASSERT_TRUE(SendAll(peer, bytes));
  EXPECT_EQ(ReceiveExactly(peer, 12), Frame(kMessageEcho, {}));
  ASSERT_TRUE(PumpUntil([] { return !events.empty(); }));
  PumpRounds(10);
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(connection->queue->count, 1);
  EXPECT_EQ(Take().first, 64u);
}

TEST_F(ConnectionTest, SendPadsTheBodyToAMultipleOfFour) {
  struct Case { std::string data; uint32_t padded; };
  for (const Case& c : {Case{"", 0}, Case{"abcde", 8}, Case{"abcdefgh", 8}, Case{"abcdefghi", 12}}) {
    ASSERT_EQ(ConnectionSend(connection, 67, c.data.data(), static_cast<uint32_t>(c.data.size())), 0);
    const std::vector<uint8_t> got = ReceiveExactly(peer, 12 + c.padded);
    std::vector<uint8_t> expected = {0, 0, 0, 67, 0, 0, 0, static_cast<uint8_t>(c.padded),
                                     0, 0, 0, static_cast<uint8_t>(c.data.size())};
    expected.insert(expected.end(), c.data.begin(), c.data.end());
    expected.resize(12 + c.padded, 0);
    EXPECT_EQ(got, expected) << "length " << c.data.size();
    EXPECT_TRUE(ReceiveWaiting(peer).empty());
  }
}

TEST_F(ConnectionTest, GetMessagePeeksAndFiltersByType) {
  std::vector<uint8_t> bytes;
  for (auto [type, text] : {std::pair{65u, "room a"}, std::pair{66u, "status"}, std::pair{65u, "room b"},
                            std::pair{18u, ""}}) {
    const std::vector<uint8_t> f = Frame(type, Bytes(text));
    bytes.insert(bytes.end(), f.begin(), f.end());
  }
  ASSERT_TRUE(SendAll(peer, bytes));
  ASSERT_TRUE(PumpUntil([] { return events.size() == 4; }));

  uint32_t type = 0, length = 0;
  uint8_t* peeked = ConnectionGetMessage(connection, &type, &length, kGetMessagePeek);
  ASSERT_NE(peeked, nullptr);
  EXPECT_EQ(type, 65u);
  EXPECT_EQ(connection->queue->count, 4);  // still there, still owned by the queue

  type = 66;
  uint8_t* status = ConnectionGetMessage(connection, &type, &length, kGetMessageOfType);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(status), length), "status");
  MemFree(status);

  type = 17;
  length = 99;
  EXPECT_EQ(ConnectionGetMessage(connection, &type, &length, kGetMessageOfType | kGetMessagePeek), nullptr);
  EXPECT_EQ(type, 17u);  // nothing found, nothing written
  EXPECT_EQ(length, 99u);

  EXPECT_EQ(Take(), std::make_pair(65u, std::string("room a")));
  EXPECT_EQ(Take(), std::make_pair(65u, std::string("room b")));
  // A message without a body also gives none; the type place tells it apart.
  type = 0;
  EXPECT_EQ(ConnectionGetMessage(connection, &type, &length, 0), nullptr);
  EXPECT_EQ(type, 18u);
  EXPECT_EQ(connection->queue->count, 0);
}

TEST_F(ConnectionTest, ACallbackThatDestroysTheConnectionOnAMessageIsSafe) {
  destroyOnMessage = true;
  std::vector<uint8_t> bytes = Frame(17, {0, 2});
  const std::vector<uint8_t> more = Frame(65, std::vector<uint8_t>(64, 1));
  bytes.insert(bytes.end(), more.begin(), more.end());
  ASSERT_TRUE(SendAll(peer, bytes));
  ASSERT_TRUE(PumpUntil([] { return connection == nullptr; }));
  PumpRounds(20);
  EXPECT_EQ(events, std::vector<int16_t>{kConnectionMessageQueued});
  // The peer sees the connection go.
  char byte;
  EXPECT_TRUE(PumpUntil([&] { return recv(peer, &byte, 1, 0) == 0; }));
}

TEST_F(ConnectionTest, ThePeersCloseIsReportedOnceAndLeavesNoSocket) {
  PeerClose(peer);
  peer = -1;
  ASSERT_TRUE(PumpUntil([] { return !events.empty(); }));
  PumpRounds(10);
  EXPECT_EQ(events, std::vector<int16_t>{kConnectionClosed});
  EXPECT_EQ(connection->socket, nullptr);
}

TEST_F(ConnectionTest, AServerAlertIsShownWithCrLfLineEnds) {
  std::vector<uint8_t> body = {0, 7};
  const std::vector<uint8_t> text = Bytes("Server going down\nat noon\r\nsorry");
  body.insert(body.end(), text.begin(), text.end());
  body.push_back(0);
  ASSERT_TRUE(SendAll(peer, Frame(kMessageServerAlert, body)));
  ASSERT_TRUE(PumpUntil([] { return !AlertTexts().empty(); }));
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"Server going down\r\nat noon\r\nsorry"});
  EXPECT_TRUE(events.empty());
}

// Each broken or odd frame is followed by a good one, which must arrive as
// the only queued message: the stream stays in step and nothing is read past
// a body.
TEST_F(ConnectionTest, MalformedFramesAreDroppedAndTheStreamStaysInStep) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::vector<std::string> alerts;
  };
  const std::vector<uint8_t> four = {1, 2, 3, 4};
  const Case cases[] = {
      {"length above padded", Frame(65, four, 4, 8), {}},
      {"padding above three", Frame(65, {1, 2, 3, 4, 5, 6, 7, 8}, 8, 4), {}},
      {"padded not rounded", Frame(65, {1, 2, 3, 4, 5, 6}, 6, 5), {}},
      {"other system type", Frame(0x80000001u, four), {}},
      {"alert too short for its number", Frame(kMessageServerAlert, {0}), {}},
      {"alert without terminator", Frame(kMessageServerAlert, {0, 1, 'h', 'i'}), {"hi"}},
      {"alert without text", Frame(kMessageServerAlert, {0, 1}), {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    events.clear();
    AlertTexts().clear();
    std::vector<uint8_t> bytes = c.bytes;
    const std::vector<uint8_t> good = Frame(1, Bytes("ok"));
    bytes.insert(bytes.end(), good.begin(), good.end());
    ASSERT_TRUE(SendAll(peer, bytes));
    ASSERT_TRUE(PumpUntil([] { return !events.empty(); }));
    PumpRounds(5);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(Take(), std::make_pair(1u, std::string("ok")));
    EXPECT_EQ(AlertTexts(), c.alerts);
  }
}

TEST_F(ConnectionTest, AnOversizedFrameIsSkippedWithoutAllocatingItsBody) {
  const uint32_t huge = 0x7FFFFFF0u;
  std::vector<uint8_t> bytes = Frame(65, {}, static_cast<int32_t>(huge), static_cast<int32_t>(huge - 2));
  bytes.resize(bytes.size() + 1000, 0xAA);
  ASSERT_TRUE(SendAll(peer, bytes));
  ASSERT_TRUE(PumpUntil([] { return connection->skip == 0x7FFFFFF0u - 1000; }));
  EXPECT_EQ(connection->message, nullptr);
  EXPECT_TRUE(events.empty());
}

}  // namespace
