#include "lobby/status_window.h"

#include <algorithm>
#include <cstdio>

#include "lobby/room.h"
#include "toolkit/draw.h"
#include "toolkit/font.h"
#include "toolkit/text_draw.h"
#include "toolkit/window.h"

StatusWindowScreen g_status = {};

namespace {

constexpr int16_t kStatusHeight = 32;
// Left and right margins together around the wider text.
constexpr int16_t kStatusMargins = 16;
constexpr size_t kStatusTextSize = 32;

// The wider of the two texts in their fonts; 0 without a hovered room.
int16_t StatusTextWidth(Window* window) {
  if (!g_status.hovered) return 0;
  char text[kStatusTextSize];
  StatusWindowText(g_status.hovered, text, sizeof text);
  DrawBegin(window);
  DrawSetFont(window, FontStandard(FontSansBold9));
  const int16_t nameWidth = DrawTextWidth(window, g_status.hovered->name);
  DrawSetFont(window, FontStandard(FontSans9));
  const int16_t textWidth = DrawTextWidth(window, text);
  DrawEnd(window);
  return std::max(nameWidth, textWidth);
}

}  // namespace

void StatusWindowText(const Room* room, char* out, size_t size) {
  if (!out || size == 0) return;
  out[0] = '\0';
  if (!room) return;
  if (room->state == kRoomStateFull) {
    std::snprintf(out, size, "Full");
  } else if (room->state == kRoomStateOpen) {
    if (room->players == 0) {
      std::snprintf(out, size, "Empty");
    } else if (room->players == 1) {
      std::snprintf(out, size, "1 player");
    } else {
      // A signed decimal, as the count was always shown.
      std::snprintf(out, size, "%d players", static_cast<int32_t>(room->players));
    }
  }
}

void StatusWindowShowFor(Room* room, Point point) {
  Window* window = g_status.window;
  if (!window || room == g_status.hovered) return;
  g_status.hovered = room;
  WindowHide(window);
  const int width = StatusTextWidth(window) + kStatusMargins;
  WindowSetSize(window, static_cast<int16_t>(std::min(width, 0x7FFF)), kStatusHeight);
  g_status.corner = Point{static_cast<int16_t>(point.x + 1), static_cast<int16_t>(point.y + 1)};
  WindowMoveTo(window, g_status.corner.x, g_status.corner.y);
  WindowShow(window);
}

void StatusWindowHide() {
  if (!g_status.hovered) return;
  if (g_status.window) WindowHide(g_status.window);
  g_status.hovered = nullptr;
}

void StatusWindowDraw(Window* window) {
  if (!window || !g_status.hovered) return;
  char text[kStatusTextSize];
  StatusWindowText(g_status.hovered, text, sizeof text);
  DrawBegin(window);
  DrawSetClipRect(window, &kStatusWindowRect);
  DrawEraseRect(window, &kStatusWindowRect);
  DrawSetFont(window, FontStandard(FontSansBold9));
  DrawTextInRect(window, &kStatusNameRect, kTextAlignLeft, g_status.hovered->name);
  DrawSetFont(window, FontStandard(FontSans9));
  DrawTextInRect(window, &kStatusTextRect, kTextAlignLeft, text);
  DrawEnd(window);
}

uint16_t StatusWindowEventProc(void* source, Event* event) {
  auto* window = static_cast<Window*>(source);
  switch (event->type) {
    case EventPaint:
      StatusWindowDraw(window);
      return 1;
    case EventDoubleClick: {
      Window* lobby = window ? window->parent : nullptr;
      if (!lobby) return 1;
      // The corner as placed, in the lobby's drawing area: the window's
      // rectangle counts from the lobby's outer corner, frame included.
      const Point corner = g_status.corner;
      EventPost(lobby, WindowGetProc(lobby), EventDoubleClick, &corner, nullptr, event->key, 0, 0,
                WindowGetUserData(lobby));
      return 1;
    }
    case EventChar:
    case EventKey: {
      // Keys typed while a click left the keyboard here belong to the lobby.
      Window* lobby = window ? window->parent : nullptr;
      if (!lobby) return 0;
      return EventSend(lobby, WindowGetProc(lobby), event->type, nullptr, nullptr, event->key, 0, 0,
                       WindowGetUserData(lobby));
    }
    default:
      return 0;
  }
}
