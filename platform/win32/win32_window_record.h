#pragma once
// The native window of the Win32 backend: one HWND per platform window (of
// the class "OrvaGraphicsWindowClass", or "EDIT"/"BUTTON" for controls), the
// toolkit's pixels it shows, and its place among its parent's children.

#include <windows.h>

#include <vector>

#include "platform/win32/win32_access.h"
#include "platform/win32/win32_text_overlay.h"
#include "platform/window.h"

struct PlatformWindowRecord {
  HWND hwnd = nullptr;
  PlatformWindowType type = kPlatformWindowTopLevel;
  uintptr_t data = 0;
  PlatformWindowRecord* owner = nullptr;           // parent or owner, nullptr for none
  std::vector<PlatformWindowRecord*> children;    // child windows and controls, creation order
  PlatformInputHandler handler = nullptr;          // own procedure; nullptr: the program-wide one
  POINT outerOrigin = {0, 0};                      // last outer corner reported or placed
  // Where the drawing area starts inside the outer rectangle by the system
  // metrics, as the toolkit reckons it; placement keeps the drawing area
  // there even where the system draws its frame a little differently.
  POINT clientOffset = {0, 0};
  int32_t frameWidth = 0;   // one side
  int32_t frameHeight = 0;  // one side, below the drawing area

  // The toolkit's buffer, shown as a top-down 32-bit DIB; not owned.
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  Win32TextOverlay textOverlay;  // sharp text over the enlarged buffer

  // Controls only: the control's own window procedure behind our subclass.
  bool isControl = false;
  WNDPROC controlProc = nullptr;
  bool typedOnly = false;  // an edit changed only by typed characters

  // Told apart from a later record at the same address by reports kept
  // back while a window was being shown.
  uint64_t serial = 0;
  // Painted while the program could not be called: asked for again later.
  RECT owed = {0, 0, 0, 0};

  // What the program described for readers, and the focused item (-1 none).
  std::vector<Win32AccessItem> accessItems;
  int accessFocus = -1;

  int reporting = 0;   // depth of calls into the toolkit on the stack
  bool doomed = false; // destroyed while reporting: freed when the last returns
};

// The window class of the toolkit's windows.
inline constexpr char kWin32WindowClass[] = "OrvaGraphicsWindowClass";
// Where the record sits in the window's extra bytes (the class has 34 on
// 32-bit systems: 30 of the program's own and the record's pointer).
inline constexpr int kWin32RecordOffset = 30;

// Registers the window class; false when the system refuses.
bool Win32RegisterWindowClass();

// The live record of a window handle, or of a record pointer; nullptr when gone.
PlatformWindowRecord* Win32RecordOf(HWND hwnd);
PlatformWindowRecord* Win32Live(PlatformWindowRecord* record);
void Win32AddLive(PlatformWindowRecord* record);
// Every live record.
const std::vector<PlatformWindowRecord*>& Win32LiveRecords();
// The live window showing the buffer at pixels, or nullptr.
PlatformWindowRecord* Win32RecordOfBuffer(const uint32_t* pixels);
// Whether one of the program's windows kept on top (the information box) is
// shown: what opens meanwhile for the person to answer joins that layer.
bool Win32KeptOnTopShown();

// Sends one report to the record's handler (its own, or the program-wide
// one); false when nobody handled it. The record may be destroyed inside.
// While a callback hold is open every report but a move is kept back and
// sent from the loop afterwards (and counts as not handled now).
bool Win32Report(PlatformWindowRecord* record, const PlatformInput& input);
// Brackets calls into the toolkit that may destroy record; EndReport is
// false when it was destroyed meanwhile (and frees it when last out).
void Win32BeginReport(PlatformWindowRecord* record);
bool Win32EndReport(PlatformWindowRecord* record);
// Takes the record out of every list, detaches its children and owned
// windows and destroys the HWND; frees it now or once the last report returns.
void Win32Destroy(PlatformWindowRecord* record);

// The outer corner in placement coordinates by the toolkit's reckoning.
POINT Win32OuterCorner(PlatformWindowRecord* record);

// The platform's modifier bits of the keyboard now (or a test's pretence).
uint32_t Win32Modifiers();
// Shows rect of the record's buffer on dc (client coordinates).
void Win32PaintBuffer(PlatformWindowRecord* record, HDC dc, const RECT& rect);
