#include "net/net_socket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/service.h"
#include "platform/testing.h"
#include "toolkit/alert.h"
#include "tests/net/net_test_support.h"

namespace {

struct Record {
  int reads = 0;
  int closes = 0;
  bool closeOnClose = false;
  bool drainOnRead = true;
  std::vector<uint8_t> data;
  std::vector<std::string> order;
};

void OnRead(NetSocket* s, UserData user) {
  auto* r = reinterpret_cast<Record*>(user);
  ++r->reads;
  r->order.push_back("read");
  if (!r->drainOnRead) return;
  uint8_t buffer[256];
  uint32_t n;
  while ((n = NetRead(s, buffer, sizeof buffer)) > 0) r->data.insert(r->data.end(), buffer, buffer + n);
}

void OnClose(NetSocket* s, UserData user) {
  auto* r = reinterpret_cast<Record*>(user);
  ++r->closes;
  r->order.push_back("close");
  if (r->closeOnClose) NetClose(s);
}

struct NetSocketTest : ::testing::Test {
  void SetUp() override { InstallSeamHooks(); }
  void TearDown() override {
    RemoveSeamHooks();
    PlatformSetLookupHook(nullptr);
    NetSetEventsEnabled(1);
  }
  NetSocket* OpenTo(const TestListener& listener) {
    return NetOpen(nullptr, kLoopback, listener.Port(), &OnRead, &OnClose, reinterpret_cast<UserData>(&record));
  }
  Record record;
};

TEST_F(NetSocketTest, OpenWithAnAddressIsConnectedBeforeItReturns) {
  TestListener listener;
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  EXPECT_NE(s->socket, 0u);
  EXPECT_EQ(s->address, kLoopback);
  const int peer = listener.Accept(1);
  EXPECT_GE(peer, 0);
  uint8_t buffer[8];
  EXPECT_EQ(NetRead(s, buffer, sizeof buffer), 0u);  // nothing waiting
  NetClose(s);
  PeerClose(peer);
}

TEST_F(NetSocketTest, OpenWithAHostNameReturnsAtOnceAndSendsWhatWasQueuedAfterTheConnect) {
  TestListener listener;
  NetSocket* s =
      NetOpen("localhost", 0, listener.Port(), &OnRead, &OnClose, reinterpret_cast<UserData>(&record));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->socket, 0u);
  EXPECT_EQ(s->address, 0u);
  ASSERT_EQ(NetWrite(s, "queued ", 7), 0);
  ASSERT_EQ(NetWrite(s, "early", 5), 0);
  ASSERT_TRUE(PumpUntil([&] { return s->socket != 0; }));
  EXPECT_EQ(s->address, kLoopback);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_EQ(ReceiveExactly(peer, 12), Bytes("queued early"));
  EXPECT_TRUE(Seam().texts.empty());
  NetClose(s);
  PeerClose(peer);
}

TEST_F(NetSocketTest, ClosingBeforeTheLookupAnswersLeavesTheAnswerUnused) {
  PlatformSetLookupHook([](const char*) { return kLoopback; });
  NetSocket* s = NetOpen("anywhere", 0, ClosedPort(), &OnRead, &OnClose, reinterpret_cast<UserData>(&record));
  ASSERT_NE(s, nullptr);
  NetClose(s);
  PumpRounds(20);
  // A connect would have failed on the closed port and ended the program.
  EXPECT_TRUE(Seam().texts.empty());
  EXPECT_TRUE(Seam().exitCodes.empty());
}

TEST_F(NetSocketTest, APartialSendKeepsTheTailAheadOfLaterBytes) {
  TestListener listener(4096);
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  std::vector<uint8_t> first(4u << 20);
  for (size_t i = 0; i < first.size(); ++i) first[i] = static_cast<uint8_t>(i * 7 + i / 251);
  ASSERT_EQ(NetWrite(s, first.data(), static_cast<uint32_t>(first.size())), 0);
  // The peer does not read: the socket takes only part, the rest waits.
  ASSERT_TRUE(PumpUntil([&] { return s->queued < first.size(); }));
  PumpRounds(20);
  const uint32_t waiting = s->queued;
  EXPECT_GT(waiting, 0u);
  EXPECT_LT(waiting, first.size());
  const std::vector<uint8_t> later = Bytes("later bytes");
  ASSERT_EQ(NetWrite(s, later.data(), static_cast<uint32_t>(later.size())), 0);
  EXPECT_EQ(s->queued, waiting + later.size());
  std::vector<uint8_t> expected = first;
  expected.insert(expected.end(), later.begin(), later.end());
  const std::vector<uint8_t> got = ReceiveExactly(peer, expected.size(), 20000);
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  EXPECT_TRUE(PumpUntil([&] { return s->queued == 0; }));
  NetClose(s);
  PeerClose(peer);
}

TEST_F(NetSocketTest, EventsHeldBackAreReportedAgainOnceEnabled) {
  TestListener listener;
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_EQ(NetSetEventsEnabled(0), 1);
  ASSERT_TRUE(SendAll(peer, Bytes("held")));
  PeerClose(peer);
  PumpRounds(50);
  EXPECT_EQ(record.reads, 0);
  EXPECT_EQ(record.closes, 0);
  EXPECT_EQ(NetSetEventsEnabled(1), 0);
  ASSERT_TRUE(PumpUntil([&] { return record.closes == 1; }));
  EXPECT_EQ(record.data, Bytes("held"));
  // Every byte is read before the close is reported.
  ASSERT_FALSE(record.order.empty());
  EXPECT_EQ(record.order.front(), "read");
  EXPECT_EQ(record.order.back(), "close");
  NetClose(s);
}

// What happens inside a modal box: the peer sends, the box's loop runs.
struct InsideBox {
  int peer = -1;
  Record* record = nullptr;
  int readsInside = -1;
};
InsideBox g_inside;

TEST_F(NetSocketTest, AnAlertHoldsSocketEventsBackUntilItIsDismissed) {
  TestListener listener;
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  g_inside = InsideBox{peer, &record, -1};
  PlatformSetMessageBoxHook([](PlatformWindow, const char*, const char*) {
    SendAll(g_inside.peer, Bytes("during"));
    PumpRounds(50);
    g_inside.readsInside = g_inside.record->reads;
  });
  SystemFailureAlert("Out of memory.");
  EXPECT_EQ(g_inside.readsInside, 0);
  ASSERT_TRUE(PumpUntil([&] { return record.data.size() >= 6; }));
  EXPECT_EQ(record.data, Bytes("during"));
  PeerClose(peer);
  NetClose(s);
  // With the layer stopped, a box no longer reaches it.
  InstallSeamHooks();
  Alert("after", nullptr);
  EXPECT_EQ(Seam().titles, std::vector<std::string>{"Salvind"});
  EXPECT_EQ(NetSetEventsEnabled(1), 1);
}

TEST_F(NetSocketTest, TheCloseEventLeavesTheRegistryBeforeItsCallbackClosesTheSocket) {
  TestListener listener;
  record.closeOnClose = true;
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  PeerClose(peer);
  ASSERT_TRUE(PumpUntil([&] { return record.closes == 1; }));
  PumpRounds(20);
  EXPECT_EQ(record.closes, 1);
  EXPECT_EQ(record.reads, 0);
}

TEST_F(NetSocketTest, ReadGivesZeroWhenNothingWaitsAndAfterThePeerClosed) {
  TestListener listener;
  record.drainOnRead = false;
  NetSocket* s = OpenTo(listener);
  ASSERT_NE(s, nullptr);
  const int peer = listener.Accept();
  uint8_t buffer[16];
  EXPECT_EQ(NetRead(s, buffer, sizeof buffer), 0u);
  SendAll(peer, Bytes("abc"));
  PeerClose(peer);
  ASSERT_TRUE(PumpUntil([&] { return record.reads > 0; }));
  EXPECT_EQ(NetRead(s, buffer, 2), 2u);
  EXPECT_EQ(NetRead(s, buffer, sizeof buffer), 1u);
  EXPECT_EQ(NetRead(s, buffer, sizeof buffer), 0u);
  EXPECT_EQ(NetRead(s, buffer, sizeof buffer), 0u);
  NetClose(s);
}

// The message names the host that was tried: the address given, or the
// name looked up (not the service's built-in one).
TEST_F(NetSocketTest, AFailedConnectEndsTheProgramWithItsMessage) {
  // With an address: the connect is tried inside NetOpen.
  NetSocket* s = NetOpen(nullptr, kLoopback, ClosedPort(), &OnRead, &OnClose, 0);
  EXPECT_EQ(s, nullptr);
  ASSERT_EQ(Seam().texts.size(), 1u);
  EXPECT_EQ(Seam().titles[0], "Orva");
  EXPECT_EQ(Seam().texts[0], "Could not connect to 127.0.0.1.");
  EXPECT_EQ(Seam().exitCodes, std::vector<int>{1});

  // With a host name: when the lookup answers.
  PlatformSetLookupHook([](const char*) { return kLoopback; });
  s = NetOpen("lobby", 0, ClosedPort(), &OnRead, &OnClose, 0);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(PumpUntil([] { return Seam().exitCodes.size() == 2; }));
  EXPECT_EQ(Seam().texts[1], "Could not connect to lobby.");
  EXPECT_EQ(Seam().exitCodes[1], 1);
  EXPECT_EQ(s->socket, 0u);
  NetClose(s);
}

}  // namespace
