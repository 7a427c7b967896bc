#pragma once
// A small harness for tests of windows and everything drawn in them: starts
// the services in program order, opens windows, clicks and types as the
// system would deliver it, advances ticks, reads pixels and saves
// screenshots. Runs on the GUI test main (headless, manual clock).

#include <cstdint>
#include <string>
#include <vector>

#include "core/rect.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "toolkit/event.h"
#include "toolkit/pixels.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

// Timer service, WindowsInit, ToolkitStart; program handler set to
// HarnessProgramEvents' recorder.
void HarnessStart();
// Deletes every window still listed, then stops the services in reverse.
void HarnessStop();

// Every event an EventLog's procedure received, in order.
struct EventLog {
  std::vector<Event> events;
  int Count(uint16_t type) const;
  // The last event of type; a zero event when there is none.
  Event Last(uint16_t type) const;
  void Clear() { events.clear(); }
};
// An event procedure that appends to the EventLog given as user data.
uint16_t HarnessRecordEvent(void* source, Event* event);
// The events that reached the program's handler since HarnessStart.
EventLog& HarnessProgramEvents();

// WindowNew + WindowInit with the recorder as procedure and log as user
// data (log may be nullptr: no procedure). nullptr when WindowInit fails.
Window* HarnessOpenWindow(const Rect& rect, uint16_t windowKind, Window* parent, EventLog* log,
                          bool show = true, bool centre = false, const char* title = "Test");

// A drawing-area point of window in screen coordinates.
void HarnessToScreen(const Window* window, int32_t x, int32_t y, int32_t* screenX, int32_t* screenY);
// Left button reports at a drawing-area point of window, routed by the
// platform like real input (capture first, then the window under the point).
void HarnessMouseDown(const Window* window, int32_t x, int32_t y, uint32_t modifiers = 0);
void HarnessMouseUp(const Window* window, int32_t x, int32_t y, uint32_t modifiers = 0);
void HarnessDoubleClick(const Window* window, int32_t x, int32_t y, uint32_t modifiers = 0);
void HarnessClick(const Window* window, int32_t x, int32_t y, uint32_t modifiers = 0);
// A character typed with the focus window (kPlatformMod bits). False when
// no window has the focus.
bool HarnessType(uint32_t character, uint32_t modifiers = 0);
void HarnessTypeText(const char* text);
void HarnessSetFocus(const Window* window);
// The window that has the keyboard focus, nullptr when none of the list.
Window* HarnessFocusWindow();

// Lets the platform finish pending work (exposure, painting, deletion).
void HarnessFlush();
// Advances the manual clock tick by tick: timer passes, one posted event
// per tick, pending platform work after each.
void HarnessAdvance(uint32_t ticks);

// A pixel of the window's own buffer (what its drawing produced).
Pixel HarnessBufferPixel(const Window* window, int32_t x, int32_t y);
// What the window shows on screen, child windows and controls included.
std::vector<uint32_t> HarnessGrab(const Window* window, int32_t* width, int32_t* height);
// What the platform last presented of the window's drawing area (w x h
// pixels, row by row), read from the backing store without painting the
// window anew as HarnessGrab does; empty when it cannot be read.
std::vector<uint32_t> HarnessGrabPresented(const Window* window);
// Saves HarnessGrab as a PNG file; false on failure.
bool HarnessSavePng(const Window* window, const std::string& path);

// The same for a platform window that is no toolkit Window (the information
// box); width x height is its drawing area's size.
std::vector<uint32_t> HarnessGrabPlatform(PlatformWindow handle, int32_t* width, int32_t* height);
std::vector<uint32_t> HarnessGrabPresentedPlatform(PlatformWindow handle, int32_t width, int32_t height);
bool HarnessSavePngPlatform(PlatformWindow handle, const std::string& path);
