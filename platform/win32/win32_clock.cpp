// Clock and tick on Win32: GetTickCount and a 10 ms timer on a hidden window
// of the class "OrvaTimerWindowClass". Modal loops of the system (message
// boxes) dispatch its WM_TIMER too, so ticks keep flowing inside them, also
// when the box was opened from inside a tick. The same window carries quit
// requests from outside to the program's thread.

#include <windows.h>

#include "platform/clock.h"
#include "platform/testing.h"
#include "platform/win32/win32_callback_hold.h"
#include "platform/win32/win32_state.h"

namespace {

constexpr char kTimerClass[] = "OrvaTimerWindowClass";
constexpr UINT_PTR kTimerId = 0;
constexpr UINT kQuitRequestMessage = WM_APP + 1;
constexpr UINT kPumpMarkerMessage = WM_APP + 2;
constexpr UINT kDeferredRunMessage = WM_APP + 3;

void (*g_tickHandler)() = nullptr;
bool g_manual = false;
uint32_t g_manualMs = 0;
HWND g_timerWindow = nullptr;
bool g_timerRunning = false;

void Tick() {
  // Skipped while a window is being shown: the next pass counts the time
  // that went by meanwhile.
  if (g_tickHandler && !Win32CallbacksHeld()) g_tickHandler();
}

void UpdateTickTimer() {
  const bool wanted = g_tickHandler && !g_manual && g_timerWindow;
  if (wanted && !g_timerRunning) {
    g_timerRunning = SetTimer(g_timerWindow, kTimerId, kMillisecondsPerTick, nullptr) != 0;
  } else if (!wanted && g_timerRunning) {
    KillTimer(g_timerWindow, kTimerId);
    g_timerRunning = false;
  }
}

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    if (!g_manual) Tick();
    return 0;
  }
  if (message == kPumpMarkerMessage) return 0;  // a pump's marker met by another loop
  if (message == kDeferredRunMessage) {
    Win32RunDeferredCalls();
    return 0;
  }
  if (message == kQuitRequestMessage) {
    Win32RunQuitRequest();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

uint32_t PlatformUptimeMs() {
  if (g_manual) return g_manualMs;
  return static_cast<uint32_t>(GetTickCount());
}

void PlatformSetTickHandler(void (*handler)()) {
  g_tickHandler = handler;
  UpdateTickTimer();
}

bool Win32ClockStart() {
  if (g_timerWindow) return true;
  WNDCLASSA timerClass = {};
  if (!GetClassInfoA(Win32Instance(), kTimerClass, &timerClass)) {
    timerClass.lpfnWndProc = &TimerWindowProc;
    timerClass.hInstance = Win32Instance();
    timerClass.lpszClassName = kTimerClass;
    if (!RegisterClassA(&timerClass)) return false;
  }
  // A pop-up with caption and system menu that is never shown.
  g_timerWindow = CreateWindowExA(0, kTimerClass, "TIMERWINDOW", 0x80C80000, 0, 0, 0, 0, nullptr,
                                  nullptr, Win32Instance(), nullptr);
  UpdateTickTimer();
  return g_timerWindow != nullptr;
}

void Win32ClockStop() {
  if (g_timerRunning) KillTimer(g_timerWindow, kTimerId);
  g_timerRunning = false;
  if (g_timerWindow) DestroyWindow(g_timerWindow);
  g_timerWindow = nullptr;
}

void Win32PostQuitRequest() {
  if (g_timerWindow) PostMessageA(g_timerWindow, kQuitRequestMessage, 0, 0);
}

bool Win32PostPumpMarker() {
  return g_timerWindow && PostMessageA(g_timerWindow, kPumpMarkerMessage, 0, 0);
}

bool Win32PostDeferredRun() {
  return g_timerWindow && PostMessageA(g_timerWindow, kDeferredRunMessage, 0, 0);
}

bool Win32IsPumpMarker(const MSG& message) {
  return message.hwnd == g_timerWindow && message.message == kPumpMarkerMessage;
}

bool Win32ClockIsManual() { return g_manual; }

void Win32ClockAddMs(uint32_t milliseconds) { g_manualMs += milliseconds; }

void PlatformManualClockEnable() {
  g_manual = true;
  UpdateTickTimer();
}

void PlatformManualClockSet(uint32_t milliseconds) { g_manualMs = milliseconds; }

void PlatformManualClockAdvance(uint32_t ticks) {
  for (uint32_t i = 0; i < ticks; ++i) {
    g_manualMs += kMillisecondsPerTick;
    Tick();
  }
}

void PlatformManualClockJump(uint32_t milliseconds) {
  g_manualMs += milliseconds;
  Tick();
}
