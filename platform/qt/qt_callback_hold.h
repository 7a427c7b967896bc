#pragma once
// While a window is being made and shown, the program is not called back.
//
// The first show of a top-level window waits for the system to expose it, and
// that wait has to run Qt's event loop. Anything the loop delivered to the
// program meanwhile (a tick, a posted event, a paint, an activation, a host
// lookup's answer) would run inside the constructor that asked for the show,
// before the constructor had recorded its window: a paint would find no state
// to draw from, a posted quit would free the window under the constructor.
// So every callback that arrives while a hold is open is kept back, and
// delivered from the event loop once the outermost hold is over.

#include <functional>

// Opens a hold for its lifetime; holds nest.
class QtCallbackHold {
 public:
  QtCallbackHold();
  ~QtCallbackHold();
  QtCallbackHold(const QtCallbackHold&) = delete;
  QtCallbackHold& operator=(const QtCallbackHold&) = delete;
};

// True while any hold is open.
bool QtCallbacksHeld();

// Runs call now, or, while a hold is open, from the event loop after the
// last hold is over (in the order kept back).
void QtCallOrDefer(std::function<void()> call);

// Called when the last hold ends, before the kept-back calls are queued:
// windows owed a paint ask for it again (qt_window_record.cpp).
void QtWindowsRepaintOwed();
