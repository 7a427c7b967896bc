#pragma once
// Graphic windows: a drawing area with an optional caption, placed from a
// rectangle and a window kind, drawn by its owner into its own pixel buffer
// and fed with events through its event procedure.

#include <cstdint>

#include "core/error_codes.h"
#include "core/list.h"
#include "core/rect.h"
#include "core/types.h"
#include "platform/geometry.h"
#include "platform/handles.h"
#include "toolkit/draw_state.h"
#include "toolkit/event.h"
#include "toolkit/pixels.h"

struct Timer;
// A push button; made by the controls.
struct Button;

inline constexpr uint32_t kObjectKindWindow = 0;

// Window kinds (bits 0-14) and the flag of bit 15.
enum : uint16_t {
  kWindowKindMain = 0,    // caption, minimise box, system menu; a child if given a parent
  kWindowKindDialog = 1,  // top-level popup with caption and dialog frame, owned by its parent
  kWindowKindPlain = 2,   // no caption, no frame; a child if given a parent
  kWindowNoSystemMenu = 0x8000,
};

// The error code of a window or control the platform refused to make.

struct Window {
  uint32_t kind;  // kObjectKindWindow
  DrawState draw;  // drawing sections (toolkit/draw.h)
  PlatformWindow handle;   // nullptr until WindowInit succeeds
  UserData userData;       // handed back in every event of this window
  uint16_t nextControlId;  // identifier of the next control made in this window
  EventProc proc;          // may be nullptr
  uint16_t windowKind;
  Window* parent;
  int32_t height;  // drawing area
  int32_t width;
  PlatformRect outer;         // screen coordinates, or the parent's for a child window
  PlatformRect createdOuter;  // outer as made; the sizing limits
  int32_t frameHeight;        // both sides together, 0 without a frame
  int32_t frameWidth;
  int32_t captionHeight;
  // Non-zero only while a paint event is being delivered; paintRect is the
  // area it repaints. The drawing presents it when the paint is over.
  uint16_t painting;
  Rect paintRect;
  uint32_t isDialog;  // bit 0 of windowKind
  Button* defaultButton;  // pressed by Enter
  Button* cancelButton;   // pressed by Escape
  // Tab and Shift+Tab go to the procedure first (EventChar) while the window
  // or one of its plain child windows holds the keyboard: the window moves
  // a focus of its own among things it draws.
  uint16_t ownsTab;
  // What the window shows: width x height pixels, white when made. The
  // platform presents it; drawing writes into it.
  PixelBuffer buffer;
};

// Makes the list of windows and takes the platform's raw input. Returns 0.
ErrorCode WindowsInit();
// Frees the list of windows; every window must already be deleted.
void WindowsTerm();

// A new window at the front of the list of windows, without a platform
// window; nullptr when memory is exhausted.
Window* WindowNew();
// Creates the platform window: rect's left and top place it (relative to the
// parent's outer corner for a dialog with a parent), its width and height are
// the drawing area's. 0, 2001 when the platform refuses, 2 without memory.
ErrorCode WindowInit(Window* window, const Rect* rect, uint16_t windowKind, Window* parent,
                     const char* title, uint16_t show, uint16_t centre, EventProc proc,
                     UserData userData);
// Removes the window from the list, destroys its platform window and frees
// it; ends modality if it was modal. Controls and child windows go first.
void WindowDelete(Window* window);

// Outer top-left relative to the parent's outer top-left (screen position
// without a parent), with the drawing area's width and height.
void WindowGetRect(const Window* window, Rect* rect);
// Places the window at rect's left and top with rect's drawing-area size.
void WindowSetRect(Window* window, const Rect* rect);
// Resizes the drawing area, keeping the position.
void WindowSetSize(Window* window, int16_t width, int16_t height);
// Moves the outer top-left corner (screen, or the parent's coordinates).
void WindowMoveTo(Window* window, int16_t x, int16_t y);
void WindowShow(Window* window);
void WindowBringToTop(Window* window);
// Hides the window; ends modality if it was modal.
void WindowHide(Window* window);
void WindowSetTitle(Window* window, const char* title);
// Asks for a paint event of rect (nullptr: the whole drawing area).
void WindowInvalidate(Window* window, const Rect* rect);

// Input to the other windows of the modal window's tree is held back.
void WindowSetModal(Window* window);
void WindowEndModal();
// The modal window, nullptr when none.
Window* WindowGetModal();

// Enter presses button (ButtonPress), which takes the default-button look.
void WindowSetDefaultButton(Window* window, Button* button);
// Escape presses button.
void WindowSetCancelButton(Window* window, Button* button);
// ownsTab = on (see Window::ownsTab); a Tab the procedure leaves (result 0)
// moves the focus among the controls as usual.
void WindowSetOwnsTab(Window* window, uint16_t on);
// Records the program's main window, the owner of system-failure boxes.
void WindowSetDefaultParent(Window* window);
// The main window's platform handle, nullptr until set.
PlatformWindow WindowGetDefaultParent();

PlatformWindow WindowGetHandle(const Window* window);
EventProc WindowGetProc(const Window* window);
void WindowSetProc(Window* window, EventProc proc);
UserData WindowGetUserData(const Window* window);

// The list of windows, newest first (data: Window*); nullptr outside
// WindowsInit..WindowsTerm.
const List* WindowsList();
// The window object of a platform window, nullptr when it is none of ours.
Window* WindowFromHandle(PlatformWindow handle);

// Where the pointer is now, in the window's drawing-area coordinates.
Point WindowPointerPoint(const Window* window);
// A timer callback: sends EventIdle with the pointer position and the
// modifier bits to every window, newest first.
void WindowsIdleTick(Timer* timer, UserData userData);
