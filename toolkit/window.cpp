#include "toolkit/window.h"

#include <algorithm>
#include <cstring>

#include "core/memory.h"
#include "platform/control.h"
#include "platform/window.h"
#include "toolkit/button.h"
#include "toolkit/control_internal.h"
#include "toolkit/window_internal.h"

namespace {

constexpr Pixel kWhite = 0x00FFFFFF;

List* g_windows = nullptr;
Window* g_modal = nullptr;
PlatformWindow g_modalRoot = nullptr;
PlatformWindow g_defaultParent = nullptr;

void RecomputeOuter(Window* w) {
  w->outer.right = w->outer.left + w->width + w->frameWidth;
  w->outer.bottom = w->outer.top + w->height + w->captionHeight + w->frameHeight;
}

// A new buffer of the drawing area's size keeps what fits of the old picture;
// the rest starts white. An empty area has no buffer.
ErrorCode ResizeBuffer(Window* w) {
  if (w->buffer.width == w->width && w->buffer.height == w->height) return 0;
  PixelBuffer fresh{0, 0, nullptr};
  if (w->width > 0 && w->height > 0 && !PixelBufferInit(&fresh, w->width, w->height, kWhite)) {
    return kErrorOutOfMemory;
  }
  const int32_t rows = std::min(fresh.height, w->buffer.height);
  const int32_t columns = std::min(fresh.width, w->buffer.width);
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(fresh.pixels + static_cast<size_t>(y) * fresh.width,
                w->buffer.pixels + static_cast<size_t>(y) * w->buffer.width,
                static_cast<size_t>(columns) * sizeof(Pixel));
  }
  PixelBufferFree(&w->buffer);
  w->buffer = fresh;
  if (w->handle) PlatformWindowSetBuffer(w->handle, w->buffer.pixels, w->buffer.width, w->buffer.height);
  return 0;
}

void Place(Window* w) {
  RecomputeOuter(w);
  if (!w->handle) return;
  ResizeBuffer(w);
  PlatformWindowSetOuterRect(w->handle, w->outer);
}

ListNode* NodeOf(const Window* window) {
  if (!g_windows) return nullptr;
  for (ListNode* node = g_windows->head; node; node = node->next) {
    if (node->data == window) return node;
  }
  return nullptr;
}

}  // namespace

ErrorCode WindowsInit() {
  if (!g_windows) g_windows = ListNew(nullptr);
  if (!g_windows) return kErrorOutOfMemory;
  PlatformSetInputHandler(&WindowHandleInput);
  PlatformSetControlKeyFilter(&ControlFilterKey);
  PlatformSetControlInputGate(&ControlTakesInput);
  return 0;
}

void WindowsTerm() {
  PlatformSetInputHandler(nullptr);
  PlatformSetControlKeyFilter(nullptr);
  PlatformSetControlInputGate(nullptr);
  ListDelete(g_windows);
  g_windows = nullptr;
  g_modal = nullptr;
  g_modalRoot = nullptr;
  g_defaultParent = nullptr;
}

Window* WindowNew() {
  auto* window = static_cast<Window*>(MemAllocZero(1, sizeof(Window)));
  if (!window) return nullptr;
  window->kind = kObjectKindWindow;
  // The list keys are not used for lookups: a pointer does not fit one.
  if (g_windows && !ListInsert(g_windows, nullptr, 0, window, kListInsertFront)) {
    MemFree(window);
    return nullptr;
  }
  return window;
}

ErrorCode WindowInit(Window* window, const Rect* rect, uint16_t windowKind, Window* parent,
                     const char* title, uint16_t show, uint16_t centre, EventProc proc,
                     UserData userData) {
  window->proc = proc;
  window->userData = userData;
  window->windowKind = windowKind;
  window->parent = parent;
  window->isDialog = windowKind & 1;
  window->width = RectWidth(*rect);
  window->height = RectHeight(*rect);
  window->outer.left = rect->left;
  window->outer.top = rect->top;
  window->frameHeight = window->frameWidth = window->captionHeight = 0;

  const PlatformWindow parentHandle = parent ? parent->handle : nullptr;
  const bool child = parent && !window->isDialog;
  if (window->isDialog && parentHandle) {
    const PlatformRect p = PlatformWindowOuterOnScreen(parentHandle);
    window->outer.left += p.left;
    window->outer.top += p.top;
  }

  PlatformWindowMetrics metrics;
  PlatformWindowGetMetrics(&metrics);
  const uint16_t k = windowKind & 0x7FFF;
  uint32_t decorations = 0;
  if (k == kWindowKindMain || k == kWindowKindDialog) {
    window->captionHeight = metrics.captionHeight;
    decorations |= kPlatformDecorCaption;
    if (k == kWindowKindMain) {
      decorations |= kPlatformDecorMinimiseBox;
      if (!(windowKind & kWindowNoSystemMenu)) decorations |= kPlatformDecorSystemMenu;
    }
  }
  if (window->isDialog) decorations |= kPlatformDecorDialogFrame;
  if (decorations & kPlatformDecorCaption) {
    window->frameWidth = 2 * (window->isDialog ? metrics.dialogFrameWidth : metrics.borderWidth);
    window->frameHeight = 2 * (window->isDialog ? metrics.dialogFrameHeight : metrics.borderHeight);
  }
  RecomputeOuter(window);

  if (centre) {
    const int32_t w = window->outer.right - window->outer.left;
    const int32_t h = window->outer.bottom - window->outer.top;
    if (!parent) {
      window->outer.left = (metrics.screenWidth - w) / 2;
      window->outer.top = (metrics.screenHeight - h) / 2;
    } else {
      const PlatformRect p = PlatformWindowOuterOnScreen(parentHandle);
      const int32_t pw = p.right - p.left;
      const int32_t ph = p.bottom - p.top;
      window->outer.left = (child ? 0 : p.left) + (pw - w) / 2;
      window->outer.top = (child ? 0 : p.top) + (ph - h) / 2;
    }
    window->outer.right = window->outer.left + w;
    window->outer.bottom = window->outer.top + h;
  }

  window->createdOuter = window->outer;
  const PlatformWindowType type = child              ? kPlatformWindowChild
                                  : window->isDialog ? kPlatformWindowDialog
                                                     : kPlatformWindowTopLevel;
  PlatformWindow handle = PlatformWindowCreate(type, parentHandle, decorations, title,
                                               reinterpret_cast<uintptr_t>(window));
  if (!handle) return kErrorSystem;
  window->handle = handle;
  if (ResizeBuffer(window) != 0) {
    window->handle = nullptr;
    PlatformWindowDestroy(handle);
    return kErrorOutOfMemory;
  }
  PlatformWindowSetBuffer(handle, window->buffer.pixels, window->buffer.width, window->buffer.height);
  window->outer = window->createdOuter;
  PlatformWindowSetOuterRect(handle, window->outer);
  if (show) WindowShow(window);
  window->painting = 0;
  return 0;
}

void WindowDelete(Window* window) {
  if (!window) return;
  if (ListNode* node = NodeOf(window)) ListRemove(g_windows, node);
  // A close posted by a button of the window (pressed twice, or followed by
  // a close request) must not arrive after the window has gone.
  EventCancelPosted(window);
  if (window == g_modal) WindowEndModal();
  if (window->handle) {
    if (window->handle == g_defaultParent) g_defaultParent = nullptr;
    PlatformWindowDestroy(window->handle);
  }
  PixelBufferFree(&window->buffer);
  MemFree(window);
}

void WindowGetRect(const Window* window, Rect* rect) {
  int32_t left = window->outer.left;
  int32_t top = window->outer.top;
  if (window->handle) {
    const PlatformRect own = PlatformWindowOuterOnScreen(window->handle);
    left = own.left;
    top = own.top;
    if (window->parent && window->parent->handle) {
      const PlatformRect p = PlatformWindowOuterOnScreen(window->parent->handle);
      left -= p.left;
      top -= p.top;
    }
  }
  rect->left = static_cast<int16_t>(left);
  rect->top = static_cast<int16_t>(top);
  rect->right = static_cast<int16_t>(left + window->width);
  rect->bottom = static_cast<int16_t>(top + window->height);
}

void WindowSetRect(Window* window, const Rect* rect) {
  window->outer.left = rect->left;
  window->outer.top = rect->top;
  window->width = RectWidth(*rect);
  window->height = RectHeight(*rect);
  Place(window);
}

void WindowSetSize(Window* window, int16_t width, int16_t height) {
  window->width = width;
  window->height = height;
  Place(window);
}

void WindowMoveTo(Window* window, int16_t x, int16_t y) {
  if (window->handle) PlatformWindowMove(window->handle, x, y);
}

void WindowTakeMove(Window* window, int32_t x, int32_t y) {
  const int32_t w = window->outer.right - window->outer.left;
  const int32_t h = window->outer.bottom - window->outer.top;
  window->outer = PlatformRect{x, y, x + w, y + h};
}

void WindowShow(Window* window) {
  if (window->handle) PlatformWindowShow(window->handle);
}

void WindowBringToTop(Window* window) {
  if (window->handle) PlatformWindowRaise(window->handle);
}

void WindowHide(Window* window) {
  if (window->handle) PlatformWindowHide(window->handle);
  if (window == g_modal) WindowEndModal();
}

void WindowSetTitle(Window* window, const char* title) {
  if (window->handle) PlatformWindowSetTitle(window->handle, title);
}

void WindowInvalidate(Window* window, const Rect* rect) {
  if (!window->handle) return;
  if (!rect) {
    PlatformWindowInvalidate(window->handle, nullptr);
    return;
  }
  PlatformRect r;
  RectToPlatform(&r, rect);
  PlatformWindowInvalidate(window->handle, &r);
}

void WindowSetModal(Window* window) {
  g_modal = window;
  PlatformWindow root = window ? window->handle : nullptr;
  while (root && PlatformWindowParent(root)) root = PlatformWindowParent(root);
  g_modalRoot = root;
}

void WindowEndModal() {
  g_modal = nullptr;
  g_modalRoot = nullptr;
}

Window* WindowGetModal() { return g_modal; }
PlatformWindow WindowModalRoot() { return g_modalRoot; }

void WindowSetDefaultButton(Window* window, Button* button) {
  // One button of a window looks like the default: the one Enter presses.
  if (window->defaultButton && window->defaultButton != button) {
    ButtonSetDefaultLook(window->defaultButton, 0);
  }
  window->defaultButton = button;
  if (button) ButtonSetDefaultLook(button, 1);
}
void WindowSetCancelButton(Window* window, Button* button) { window->cancelButton = button; }

void WindowSetOwnsTab(Window* window, uint16_t on) {
  if (window) window->ownsTab = on ? 1 : 0;
}

void WindowSetDefaultParent(Window* window) { g_defaultParent = window ? window->handle : nullptr; }
PlatformWindow WindowGetDefaultParent() { return g_defaultParent; }

PlatformWindow WindowGetHandle(const Window* window) { return window->handle; }
EventProc WindowGetProc(const Window* window) { return window->proc; }
void WindowSetProc(Window* window, EventProc proc) { window->proc = proc; }
UserData WindowGetUserData(const Window* window) { return window->userData; }

const List* WindowsList() { return g_windows; }

bool WindowIsListed(const Window* window) { return NodeOf(window) != nullptr; }

Window* WindowFromHandle(PlatformWindow handle) {
  auto* window = reinterpret_cast<Window*>(PlatformWindowData(handle));
  return window && NodeOf(window) ? window : nullptr;
}
