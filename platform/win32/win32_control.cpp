// Native controls on Win32: EDIT and BUTTON child windows, subclassed so
// that every character typed into one is offered to the toolkit's key filter
// before the control's own procedure sees it. The control's object is kept
// in its "pWindow" property; clicks reach the parent as WM_COMMAND.

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/control.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_window_record.h"

namespace {

PlatformControlKeyFilter g_keyFilter = nullptr;
PlatformControlInputGate g_inputGate = nullptr;

// What the user does to a control: keys, mouse buttons and drops. A control
// of a window held back by a modal one gets none of them.
bool IsUserInput(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_CONTEXTMENU:
    case WM_DROPFILES:
      return true;
    default:
      return false;
  }
}

// Whatever would change a typed-only edit other than a typed character: the
// clipboard, undo, the context menu, and Delete (a deletion the program's
// own copy of the text would not see).
bool RefusedByTypedOnly(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case WM_CONTEXTMENU:
    case WM_DROPFILES:
      return true;
    case WM_KEYDOWN:
      return wParam == VK_DELETE || (wParam == VK_INSERT && (GetKeyState(VK_SHIFT) & 0x8000));
    default:
      return false;
  }
}

bool Gate(PlatformWindowRecord* record) {
  if (!g_inputGate) return true;
  Win32BeginReport(record);
  const bool let = g_inputGate(record);
  return Win32EndReport(record) && let;
}

// A read-only multi-line box is read, not edited: the arrows, PageUp,
// PageDown, Home and End scroll it whatever the caret does. True when the
// key was such a one.
bool ScrollReadOnly(HWND hwnd, WPARAM key) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  if (!(style & ES_MULTILINE) || !(style & ES_READONLY) || Win32Modifiers() != 0) return false;
  switch (key) {
    case VK_UP: SendMessageA(hwnd, WM_VSCROLL, SB_LINEUP, 0); return true;
    case VK_DOWN: SendMessageA(hwnd, WM_VSCROLL, SB_LINEDOWN, 0); return true;
    case VK_PRIOR: SendMessageA(hwnd, WM_VSCROLL, SB_PAGEUP, 0); return true;
    case VK_NEXT: SendMessageA(hwnd, WM_VSCROLL, SB_PAGEDOWN, 0); return true;
    case VK_HOME: SendMessageA(hwnd, WM_VSCROLL, SB_TOP, 0); return true;
    case VK_END: SendMessageA(hwnd, WM_VSCROLL, SB_BOTTOM, 0); return true;
    default: return false;
  }
}

PlatformWindowRecord* Control(PlatformWindow window) {
  PlatformWindowRecord* record = Win32Live(window);
  return record && record->isControl ? record : nullptr;
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PlatformWindowRecord* record = Win32RecordOf(hwnd);
  if (!record || !record->controlProc) return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC own = record->controlProc;
  if (IsUserInput(message) && !Gate(record)) return 0;
  if (record->typedOnly && RefusedByTypedOnly(message, wParam)) {
    if (message == WM_KEYDOWN || message == WM_PASTE) MessageBeep(MB_OK);
    return 0;
  }
  if (message == WM_KEYDOWN && ScrollReadOnly(hwnd, wParam)) return 0;
  if (message == WM_CHAR && g_keyFilter) {
    Win32BeginReport(record);
    const bool let = g_keyFilter(record, static_cast<uint32_t>(wParam) & 0xFF, Win32Modifiers());
    const bool alive = Win32EndReport(record);
    if (!let || !alive) return 0;
  }
  // Tab, Enter and Escape belong to the window, never to a multi-line box's
  // dialog code; arrows and the rest are the control's own.
  if (message == WM_GETDLGCODE) return CallWindowProcA(own, hwnd, message, wParam, lParam) & ~DLGC_WANTTAB;
  Win32BeginReport(record);
  const LRESULT result = CallWindowProcA(own, hwnd, message, wParam, lParam);
  Win32EndReport(record);
  return result;
}

PlatformWindowRecord* Make(PlatformWindow parent, const char* systemClass, const PlatformRect& rect,
                           DWORD style, const char* text, uint16_t id, uintptr_t data) {
  PlatformWindowRecord* parentRecord = Win32Live(parent);
  if (!parentRecord) return nullptr;
  auto* record = new PlatformWindowRecord();
  record->type = kPlatformWindowChild;
  record->isControl = true;
  record->data = data;
  record->owner = parentRecord;
  record->outerOrigin = POINT{rect.left, rect.top};
  const RECT device = Win32DeviceRect(RECT{rect.left, rect.top, rect.right, rect.bottom});
  HWND hwnd = CreateWindowExA(0, systemClass, text ? text : "", style, device.left, device.top,
                              std::max<LONG>(0, device.right - device.left), std::max<LONG>(0, device.bottom - device.top),
                              parentRecord->hwnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                              Win32Instance(), nullptr);
  if (!hwnd) {
    delete record;
    return nullptr;
  }
  record->hwnd = hwnd;
  SetPropA(hwnd, "pWindow", reinterpret_cast<HANDLE>(data));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Win32ControlFontOf(nullptr)), FALSE);
  Win32AddLive(record);
  parentRecord->children.push_back(record);
  record->controlProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return record;
}

int32_t TextLength(PlatformWindowRecord* record) {
  return static_cast<int32_t>(SendMessageA(record->hwnd, WM_GETTEXTLENGTH, 0, 0));
}

}  // namespace

void PlatformSetControlKeyFilter(PlatformControlKeyFilter filter) { g_keyFilter = filter; }

void PlatformSetControlInputGate(PlatformControlInputGate gate) { g_inputGate = gate; }

PlatformWindow PlatformEditCreate(PlatformWindow parent, const PlatformRect& rect, uint32_t flags,
                                  const char* text, uint16_t id, uintptr_t data) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  if (flags & kPlatformEditMultiLine) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (flags & kPlatformEditVScroll) style |= WS_VSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (flags & kPlatformEditBorder) style |= WS_BORDER;
  PlatformWindowRecord* record = Make(parent, "EDIT", rect, style, text, id, data);
  if (record && (flags & kPlatformEditTypedOnly) && !(flags & kPlatformEditMultiLine)) record->typedOnly = true;
  return record;
}

PlatformWindow PlatformButtonCreate(PlatformWindow parent, const PlatformRect& rect,
                                    const char* title, bool visible, bool enabled, uint16_t id,
                                    uintptr_t data) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | BS_PUSHBUTTON;
  if (visible) style |= WS_VISIBLE;
  if (!enabled) style |= WS_DISABLED;
  return Make(parent, "BUTTON", rect, style, title, id, data);
}

void PlatformEditSetText(PlatformWindow edit, const char* text) {
  if (PlatformWindowRecord* record = Control(edit)) SetWindowTextA(record->hwnd, text ? text : "");
}

int32_t PlatformEditTextLength(PlatformWindow edit) {
  PlatformWindowRecord* record = Control(edit);
  return record ? TextLength(record) : 0;
}

int32_t PlatformEditGetText(PlatformWindow edit, char* buffer, int32_t capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = '\0';
  PlatformWindowRecord* record = Control(edit);
  if (!record) return 0;
  const int32_t n = GetWindowTextA(record->hwnd, buffer, capacity);
  const int32_t copied = std::clamp<int32_t>(n, 0, capacity - 1);
  buffer[copied] = '\0';
  return copied;
}

void PlatformEditGetSelection(PlatformWindow edit, int32_t* start, int32_t* end) {
  *start = 0;
  *end = 0;
  PlatformWindowRecord* record = Control(edit);
  if (!record) return;
  DWORD s = 0;
  DWORD e = 0;
  SendMessageA(record->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  *start = static_cast<int32_t>(std::min(s, e));
  *end = static_cast<int32_t>(std::max(s, e));
}

void PlatformEditSetSelection(PlatformWindow edit, int32_t start, int32_t end) {
  PlatformWindowRecord* record = Control(edit);
  if (!record) return;
  // Clamped here: the control reads -1 as "no selection".
  const int32_t length = TextLength(record);
  const int32_t s = std::clamp(start, 0, length);
  const int32_t e = std::clamp(end, 0, length);
  SendMessageA(record->hwnd, EM_SETSEL, static_cast<WPARAM>(s), static_cast<LPARAM>(e));
}

void PlatformEditReplaceSelection(PlatformWindow edit, const char* text) {
  PlatformWindowRecord* record = Control(edit);
  if (!record) return;
  SendMessageA(record->hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text ? text : ""));
  SendMessageA(record->hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
}

void PlatformEditSetReadOnly(PlatformWindow edit, bool readOnly) {
  if (PlatformWindowRecord* record = Control(edit)) {
    SendMessageA(record->hwnd, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
  }
}

void PlatformControlSetFont(PlatformWindow control, PlatformFont font) {
  if (PlatformWindowRecord* record = Control(control)) {
    SendMessageA(record->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Win32ControlFontOf(font)), TRUE);
  }
}

void PlatformButtonSetTitle(PlatformWindow button, const char* title) {
  if (PlatformWindowRecord* record = Control(button)) SetWindowTextA(record->hwnd, title ? title : "");
}

void PlatformButtonSetEnabled(PlatformWindow button, bool enabled) {
  if (PlatformWindowRecord* record = Control(button)) EnableWindow(record->hwnd, enabled ? TRUE : FALSE);
}

void PlatformButtonSetDefaultLook(PlatformWindow button, bool isDefault) {
  if (PlatformWindowRecord* record = Control(button)) {
    SendMessageA(record->hwnd, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}
