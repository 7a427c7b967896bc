#include "shell/timer.h"

#include "core/memory.h"
#include "platform/clock.h"

namespace {

List* g_running = nullptr;
uint32_t g_previousTick = 0;
// Numbers the passes; a timer remembers the last one that counted it down.
uint64_t g_passCount = 0;

uint32_t NowTicks() {
  return PlatformUptimeMs() / kMillisecondsPerTick;
}

// Counts timer down by elapsed ticks; true when it is due.
bool CountDown(Timer* timer, uint32_t elapsed) {
  if (elapsed < timer->remaining) {
    timer->remaining -= elapsed;
    return false;
  }
  // Lateness is taken off the next interval so that the average period
  // holds; a timer a whole interval behind is due again at the next pass.
  const uint32_t overshoot = elapsed - timer->remaining;
  timer->remaining = overshoot < timer->interval ? timer->interval - overshoot : 1;
  return true;
}

// One pass over the running timers. Callbacks may start, stop or delete any
// timer, and may even run a nested loop that makes another pass: after each
// callback the walk starts again from the head and skips the timers this or
// a later pass has already counted, so it never holds a node that may be gone.
void Pass() {
  if (!g_running) return;
  const uint32_t now = NowTicks();
  const uint32_t elapsed = now - g_previousTick;  // unsigned: survives the wrap
  g_previousTick = now;
  const uint64_t pass = ++g_passCount;

  ListNode* node = g_running->head;
  while (node) {
    auto* timer = static_cast<Timer*>(node->data);
    if (timer->pass >= pass || timer->interval == 0) {
      node = node->next;
      continue;
    }
    timer->pass = pass;
    if (!CountDown(timer, elapsed)) {
      node = node->next;
      continue;
    }
    if (timer->callback) timer->callback(timer, timer->userData);
    node = g_running ? g_running->head : nullptr;
  }
}

}  // namespace

int TimerServiceInit() {
  if (g_running) return 1;
  g_running = ListNew(nullptr);
  if (!g_running) return 0;
  g_previousTick = NowTicks();
  PlatformSetTickHandler(&Pass);
  return 1;
}

void TimerServiceShutdown() {
  PlatformSetTickHandler(nullptr);
  if (g_running) {
    // The timers outlive the service; they must not point into the freed list.
    for (ListNode* node = g_running->head; node; node = node->next) {
      static_cast<Timer*>(node->data)->node = nullptr;
    }
  }
  ListDelete(g_running);
  g_running = nullptr;
}

Timer* TimerNew() {
  auto* timer = static_cast<Timer*>(MemAlloc(sizeof(Timer)));
  if (!timer) return nullptr;
  *timer = Timer{kObjectKindTimer, 0, 0, 0, nullptr, nullptr, 0};
  return timer;
}

int TimerStart(Timer* timer, uint32_t interval, TimerCallback callback, UserData userData) {
  timer->callback = callback;
  timer->userData = userData;
  return TimerSetInterval(timer, interval);
}

int TimerSetInterval(Timer* timer, uint32_t interval) {
  timer->interval = interval;
  timer->remaining = interval;
  if (interval == 0) {
    if (timer->node && g_running) ListRemove(g_running, timer->node);
    timer->node = nullptr;
  } else if (!timer->node && g_running) {
    // Not counted down by a pass that is already under way.
    timer->pass = g_passCount;
    timer->node = ListInsert(g_running, nullptr, static_cast<ListKey>(reinterpret_cast<uintptr_t>(timer)),
                             timer, kListInsertFront);
  }
  return 0;
}

void TimerDelete(Timer* timer) {
  if (!timer) return;
  if (timer->node && g_running) ListRemove(g_running, timer->node);
  MemFree(timer);
}
