// Simulated input for tests, routed as the system routes real input: button
// messages go to the capture holder or the window under the point, characters
// to the focus window. They are window messages, so the window procedure and
// the controls' subclass see exactly what real input would bring.

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/testing.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_window_record.h"
#include "platform/window.h"

int64_t g_win32TestModifiers = -1;

namespace {

// Pretends the modifier keys for the length of one simulated message.
class PretendModifiers {
 public:
  explicit PretendModifiers(uint32_t bits) : saved_(g_win32TestModifiers) { g_win32TestModifiers = bits; }
  ~PretendModifiers() { g_win32TestModifiers = saved_; }
  PretendModifiers(const PretendModifiers&) = delete;
  PretendModifiers& operator=(const PretendModifiers&) = delete;

 private:
  int64_t saved_;
};

// The deepest shown window of ours whose client area holds the point, among
// the top-level windows in the system's z-order.
HWND WindowAt(POINT point) {
  for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
    if (!IsWindowVisible(top) || !Win32RecordOf(top)) continue;
    RECT outer;
    GetWindowRect(top, &outer);
    if (!PtInRect(&outer, point)) continue;
    HWND at = top;
    for (;;) {
      POINT local = point;
      ScreenToClient(at, &local);
      RECT client;
      GetClientRect(at, &client);
      if (!PtInRect(&client, local)) return at == top ? nullptr : at;
      HWND inner = ChildWindowFromPointEx(at, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
      if (!inner || inner == at) return at;
      at = inner;
    }
  }
  return nullptr;
}

}  // namespace

void PlatformTestMouseButton(int32_t screenX, int32_t screenY, PlatformTestButton action,
                             uint32_t modifiers) {
  // The middle of the logical pixel's block.
  const POINT point = {Win32ToDevice(screenX) + Win32Scale() / 2, Win32ToDevice(screenY) + Win32Scale() / 2};
  SetCursorPos(point.x, point.y);
  HWND target = GetCapture();
  if (!target) target = WindowAt(point);
  if (!target) return;
  POINT local = point;
  ScreenToClient(target, &local);
  const UINT message = action == kPlatformTestButtonDown ? WM_LBUTTONDOWN
                       : action == kPlatformTestButtonUp ? WM_LBUTTONUP
                                                         : WM_LBUTTONDBLCLK;
  WPARAM keys = action == kPlatformTestButtonUp ? 0 : MK_LBUTTON;
  if (modifiers & kPlatformModShift) keys |= MK_SHIFT;
  if (modifiers & kPlatformModControl) keys |= MK_CONTROL;
  // A disabled window takes no clicks: the system drops them.
  if (!IsWindowEnabled(target)) return;
  PretendModifiers pretend(modifiers);
  // A click on a native control also gives it the focus, as the system does.
  if (action != kPlatformTestButtonUp) {
    PlatformWindowRecord* record = Win32RecordOf(target);
    if (record && record->isControl && IsWindowEnabled(target)) SetFocus(target);
  }
  SendMessageA(target, message, keys, MAKELPARAM(static_cast<WORD>(local.x), static_cast<WORD>(local.y)));
}

void PlatformTestSetPointer(int32_t screenX, int32_t screenY) {
  SetCursorPos(Win32ToDevice(screenX) + Win32Scale() / 2, Win32ToDevice(screenY) + Win32Scale() / 2);
}

bool PlatformTestTypeCharacter(uint32_t character, uint32_t modifiers) {
  HWND focus = GetFocus();
  if (!focus || !PlatformWindowFocus()) return false;
  PretendModifiers pretend(modifiers);
  SendMessageA(focus, WM_CHAR, character & 0xFF, 1);
  return true;
}

bool PlatformTestPressKey(PlatformTestKey key, uint32_t modifiers) {
  HWND focus = GetFocus();
  if (!focus || !PlatformWindowFocus()) return false;
  PretendModifiers pretend(modifiers);
  if (key == kPlatformTestKeyPaste) {
    SendMessageA(focus, WM_PASTE, 0, 0);
    return true;
  }
  WPARAM vk = 0;
  switch (key) {
    case kPlatformTestKeyLeft: vk = VK_LEFT; break;
    case kPlatformTestKeyRight: vk = VK_RIGHT; break;
    case kPlatformTestKeyHome: vk = VK_HOME; break;
    case kPlatformTestKeyEnd: vk = VK_END; break;
    case kPlatformTestKeyDelete: vk = VK_DELETE; break;
    case kPlatformTestKeyUp: vk = VK_UP; break;
    case kPlatformTestKeyDown: vk = VK_DOWN; break;
    case kPlatformTestKeyPageUp: vk = VK_PRIOR; break;
    case kPlatformTestKeyPageDown: vk = VK_NEXT; break;
    default: return false;
  }
  SendMessageA(focus, WM_KEYDOWN, vk, 1);
  SendMessageA(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
  return true;
}

void PlatformTestRequestClose(PlatformWindow window) {
  if (PlatformWindowRecord* record = Win32Live(window)) SendMessageA(record->hwnd, WM_CLOSE, 0, 0);
}

void PlatformTestFlush() {
  for (int i = 0; i < 3; ++i) {
    for (PlatformWindowRecord* record : Win32LiveRecords()) {
      if (record->hwnd && !record->isControl) UpdateWindow(record->hwnd);
    }
    MSG message;
    for (int n = 0; n < 10000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
      if (message.message == WM_QUIT) {
        // Kept for the loop that is meant to see it.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  GdiFlush();
}

bool PlatformTestGrab(PlatformWindow window, uint32_t* pixels, int32_t capacity, int32_t* width,
                      int32_t* height) {
  PlatformWindowRecord* record = Win32Live(window);
  if (!record || !pixels) return false;
  RECT client;
  GetClientRect(record->hwnd, &client);
  *width = client.right;
  *height = client.bottom;
  if (*width <= 0 || *height <= 0) return false;
  if (static_cast<int64_t>(*width) * *height > capacity) return false;
  // What the system shows on the window's own surface, child windows and
  // controls included (they draw into the same surface). The X screen may
  // lag behind it: the real-display check looks at that.
  PlatformTestFlush();
  HDC screen = GetDCEx(record->hwnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = *width;
  info.bmiHeader.biHeight = -*height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (section && bits) {
    HGDIOBJ old = SelectObject(memory, section);
    ok = BitBlt(memory, 0, 0, *width, *height, screen, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    const auto* from = static_cast<const uint32_t*>(bits);
    const size_t count = static_cast<size_t>(*width) * *height;
    for (size_t i = 0; i < count; ++i) pixels[i] = from[i] & 0x00FFFFFFu;
    SelectObject(memory, old);
  }
  if (section) DeleteObject(section);
  DeleteDC(memory);
  ReleaseDC(record->hwnd, screen);
  return ok;
}
