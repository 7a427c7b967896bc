#include "tests/lobby/lobby_fixture.h"

#include <cstdlib>
#include <fstream>

#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_window.h"
#include "lobby/room.h"
#include "media/palette.h"
#include "platform/testing.h"
#include "protocol/messages.h"
#include "net/session.h"
#include "net/session_endpoint.h"
#include "shell/data_path.h"
#include "tests/net/net_test_support.h"
#include "tests/support/toolkit_harness.h"
#include "tools/pack/image_writer.h"
#include "toolkit/button.h"

namespace {

constexpr int32_t kMapWidth = 640;
constexpr int32_t kMapHeight = 400;

uint8_t MapIndex(int32_t x, int32_t y) { return static_cast<uint8_t>((x / 8 + y / 8) % 200 + 20); }

uint32_t Word(const std::vector<uint8_t>& b, size_t i) {
  return uint32_t{b[i]} << 24 | uint32_t{b[i + 1]} << 16 | uint32_t{b[i + 2]} << 8 | b[i + 3];
}

void PutBe(std::vector<uint8_t>* b, uint32_t v, int bytes) {
  for (int s = (bytes - 1) * 8; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}

void PutText(std::vector<uint8_t>* b, const std::string& text, size_t field) {
  for (size_t i = 0; i < field; ++i) b->push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

void WriteTestMap() {
  IndexedPicture picture;
  picture.width = kMapWidth;
  picture.height = kMapHeight;
  picture.indices.resize(size_t{kMapWidth} * kMapHeight);
  for (int32_t y = 0; y < kMapHeight; ++y) {
    for (int32_t x = 0; x < kMapWidth; ++x) picture.indices[size_t(y) * kMapWidth + x] = MapIndex(x, y);
  }
  std::vector<uint8_t> file;
  std::string error;
  ASSERT_TRUE(ImageFileWrite(picture, 1, &file, &error)) << error;
  std::ofstream out(ProgramDataPath("salvind.oim"), std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

}  // namespace

Pixel TestMapPixel(int32_t x, int32_t y) {
  return DefaultPalette().colors[MapIndex(x, y)];
}

std::vector<uint8_t> RoomInfoBody(uint32_t id, const std::string& name, const std::string& imageFile,
                                  uint32_t imageVersion, uint32_t address, uint16_t port) {
  std::vector<uint8_t> b;
  PutBe(&b, id, 4);
  PutBe(&b, address, 4);
  PutBe(&b, port, 2);
  PutBe(&b, 0, 2);
  PutText(&b, name, 32);
  PutText(&b, imageFile, 16);
  PutBe(&b, imageVersion, 4);
  return b;
}

std::vector<uint8_t> RoomStatusBody(uint32_t id, uint32_t players, uint16_t state) {
  std::vector<uint8_t> b;
  PutBe(&b, id, 4);
  PutBe(&b, players, 4);
  PutBe(&b, state, 2);
  return b;
}

std::vector<uint8_t> AccessGrantedBody(uint32_t newest, uint32_t disclaimerVersion) {
  std::vector<uint8_t> b;
  PutBe(&b, 0, 4);
  PutBe(&b, newest, 4);
  PutBe(&b, disclaimerVersion, 4);
  return b;
}

std::vector<uint8_t> WelcomeTextBody(const std::string& text) {
  std::vector<uint8_t> b;
  PutBe(&b, 0, 4);
  b.insert(b.end(), text.begin(), text.end());
  b.push_back(0);
  return b;
}

void LobbyTest::SetUp() {
  ScreenTest::SetUp();
  WriteTestMap();
  SetDisclaimerAccepted(1);
  setenv(kServerHostVariable, "127.0.0.1", 1);
  ASSERT_TRUE(OpenLogin());
  WindowGetRect(g_gate.window, &gateOuter);
  TypeInto(g_login.userName, "guest");
}

void LobbyTest::TearDown() {
  if (peer >= 0) close(peer);
  peer = -1;
  listener_.reset();
  pending_.clear();
  unsetenv(kServerHostVariable);
  unsetenv(kServerPortVariable);
  ScreenTest::TearDown();
}

void LobbyTest::Pump() {
  // A message is handled in the read event that completes it; what it
  // posts is delivered by the ticks that follow.
  PumpRounds(20);
  HarnessAdvance(4);
  HarnessFlush();
}

void LobbyTest::Send(uint32_t type, const std::vector<uint8_t>& body, bool barrier) {
  if (peer < 0) {
    // The first message needs the connection: Connect is pressed now.
    listener_ = std::make_shared<TestListener>();
    setenv(kServerPortVariable, std::to_string(listener_->Port()).c_str(), 1);
    ButtonPress(g_login.connect);
    HarnessFlush();
    peer = listener_->Accept();
    ASSERT_GE(peer, 0);
    ASSERT_EQ(ReceiveExactly(peer, 92).size(), 92u);
  }
  std::vector<uint8_t> stream = Frame(type, body);
  if (barrier) {
    const std::vector<uint8_t> echo = Frame(kMessageEcho, {});
    stream.insert(stream.end(), echo.begin(), echo.end());
  }
  ASSERT_TRUE(SendAll(peer, stream));
  if (barrier) {
    ASSERT_TRUE(PumpUntil([&] {
      const std::vector<uint8_t> more = ReceiveWaiting(peer);
      pending_.insert(pending_.end(), more.begin(), more.end());
      return EchoWaiting();
    }));
  }
  Pump();
}

bool LobbyTest::EchoWaiting() {
  // Takes the first echo answer out of what has come, keeping the rest.
  size_t at = 0;
  while (pending_.size() - at >= 12) {
    const uint32_t type = Word(pending_, at);
    const uint32_t padded = Word(pending_, at + 4);
    if (pending_.size() - at - 12 < padded) return false;
    if (type == kMessageEcho) {
      pending_.erase(pending_.begin() + static_cast<long>(at), pending_.begin() + static_cast<long>(at + 12 + padded));
      return true;
    }
    at += 12 + padded;
  }
  return false;
}

void LobbyTest::Grant(uint32_t newest, uint32_t disclaimerVersion) {
  Send(kMessageAccessGranted, AccessGrantedBody(newest, disclaimerVersion));
  // The zoom sleeps on the manual clock; the lobby is there afterwards.
  PumpUntil([] { return g_gate.picture == nullptr; }, 200);
  HarnessFlush();
}

std::vector<PeerMessage> LobbyTest::Received() {
  PumpRounds(10);
  const std::vector<uint8_t> more = ReceiveWaiting(peer);
  pending_.insert(pending_.end(), more.begin(), more.end());
  std::vector<PeerMessage> out;
  size_t at = 0;
  while (pending_.size() - at >= 12) {
    const uint32_t type = Word(pending_, at);
    const uint32_t padded = Word(pending_, at + 4);
    const uint32_t length = Word(pending_, at + 8);
    if (pending_.size() - at - 12 < padded) break;
    if (type != kMessageEcho) out.push_back({type, std::vector<uint8_t>(pending_.begin() + static_cast<long>(at + 12),
                                              pending_.begin() + static_cast<long>(at + 12 + length))});
    at += 12 + padded;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(at));
  return out;
}

Room* LobbyTest::RoomOf(uint32_t id) { return RoomListFind(id); }

void LobbyTest::Activate() { EventSend(g_gate.window, &LobbyEventProc, EventActivate, nullptr, nullptr, 0, 0, 0, 0); }

void LobbyTest::Idle(int16_t x, int16_t y) {
  // The pointer is where the report says.
  int32_t sx = 0;
  int32_t sy = 0;
  HarnessToScreen(g_gate.window, x, y, &sx, &sy);
  PlatformTestSetPointer(sx, sy);
  const Point p{x, y};
  EventSend(g_gate.window, &LobbyEventProc, EventIdle, &p, nullptr, 0, 0, 0, 0);
}
