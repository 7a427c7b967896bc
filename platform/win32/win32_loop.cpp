// The event loop on Win32: the thread's message queue. A quit is the
// system's quit message (it comes after everything posted before it); a
// console's Ctrl+C, Ctrl+Break or close becomes a quit request on the
// program's thread through the timer window.

#include <windows.h>

#include "platform/loop.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_state.h"

namespace {

bool g_started = false;
bool g_quitPosted = false;
// A quit message taken out of the queue by PlatformPumpOnce, kept for the loop.
bool g_quitSeen = false;
int g_quitCode = 0;
void (*g_quitRequestHandler)() = nullptr;
constexpr int kPumpLimit = 10000;

BOOL WINAPI OnConsoleControl(DWORD) {
  Win32PostQuitRequest();
  return TRUE;
}

}  // namespace

HINSTANCE Win32Instance() { return GetModuleHandleA(nullptr); }

void Win32RunQuitRequest() {
  if (g_quitRequestHandler) {
    g_quitRequestHandler();
  } else {
    PlatformQuit(0);
  }
}

bool PlatformInit(int*, char**) {
  if (g_started) return true;
  Win32ScaleChoose();
  if (!Win32ClockStart()) return false;
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
  g_started = true;
  g_quitPosted = false;
  g_quitSeen = false;
  return true;
}

void PlatformShutdown() {
  if (!g_started) return;
  SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
  Win32NetShutdown();
  Win32ClockStop();
  g_started = false;
}

int PlatformRun() {
  if (!g_started) return 0;
  if (g_quitSeen) return g_quitCode;
  MSG message;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got < 0) return 1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void PlatformQuit(int exitCode) {
  if (g_quitPosted || !g_started) return;
  g_quitPosted = true;
  PostQuitMessage(exitCode);
}

void PlatformPumpOnce() {
  // Only what is pending now: a marker goes behind it, and what handling
  // posts meanwhile (the next read report of a socket) waits for the next
  // pump. Paint comes last, as the system orders it.
  const bool marked = Win32PostPumpMarker();
  MSG message;
  for (int i = 0; i < kPumpLimit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (Win32IsPumpMarker(message)) break;
    if (message.message == WM_QUIT) {
      g_quitSeen = true;
      g_quitCode = static_cast<int>(message.wParam);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    if (!marked) break;
  }
  for (int i = 0; i < kPumpLimit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i) {
    if (message.message == WM_QUIT) {
      g_quitSeen = true;
      g_quitCode = static_cast<int>(message.wParam);
      continue;
    }
    DispatchMessageA(&message);
  }
}

void PlatformSetQuitRequestHandler(void (*handler)()) { g_quitRequestHandler = handler; }
