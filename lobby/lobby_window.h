#pragma once
// The lobby: once access is granted the gate window becomes the lobby
// window "Salvind", showing the lobby map with a building for every room,
// the welcome icon and, for those who know the corner, the "SysOp" button.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/event.h"

struct Button;
struct Image;
struct Room;

inline constexpr char kLobbyMapFileName[] = "salvind.oim";
inline constexpr char kLobbyResourceFileName[] = "salvind.ors";
inline constexpr uint32_t kWelcomeIconItem = 0;
// The welcome icon's bottom-right corner on the map.
inline constexpr Point kWelcomeIconCorner = {580, 360};
inline constexpr Rect kSysOpButtonRect = {0, 0, 60, 20};

struct LobbyScreen {
  Image* map;           // the lobby map; its rectangle is g_gate.rect
  Image* welcomeIcon;   // item 0 of salvind.ors
  Rect welcomeRect;     // the icon's place, its bottom-right at kWelcomeIconCorner
  uint16_t welcomeReceived;  // a welcome text arrived: the icon is drawn and opens the window
  uint16_t active;           // between the lobby window's activation and deactivation
  uint16_t sysOpVisible;     // the corner was pressed exactly kCornerRevealCount times
  Button* sysOp;
};
extern LobbyScreen g_lobby;

// Makes the room list, the status window, the pictures, the welcome window
// and the "SysOp" button. 0; 2 without memory; a picture that cannot be
// loaded says "Failed to load all necessary images." and returns its code.
ErrorCode LobbyCreate();
// Turns the gate window into the lobby window: map-sized, centred where the
// gate was, titled "Salvind", with the lobby's event procedure; draws the map.
void LobbyShow();
// The lobby window's event procedure.
uint16_t LobbyEventProc(void* source, Event* event);
// Repaints the event's rectangle (the whole map when it is empty): map,
// buildings, welcome icon.
void LobbyPaint(Event* event);
// Draws the map picture into rect of the lobby window, nothing else.
void LobbyDrawMap(const Rect* rect);
// Frees the map picture and the welcome icon.
void LobbyDeletePictures();
// Deletes the "SysOp" button.
void LobbyDeleteSysOpButton();
