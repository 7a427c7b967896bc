// The client's reaction to every message of the lobby server.

#include <cstdio>
#include <cstring>
#include <span>

#include "core/memory.h"
#include "lobby/building.h"
#include "lobby/game_launch.h"
#include "lobby/disclaimer_document.h"
#include "lobby/disclaimer_window.h"
#include "lobby/gate.h"
#include "lobby/lobby_window.h"
#include "lobby/login_details.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "lobby/room.h"
#include "lobby/status_window.h"
#include "lobby/welcome_window.h"
#include "media/animation.h"
#include "net/connection.h"
#include "net/message_send.h"
#include "net/service.h"
#include "net/session.h"
#include "protocol/messages.h"
#include "shell/os_services.h"
#include "toolkit/alert.h"
#include "toolkit/window.h"
#include "windows/info_box.h"

namespace {

// A newest client version above this one means this client is outdated.
constexpr uint32_t kNewestClientVersionLimit = 0x00010100;
// The pause after "Access granted!".
constexpr uint32_t kAccessGrantedPauseTicks = 50;

enum : uint16_t {
  kDeniedTooOld = 1,
  kDeniedUnknownUser = 2,
  kDeniedWrongPassword = 3,
  kDeniedLockedOut = 4,
  kDeniedUserExists = 5,
  kDeniedSystemFull = 6,
};

uint32_t U32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t U16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void PostQuit() { EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0); }

// A text that runs to the end of the body, as its own NUL-terminated copy:
// the connection ends every body with a NUL, but a copy keeps that a
// promise of this file rather than of the framing. MemFree it.
char* TextToEnd(const uint8_t* body, uint32_t length, uint32_t offset) {
  const uint32_t size = length > offset ? length - offset + 1 : 1;
  auto* text = static_cast<char*>(MemAlloc(size));
  if (text) MessageCopyText(text, size, body, length, offset, 0);
  return text;
}

void OnWelcomeText(const uint8_t* body, uint32_t length) {
  if (!g_welcome.text) return;
  char* text = TextToEnd(body, length, 4);
  if (!text) return;
  WelcomeWindowSetText(text);
  MemFree(text);
  g_lobby.welcomeReceived = 1;
  if (g_gate.window) WindowInvalidate(g_gate.window, &g_lobby.welcomeRect);
  WelcomeWindowShow();
  if (g_gate.window) WindowBringToTop(g_gate.window);
}

void OnAccessDenied(const uint8_t* body) {
  ConnectionDestroy(g_session.connection);
  g_session.connection = nullptr;
  InfoBoxDelete(g_session.infoBox);
  g_session.infoBox = nullptr;
  if (g_gate.window) {
    EventSend(g_gate.window, &GateEventProc, EventPaint, nullptr, nullptr, 0, 0, 0, WindowGetUserData(g_gate.window));
  }

  char text[512];
  Window* owner = g_gate.window;
  switch (U16(body)) {
    case kDeniedTooOld:
      Alert("This version of the software is too old. Please get a newer version and try again.", owner);
      PostQuit();
      break;
    case kDeniedUnknownUser:
      std::snprintf(text, sizeof text,
                    "Username '%s' not found. Please try again. Use 'New User' button if new user.",
                    g_loginDetails.userName);
      Alert(text, owner);
      OpenLoginWindow();
      SelectLoginUserName();
      break;
    case kDeniedWrongPassword:
      Alert("The password is incorrect. Please try again.", owner);
      OpenLoginWindow();
      SelectLoginPassword();
      break;
    case kDeniedLockedOut:
      std::snprintf(text, sizeof text,
                    "You have been locked out the system. Please contact the system administrator at %s.",
                    ServiceSupportEmail());
      Alert(text, owner);
      PostQuit();
      break;
    case kDeniedUserExists:
      std::snprintf(text, sizeof text, "User '%s' already exists. Please enter a new user name.",
                    g_loginDetails.userName);
      Alert(text, owner);
      OpenLoginWindow();
      OpenNewUserWindow();
      SelectNewUserName();
      break;
    case kDeniedSystemFull:
      Alert("Sorry, system is full right now. Please try again later.", owner);
      PostQuit();
      break;
    default:
      break;
  }
}

void OnDisclaimer(const uint8_t* body, uint32_t length) {
  char* text = TextToEnd(body, length, 8);
  if (!text) return;
  DisclaimerStore(text, U32(body));
  MemFree(text);
  DisclaimerClearAccepted();
  DisclaimerShow();
}

void OnAccessGranted(const uint8_t* body) {
  CloseLoginWindow();
  if (g_session.infoBox) {
    InfoBoxSetText(g_session.infoBox, "Access granted!");
    SleepTicks(kAccessGrantedPauseTicks);
    InfoBoxDelete(g_session.infoBox);
    g_session.infoBox = nullptr;
  }
  GateZoom();
  GateDiscardPicture();
  LobbyCreate();
  LobbyShow();

  if (U32(body + 4) > kNewestClientVersionLimit) {
    Alert("You are running an old version of the software. Please download the latest version as soon as "
          "possible.",
          g_gate.window);
    return;
  }
  DisclaimerReadState();
  if (U32(body + 8) > g_disclaimer.localVersion && g_session.connection) {
    DisclaimerRequestSend(g_session.connection);
  }
}

void OnRoomInfo(const uint8_t* body, uint32_t length) {
  if (!RoomListGet() || RoomListFind(U32(body))) return;
  Room* room = RoomNewFromInfo(body, length);
  if (!room) return;
  if (!RoomListAppend(room)) {
    RoomFree(room->id, room);
    return;
  }
  RoomLookAtImageFile(room, g_session.connection);
}

void OnGameImage(const uint8_t* body, uint32_t length) {
  Room* room = RoomListFind(U32(body));
  if (!room) return;
  RoomTakeImageSet(room, std::span<const uint8_t>(body + 4, length - 4));
}

void OnRoomStatus(const uint8_t* body) {
  Room* room = RoomListFind(U32(body));
  if (!room) return;
  const uint16_t state = U16(body + 8);
  if (state == kRoomStateGone) {
    if (room->idle) AnimationStop(room->idle);
    if (room == g_status.hovered) StatusWindowHide();
    const Rect where = room->rect;
    RoomListRemove(room);
    LobbyDrawMap(&where);
    return;
  }
  room->players = U32(body + 4);
  if (state != room->state) {
    room->state = state;
    if (room->entering) {
      // The game is not launched: the animation never reaches its end.
      AnimationStop(room->enter);
      room->entering = 0;
    }
    RoomRedraw(room);
  }
  if (room == g_status.hovered) StatusWindowDraw(g_status.window);
}

}  // namespace

void SessionHandleMessage() {
  if (!g_session.connection) return;
  uint32_t type = 0;
  uint32_t length = 0;
  uint8_t* body = ConnectionGetMessage(g_session.connection, &type, &length, 0);
  // A body that does not hold its layout is not read at all.
  if (!MessageBodyCheck(type, body, length) || MessageConvert(type, body, length, kToHost) != 0) {
    MemFree(body);
    return;
  }
  switch (type) {
    case kMessageWelcomeText:
      OnWelcomeText(body, length);
      break;
    case kMessageAccessDenied:
      OnAccessDenied(body);
      break;
    case kMessageDisclaimer:
      OnDisclaimer(body, length);
      break;
    case kMessageAccessGranted:
      OnAccessGranted(body);
      break;
    case kMessageRoomInfo:
      OnRoomInfo(body, length);
      break;
    case kMessageRoomStatus:
      OnRoomStatus(body);
      break;
    case kMessageGameImage:
      OnGameImage(body, length);
      break;
    default:
      // An EntryList is converted and dropped; anything else is only freed.
      break;
  }
  MemFree(body);
}
