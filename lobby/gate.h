#pragma once
// The gate: the program's main window, first showing the gate picture. A
// click, a key or three seconds of waiting open the login window over it;
// when access is granted it zooms into the picture and becomes the lobby.

#include <cstdint>

#include "core/rect.h"
#include "core/types.h"
#include "toolkit/event.h"

struct Offscreen;
struct Timer;
struct Window;

inline constexpr char kGateImageFileName[] = "start.oim";
// Ticks from GateOpen until the login window opens by itself.
inline constexpr uint32_t kGateWaitTicks = 300;
inline constexpr int kGateZoomSteps = 16;
// Ticks between two steps of the zoom.
inline constexpr uint32_t kGateZoomStepTicks = 10;

struct GateScreen {
  Window* window;      // the main window for the whole run; nullptr before GateOpen
  Offscreen* picture;  // the gate picture, drawn once; nullptr after GateDiscardPicture
  Rect rect;           // (0, 0, picture width, picture height); the lobby reuses it for its map
  Timer* timer;        // the automatic open; kept, stopped, once it fired or was cancelled
  uint16_t timerPending;
};
extern GateScreen g_gate;

// The zoom's source rectangles, in the gate picture's coordinates. Fixed,
// whatever the picture's size: they close in on the door at (281, 163).
extern const Rect kGateZoomTable[kGateZoomSteps];

// Opens the gate window centred on the screen and starts the automatic
// open. 0; 14 when start.oim cannot be loaded; 2 when memory is short or the
// window cannot be made (each with its alert). A failure leaves nothing made.
ErrorCode GateOpen();
// The gate window's event procedure.
uint16_t GateEventProc(void* source, Event* event);
// Sixteen frames, 100 ms apart, each a smaller part of the picture stretched
// over the whole window. Blocks meanwhile.
void GateZoom();
// Deletes the gate picture; nothing is drawn on a repaint afterwards.
void GateDiscardPicture();
// Stops the automatic open if it is still pending (the login window is
// opening by another way).
void GateCancelTimer();
// Deletes the gate timer, if any, and forgets it.
void GateDeleteTimer();
