#pragma once
// The lobby's tests: a client logged in as "guest" against a scripted peer on
// 127.0.0.1, with a test map of 640 x 400 in place of the staged one, so
// pixels can be checked against a known picture.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/rect.h"
#include "tests/lobby/screen_fixture.h"
#include "toolkit/pixels.h"

class TestListener;
struct Room;

// The test map's pixel at (x, y): the colour of the default table's index
// (x / 8 + y / 8) % 200 + 20, so neighbouring squares differ.
Pixel TestMapPixel(int32_t x, int32_t y);

// One message as the peer received it.
struct PeerMessage {
  uint32_t type;
  std::vector<uint8_t> body;
};

// Message bodies in wire order.
std::vector<uint8_t> RoomInfoBody(uint32_t id, const std::string& name, const std::string& imageFile,
                                  uint32_t imageVersion = 1, uint32_t address = 258, uint16_t port = 80);
std::vector<uint8_t> RoomStatusBody(uint32_t id, uint32_t players, uint16_t state);
std::vector<uint8_t> AccessGrantedBody(uint32_t newest, uint32_t disclaimerVersion);
std::vector<uint8_t> WelcomeTextBody(const std::string& text);

class LobbyTest : public ScreenTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sends one message and lets the client handle it (and whatever it posts).
  // An echo follows it; its answer shows that the message before it was
  // handled. Without the barrier (a message that ends the connection) the
  // loop is pumped until check holds.
  void Send(uint32_t type, const std::vector<uint8_t>& body, bool barrier = true);
  // AccessGranted with these versions; the lobby is then shown.
  void Grant(uint32_t newest = 0x00010100, uint32_t disclaimerVersion = 0);
  // Every message the peer has received since the last call.
  std::vector<PeerMessage> Received();
  // The room with id; nullptr when it is not in the list.
  static Room* RoomOf(uint32_t id);
  // A room announced and given its building (tests/lobby/building_fixtures.h)
  // by the server, then its state.
  Room* Announce(uint32_t id, const char* name, Rect rect, uint16_t state, uint32_t players = 0);
  // The lobby window's activation and the toolkit's idle report with the
  // pointer at (x, y), as the lobby's procedure gets them.
  static void Activate();
  static void Idle(int16_t x, int16_t y);

  Rect gateOuter{};  // the gate window's rectangle before the grant
  int peer = -1;

 private:
  void Pump();
  bool EchoWaiting();
  std::shared_ptr<TestListener> listener_;  // shared: deleted where the type is known
  std::vector<uint8_t> pending_;
};
