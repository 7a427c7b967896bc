// The toolkit's window class and its window procedure: window messages turned
// into raw input reports, and the buffer shown in WM_PAINT.

#include "platform/win32/win32_window_record.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/control.h"
#include "platform/win32/win32_callback_hold.h"
#include "platform/win32/win32_dib.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_state.h"

static_assert(VK_PRIOR == kPlatformKeyPageUp && VK_DOWN == kPlatformKeyDown,
              "the platform's key codes are the virtual-key codes");

namespace {

PlatformInputHandler g_handler = nullptr;
std::vector<PlatformWindowRecord*> g_live;
uint64_t g_nextSerial = 1;

PlatformRect ToPlatformRect(const RECT& r) { return PlatformRect{r.left, r.top, r.right, r.bottom}; }

void ReportMouse(PlatformWindowRecord* record, PlatformInputType type, WPARAM wParam, LPARAM lParam) {
  PlatformInput input{};
  input.type = type;
  input.x = Win32ToLogical(GET_X_LPARAM(lParam));
  input.y = Win32ToLogical(GET_Y_LPARAM(lParam));
  uint32_t modifiers = 0;
  if (wParam & MK_SHIFT) modifiers |= kPlatformModShift;
  if (wParam & MK_CONTROL) modifiers |= kPlatformModControl;
  if (Win32Modifiers() & kPlatformModAlt) modifiers |= kPlatformModAlt;
  if (g_win32TestModifiers >= 0) modifiers = static_cast<uint32_t>(g_win32TestModifiers);
  input.modifiers = modifiers;
  Win32Report(record, input);
}

void Paint(PlatformWindowRecord* record) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(record->hwnd, &paint);
  if (!dc) return;
  const RECT area = paint.rcPaint;
  if (area.right > area.left && area.bottom > area.top) {
    if (Win32CallbacksHeld()) {
      // The window is being shown: what the buffer holds shows for now, and
      // the program paints the area once the show is over.
      RECT owed;
      UnionRect(&owed, &record->owed, &area);
      record->owed = owed;
      Win32PaintBuffer(record, dc, area);
    } else {
      // The toolkit draws the exposed area into the buffer first; the paint
      // then shows it, so nothing is presented twice.
      PlatformInput input{};
      input.type = kPlatformInputExpose;
      input.rect = ToPlatformRect(Win32LogicalRect(area));
      Win32BeginReport(record);
      Win32Report(record, input);
      const bool alive = Win32EndReport(record);
      if (alive) Win32PaintBuffer(record, dc, area);
    }
  }
  EndPaint(record->hwnd, &paint);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    auto* record = static_cast<PlatformWindowRecord*>(create->lpCreateParams);
    SetWindowLongPtrA(hwnd, kWin32RecordOffset, reinterpret_cast<LONG_PTR>(record));
    if (record) record->hwnd = hwnd;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  PlatformWindowRecord* record = Win32RecordOf(hwnd);
  if (!record) return DefWindowProcA(hwnd, message, wParam, lParam);
  PlatformInput input{};
  switch (message) {
    case WM_PAINT:
      Paint(record);
      return 0;
    case WM_ERASEBKGND:
      // Every pixel comes from the buffer; erasing first would flicker.
      return 1;
    case WM_LBUTTONDOWN:
      ReportMouse(record, kPlatformInputButtonDown, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      ReportMouse(record, kPlatformInputButtonUp, wParam, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      ReportMouse(record, kPlatformInputDoubleClick, wParam, lParam);
      return 0;
    case WM_CHAR:
      input.type = kPlatformInputCharacter;
      input.character = static_cast<uint32_t>(wParam) & 0xFF;
      input.modifiers = Win32Modifiers();
      Win32Report(record, input);
      return 0;
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      if (Win32AnswerGetObject(record, wParam, lParam, &answer)) return answer;
      break;
    }
    case WM_KEYDOWN:
      // Keys that move rather than type; their virtual-key codes are the
      // platform's key codes.
      if (wParam >= kPlatformKeyPageUp && wParam <= kPlatformKeyDown) {
        input.type = kPlatformInputKey;
        input.character = static_cast<uint32_t>(wParam);
        input.modifiers = Win32Modifiers();
        Win32Report(record, input);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (record->type != kPlatformWindowChild) {
        input.type = LOWORD(wParam) == WA_INACTIVE ? kPlatformInputDeactivate : kPlatformInputActivate;
        Win32Report(record, input);
      }
      break;
    case WM_SETFOCUS:
      input.type = kPlatformInputFocus;
      Win32Report(record, input);
      return 0;
    case WM_CLOSE:
      // Only a request: the toolkit decides what closing means.
      input.type = kPlatformInputCloseRequest;
      Win32Report(record, input);
      return 0;
    case WM_MOVE: {
      const POINT corner = Win32OuterCorner(record);
      if (corner.x == record->outerOrigin.x && corner.y == record->outerOrigin.y) return 0;
      record->outerOrigin = corner;
      input.type = kPlatformInputMoved;
      input.x = corner.x;
      input.y = corner.y;
      Win32Report(record, input);
      return 0;
    }
    case WM_COMMAND: {
      // A control's notification: clicks of our buttons become commands.
      PlatformWindowRecord* control = Win32RecordOf(reinterpret_cast<HWND>(lParam));
      if (control && control->isControl && HIWORD(wParam) == BN_CLICKED) {
        input.type = kPlatformInputCommand;
        input.control = control;
        input.code = kPlatformCommandClicked;
        Win32BeginReport(control);
        Win32Report(record, input);
        Win32EndReport(control);
        return 0;
      }
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      // Edit boxes on white, read-only ones too, as in the other backend.
      SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

bool Win32RegisterWindowClass() {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(Win32Instance(), kWin32WindowClass, &windowClass)) return true;
  windowClass.style = CS_DBLCLKS | CS_BYTEALIGNCLIENT;
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.cbWndExtra = kWin32RecordOffset + static_cast<int>(sizeof(void*));
  windowClass.hInstance = Win32Instance();
  windowClass.hIcon = LoadIconA(Win32Instance(), MAKEINTRESOURCEA(102));
  if (!windowClass.hIcon) windowClass.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kWin32WindowClass;
  return RegisterClassA(&windowClass) != 0;
}

void PlatformSetInputHandler(PlatformInputHandler handler) { g_handler = handler; }

PlatformWindowRecord* Win32Live(PlatformWindowRecord* record) {
  if (!record) return nullptr;
  return std::find(g_live.begin(), g_live.end(), record) != g_live.end() ? record : nullptr;
}

PlatformWindowRecord* Win32RecordOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (PlatformWindowRecord* record : g_live) {
    if (record->hwnd == hwnd) return record;
  }
  return nullptr;
}

void Win32AddLive(PlatformWindowRecord* record) {
  record->serial = g_nextSerial++;
  g_live.push_back(record);
}

const std::vector<PlatformWindowRecord*>& Win32LiveRecords() { return g_live; }

PlatformWindowRecord* Win32RecordOfBuffer(const uint32_t* pixels) {
  if (!pixels) return nullptr;
  for (PlatformWindowRecord* record : g_live) {
    if (record->pixels == pixels) return record;
  }
  return nullptr;
}

bool Win32Report(PlatformWindowRecord* record, const PlatformInput& input) {
  const PlatformInputHandler target = record->handler ? record->handler : g_handler;
  if (!target || record->doomed) return false;
  // A move only updates the toolkit's idea of the position; everything else
  // may run the program, which must not happen while a window is being shown.
  if (Win32CallbacksHeld() && input.type != kPlatformInputMoved) {
    const uint64_t serial = record->serial;
    Win32CallOrDefer([record, serial, input] {
      if (!Win32Live(record) || record->serial != serial) return;
      // A focus the caller has since given elsewhere is no longer news: the
      // toolkit would hand it on to the first child and undo the caller's.
      if (input.type == kPlatformInputFocus && GetFocus() != record->hwnd) return;
      Win32Report(record, input);
    });
    return false;
  }
  Win32BeginReport(record);
  const bool handled = target(record, input);
  Win32EndReport(record);
  return handled;
}

void Win32WindowsRepaintOwed() {
  for (PlatformWindowRecord* record : g_live) {
    if (IsRectEmpty(&record->owed)) continue;
    if (record->hwnd) InvalidateRect(record->hwnd, &record->owed, FALSE);
    record->owed = RECT{0, 0, 0, 0};
  }
}

void Win32BeginReport(PlatformWindowRecord* record) { ++record->reporting; }

bool Win32EndReport(PlatformWindowRecord* record) {
  --record->reporting;
  if (!record->doomed) return true;
  if (record->reporting == 0) delete record;
  return false;
}

void Win32Destroy(PlatformWindowRecord* record) {
  std::erase(g_live, record);
  if (GetCapture() == record->hwnd) ReleaseCapture();
  if (record->owner) std::erase(record->owner->children, record);
  record->owner = nullptr;
  record->data = 0;
  record->handler = nullptr;
  record->pixels = nullptr;
  // The seam keeps children and owned windows alive until the toolkit
  // destroys them itself; the system would take them down with this one.
  for (PlatformWindowRecord* other : g_live) {
    if (!other->hwnd) continue;
    if (other->type == kPlatformWindowChild && GetParent(other->hwnd) == record->hwnd) {
      ShowWindow(other->hwnd, SW_HIDE);
      SetParent(other->hwnd, nullptr);
    } else if (other->type != kPlatformWindowChild && GetWindow(other->hwnd, GW_OWNER) == record->hwnd) {
      ShowWindow(other->hwnd, SW_HIDE);
      SetWindowLongPtrA(other->hwnd, GWLP_HWNDPARENT, 0);
    }
    if (other->owner == record) other->owner = nullptr;
  }
  record->children.clear();
  HWND hwnd = record->hwnd;
  if (record->isControl && record->controlProc) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->controlProc));
    RemovePropA(hwnd, "pWindow");
  } else if (hwnd) {
    SetWindowLongPtrA(hwnd, kWin32RecordOffset, 0);
  }
  if (hwnd) DestroyWindow(hwnd);
  record->hwnd = nullptr;
  if (record->reporting > 0) {
    record->doomed = true;
    return;
  }
  delete record;
}

POINT Win32OuterCorner(PlatformWindowRecord* record) {
  POINT corner = {0, 0};
  ClientToScreen(record->hwnd, &corner);
  if (record->type == kPlatformWindowChild) {
    if (HWND parent = GetParent(record->hwnd)) ScreenToClient(parent, &corner);
  }
  corner.x = Win32ToLogical(corner.x) - record->clientOffset.x;
  corner.y = Win32ToLogical(corner.y) - record->clientOffset.y;
  return corner;
}

uint32_t Win32Modifiers() {
  if (g_win32TestModifiers >= 0) return static_cast<uint32_t>(g_win32TestModifiers);
  uint32_t bits = 0;
  if (GetKeyState(VK_SHIFT) < 0) bits |= kPlatformModShift;
  if (GetKeyState(VK_CONTROL) < 0) bits |= kPlatformModControl;
  if (GetKeyState(VK_MENU) < 0) bits |= kPlatformModAlt;
  return bits;
}

void Win32PaintBuffer(PlatformWindowRecord* record, HDC dc, const RECT& rect) {
  RECT client;
  GetClientRect(record->hwnd, &client);
  RECT area;
  if (!IntersectRect(&area, &rect, &client)) return;
  RECT inBuffer = {0, 0, 0, 0};
  RECT covered = {0, 0, 0, 0};  // device pixels
  if (record->pixels && record->width > 0 && record->height > 0) {
    const RECT buffer = {0, 0, record->width, record->height};
    // Whole logical pixels, each an N x N block: copied, never blended.
    const RECT logicalArea = Win32LogicalRect(area);
    if (IntersectRect(&inBuffer, &logicalArea, &buffer)) {
      covered = Win32DeviceRect(inBuffer);
      SetStretchBltMode(dc, COLORONCOLOR);
      const int w = inBuffer.right - inBuffer.left;
      const int h = inBuffer.bottom - inBuffer.top;
      // StretchDIBits counts a source rectangle's rows from the bottom even
      // for a top-down DIB, so a rectangle off the vertical centre would
      // show other rows. Describing only the rows asked for, from their
      // first, makes the source rectangle the DIB's full height: no
      // direction left to get wrong. The buffer's own layout: no copy.
      const BITMAPINFO info = Win32BufferInfo(record->width, h);
      const uint32_t* firstRow = record->pixels + static_cast<size_t>(inBuffer.top) * record->width;
      const Win32BufferView buffer{record->pixels, record->width, record->height};
      const int saved = SaveDC(dc);
      record->textOverlay.Exclude(dc, buffer, inBuffer, Win32Scale());
      StretchDIBits(dc, covered.left, covered.top, covered.right - covered.left, covered.bottom - covered.top,
                    inBuffer.left, 0, w, h, firstRow, &info, DIB_RGB_COLORS, SRCCOPY);
      RestoreDC(dc, saved);
      record->textOverlay.Paint(dc, inBuffer, Win32Scale());
    }
  }
  // What the buffer does not cover shows white.
  HRGN rest = CreateRectRgnIndirect(&area);
  HRGN done = CreateRectRgnIndirect(&covered);
  CombineRgn(rest, rest, done, RGN_DIFF);
  FillRgn(dc, rest, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DeleteObject(done);
  DeleteObject(rest);
}
