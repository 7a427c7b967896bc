// Native windows on Win32: the seam's window operations over the toolkit's
// window class. Placement is the system's own: outer rectangles in screen
// coordinates (top-level) or the parent's client coordinates (child), and
// the caption and frame sizes are the system metrics.

#include <windows.h>

#include <algorithm>

#include "platform/testing.h"
#include "platform/win32/win32_callback_hold.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_window_record.h"
#include "platform/window.h"

namespace {

int32_t g_testScreenWidth = 0;
int32_t g_testScreenHeight = 0;

// The styles of the three window kinds: every window clips its siblings and
// children, so drawing never covers a control.
void StylesFor(PlatformWindowType type, uint32_t decorations, DWORD* style, DWORD* exStyle) {
  *exStyle = 0;
  *style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (type == kPlatformWindowChild ? WS_CHILD : WS_POPUP);
  if (decorations & kPlatformDecorCaption) *style |= WS_CAPTION;
  if (decorations & kPlatformDecorMinimiseBox) *style |= WS_MINIMIZEBOX;
  if (decorations & kPlatformDecorSystemMenu) *style |= WS_SYSMENU;
  if (decorations & kPlatformDecorDialogFrame) *exStyle |= WS_EX_DLGMODALFRAME;
  if ((decorations & kPlatformDecorStayOnTop) && type != kPlatformWindowChild) *exStyle |= WS_EX_TOPMOST;
}

}  // namespace

bool Win32KeptOnTopShown() {
  for (PlatformWindowRecord* record : Win32LiveRecords()) {
    if (record->hwnd && IsWindowVisible(record->hwnd) &&
        (GetWindowLongPtrA(record->hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      return true;
    }
  }
  return false;
}

PlatformWindow PlatformWindowCreate(PlatformWindowType type, PlatformWindow parent,
                                    uint32_t decorations, const char* title, uintptr_t data) {
  if (!Win32RegisterWindowClass()) return nullptr;
  // A dialog made while the information box is up is what the person has to
  // answer: it joins the kept-on-top layer instead of opening underneath.
  if (type == kPlatformWindowDialog && Win32KeptOnTopShown()) decorations |= kPlatformDecorStayOnTop;
  PlatformWindowRecord* parentRecord = Win32Live(parent);
  if (type == kPlatformWindowChild && !parentRecord) return nullptr;
  if (type == kPlatformWindowTopLevel) parentRecord = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  StylesFor(type, decorations, &style, &exStyle);
  auto* record = new PlatformWindowRecord();
  record->type = type;
  record->data = data;
  record->owner = parentRecord;
  if (decorations & kPlatformDecorCaption) {
    PlatformWindowMetrics m;
    PlatformWindowGetMetrics(&m);
    const bool dialogFrame = decorations & kPlatformDecorDialogFrame;
    record->frameWidth = dialogFrame ? m.dialogFrameWidth : m.borderWidth;
    record->frameHeight = dialogFrame ? m.dialogFrameHeight : m.borderHeight;
    record->clientOffset = POINT{record->frameWidth, record->frameHeight + m.captionHeight};
  }
  Win32AddLive(record);
  // The system sends the new window messages before it returns; none of
  // them may reach the program, whose record of the window is not made yet.
  const Win32CallbackHold hold;
  // For a dialog the parent handle is its owner: kept above it, never clipped by it.
  HWND hwnd = CreateWindowExA(exStyle, kWin32WindowClass, title ? title : "", style, 0, 0, 0, 0,
                              parentRecord ? parentRecord->hwnd : nullptr, nullptr, Win32Instance(),
                              record);
  if (!hwnd) {
    record->hwnd = nullptr;
    Win32Destroy(record);
    return nullptr;
  }
  record->hwnd = hwnd;
  if (type == kPlatformWindowChild) parentRecord->children.push_back(record);
  return record;
}

void PlatformWindowDestroy(PlatformWindow window) {
  if (PlatformWindowRecord* record = Win32Live(window)) Win32Destroy(record);
}

void PlatformWindowSetHandler(PlatformWindow window, PlatformInputHandler handler) {
  if (PlatformWindowRecord* record = Win32Live(window)) record->handler = handler;
}

uintptr_t PlatformWindowData(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  return record ? record->data : 0;
}

PlatformWindow PlatformWindowParent(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  return record ? record->owner : nullptr;
}

PlatformWindow PlatformWindowFirstChild(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  return record && !record->children.empty() ? record->children.front() : nullptr;
}

PlatformWindow PlatformWindowNextSibling(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record || !record->owner || record->type != kPlatformWindowChild) return nullptr;
  const auto& siblings = record->owner->children;
  auto it = std::find(siblings.begin(), siblings.end(), record);
  if (it == siblings.end() || ++it == siblings.end()) return nullptr;
  return *it;
}

void PlatformWindowSetTitle(PlatformWindow window, const char* title) {
  if (PlatformWindowRecord* record = Win32Live(window)) SetWindowTextA(record->hwnd, title ? title : "");
}

void PlatformWindowSetOuterRect(PlatformWindow window, const PlatformRect& outer) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  // Placing is no move the user made: the corner is known before WM_MOVE.
  record->outerOrigin = POINT{outer.left, outer.top};
  // The drawing area goes where the toolkit's arithmetic puts it; the system
  // then wraps its own frame around it.
  RECT client = {outer.left + record->clientOffset.x, outer.top + record->clientOffset.y,
                 outer.right - record->frameWidth, outer.bottom - record->frameHeight};
  client.right = std::max(client.right, client.left);
  client.bottom = std::max(client.bottom, client.top);
  // The system places in device pixels.
  client = Win32DeviceRect(client);
  RECT placed = client;
  if (!record->isControl) {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(record->hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(record->hwnd, GWL_EXSTYLE));
    AdjustWindowRectEx(&placed, style, FALSE, exStyle);
  }
  SetWindowPos(record->hwnd, nullptr, placed.left, placed.top, placed.right - placed.left,
               placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (record->isControl) return;
  // The system's frame may differ by a pixel from what AdjustWindowRectEx
  // says (a themed caption): measure the drawing area and correct once.
  POINT origin = {0, 0};
  ClientToScreen(record->hwnd, &origin);
  if (record->type == kPlatformWindowChild) {
    if (HWND parent = GetParent(record->hwnd)) ScreenToClient(parent, &origin);
  }
  RECT got;
  GetClientRect(record->hwnd, &got);
  const LONG dx = client.left - origin.x;
  const LONG dy = client.top - origin.y;
  const LONG dw = (client.right - client.left) - got.right;
  const LONG dh = (client.bottom - client.top) - got.bottom;
  if (dx == 0 && dy == 0 && dw == 0 && dh == 0) return;
  SetWindowPos(record->hwnd, nullptr, placed.left + dx, placed.top + dy,
               placed.right - placed.left + dw, placed.bottom - placed.top + dh,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlatformWindowMove(PlatformWindow window, int32_t x, int32_t y) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  // Moved by the difference, so the system's frame keeps its own size.
  const POINT was = Win32OuterCorner(record);
  RECT now;
  GetWindowRect(record->hwnd, &now);
  POINT corner = {now.left, now.top};
  if (record->type == kPlatformWindowChild) {
    if (HWND parent = GetParent(record->hwnd)) ScreenToClient(parent, &corner);
  }
  record->outerOrigin = POINT{x, y};
  SetWindowPos(record->hwnd, nullptr, corner.x + Win32ToDevice(x - was.x), corner.y + Win32ToDevice(y - was.y), 0, 0,
               SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  // Reported at once, whether or not the system saw a change.
  PlatformInput input{};
  input.type = kPlatformInputMoved;
  input.x = x;
  input.y = y;
  Win32Report(record, input);
}

PlatformRect PlatformWindowOuterOnScreen(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return PlatformRect{0, 0, 0, 0};
  // By the toolkit's reckoning around the real drawing area.
  POINT origin = {0, 0};
  ClientToScreen(record->hwnd, &origin);
  RECT device;
  GetClientRect(record->hwnd, &device);
  OffsetRect(&device, origin.x, origin.y);
  const RECT client = Win32LogicalRect(device);
  return PlatformRect{client.left - record->clientOffset.x, client.top - record->clientOffset.y,
                      client.right + record->frameWidth, client.bottom + record->frameHeight};
}

void PlatformWindowClientOrigin(PlatformWindow window, int32_t* x, int32_t* y) {
  PlatformWindowRecord* record = Win32Live(window);
  POINT origin = {0, 0};
  if (record) ClientToScreen(record->hwnd, &origin);
  *x = Win32ToLogical(origin.x);
  *y = Win32ToLogical(origin.y);
}

void PlatformWindowShow(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  // ShowWindow and SetForegroundWindow activate, focus and sometimes paint
  // the window before they return: all of it reaches the program from the
  // loop, after the caller has finished setting the window up.
  const Win32CallbackHold hold;
  if (record->type == kPlatformWindowChild) {
    ShowWindow(record->hwnd, SW_SHOWNA);
    return;
  }
  ShowWindow(record->hwnd, SW_SHOWNORMAL);
  if (!Win32Live(record)) return;
  SetWindowPos(record->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (!Win32Live(record)) return;
  // Presenting needs no paint: it draws on the window's DC at once, so a
  // blocking sequence of frames right after the show shows from the first.
  SetForegroundWindow(record->hwnd);
}

void PlatformWindowRaise(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  const Win32CallbackHold hold;
  PlatformWindowShow(window);
  if (Win32Live(record)) SetWindowPos(record->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void PlatformWindowHide(PlatformWindow window) {
  if (PlatformWindowRecord* record = Win32Live(window)) ShowWindow(record->hwnd, SW_HIDE);
}

bool PlatformWindowIsShown(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  return record && (GetWindowLongPtrA(record->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void PlatformWindowSetFocus(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  if (GetAncestor(record->hwnd, GA_ROOT) == GetActiveWindow()) {
    SetFocus(record->hwnd);
    return;
  }
  // Focus in a window that is not the active one activates it first, and
  // the system sends the activation before SetFocus returns: as with a
  // show, it reaches the program from the loop, not inside the caller.
  const Win32CallbackHold hold;
  SetFocus(record->hwnd);
}

PlatformWindow PlatformWindowFocus() {
  for (HWND hwnd = GetFocus(); hwnd; hwnd = GetParent(hwnd)) {
    if (PlatformWindowRecord* record = Win32RecordOf(hwnd)) return record;
  }
  return nullptr;
}

void PlatformWindowSetCapture(PlatformWindow window) {
  if (PlatformWindowRecord* record = Win32Live(window)) SetCapture(record->hwnd);
}

void PlatformWindowReleaseCapture() {
  if (Win32RecordOf(GetCapture())) ReleaseCapture();
}

PlatformWindow PlatformWindowCapture() { return Win32RecordOf(GetCapture()); }

void PlatformWindowSetBuffer(PlatformWindow window, const uint32_t* pixels, int32_t width,
                             int32_t height) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  record->textOverlay.Clear();
  const bool valid = pixels && width > 0 && height > 0;
  record->pixels = valid ? pixels : nullptr;
  record->width = valid ? width : 0;
  record->height = valid ? height : 0;
}

void PlatformWindowPresent(PlatformWindow window, const PlatformRect& rect) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record || !IsWindowVisible(record->hwnd) || rect.right <= rect.left || rect.bottom <= rect.top) {
    return;
  }
  HDC dc = GetDC(record->hwnd);
  if (!dc) return;
  const RECT area = Win32DeviceRect(RECT{rect.left, rect.top, rect.right, rect.bottom});
  Win32PaintBuffer(record, dc, area);
  ReleaseDC(record->hwnd, dc);
  GdiFlush();
}

void PlatformWindowInvalidate(PlatformWindow window, const PlatformRect* rect) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record) return;
  if (!rect) {
    InvalidateRect(record->hwnd, nullptr, FALSE);
    return;
  }
  const RECT area = Win32DeviceRect(RECT{rect->left, rect->top, rect->right, rect->bottom});
  InvalidateRect(record->hwnd, &area, FALSE);
}

void PlatformWindowGetMetrics(PlatformWindowMetrics* metrics) {
  // In logical pixels: the frame's sizes rounded, the screen's cut down.
  const auto frame = [](int index) {
    const int32_t device = GetSystemMetrics(index);
    return device > 0 ? std::max<int32_t>(1, (device + Win32Scale() / 2) / Win32Scale()) : 0;
  };
  metrics->captionHeight = frame(SM_CYCAPTION);
  metrics->dialogFrameWidth = frame(SM_CXDLGFRAME);
  metrics->dialogFrameHeight = frame(SM_CYDLGFRAME);
  metrics->borderWidth = frame(SM_CXBORDER);
  metrics->borderHeight = frame(SM_CYBORDER);
  metrics->screenWidth = Win32ToLogical(GetSystemMetrics(SM_CXSCREEN));
  metrics->screenHeight = Win32ToLogical(GetSystemMetrics(SM_CYSCREEN));
  if (g_testScreenWidth > 0 && g_testScreenHeight > 0) {
    metrics->screenWidth = g_testScreenWidth;
    metrics->screenHeight = g_testScreenHeight;
  }
}

void PlatformTestSetScreenSize(int32_t width, int32_t height) {
  g_testScreenWidth = width;
  g_testScreenHeight = height;
}

void PlatformPointerPosition(int32_t* x, int32_t* y) {
  POINT p = {0, 0};
  GetCursorPos(&p);
  *x = Win32ToLogical(p.x);
  *y = Win32ToLogical(p.y);
}

uint32_t PlatformModifierKeys() { return Win32Modifiers(); }
