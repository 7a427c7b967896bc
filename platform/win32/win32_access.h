#pragma once
// Active Accessibility for the Win32 backend's windows (platform/access.h).

#include <windows.h>

#include <string>

struct PlatformWindowRecord;

struct Win32AccessItem {
  RECT rect;  // logical drawing-area coordinates
  std::string name;  // Latin-1
  bool button = false;
};

// A new reference to the client area's object of a window with items;
// nullptr without items (the system's own object serves then).
struct IAccessible;
IAccessible* Win32ClientAccessible(PlatformWindowRecord* record);
// WM_GETOBJECT for a window with items: answers the client area's object
// into result and returns true; false leaves it to the system.
bool Win32AnswerGetObject(PlatformWindowRecord* record, WPARAM wParam, LPARAM lParam, LRESULT* result);
