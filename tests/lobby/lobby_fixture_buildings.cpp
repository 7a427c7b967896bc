// The fixture's buildings, apart from the network helpers whose names the
// set builders share.

#include <string>

#include "protocol/messages.h"
#include "tests/lobby/building_fixtures.h"
#include "tests/lobby/lobby_fixture.h"

Room* LobbyTest::Announce(uint32_t id, const char* name, Rect rect, uint16_t state, uint32_t players) {
  Send(kMessageRoomInfo, RoomInfoBody(id, name, std::string(name) + ".ogi"));
  Send(kMessageGameImage, GameImageBody(id, BuildingSet(rect)));
  Send(kMessageRoomStatus, RoomStatusBody(id, players, state));
  return RoomOf(id);
}
