#pragma once
// The timer service: any number of periodic callbacks counted down in ticks
// of 10 ms from the platform's one tick.

#include <cstdint>

#include "core/list.h"
#include "core/types.h"

struct Timer;
using TimerCallback = void (*)(Timer* timer, UserData userData);

struct Timer {
  uint32_t kind;         // always kObjectKindTimer
  uint32_t interval;     // ticks between two calls; 0 means stopped
  uint32_t remaining;    // ticks left until the next call
  UserData userData;
  TimerCallback callback;
  // Service bookkeeping: the timer's node in the running list, and the last
  // pass that counted it down (a timer joining during a pass waits for the next).
  ListNode* node;
  uint64_t pass;
};

inline constexpr uint32_t kObjectKindTimer = 10;

// Starts the service on the platform's tick. 1 on success, 0 on failure.
int TimerServiceInit();
// Stops the tick and forgets the running timers; their owners free them.
void TimerServiceShutdown();
// A new stopped timer, or nullptr when memory is exhausted.
Timer* TimerNew();
// Stores callback and userData, then TimerSetInterval(interval). Returns 0.
int TimerStart(Timer* timer, uint32_t interval, TimerCallback callback, UserData userData);
// Sets interval and remaining; 0 stops the timer, any other value runs it
// (a running timer restarts its countdown). Returns 0.
int TimerSetInterval(Timer* timer, uint32_t interval);
// Stops the timer if it runs, then frees it. nullptr is ignored.
void TimerDelete(Timer* timer);
