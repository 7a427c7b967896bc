#include "lobby/lobby_window.h"

#include "core/list.h"
#include "lobby/building.h"
#include "lobby/gate.h"
#include "lobby/lobby_access.h"
#include "lobby/lobby_focus.h"
#include "lobby/login_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "media/image.h"
#include "media/image_draw.h"
#include "media/resource_file.h"
#include "net/session.h"
#include "shell/data_path.h"
#include "toolkit/alert.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/window.h"

LobbyScreen g_lobby = {};

namespace {

// The button is there for those who know; pressing it does nothing.
uint16_t SysOpClick(Button*, UserData) { return 1; }

ErrorCode LoadPictures() {
  LobbyDeletePictures();
  g_lobby.map = ImageLoadFile(ProgramDataPath(kLobbyMapFileName));
  if (!g_lobby.map) return kErrorOutOfMemory;
  ResourceFile* rf = ResourceFileNew();
  if (!rf) return kErrorOutOfMemory;
  const ErrorCode opened = ResourceFileOpen(rf, ProgramDataPath(kLobbyResourceFileName));
  if (opened != 0) {
    ResourceFileDelete(rf);
    return opened;
  }
  g_lobby.welcomeIcon = ResourceFileGetImage(rf, kWelcomeIconItem);
  ResourceFileDelete(rf);
  if (!g_lobby.welcomeIcon) return kErrorOutOfMemory;
  g_lobby.welcomeRect = Rect{static_cast<int16_t>(kWelcomeIconCorner.x - ImageWidth(g_lobby.welcomeIcon)),
                             static_cast<int16_t>(kWelcomeIconCorner.y - ImageHeight(g_lobby.welcomeIcon)),
                             kWelcomeIconCorner.x, kWelcomeIconCorner.y};
  return 0;
}

void DoubleClick(Point point) {
  // Entering a building and opening the welcome window are independent: a
  // building may stand over the icon.
  RoomEnterAt(point);
  if (g_lobby.welcomeReceived != 1 || !g_lobby.welcomeIcon) return;
  const Point onIcon{static_cast<int16_t>(point.x - g_lobby.welcomeRect.left),
                     static_cast<int16_t>(point.y - g_lobby.welcomeRect.top)};
  if (ImageHitTest(g_lobby.welcomeIcon, onIcon) == 1) WelcomeWindowShow();
}

}  // namespace

ErrorCode LobbyCreate() {
  // The button is made last: a second grant finds the lobby complete.
  if (g_lobby.sysOp) return 0;
  g_lobby.sysOpVisible = g_login.cornerClicks == kCornerRevealCount ? 1 : 0;
  if (!RoomListNew()) return kErrorOutOfMemory;

  if (!g_status.window) {
    Window* status = WindowNew();
    if (!status) return kErrorOutOfMemory;
    const ErrorCode made = WindowInit(status, &kStatusWindowRect, kWindowKindPlain, g_gate.window, nullptr, 0, 0,
                                      &StatusWindowEventProc, 0);
    if (made != 0) {
      WindowDelete(status);
      return made;
    }
    g_status.window = status;
  }

  const ErrorCode loaded = LoadPictures();
  if (loaded != 0) {
    Alert("Failed to load all necessary images.", nullptr);
    return loaded;
  }

  WelcomeWindowCreate();

  if (!g_lobby.sysOp) {
    Button* button = ButtonNew();
    if (!button) return kErrorOutOfMemory;
    const ErrorCode made =
        ButtonInit(button, g_gate.window, &kSysOpButtonRect, "SysOp", g_lobby.sysOpVisible, 1, &SysOpClick, 0);
    if (made != 0) {
      ButtonDelete(button);
      return made;
    }
    g_lobby.sysOp = button;
  }
  g_lobby.active = 0;
  g_lobby.welcomeReceived = 0;
  return 0;
}

void LobbyShow() {
  Window* window = g_gate.window;
  if (!window) return;
  Rect old;
  WindowGetRect(window, &old);
  if (g_lobby.map) {
    g_gate.rect = Rect{0, 0, static_cast<int16_t>(ImageWidth(g_lobby.map)),
                       static_cast<int16_t>(ImageHeight(g_lobby.map))};
  }
  Rect placed = g_gate.rect;
  RectCentre(&placed, &old, kCentreBoth);
  WindowSetRect(window, &placed);
  WindowSetProc(window, &LobbyEventProc);
  WindowSetTitle(window, "Salvind");
  WindowSetDefaultParent(window);
  WindowSetOwnsTab(window, 1);
  LobbyFocusReset();
  LobbyAccessReset();
  LobbyDrawMap(&g_gate.rect);
}

uint16_t LobbyEventProc(void*, Event* event) {
  switch (event->type) {
    case EventIdle: {
      LobbyAccessRefresh();
      if (g_lobby.active != 1) return 0;
      if (LobbyFocusIdle(event->point)) return 1;
      Room* room = RoomAtPoint(event->point);
      if (room) {
        StatusWindowShowFor(room, event->point);
      } else {
        StatusWindowHide();
      }
      LobbyFocusPointerAt(room);
      return 1;
    }
    case EventActivate:
      g_lobby.active = 1;
      return 0;
    case EventDeactivate:
      StatusWindowHide();
      g_lobby.active = 0;
      return 0;
    case EventClose:
      SessionShutdown();
      return 1;
    case EventPaint:
      LobbyPaint(event);
      return 1;
    case EventButtonDown:
    case EventButtonUp:
      return 1;
    case EventDoubleClick:
      DoubleClick(event->point);
      return 1;
    case EventChar:
    case EventKey:
      return LobbyFocusKey(event);
    default:
      return 0;
  }
}

void LobbyPaint(Event* event) {
  Window* window = g_gate.window;
  if (!window) return;
  Rect area = event->rect;
  if (RectIsEmpty(&area)) area = g_gate.rect;
  LobbyDrawMap(&area);

  DrawBegin(window);
  Rect saved;
  DrawGetClipRect(window, &saved);
  DrawSetClipRect(window, &area);
  if (List* rooms = RoomListGet()) {
    for (ListNode* node = rooms->head; node; node = node->next) {
      auto* room = static_cast<Room*>(node->data);
      Rect overlap;
      if (RectIntersect(&room->rect, &area, &overlap)) RoomDraw(room);
    }
  }
  if (g_lobby.welcomeReceived && g_lobby.welcomeIcon) {
    ImageDraw(g_lobby.welcomeIcon, window, &g_lobby.welcomeRect, nullptr, kDrawModeCopy);
  }
  DrawSetClipRect(window, &saved);
  DrawEnd(window);
}

void LobbyDrawMap(const Rect* rect) {
  Window* window = g_gate.window;
  if (!window || !rect) return;
  DrawBegin(window);
  Rect saved;
  DrawGetClipRect(window, &saved);
  DrawSetClipRect(window, rect);
  LobbyDrawBackground(window);
  DrawSetClipRect(window, &saved);
  DrawEnd(window);
}

void LobbyDrawBackground(DrawTarget target) {
  if (g_lobby.map) ImageDraw(g_lobby.map, target, &g_gate.rect, nullptr, kDrawModeCopy);
  LobbyFocusDrawMark(target);
}

void LobbyDeletePictures() {
  ImageDelete(g_lobby.map);
  g_lobby.map = nullptr;
  ImageDelete(g_lobby.welcomeIcon);
  g_lobby.welcomeIcon = nullptr;
}

void LobbyDeleteSysOpButton() {
  ButtonDelete(g_lobby.sysOp);
  g_lobby.sysOp = nullptr;
}
