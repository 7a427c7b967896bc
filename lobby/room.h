#pragma once
// The rooms the lobby server announces, one record each, kept in the order
// they were announced. A room's building comes from its building image set.

#include <cstddef>
#include <cstdint>

#include "core/list.h"
#include "core/rect.h"
#include "core/types.h"

struct Animation;
struct Image;

inline constexpr size_t kRoomNameSize = 31;
inline constexpr size_t kRoomImageFileSize = 16;

// Room states as the server sends them; any other value shows like none.
enum : uint16_t {
  kRoomStateNone = 0,
  kRoomStateOpen = 1,
  kRoomStateFull = 2,
  kRoomStateGone = 3,  // only in RoomStatus: the room is removed
};

struct Room {
  uint32_t id;
  uint32_t address;  // the game server's, passed to the game as it is
  uint16_t port;
  uint16_t spare;                         // copied from RoomInfo, not used
  char name[kRoomNameSize];               // the game's name, NUL-terminated
  char imageFile[kRoomImageFileSize];     // the game image file's name, NUL-terminated
  uint32_t imageVersion;                  // the version of the set the server offers
  uint32_t players;
  uint16_t state;
  uint16_t entering;  // 1 while the enter animation plays
  Rect rect;          // the building's place on the map
  Animation* idle;    // nullptr when absent
  Animation* enter;
  Image* closed;
};

// A room made from a RoomInfo body in host order (length checked by the
// caller against the catalogue): players 0, state 0, no graphics. The texts
// are taken only as far as their fields go and always end. nullptr when
// memory is exhausted.
Room* RoomNewFromInfo(const uint8_t* body, uint32_t length);
// Frees the room with its animations and closed picture; the room list's
// delete callback.
void RoomFree(ListKey key, void* room);

// The room list: made by LobbyCreate, deleted by SessionShutdown.
List* RoomListNew();
void RoomListDelete();
List* RoomListGet();
// The room with id, or nullptr (also when there is no list).
Room* RoomListFind(uint32_t id);
// Appends room with its id as key. false (room not taken) without memory.
bool RoomListAppend(Room* room);
// Removes room from the list and frees it.
void RoomListRemove(Room* room);

// Whether name may name a file of the data directory: 1 to 15 characters,
// printable ASCII, none of the separators or characters a file system
// reserves, not "." or anything with "..", no trailing dot or space, and no
// device name (CON, NUL, COM1 and the like, with or without an extension).
// The name comes from the server; anything else is never used as a path.
bool RoomImageFileNameIsPlain(const char* name);
