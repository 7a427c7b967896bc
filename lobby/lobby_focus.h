#pragma once
// The lobby by keyboard. The pointer and the keys share one current
// building: the pointer makes the building it rests on current; Tab,
// Shift+Tab and the arrows move on from there through the buildings of open
// and full rooms in reading order (top to bottom, then left to right), then
// the welcome icon. What the keys chose wears a focus mark and shows its
// status window until the pointer moves; Enter or Space enters the room as
// a double click does, or opens the welcome window from the icon.

#include <cstdint>
#include <vector>

#include "core/rect.h"
#include "toolkit/draw.h"
#include "toolkit/event.h"

struct Room;

enum class LobbyFocusKind : uint8_t { kNone, kRoom, kWelcome };

struct LobbyFocus {
  LobbyFocusKind kind;
  uint32_t roomId;    // kRoom: the room's id (the room may be gone since)
  bool marked;        // the keys chose it: the mark shows
  Rect markRect;      // where the mark stands while marked
  Point anchor;       // the pointer when the keys chose, in lobby coordinates
};
extern LobbyFocus g_lobbyFocus;

// What the keys walk, in their order: buildings of open and full rooms in
// reading order, then the welcome icon once a welcome text came.
struct LobbyFocusItem {
  LobbyFocusKind kind;
  Room* room;  // kRoom only
  Rect rect;
};
std::vector<LobbyFocusItem> LobbyFocusOrder();
// The index of the current building in LobbyFocusOrder, -1 for none.
int LobbyFocusIndex(const std::vector<LobbyFocusItem>& order);

// The current room, nullptr when the welcome icon or nothing is current or
// the room is gone.
Room* LobbyFocusRoom();
// Tab, Shift+Tab, the arrows, Enter and Space typed in the lobby (EventChar
// or EventKey). 1 when taken.
uint16_t LobbyFocusKey(const Event* event);
// The pointer's idle report. True while the keys' choice stands (the
// pointer has not moved since): its status window is kept and the pointer
// is not looked at. Otherwise the mark goes and false is returned.
bool LobbyFocusIdle(Point pointer);
// The pointer rests on room: it becomes the current building.
void LobbyFocusPointerAt(Room* room);
// Draws the focus mark, if one shows, into target (lobby coordinates); the
// caller's clipping limits it. Part of the map's background, so animation
// frames of neighbouring buildings compose over it.
void LobbyFocusDrawMark(DrawTarget target);
// Forgets the current building (the lobby goes).
void LobbyFocusReset();
