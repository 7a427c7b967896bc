#include "lobby/welcome_window.h"

#include "core/memory.h"
#include "core/text.h"
#include "toolkit/alert.h"
#include "toolkit/draw.h"
#include "toolkit/edit_box.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

WelcomeWindowScreen g_welcome = {};

namespace {

constexpr ColorEntry kWelcomeBackground = {0, 192, 192, 192};
constexpr ColorEntry kBlack = {0, 0, 0, 0};

}  // namespace

ErrorCode WelcomeWindowCreate() {
  if (g_welcome.window) return 0;
  Window* window = WindowNew();
  if (!window) {
    Alert("Out of memory. Failed to create info window.", nullptr);
    return 0;
  }
  g_welcome.window = window;
  WindowInit(window, &kWelcomeWindowRect, kWindowKindMain, nullptr, "Welcome", 0, 0, &WelcomeEventProc, 0);

  Rect field = kWelcomeWindowRect;
  RectOffset(&field, static_cast<int16_t>(-field.left), static_cast<int16_t>(-field.top));
  RectInset(&field, kWelcomeTextInset, kWelcomeTextInset);
  g_welcome.text = EditBoxNew();
  if (g_welcome.text &&
      EditBoxInit(g_welcome.text, window, &field, nullptr, FontStandard(FontSans12), 1, 1, 1, 1, nullptr, 0) != 0) {
    EditBoxDelete(g_welcome.text);
    g_welcome.text = nullptr;
  }
  return 0;
}

void WelcomeWindowShow() {
  if (g_welcome.window) WindowBringToTop(g_welcome.window);
}

void WelcomeWindowSetText(const char* text) {
  if (!g_welcome.text) return;
  char* display = TextToCrLf(text ? text : "");
  if (!display) return;
  EditBoxSetText(g_welcome.text, display);
  EditBoxSetSelection(g_welcome.text, 0, 0);
  MemFree(display);
}

void WelcomeWindowDelete() {
  EditBoxDelete(g_welcome.text);
  g_welcome.text = nullptr;
  Window* window = g_welcome.window;
  g_welcome.window = nullptr;
  if (window) WindowDelete(window);
}

uint16_t WelcomeEventProc(void* source, Event* event) {
  auto* window = static_cast<Window*>(source);
  switch (event->type) {
    case EventClose:
      if (window) WindowHide(window);
      return 1;
    case EventPaint: {
      if (!window) return 1;
      Rect area = event->rect;
      if (RectIsEmpty(&area)) area = kWelcomeWindowRect;
      DrawBegin(window);
      Rect saved;
      DrawGetClipRect(window, &saved);
      DrawSetClipRect(window, &area);
      DrawSetColor(window, &kWelcomeBackground);
      DrawFillRect(window, &area);
      DrawSetColor(window, &kBlack);
      DrawSetClipRect(window, &saved);
      DrawEnd(window);
      return 1;
    }
    default:
      return 0;
  }
}
