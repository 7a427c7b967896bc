#include "lobby/building.h"

#include "core/list.h"
#include "lobby/game_launch.h"
#include "lobby/gate.h"
#include "lobby/room.h"
#include "media/animation.h"
#include "media/building_set.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "shell/motion.h"
#include "toolkit/alert.h"
#include "toolkit/window.h"

namespace {

void DeleteGraphics(Room* room) {
  AnimationDelete(room->idle);
  AnimationDelete(room->enter);
  ImageDelete(room->closed);
  room->idle = nullptr;
  room->enter = nullptr;
  room->closed = nullptr;
}

Animation* MakeAnimation(Room* room, std::span<const uint8_t> definition, AnimationFrameCallback frameCallback,
                         const char* failure) {
  Animation* animation = AnimationNew();
  if (!animation || AnimationCreate(animation, g_gate.window, &room->rect, 1, definition, frameCallback,
                                    &RoomAnimationBackground, reinterpret_cast<UserData>(room)) != 0) {
    AnimationDelete(animation);
    SystemFailureAlert(failure);
    return nullptr;
  }
  return animation;
}

// The building must stand on the map: its frames are surfaces of its size.
bool RectOnMap(const Rect& rect) {
  const Rect& map = g_gate.rect;
  return rect.left < rect.right && rect.top < rect.bottom && rect.left >= map.left && rect.top >= map.top &&
         rect.right <= map.right && rect.bottom <= map.bottom;
}

}  // namespace

Room* RoomAtPoint(Point point) {
  List* rooms = RoomListGet();
  if (!rooms) return nullptr;
  for (ListNode* node = rooms->head; node; node = node->next) {
    auto* room = static_cast<Room*>(node->data);
    if (room->idle && AnimationHitTest(room->idle, point) == 1) return room;
  }
  return nullptr;
}

void RoomDraw(Room* room) {
  if (!room || !g_gate.window) return;
  if (room->state == kRoomStateOpen) {
    if (room->entering || !room->idle) return;
    if (AnimationIsRunning(room->idle)) {
      AnimationDraw(room->idle);
    } else {
      AnimationStart(room->idle);
      // Reduced motion: the building rests on the first frame just drawn.
      if (MotionReduced()) AnimationStop(room->idle);
    }
    return;
  }
  if (room->idle) AnimationStop(room->idle);
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

void RoomEnterAt(Point point) { RoomEnter(RoomAtPoint(point)); }

void RoomEnter(Room* room) {
  if (!room || !room->enter) return;
  if (MotionReduced()) {
    // The game starts at once, as when the enter animation has ended.
    GameLaunch(room->enter, 0, reinterpret_cast<UserData>(room));
    return;
  }
  if (room->idle) AnimationStop(room->idle);
  room->entering = 1;
  AnimationStart(room->enter);
}

bool RoomSetImageSet(Room* room, std::span<uint8_t> set) {
  if (!room) return false;
  DeleteGraphics(room);
  if (!BuildingSetConvert(set, kToHostOrder)) return false;
  BuildingSetParts parts;
  if (!BuildingSetRead(set, &parts) || !RectOnMap(parts.header.rect)) return false;
  room->rect = parts.header.rect;
  if (!parts.idle.empty()) {
    room->idle = MakeAnimation(room, parts.idle, nullptr, "Can't create idle animation object. System failure.");
  }
  if (!parts.enter.empty()) {
    room->enter = MakeAnimation(room, parts.enter, &GameLaunch, "Can't create enter animation object. System failure.");
  }
  if (!parts.closed.empty()) {
    Image* image = ImageNew();
    if (!image || ImageBuild(image, parts.closed, {}) != 0) {
      ImageDelete(image);
      SystemFailureAlert("Can't create closed image object. System failure.");
    } else {
      room->closed = image;
    }
  }
  return true;
}

void RoomAnimationBackground(Animation*, Offscreen* surface, const Rect*, UserData) {
  LobbyDrawBackground(surface);
}
