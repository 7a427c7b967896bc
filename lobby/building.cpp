#include "lobby/building.h"

#include "core/list.h"
#include "lobby/gate.h"
#include "lobby/room.h"
#include "media/image_draw.h"
#include "toolkit/window.h"

Room* RoomAtPoint(Point) {
  // Only an idle animation makes a building hittable.
  List* rooms = RoomListGet();
  if (!rooms) return nullptr;
  for (ListNode* node = rooms->head; node; node = node->next) {
    auto* room = static_cast<Room*>(node->data);
    if (!room->idle) continue;
  }
  return nullptr;
}

void RoomEnterAt(Point point) {
  Room* room = RoomAtPoint(point);
  if (!room || !room->enter) return;
}

void RoomDraw(Room* room) {
  if (!room || !g_gate.window) return;
  if (room->state == kRoomStateOpen) return;
  if (room->closed) ImageDraw(room->closed, g_gate.window, &room->rect, nullptr, kDrawModeCopy);
}

void RoomRedraw(Room* room) {
  Window* window = g_gate.window;
  if (!room || !window) return;
  DrawBegin(window);
  Rect saved;
  DrawGetClipRect(window, &saved);
  DrawSetClipRect(window, &room->rect);
  RoomDraw(room);
  DrawSetClipRect(window, &saved);
  DrawEnd(window);
}
