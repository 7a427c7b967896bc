// Sending events, and the queue of posted events delivered one per tick.

#include "toolkit/event.h"

#include "core/list.h"
#include "core/memory.h"
#include "toolkit/alert.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

struct Posted {
  EventProc proc;
  Event event;
};

List* g_queue = nullptr;  // exists from the first post to ToolkitStop
EventProc g_programHandler = nullptr;

Event Build(void* source, uint16_t type, const Point* point, const Rect* rect, uint32_t key,
            uint32_t data1, uint32_t data2, UserData userData) {
  Event event{};
  event.source = source;
  event.type = type;
  event.point = point ? *point : Point{0, 0};
  event.rect = rect ? *rect : Rect{0, 0, 0, 0};
  event.key = key;
  event.data1 = data1;
  event.data2 = data2;
  event.userData = userData;
  return event;
}

void FreePosted(ListKey, void* data) { MemFree(data); }

// Events still queued when the toolkit stops are freed undelivered.
void DeleteQueue(UserData) {
  ListDelete(g_queue);
  g_queue = nullptr;
}

void DeliverOne(UserData) {
  if (!g_queue || !g_queue->head) return;
  ListNode* node = g_queue->head;
  const Posted posted = *static_cast<const Posted*>(node->data);
  ListRemove(g_queue, node);
  Event event = posted.event;
  if (!event.source) {
    if (g_programHandler) g_programHandler(nullptr, &event);
  } else if (posted.proc) {
    posted.proc(event.source, &event);
  }
}

bool MakeQueue() {
  g_queue = ListNew(&FreePosted);
  if (g_queue && ToolkitAddExitProc(&DeleteQueue, 0) == 0 &&
      ToolkitAddPeriodicProc(&DeliverOne, 0) == 0) {
    return true;
  }
  // The exit procedure may be registered already; it copes with no queue.
  ListDelete(g_queue);
  g_queue = nullptr;
  return false;
}

}  // namespace

uint16_t EventSend(void* source, EventProc proc, uint16_t type, const Point* point, const Rect* rect,
                   uint32_t key, uint32_t data1, uint32_t data2, UserData userData) {
  if (!proc) return 0;
  Event event = Build(source, type, point, rect, key, data1, data2, userData);
  return proc(source, &event);
}

void EventPost(void* source, EventProc proc, uint16_t type, const Point* point, const Rect* rect,
               uint32_t key, uint32_t data1, uint32_t data2, UserData userData) {
  if (!g_queue && !MakeQueue()) {
    Alert("Out of memory!", nullptr);
    return;
  }
  auto* posted = static_cast<Posted*>(MemAlloc(sizeof(Posted)));
  if (!posted) return;
  posted->proc = proc;
  posted->event = Build(source, type, point, rect, key, data1, data2, userData);
  if (!ListInsert(g_queue, nullptr, type, posted, kListInsertEnd)) MemFree(posted);
}

void EventCancelPosted(const void* source) {
  if (!g_queue || !source) return;
  ListNode* node = g_queue->head;
  while (node) {
    ListNode* next = node->next;
    if (static_cast<const Posted*>(node->data)->event.source == source) ListRemove(g_queue, node);
    node = next;
  }
}

void EventSetProgramHandler(EventProc handler) { g_programHandler = handler; }

int32_t EventQueuedCount() { return g_queue ? g_queue->count : 0; }
