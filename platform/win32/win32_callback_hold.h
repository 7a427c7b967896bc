#pragma once
// While a window is being made and shown, the program is not called back.
//
// The system sends a window messages synchronously inside CreateWindowEx,
// ShowWindow and SetForegroundWindow (activation, focus, sometimes a paint).
// Reported at once they would run the program inside the constructor that
// asked for the window, before it had recorded the window: a paint would
// find no state to draw from, an activation would reach a screen that does
// not know its window yet. So every report that arrives while a hold is open
// is kept back and delivered, in order, from the message loop once the
// outermost hold is over; the tick is skipped and socket readiness is asked
// for again afterwards. Areas painted meanwhile stay owed and are invalidated
// again when the hold ends, so the program's first paint comes from the loop.

#include <functional>

// Opens a hold for its lifetime; holds nest.
class Win32CallbackHold {
 public:
  Win32CallbackHold();
  ~Win32CallbackHold();
  Win32CallbackHold(const Win32CallbackHold&) = delete;
  Win32CallbackHold& operator=(const Win32CallbackHold&) = delete;
};

// True while any hold is open.
bool Win32CallbacksHeld();

// Runs call now, or, while a hold is open, from the message loop after the
// last hold is over (in the order kept back).
void Win32CallOrDefer(std::function<void()> call);

// Runs what was kept back; the timer window calls it for the message the
// end of a hold posts.
void Win32RunDeferredCalls();

// Called when the last hold ends, before the kept-back calls are posted:
// windows owed a paint invalidate it again (win32_window_record.cpp), and
// sockets report again what still holds (win32_socket.cpp).
void Win32WindowsRepaintOwed();
void Win32SocketsReportAgain();
