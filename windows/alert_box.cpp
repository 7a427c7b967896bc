#include "windows/alert_box.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/error_codes.h"
#include "core/memory.h"
#include "shell/data_path.h"
#include "toolkit/button.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/event.h"
#include "toolkit/font.h"
#include "toolkit/offscreen.h"
#include "toolkit/window.h"

namespace {

constexpr int32_t kMinWidth = 240;
constexpr int32_t kMaxWidth = 540;
constexpr int32_t kMinHeight = 100;
constexpr int32_t kMaxHeight = 400;
constexpr int16_t kMargin = 10;
constexpr int16_t kButtonWidth = 60;
constexpr int16_t kButtonHeight = 20;

struct AlertRecord {
  Window* window;
  Button* button;
  EditBox* textBox;
  bool closing;  // "OK" was pressed; the posted close is on its way
  bool shown;    // counted in g_openBoxes
};

int g_openBoxes = 0;
void (*g_afterAll)() = nullptr;

// A box about twice as wide as high whose area is three times the text's
// area on one line, within the limits.
Rect SizeFromText(const char* text) {
  int32_t w = 0;
  int32_t h = 0;
  if (Offscreen* surface = OffscreenNew()) {
    const Rect bounds{0, 0, 10, 10};
    if (OffscreenInit(surface, &bounds) == kErrorNone) {
      DrawBegin(surface);
      DrawSetFont(surface, FontStandard(FontSerif12));
      w = std::max<int32_t>(0, DrawTextWidth(surface, text));
      h = std::max<int32_t>(0, DrawTextHeight(surface, text));
      DrawEnd(surface);
    }
    OffscreenDelete(surface);
  }
  const auto s = static_cast<int32_t>(std::sqrt(3.0 * static_cast<double>(w) * static_cast<double>(h)));
  const int32_t width = std::clamp(s + 20, kMinWidth, kMaxWidth);
  const int32_t height = std::clamp(s / 2 + 50, kMinHeight, kMaxHeight);
  return Rect{0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height)};
}

// Controls first, then the window (which ends modality if it has it).
void AlertDelete(AlertRecord* alert) {
  if (alert->shown) --g_openBoxes;
  ButtonDelete(alert->button);
  EditBoxDelete(alert->textBox);
  WindowDelete(alert->window);
  MemFree(alert);
}

uint16_t AlertEvent(void* source, Event* event) {
  auto* alert = reinterpret_cast<AlertRecord*>(event->userData);
  switch (event->type) {
    case EventPaint: {
      auto* window = static_cast<Window*>(source);
      DrawBegin(window);
      DrawEraseRect(window, &event->rect);
      DrawEnd(window);
      return 1;
    }
    case EventClose:
      AlertDelete(alert);
      if (g_openBoxes == 0 && g_afterAll) {
        void (*then)() = g_afterAll;
        g_afterAll = nullptr;
        then();
      }
      return 1;
    default:
      return 0;
  }
}

// Closing in two steps: the box goes out of sight and out of the modal state
// now, and is deleted when the posted close arrives, after this click's own
// handling has unwound.
uint16_t AlertOk(Button*, UserData userData) {
  auto* alert = reinterpret_cast<AlertRecord*>(userData);
  // A second Enter may arrive before the close does: one close is enough.
  if (alert->closing) return 0;
  alert->closing = true;
  WindowEndModal();
  WindowHide(alert->window);
  EventPost(alert->window, &AlertEvent, EventClose, nullptr, nullptr, 0, 0, 0,
            WindowGetUserData(alert->window));
  return 0;
}

}  // namespace

ErrorCode AlertBoxShow(const char* text, const Rect* rect, Window* parent) {
  if (!text) text = "";
  auto* alert = static_cast<AlertRecord*>(MemAllocZero(1, sizeof(AlertRecord)));
  if (!alert) return kErrorOutOfMemory;

  const bool sized = rect == nullptr;
  const Rect windowRect = sized ? SizeFromText(text) : *rect;
  // The controls are laid out in the drawing area, whatever the position the
  // caller's rectangle had: the box is centred anyway.
  const Rect area{0, 0, static_cast<int16_t>(RectWidth(windowRect)),
                  static_cast<int16_t>(RectHeight(windowRect))};

  alert->window = WindowNew();
  if (!alert->window) {
    AlertDelete(alert);
    return kErrorOutOfMemory;
  }
  ErrorCode result = WindowInit(alert->window, &windowRect, kWindowKindDialog, parent,
                                ProgramName(), 1, 1, &AlertEvent, reinterpret_cast<UserData>(alert));
  if (result != kErrorNone) {
    AlertDelete(alert);
    return result;
  }

  alert->textBox = EditBoxNew();
  if (!alert->textBox) {
    AlertDelete(alert);
    return kErrorOutOfMemory;
  }
  Rect textRect = area;
  RectInset(&textRect, kMargin, kMargin);
  textRect.bottom = static_cast<int16_t>(textRect.bottom - 30);
  result = EditBoxInit(alert->textBox, alert->window, &textRect, text, FontStandard(FontSerif12),
                       sized ? 1 : 0, 1, 1, 0, nullptr, 0);
  if (result != kErrorNone) {
    AlertDelete(alert);
    return result;
  }
  EditBoxSetSelection(alert->textBox, 0, 0);

  Rect buttonRect{0, 0, kButtonWidth, kButtonHeight};
  RectCentre(&buttonRect, &area, kCentreBoth);
  RectOffset(&buttonRect, 0, static_cast<int16_t>(area.bottom - kMargin - buttonRect.bottom));
  alert->button = ButtonNew();
  if (!alert->button) {
    AlertDelete(alert);
    return kErrorOutOfMemory;
  }
  result = ButtonInit(alert->button, alert->window, &buttonRect, "OK", 1, 1, &AlertOk,
                      reinterpret_cast<UserData>(alert));
  if (result != kErrorNone) {
    AlertDelete(alert);
    return result;
  }

  WindowSetDefaultButton(alert->window, alert->button);
  WindowSetModal(alert->window);
  alert->shown = true;
  ++g_openBoxes;
  return kErrorNone;
}

void AlertBoxAfterAll(void (*then)()) {
  if (g_openBoxes > 0) {
    g_afterAll = then;
    return;
  }
  g_afterAll = nullptr;
  if (then) then();
}
