// The network layer's hidden window and the start and end of Windows Sockets.

#include "platform/win32/win32_net_window.h"

#include "platform/win32/win32_state.h"

namespace {

constexpr char kNetClass[] = "OrvaNetClientWindowClass";
HWND g_netWindow = nullptr;
bool g_wsaStarted = false;

LRESULT CALLBACK NetWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kWin32SocketMessage: Win32SocketOnMessage(wParam, lParam); return 0;
    case kWin32LookupMessage: Win32LookupOnMessage(wParam, lParam); return 0;
    case kWin32SocketAgainMessage: Win32SocketOnAgain(wParam, lParam); return 0;
    case kWin32LookupHookMessage: Win32LookupOnHook(wParam); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

HWND Win32NetWindow() {
  if (g_netWindow) return g_netWindow;
  if (!g_wsaStarted) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return nullptr;
    g_wsaStarted = true;
  }
  WNDCLASSA netClass = {};
  if (!GetClassInfoA(Win32Instance(), kNetClass, &netClass)) {
    netClass.lpfnWndProc = &NetWindowProc;
    netClass.hInstance = Win32Instance();
    netClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    netClass.lpszClassName = kNetClass;
    if (!RegisterClassA(&netClass)) return nullptr;
  }
  // A pop-up with border and system menu that is never shown.
  g_netWindow = CreateWindowExA(0, kNetClass, "OrvaNetWindow", 0x80880000, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                Win32Instance(), nullptr);
  return g_netWindow;
}

void Win32NetShutdown() {
  Win32SocketCloseAll();
  Win32LookupCancelAll();
  if (g_netWindow) DestroyWindow(g_netWindow);
  g_netWindow = nullptr;
  if (g_wsaStarted) WSACleanup();
  g_wsaStarted = false;
}
