#include "tests/support/toolkit_harness.h"

#include <algorithm>
#include <cstring>

#include "shell/timer.h"
#include "tests/support/harness_screen.h"

namespace {

EventLog g_programEvents;

uint16_t RecordProgramEvent(void*, Event* event) {
  g_programEvents.events.push_back(*event);
  return 1;
}

}  // namespace

int EventLog::Count(uint16_t type) const {
  int n = 0;
  for (const Event& e : events) n += e.type == type;
  return n;
}

Event EventLog::Last(uint16_t type) const {
  for (auto it = events.rbegin(); it != events.rend(); ++it) {
    if (it->type == type) return *it;
  }
  return Event{};
}

uint16_t HarnessRecordEvent(void*, Event* event) {
  reinterpret_cast<EventLog*>(event->userData)->events.push_back(*event);
  return 1;
}

EventLog& HarnessProgramEvents() { return g_programEvents; }

void HarnessStart() {
  PlatformManualClockEnable();
  TimerServiceInit();
  WindowsInit();
  ToolkitStart();
  g_programEvents.Clear();
  EventSetProgramHandler(&RecordProgramEvent);
}

void HarnessStop() {
  WindowEndModal();
  const List* list = WindowsList();
  // Children before their parents: the newest are first in the list.
  for (int guard = 0; list && list->head && guard < 1000; ++guard) {
    WindowDelete(static_cast<Window*>(list->head->data));
  }
  HarnessFlush();
  ToolkitStop();
  EventSetProgramHandler(nullptr);
  WindowsTerm();
  TimerServiceShutdown();
}

Window* HarnessOpenWindow(const Rect& rect, uint16_t windowKind, Window* parent, EventLog* log,
                          bool show, bool centre, const char* title) {
  Window* window = WindowNew();
  if (!window) return nullptr;
  const ErrorCode result =
      WindowInit(window, &rect, windowKind, parent, title, show, centre,
                 log ? &HarnessRecordEvent : nullptr, reinterpret_cast<UserData>(log));
  if (result != 0) {
    WindowDelete(window);
    return nullptr;
  }
  HarnessFlush();
  return window;
}

void HarnessToScreen(const Window* window, int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) {
  PlatformWindowClientOrigin(window->handle, screenX, screenY);
  *screenX += x;
  *screenY += y;
}

namespace {
void Mouse(const Window* window, int32_t x, int32_t y, PlatformTestButton action, uint32_t modifiers) {
  int32_t sx = 0;
  int32_t sy = 0;
  HarnessToScreen(window, x, y, &sx, &sy);
  PlatformTestMouseButton(sx, sy, action, modifiers);
}
}  // namespace

void HarnessMouseDown(const Window* window, int32_t x, int32_t y, uint32_t modifiers) {
  Mouse(window, x, y, kPlatformTestButtonDown, modifiers);
}
void HarnessMouseUp(const Window* window, int32_t x, int32_t y, uint32_t modifiers) {
  Mouse(window, x, y, kPlatformTestButtonUp, modifiers);
}
void HarnessDoubleClick(const Window* window, int32_t x, int32_t y, uint32_t modifiers) {
  Mouse(window, x, y, kPlatformTestDoubleClick, modifiers);
}
void HarnessClick(const Window* window, int32_t x, int32_t y, uint32_t modifiers) {
  HarnessMouseDown(window, x, y, modifiers);
  HarnessMouseUp(window, x, y, modifiers);
}

bool HarnessType(uint32_t character, uint32_t modifiers) {
  return PlatformTestTypeCharacter(character, modifiers);
}

void HarnessTypeText(const char* text) {
  for (const char* p = text; *p; ++p) HarnessType(static_cast<unsigned char>(*p));
}

void HarnessSetFocus(const Window* window) {
  PlatformWindowSetFocus(window->handle);
  HarnessFlush();
}

Window* HarnessFocusWindow() { return WindowFromHandle(PlatformWindowFocus()); }

void HarnessFlush() { PlatformTestFlush(); }

void HarnessAdvance(uint32_t ticks) {
  for (uint32_t i = 0; i < ticks; ++i) {
    PlatformManualClockAdvance(1);
    PlatformTestFlush();
  }
}

Pixel HarnessBufferPixel(const Window* window, int32_t x, int32_t y) {
  const PixelBuffer& b = window->buffer;
  if (x < 0 || y < 0 || x >= b.width || y >= b.height) return 0;
  return b.pixels[static_cast<size_t>(y) * b.width + x];
}

std::vector<uint32_t> HarnessGrabPlatform(PlatformWindow handle, int32_t* width, int32_t* height) {
  *width = *height = 0;
  // Sized from what the platform says the window is, so any size fits.
  const PlatformRect outer = PlatformWindowOuterOnScreen(handle);
  const int64_t capacity = std::max<int64_t>(1, static_cast<int64_t>(outer.right - outer.left) *
                                                    (outer.bottom - outer.top));
  std::vector<uint32_t> pixels(static_cast<size_t>(capacity));
  if (!PlatformTestGrab(handle, pixels.data(), static_cast<int32_t>(pixels.size()), width, height)) {
    return {};
  }
  pixels.resize(static_cast<size_t>(*width) * *height);
  return pixels;
}

std::vector<uint32_t> HarnessGrab(const Window* window, int32_t* width, int32_t* height) {
  return HarnessGrabPlatform(window->handle, width, height);
}

bool HarnessSavePng(const Window* window, const std::string& path) {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels = HarnessGrab(window, &width, &height);
  return HarnessWritePng(pixels, width, height, path);
}

bool HarnessSavePngPlatform(PlatformWindow handle, const std::string& path) {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels = HarnessGrabPlatform(handle, &width, &height);
  return HarnessWritePng(pixels, width, height, path);
}

std::vector<uint32_t> HarnessGrabPresented(const Window* window) {
  return HarnessGrabPresentedPlatform(window->handle, window->width, window->height);
}
