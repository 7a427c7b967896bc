// Modal boxes, beep, sleep and the immediate exit on Win32.

#include <windows.h>

#include "platform/dialog.h"
#include "platform/testing.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_window_record.h"

namespace {
PlatformMessageBoxHook g_messageBoxHook = nullptr;
void (*g_exitHook)(int) = nullptr;
HHOOK g_raiseHook = nullptr;

// Raises the message box into the kept-on-top layer as it first becomes
// active. MB_TOPMOST alone is not honoured everywhere (the box opened
// under the information box on some systems), so the box is placed there
// by hand, once.
LRESULT CALLBACK RaiseBox(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = g_raiseHook;
  if (code == HCBT_ACTIVATE && hook) {
    SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UnhookWindowsHookEx(hook);
    g_raiseHook = nullptr;
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}
}  // namespace

void PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) { g_messageBoxHook = hook; }
void PlatformSetExitHook(void (*hook)(int)) { g_exitHook = hook; }

void PlatformMessageBox(PlatformWindow owner, const char* title, const char* text) {
  if (g_messageBoxHook) {
    g_messageBoxHook(owner, title, text);
    return;
  }
  PlatformWindowRecord* record = Win32Live(owner);
  // The box's own loop dispatches the timer window's messages and the
  // network window's, so ticks and socket readiness go on meanwhile.
  // Over the kept-on-top information box the message must stand higher
  // still, or the reason it gives stays hidden behind it.
  const bool onTop = Win32KeptOnTopShown();
  if (onTop && !g_raiseHook) g_raiseHook = SetWindowsHookExA(WH_CBT, &RaiseBox, nullptr, GetCurrentThreadId());
  MessageBoxA(record ? record->hwnd : nullptr, text ? text : "", title ? title : "",
              MB_OK | (record ? 0 : MB_TASKMODAL) | (onTop ? MB_TOPMOST | MB_SETFOREGROUND : 0));
  if (g_raiseHook) {
    UnhookWindowsHookEx(g_raiseHook);
    g_raiseHook = nullptr;
  }
}

void PlatformBeep() { MessageBeep(MB_OK); }

void PlatformSleepMs(uint32_t milliseconds) {
  if (Win32ClockIsManual()) {
    Win32ClockAddMs(milliseconds);
    return;
  }
  Sleep(milliseconds);
}

void PlatformExitNow(int exitCode) {
  if (g_exitHook) {
    g_exitHook(exitCode);
    return;
  }
  ExitProcess(static_cast<UINT>(exitCode));
}
