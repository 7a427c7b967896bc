// The window procedure: raw platform input becomes events, with mouse
// capture, the modal hold-back, focus movement and keyboard routing.

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/window.h"
#include "toolkit/button.h"
#include "toolkit/control_internal.h"
#include "toolkit/draw_state.h"
#include "toolkit/edit_box.h"
#include "toolkit/window.h"
#include "toolkit/window_internal.h"

namespace {

int16_t Clamp16(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

// The window itself, or any child window below it (owned windows are not
// descendants: they take their own input).
bool IsDescendant(PlatformWindow candidate, PlatformWindow ancestor) {
  for (PlatformWindow c = PlatformWindowFirstChild(ancestor); c; c = PlatformWindowNextSibling(c)) {
    if (c == candidate || IsDescendant(candidate, c)) return true;
  }
  return false;
}

PlatformWindow FirstShownChild(PlatformWindow window) {
  PlatformWindow c = PlatformWindowFirstChild(window);
  while (c && !PlatformWindowIsShown(c)) c = PlatformWindowNextSibling(c);
  return c;
}

PlatformWindow NextShownSibling(PlatformWindow window) {
  PlatformWindow c = PlatformWindowNextSibling(window);
  while (c && !PlatformWindowIsShown(c)) c = PlatformWindowNextSibling(c);
  return c;
}

// The platform links siblings one way only; a window holds a handful of
// controls, so the walk from the first is cheap.
PlatformWindow PreviousShownSibling(PlatformWindow window) {
  PlatformWindow found = nullptr;
  for (PlatformWindow c = PlatformWindowFirstChild(PlatformWindowParent(window)); c && c != window;
       c = PlatformWindowNextSibling(c)) {
    if (PlatformWindowIsShown(c)) found = c;
  }
  return found;
}

PlatformWindow LastShownChild(PlatformWindow window) {
  PlatformWindow found = nullptr;
  for (PlatformWindow c = PlatformWindowFirstChild(window); c; c = PlatformWindowNextSibling(c)) {
    if (PlatformWindowIsShown(c)) found = c;
  }
  return found;
}

}  // namespace

// While a window is modal, the rest of its tree (its root and everything
// owned by or placed in the root) takes no input; the modal window and
// everything in it still do.
bool WindowInputHeldBack(PlatformWindow handle) {
  const Window* modal = WindowGetModal();
  const PlatformWindow root = WindowModalRoot();
  if (!modal || !root) return false;
  for (PlatformWindow p = handle; p; p = PlatformWindowParent(p)) {
    if (p == modal->handle) return false;
    if (p == root) return true;
  }
  return false;
}

void WindowBringModalForward() {
  const Window* modal = WindowGetModal();
  if (modal && modal->handle) PlatformWindowRaise(modal->handle);
}

namespace {

bool IsInput(PlatformInputType type) {
  switch (type) {
    case kPlatformInputButtonDown:
    case kPlatformInputButtonUp:
    case kPlatformInputDoubleClick:
    case kPlatformInputCharacter:
    case kPlatformInputActivate:
    case kPlatformInputDeactivate:
    case kPlatformInputCommand:
    case kPlatformInputKey:
      return true;
    default:
      return false;
  }
}

// Focus moved by Tab selects the whole text of an edit box, as the system's
// dialogs do: what is typed next replaces the text instead of joining it
// (a password retyped after a refusal would otherwise add to the old one).
// A box that takes no typing is a text to read: it keeps its view and its
// selection, rather than standing highlighted whole.
void FocusByTab(PlatformWindow target) {
  PlatformWindowSetFocus(target);
  uint32_t* object = ControlObject(target);
  if (!object || *object != kObjectKindEditBox) return;
  auto* box = reinterpret_cast<EditBox*>(object);
  if (!box->readOnly) EditBoxSetSelection(box, 0, 32000);
}

// A window that moves a focus of its own among what it draws takes Tab
// first while it, or a plain child window of it (no control), holds the
// keyboard.
bool OfferedTab(Window* w, PlatformWindow handle, uint32_t ch, uint32_t modifiers) {
  if (ch != 9 || !w->ownsTab) return false;
  const PlatformWindow focus = PlatformWindowFocus();
  const Window* holder = WindowFromHandle(focus);
  if (focus != handle && !(holder && holder->parent == w)) return false;
  return EventSend(w, w->proc, EventChar, nullptr, nullptr, ch | WindowModifierBits(modifiers), 0, 0,
                   w->userData) != 0;
}

void Send(Window* w, uint16_t type, const Point* point, const Rect* rect, uint32_t key) {
  EventSend(w, w->proc, type, point, rect, key, 0, 0, w->userData);
}

void RouteCharacter(Window* w, PlatformWindow handle, uint32_t character, uint32_t modifiers) {
  const uint32_t ch = character & kKeyCharMask;
  if (OfferedTab(w, handle, ch, modifiers)) return;
  if (ch == 9) {
    // Shift+Tab walks the same ring backwards, as in the system's dialogs.
    const bool back = (modifiers & kPlatformModShift) != 0;
    const PlatformWindow focus = PlatformWindowFocus();
    if (focus && focus != handle && IsDescendant(focus, handle)) {
      PlatformWindow next = back ? PreviousShownSibling(focus) : NextShownSibling(focus);
      if (!next) next = back ? LastShownChild(handle) : FirstShownChild(handle);
      if (next) FocusByTab(next);
      return;
    }
    if (focus == handle) {
      if (const PlatformWindow first = back ? LastShownChild(handle) : FirstShownChild(handle)) {
        FocusByTab(first);
      } else if (const PlatformWindow parent = PlatformWindowParent(handle)) {
        PlatformInput forwarded{};
        forwarded.type = kPlatformInputCharacter;
        forwarded.character = character;
        forwarded.modifiers = modifiers;
        WindowHandleInput(parent, forwarded);
      }
      return;
    }
  }
  if (ch == 13 && w->defaultButton) {
    ButtonPress(w->defaultButton);
    return;
  }
  if (ch == 27 && w->cancelButton) {
    ButtonPress(w->cancelButton);
    return;
  }
  Send(w, EventChar, nullptr, nullptr, ch | WindowModifierBits(modifiers));
}

void Paint(Window* w, PlatformWindow handle, const PlatformRect& area) {
  const Rect r{Clamp16(area.left), Clamp16(area.top), Clamp16(area.right), Clamp16(area.bottom)};
  w->painting = 1;
  w->paintRect = r;
  Send(w, EventPaint, nullptr, &r, 0);
  // The procedure may have deleted its window.
  if (WindowFromHandle(handle) == w) {
    DrawPaintOver(w);
    w->painting = 0;
    w->paintRect = Rect{0, 0, 0, 0};
  }
}

}  // namespace

uint32_t WindowModifierBits(uint32_t platformModifiers) {
  uint32_t bits = 0;
  if (platformModifiers & kPlatformModShift) bits |= kKeyShift;
  if (platformModifiers & kPlatformModControl) bits |= kKeyControl;
  if (platformModifiers & kPlatformModAlt) bits |= kKeyAlt;
  return bits;
}

bool WindowHandleInput(PlatformWindow handle, const PlatformInput& input) {
  Window* w = WindowFromHandle(handle);
  if (!w) {
    const uint32_t lParam = (static_cast<uint32_t>(input.y) << 16) | (static_cast<uint32_t>(input.x) & 0xFFFFu);
    std::fprintf(stderr, "Could not get pWindow!, hwnd = %08X, msg = %08X, wParam = %08X, lPAram = %08X\n",
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle)),
                 static_cast<unsigned>(input.type),
                 static_cast<unsigned>(input.character | input.modifiers), static_cast<unsigned>(lParam));
    return false;
  }

  // The button-up goes to the window in which the button went down.
  if (input.type == kPlatformInputButtonDown) PlatformWindowSetCapture(handle);
  if (input.type == kPlatformInputButtonUp && PlatformWindowCapture() == handle) {
    PlatformWindowReleaseCapture();
  }
  if (IsInput(input.type) && WindowInputHeldBack(handle)) {
    if (input.type == kPlatformInputButtonDown || input.type == kPlatformInputDoubleClick ||
        input.type == kPlatformInputCharacter) {
      WindowBringModalForward();
    }
    return false;
  }

  const Point point{Clamp16(input.x), Clamp16(input.y)};
  const uint32_t modifiers = WindowModifierBits(input.modifiers);
  switch (input.type) {
    case kPlatformInputButtonDown:
      Send(w, EventButtonDown, &point, nullptr, modifiers);
      return true;
    case kPlatformInputButtonUp:
      Send(w, EventButtonUp, &point, nullptr, modifiers);
      return true;
    case kPlatformInputDoubleClick:
      Send(w, EventDoubleClick, &point, nullptr, modifiers);
      return true;
    case kPlatformInputCharacter:
      RouteCharacter(w, handle, input.character, input.modifiers);
      return true;
    case kPlatformInputActivate:
      Send(w, EventActivate, nullptr, nullptr, 0);
      return true;
    case kPlatformInputDeactivate:
      Send(w, EventDeactivate, nullptr, nullptr, 0);
      return true;
    case kPlatformInputCloseRequest:
      Send(w, EventClose, nullptr, nullptr, 0);
      return true;
    case kPlatformInputFocus:
      if (const PlatformWindow first = FirstShownChild(handle)) PlatformWindowSetFocus(first);
      return true;
    case kPlatformInputExpose:
      Paint(w, handle, input.rect);
      return true;
    case kPlatformInputMoved:
      WindowTakeMove(w, input.x, input.y);
      return true;
    case kPlatformInputCommand:
      ControlRouteCommand(input.control, input.code);
      return true;
    case kPlatformInputKey:
      Send(w, EventKey, nullptr, nullptr, (input.character & kKeyCharMask) | modifiers);
      return true;
  }
  return false;
}

Point WindowPointerPoint(const Window* window) {
  int32_t px = 0;
  int32_t py = 0;
  PlatformPointerPosition(&px, &py);
  int32_t ox = 0;
  int32_t oy = 0;
  if (window && window->handle) PlatformWindowClientOrigin(window->handle, &ox, &oy);
  return Point{Clamp16(px - ox), Clamp16(py - oy)};
}

void WindowsIdleTick(Timer*, UserData) {
  const List* list = WindowsList();
  if (!list) return;
  // An idle handler may delete windows, its own or others.
  std::vector<Window*> windows;
  for (ListNode* node = list->head; node; node = node->next) {
    windows.push_back(static_cast<Window*>(node->data));
  }
  const uint32_t modifiers = WindowModifierBits(PlatformModifierKeys());
  for (Window* w : windows) {
    if (!WindowIsListed(w) || !w->handle) continue;
    const Point point = WindowPointerPoint(w);
    Send(w, EventIdle, &point, nullptr, modifiers);
  }
}
