#pragma once
// Test controls of the platform. Nothing in the program calls these.

#include <cstdint>

// Switches the clock and the tick to manual mode: the uptime stands still and
// no tick arrives until a test advances them. For the rest of the process.
void PlatformManualClockEnable();

// Manual mode: sets the uptime (for example just below the wrap).
void PlatformManualClockSet(uint32_t milliseconds);

// Manual mode: for each of ticks, adds 10 ms to the uptime and calls the tick
// handler once.
void PlatformManualClockAdvance(uint32_t ticks);

// Manual mode: adds milliseconds to the uptime and calls the tick handler
// once, like one late platform timer message.
void PlatformManualClockJump(uint32_t milliseconds);

#include "platform/handles.h"

// Replaces every modal box with hook, which records it and returns as if OK
// had been pressed. nullptr restores the real boxes.
using PlatformMessageBoxHook = void (*)(PlatformWindow owner, const char* title, const char* text);
void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook);

// Replaces the immediate exit with hook. nullptr restores the real exit.
void PlatformSetExitHook(void (*hook)(int exitCode));

// Replaces every host lookup with hook, which returns the IPv4 address (host
// order) for name or 0 for not found; asynchronous lookups still answer later
// on the program's thread. nullptr restores real lookups.
using PlatformLookupHook = uint32_t (*)(const char* name);
void PlatformSetLookupHook(PlatformLookupHook hook);

// Replaces every program start with hook, which records path and argv (as
// PlatformProcessStart got them) and gives the result. nullptr restores real
// starts.
using PlatformProcessStartHook = bool (*)(const char* path, const char* const* argv);
void PlatformSetProcessStartHook(PlatformProcessStartHook hook);

// Replaces the desktop's top-level windows with count made-up windows titled
// titles[0] (topmost) to titles[count - 1]; the texts are copied. A negative
// count restores the real windows.
void PlatformTestSetTopWindows(const char* const* titles, int32_t count);
// The index of the made-up window raised last, -1 when none was raised since
// PlatformTestSetTopWindows.
int32_t PlatformTestRaisedTopWindow();

// Simulated user input, routed as the system routes it: a left button report
// at a screen point goes to the window holding the capture, else to the
// topmost shown window whose drawing area holds the point (none: dropped).
enum PlatformTestButton : int {
  kPlatformTestButtonDown = 0,
  kPlatformTestButtonUp = 1,
  kPlatformTestDoubleClick = 2,
  kPlatformTestMiddleClick = 3,  // press and release of the middle button
};
void PlatformTestMouseButton(int32_t screenX, int32_t screenY, PlatformTestButton action,
                             uint32_t modifiers);
// Moves the pointer to a screen point.
void PlatformTestSetPointer(int32_t screenX, int32_t screenY);
// A key typed with the window that has the keyboard focus: character 0-255
// (9 Tab, 13 Enter, 27 Escape) with kPlatformMod bits. False when no window
// has the focus.
bool PlatformTestTypeCharacter(uint32_t character, uint32_t modifiers);
// A key typed with the focus window that makes text (UTF-8), as a composed
// key or a keyboard of another language does; the text may hold characters
// outside Latin-1. False when no window has the focus.
bool PlatformTestTypeText(const char* utf8, uint32_t modifiers);
// Keys that make no character.
enum PlatformTestKey : int {
  kPlatformTestKeyLeft = 0,
  kPlatformTestKeyRight = 1,
  kPlatformTestKeyHome = 2,
  kPlatformTestKeyEnd = 3,
  kPlatformTestKeyDelete = 4,
  kPlatformTestKeyPaste = 5,  // the desktop's paste key (Ctrl+V)
  kPlatformTestKeyUp = 6,
  kPlatformTestKeyDown = 7,
  kPlatformTestKeyPageUp = 8,
  kPlatformTestKeyPageDown = 9,
};
bool PlatformTestPressKey(PlatformTestKey key, uint32_t modifiers);
// Puts text (UTF-8) on the clipboard and in the selection the middle button pastes.
void PlatformTestSetClipboard(const char* utf8);
// Asks for the context menu at a screen point, as the right button would.
// True when a menu opened; it is closed again.
bool PlatformTestContextMenu(int32_t screenX, int32_t screenY);
// Replaces every beep with hook. nullptr restores the real beep.
void PlatformSetBeepHook(void (*hook)());
// Asks the window to close, as its close box would.
void PlatformTestRequestClose(PlatformWindow window);
// Makes the reported screen size width x height (PlatformWindowGetMetrics);
// 0 x 0 reports the real screen again.
void PlatformTestSetScreenSize(int32_t width, int32_t height);
// Handles pending window-system work: exposure, painting, deferred deletion.
void PlatformTestFlush();
// Copies what the window shows on screen (its drawing area with child
// windows and controls) into pixels (XRGB, width x height as it reports).
// False when the window cannot be read or capacity is too small.
bool PlatformTestGrab(PlatformWindow window, uint32_t* pixels, int32_t capacity, int32_t* width,
                      int32_t* height);
