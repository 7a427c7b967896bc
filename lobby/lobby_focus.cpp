#include "lobby/lobby_focus.h"

#include <algorithm>
#include <vector>

#include "core/list.h"
#include "lobby/building.h"
#include "lobby/gate.h"
#include "lobby/lobby_access.h"
#include "lobby/lobby_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "toolkit/window.h"

LobbyFocus g_lobbyFocus = {};

namespace {

// The mark stands this far outside the building, so the building's own
// frames never cover it: a black ring around a white one.
constexpr int16_t kMarkGap = 3;
constexpr ColorEntry kMarkOuter = {255, 0, 0, 0};
constexpr ColorEntry kMarkInner = {0, 255, 255, 255};

bool Focusable(const Room* room) {
  return room->idle && (room->state == kRoomStateOpen || room->state == kRoomStateFull);
}

}  // namespace

// Reading order: top to bottom, then left to right; announcement order
// between equals. The welcome icon comes last.
std::vector<LobbyFocusItem> LobbyFocusOrder() {
  std::vector<LobbyFocusItem> items;
  if (List* rooms = RoomListGet()) {
    for (ListNode* node = rooms->head; node; node = node->next) {
      auto* room = static_cast<Room*>(node->data);
      if (Focusable(room)) items.push_back({LobbyFocusKind::kRoom, room, room->rect});
    }
  }
  std::stable_sort(items.begin(), items.end(), [](const LobbyFocusItem& a, const LobbyFocusItem& b) {
    return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
  });
  if (g_lobby.welcomeReceived == 1 && g_lobby.welcomeIcon) {
    items.push_back({LobbyFocusKind::kWelcome, nullptr, g_lobby.welcomeRect});
  }
  return items;
}

int LobbyFocusIndex(const std::vector<LobbyFocusItem>& order) {
  for (size_t i = 0; i < order.size(); ++i) {
    const LobbyFocusItem& item = order[i];
    if (item.kind != g_lobbyFocus.kind) continue;
    if (item.kind != LobbyFocusKind::kRoom || item.room->id == g_lobbyFocus.roomId) return static_cast<int>(i);
  }
  return -1;
}

namespace {

Rect Inflated(const Rect& r, int16_t by) {
  return Rect{static_cast<int16_t>(r.left - by), static_cast<int16_t>(r.top - by),
              static_cast<int16_t>(r.right + by), static_cast<int16_t>(r.bottom + by)};
}

void FillRing(DrawTarget target, const Rect& outer, const ColorEntry& colour) {
  DrawSetColor(target, &colour);
  const Rect sides[4] = {
      {outer.left, outer.top, outer.right, static_cast<int16_t>(outer.top + 1)},
      {outer.left, static_cast<int16_t>(outer.bottom - 1), outer.right, outer.bottom},
      {outer.left, outer.top, static_cast<int16_t>(outer.left + 1), outer.bottom},
      {static_cast<int16_t>(outer.right - 1), outer.top, outer.right, outer.bottom},
  };
  for (const Rect& side : sides) DrawFillRect(target, &side);
}

// Repaints the lobby where a mark stands or stood: map, buildings, icon.
void RepaintMarkArea(const Rect& markRect) {
  Event event{};
  event.type = EventPaint;
  event.rect = markRect;
  LobbyPaint(&event);
}

void Unmark() {
  if (!g_lobbyFocus.marked) return;
  g_lobbyFocus.marked = false;
  RepaintMarkArea(g_lobbyFocus.markRect);
}

Point CentreOf(const Rect& r) {
  return Point{static_cast<int16_t>((r.left + r.right) / 2), static_cast<int16_t>((r.top + r.bottom) / 2)};
}

void Choose(const LobbyFocusItem& item) {
  Unmark();
  g_lobbyFocus.kind = item.kind;
  g_lobbyFocus.roomId = item.room ? item.room->id : 0;
  g_lobbyFocus.marked = true;
  g_lobbyFocus.markRect = Inflated(item.rect, kMarkGap);
  // Where the pointer is now: one moved since the last idle pass is no
  // move away from the keys' choice.
  g_lobbyFocus.anchor = WindowPointerPoint(g_gate.window);
  RepaintMarkArea(g_lobbyFocus.markRect);
  // As if the pointer rested on the building's middle.
  if (item.room) {
    StatusWindowShowFor(item.room, CentreOf(item.rect));
  } else {
    StatusWindowHide();
  }
  LobbyAccessRefresh();
}

// Moves the current building by step (+1 onwards, -1 back), wrapping.
uint16_t Step(int step) {
  const std::vector<LobbyFocusItem> items = LobbyFocusOrder();
  if (items.empty()) return 0;
  const auto n = static_cast<int>(items.size());
  const int at = LobbyFocusIndex(items);
  const int next = at < 0 ? (step > 0 ? 0 : n - 1) : ((at + step) % n + n) % n;
  Choose(items[static_cast<size_t>(next)]);
  return 1;
}

uint16_t Activate() {
  if (g_lobbyFocus.kind == LobbyFocusKind::kWelcome) {
    if (g_lobby.welcomeReceived != 1) return 0;
    WelcomeWindowShow();
    return 1;
  }
  Room* room = LobbyFocusRoom();
  if (!room) return 0;
  RoomEnter(room);
  return 1;
}

}  // namespace

Room* LobbyFocusRoom() {
  if (g_lobbyFocus.kind != LobbyFocusKind::kRoom) return nullptr;
  return RoomListFind(g_lobbyFocus.roomId);
}

uint16_t LobbyFocusKey(const Event* event) {
  const uint32_t code = event->key & kKeyCharMask;
  const bool back = (event->key & kKeyShift) != 0;
  if (event->type == EventChar) {
    if (code == 9) return Step(back ? -1 : 1);
    if (code == 13 || code == ' ') return Activate();
    return 0;
  }
  if (event->type != EventKey) return 0;
  switch (code) {
    case kKeyRight:
    case kKeyDown:
      return Step(1);
    case kKeyLeft:
    case kKeyUp:
      return Step(-1);
    default:
      return 0;
  }
}

bool LobbyFocusIdle(Point pointer) {
  if (!g_lobbyFocus.marked) return false;
  if (pointer.x == g_lobbyFocus.anchor.x && pointer.y == g_lobbyFocus.anchor.y) {
    // Shown again after the lobby was away (a deactivation hides it).
    if (Room* room = LobbyFocusRoom()) {
      Rect inner = Inflated(g_lobbyFocus.markRect, static_cast<int16_t>(-kMarkGap));
      StatusWindowShowFor(room, CentreOf(inner));
    }
    return true;
  }
  Unmark();
  return false;
}

void LobbyFocusPointerAt(Room* room) {
  if (!room) return;
  g_lobbyFocus.kind = LobbyFocusKind::kRoom;
  g_lobbyFocus.roomId = room->id;
}

void LobbyFocusDrawMark(DrawTarget target) {
  if (!g_lobbyFocus.marked) return;
  FillRing(target, g_lobbyFocus.markRect, kMarkOuter);
  FillRing(target, Inflated(g_lobbyFocus.markRect, -1), kMarkInner);
}

void LobbyFocusReset() { g_lobbyFocus = LobbyFocus{}; }
