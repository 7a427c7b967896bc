// Modal boxes, beep, sleep and the immediate exit on Win32.

#include <windows.h>

#include "platform/dialog.h"
#include "platform/testing.h"
#include "platform/win32/win32_state.h"
#include "platform/win32/win32_window_record.h"

namespace {
PlatformMessageBoxHook g_messageBoxHook = nullptr;
void (*g_exitHook)(int) = nullptr;
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
  MessageBoxA(record ? record->hwnd : nullptr, text ? text : "", title ? title : "",
              MB_OK | (record ? 0 : MB_TASKMODAL));
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
