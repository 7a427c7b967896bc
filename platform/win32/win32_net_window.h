#pragma once
// The hidden window of the network layer ("OrvaNetClientWindowClass"): socket
// readiness (WSAAsyncSelect), host lookups (WSAAsyncGetHostByName) and our
// own follow-up reports arrive at it as messages on the program's thread.

#include <winsock2.h>
#include <windows.h>

// Readiness of a socket, from WSAAsyncSelect (wParam: the socket).
inline constexpr UINT kWin32SocketMessage = 1024;
// The answer of an asynchronous lookup (wParam: the task handle).
inline constexpr UINT kWin32LookupMessage = 1025;
// A condition that still holds, reported anew (wParam: our socket number,
// lParam: kPlatformSocketRead or kPlatformSocketWrite).
inline constexpr UINT kWin32SocketAgainMessage = 1026;
// A lookup answered by the test hook (wParam: the lookup's number).
inline constexpr UINT kWin32LookupHookMessage = 1027;

// Starts Windows Sockets 1.1 and makes the window on first use; nullptr when
// either fails.
HWND Win32NetWindow();

// The message handlers, one per file.
void Win32SocketOnMessage(WPARAM wParam, LPARAM lParam);
void Win32SocketOnAgain(WPARAM wParam, LPARAM lParam);
void Win32LookupOnMessage(WPARAM wParam, LPARAM lParam);
void Win32LookupOnHook(WPARAM wParam);
void Win32SocketCloseAll();
void Win32LookupCancelAll();
