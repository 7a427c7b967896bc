#pragma once
// The buildings on the lobby map: finding the one under a point, drawing a
// room by its state, and building a room's graphics from its set.

#include <cstdint>

#include "core/rect.h"
#include "toolkit/draw.h"

struct Room;

// The first room, in announcement order, whose idle animation has an opaque
// pixel at point (lobby window coordinates); rooms without one are never
// hit. nullptr when none.
Room* RoomAtPoint(Point point);
// Draws the room's building by its state: an open room's idle animation
// (started if it is not running; nothing while entering), else the closed
// picture into the drawing section the caller has open on the lobby window.
void RoomDraw(Room* room);
// The double click's half for buildings: the room at point, if it has an
// enter animation, stops idling and plays it; its end launches the game.
void RoomEnterAt(Point point);
// RoomDraw inside a section of its own on the lobby window, clipped to the
// room's rectangle.
void RoomRedraw(Room* room);
// Paints the lobby map into target over the whole map rectangle; the
// caller's clipping limits it. The background of every building animation.
void LobbyDrawBackground(DrawTarget target);
