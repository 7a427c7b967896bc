#pragma once
// The buildings on the lobby map: finding the one under a point, drawing a
// room by its state, and building a room's graphics from its set.

#include <cstdint>
#include <span>

#include "core/rect.h"
#include "toolkit/draw.h"

struct Animation;
struct Offscreen;
struct Room;

// The first room, in announcement order, whose idle animation has an opaque
// pixel at point (lobby window coordinates); rooms without one are never
// hit. nullptr when none.
Room* RoomAtPoint(Point point);
// Draws the room's building by its state: an open room's idle animation
// (started if it is not running; nothing while entering), else the closed
// picture into the drawing section the caller has open on the lobby window.
void RoomDraw(Room* room);
// RoomDraw inside a section of its own on the lobby window, clipped to the
// room's rectangle.
void RoomRedraw(Room* room);
// The double click's half for buildings: the room at point, if it has an
// enter animation, stops idling and plays it; its end launches the game.
void RoomEnterAt(Point point);
// Enters room as a double click on it does: with an enter animation, it
// stops idling and plays it; its end launches the game.
void RoomEnter(Room* room);

// Replaces the room's rectangle, animations and closed picture by those of
// set, which is in file order and is converted in place. A set that is
// malformed (a record outside it, overlapping records, a bad definition) or
// whose rectangle is empty or leaves the map builds nothing: the room keeps
// no graphics and false is returned. A part that cannot be made says so
// with the system-failure alert and is left out. Draws nothing.
bool RoomSetImageSet(Room* room, std::span<uint8_t> set);

// Paints the lobby map into target over the whole map rectangle; the
// caller's clipping limits it.
void LobbyDrawBackground(DrawTarget target);
// The background callback of every building animation.
void RoomAnimationBackground(Animation* animation, Offscreen* surface, const Rect* rect, UserData room);
