#pragma once
// Native windows. The toolkit owns the window objects and their pixels; the
// platform gives each one a native window, presents its buffer and reports
// raw input back through one handler. Placement uses the outer rectangle
// (caption and frame included): screen coordinates for top-level and dialog
// windows, the parent's drawing-area coordinates for child windows.

#include <cstdint>

#include "platform/geometry.h"
#include "platform/handles.h"

enum PlatformWindowType : int {
  kPlatformWindowTopLevel = 0,  // a window of its own on the desktop
  kPlatformWindowDialog = 1,    // top-level, kept above its owner (the parent given)
  kPlatformWindowChild = 2,     // placed and clipped inside its parent
};

// Decoration bits of PlatformWindowCreate.
enum : uint32_t {
  kPlatformDecorCaption = 1,
  kPlatformDecorMinimiseBox = 2,
  kPlatformDecorSystemMenu = 4,
  kPlatformDecorDialogFrame = 8,
  kPlatformDecorStayOnTop = 16,  // kept above every window without it
};

// Modifier bits of raw input and PlatformModifierKeys.
enum : uint32_t {
  kPlatformModShift = 1,
  kPlatformModControl = 2,
  kPlatformModAlt = 4,
};

// Sizes of the decorations the platform draws (or would draw) around a
// window's drawing area, and of the screen, in pixels.
struct PlatformWindowMetrics {
  int32_t captionHeight;
  int32_t dialogFrameWidth;   // one side
  int32_t dialogFrameHeight;  // one side
  int32_t borderWidth;        // one side, for captioned windows without a dialog frame
  int32_t borderHeight;
  int32_t screenWidth;
  int32_t screenHeight;
};

enum PlatformInputType : uint16_t {
  kPlatformInputButtonDown = 1,   // left button; x, y, modifiers
  kPlatformInputButtonUp = 2,     // left button; x, y (may lie outside), modifiers
  kPlatformInputDoubleClick = 3,  // left button; x, y, modifiers
  kPlatformInputCharacter = 4,    // character (0-255), modifiers
  kPlatformInputActivate = 5,     // a top-level window became the active one
  kPlatformInputDeactivate = 6,
  kPlatformInputCloseRequest = 7, // the user asked to close it; nothing is done yet
  kPlatformInputFocus = 8,        // the window received the keyboard focus
  kPlatformInputExpose = 9,       // rect must be painted into the buffer now
  kPlatformInputMoved = 10,       // x, y: the new outer position in placement coordinates
  kPlatformInputCommand = 11,     // control (a child control) reports code (platform/control.h)
  kPlatformInputKey = 12,         // a key that moves rather than types: character is a kPlatformKey code, modifiers
};

// The keys of kPlatformInputKey. Controls keep these for themselves (an edit
// box moves its caret or scrolls); only windows of the toolkit report them.
enum : uint32_t {
  kPlatformKeyPageUp = 0x21,
  kPlatformKeyPageDown = 0x22,
  kPlatformKeyEnd = 0x23,
  kPlatformKeyHome = 0x24,
  kPlatformKeyLeft = 0x25,
  kPlatformKeyUp = 0x26,
  kPlatformKeyRight = 0x27,
  kPlatformKeyDown = 0x28,
};

// One raw input report. Points are in the window's drawing-area coordinates
// unless said otherwise.
struct PlatformInput {
  PlatformInputType type;
  int32_t x;
  int32_t y;
  uint32_t modifiers;
  uint32_t character;       // Character: the character; Key: the kPlatformKey code
  PlatformRect rect;
  PlatformWindow control;  // Command only
  uint32_t code;           // Command only: the notification code
};

// Called on the program's thread for every raw input of every window.
// Returns true when the toolkit handled it; false asks for the platform's
// default handling.
using PlatformInputHandler = bool (*)(PlatformWindow window, const PlatformInput& input);

// Installs the one handler of raw input; nullptr drops all input.
void PlatformSetInputHandler(PlatformInputHandler handler);

// Raw input of window goes to handler instead of the one above (a window with
// a procedure of its own); nullptr hands it back to the one above.
void PlatformWindowSetHandler(PlatformWindow window, PlatformInputHandler handler);

// Makes a hidden native window with the decorations and title; data is handed
// back by PlatformWindowData. A dialog's parent is its owner (may be nullptr);
// a child needs a parent. nullptr when the platform refuses.
PlatformWindow PlatformWindowCreate(PlatformWindowType type, PlatformWindow parent,
                                    uint32_t decorations, const char* title, uintptr_t data);
// Destroys the native window. Its children and owned windows stay valid,
// hidden and detached, until they are destroyed themselves.
void PlatformWindowDestroy(PlatformWindow window);
// The data given at creation; 0 for nullptr.
uintptr_t PlatformWindowData(PlatformWindow window);
// The parent of a child window or the owner of a dialog; nullptr for none.
PlatformWindow PlatformWindowParent(PlatformWindow window);
// The first child window, and the next one, in creation order; nullptr at the end.
PlatformWindow PlatformWindowFirstChild(PlatformWindow window);
PlatformWindow PlatformWindowNextSibling(PlatformWindow window);

// The caption text (Latin-1).
void PlatformWindowSetTitle(PlatformWindow window, const char* title);
// Places the outer rectangle in placement coordinates; z-order unchanged.
void PlatformWindowSetOuterRect(PlatformWindow window, const PlatformRect& outer);
// Moves the outer top-left corner, keeping size and z-order; reports Moved.
void PlatformWindowMove(PlatformWindow window, int32_t x, int32_t y);
// The outer rectangle in screen coordinates.
PlatformRect PlatformWindowOuterOnScreen(PlatformWindow window);
// The drawing area's top-left corner in screen coordinates.
void PlatformWindowClientOrigin(PlatformWindow window, int32_t* x, int32_t* y);

// Shows the window in its normal state; a top-level window is also raised and
// activated. The first show of a top-level window returns once it is exposed.
void PlatformWindowShow(PlatformWindow window);
// Shows and raises the window to the top of the z-order.
void PlatformWindowRaise(PlatformWindow window);
void PlatformWindowHide(PlatformWindow window);
// True unless the window itself was hidden (its parents do not count).
bool PlatformWindowIsShown(PlatformWindow window);

// Gives the keyboard focus to the window.
void PlatformWindowSetFocus(PlatformWindow window);
// The window with the keyboard focus, nullptr when no window of ours has it.
PlatformWindow PlatformWindowFocus();
// Routes every left button report to window until released.
void PlatformWindowSetCapture(PlatformWindow window);
void PlatformWindowReleaseCapture();
// The window holding the capture, or nullptr.
PlatformWindow PlatformWindowCapture();

// The window's picture: width x height XRGB pixels (0x00RRGGBB), rows top
// first, owned by the caller and read until replaced or the window is gone.
// nullptr shows white.
void PlatformWindowSetBuffer(PlatformWindow window, const uint32_t* pixels, int32_t width,
                             int32_t height);
// Shows rect of the buffer now (drawing-area coordinates), if the window is exposed.
void PlatformWindowPresent(PlatformWindow window, const PlatformRect& rect);
// Asks for an Expose of rect (nullptr: the whole drawing area) soon.
void PlatformWindowInvalidate(PlatformWindow window, const PlatformRect* rect);

void PlatformWindowGetMetrics(PlatformWindowMetrics* metrics);
// The pointer's position in screen coordinates.
void PlatformPointerPosition(int32_t* x, int32_t* y);
// The modifier keys held now (kPlatformMod bits).
uint32_t PlatformModifierKeys();
