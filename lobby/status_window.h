#pragma once
// The room status window: a caption-less child of the lobby window shown
// next to the pointer while it rests on a building, with the room's name in
// bold and how full the room is.

#include <cstddef>
#include <cstdint>

#include "core/rect.h"
#include "toolkit/event.h"

struct Room;
struct Window;

// As made and as erased; the two text lines stop at x = 96.
inline constexpr Rect kStatusWindowRect = {0, 0, 100, 32};
inline constexpr Rect kStatusNameRect = {8, 4, 96, 16};
inline constexpr Rect kStatusTextRect = {8, 16, 96, 28};

struct StatusWindowScreen {
  Window* window;  // made by LobbyCreate, hidden; nullptr before
  Room* hovered;   // the room shown; nullptr while hidden
  Point corner;    // where the window was placed, in the lobby window's drawing area
};
extern StatusWindowScreen g_status;

// "Empty", "1 player", "%d players" or "Full" by the room's state and
// players; empty for any state but open and full. Writes at most size bytes.
void StatusWindowText(const Room* room, char* out, size_t size);
// Shows the window for room one pixel right of and below point (lobby
// window coordinates), sized to its texts; nothing when room is already the
// one shown, so the window stays put while the pointer moves over it.
void StatusWindowShowFor(Room* room, Point point);
// Hides the window and forgets its room, if it shows one.
void StatusWindowHide();
// Paints the hovered room's name and status text; nothing without one.
void StatusWindowDraw(Window* window);
// The status window's event procedure: paints, and passes a double click on
// to the lobby window as one at the window's top-left corner.
uint16_t StatusWindowEventProc(void* source, Event* event);
