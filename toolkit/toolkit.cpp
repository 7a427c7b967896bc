#include "toolkit/toolkit.h"

#include "core/error_codes.h"
#include "core/list.h"
#include "core/memory.h"
#include "shell/timer.h"
#include "toolkit/font.h"

namespace {


struct ProcEntry {
  ToolkitProc proc;
  UserData argument;
};

List* g_exitProcs = nullptr;
List* g_periodicProcs = nullptr;
Timer* g_timer = nullptr;

void FreeEntry(ListKey, void* data) { MemFree(data); }

ErrorCode Append(List* list, ToolkitProc proc, UserData argument) {
  if (!list) return kErrorOutOfMemory;
  auto* entry = static_cast<ProcEntry*>(MemAlloc(sizeof(ProcEntry)));
  if (!entry) return kErrorOutOfMemory;
  *entry = ProcEntry{proc, argument};
  if (!ListInsert(list, nullptr, 0, entry, kListInsertEnd)) {
    MemFree(entry);
    return kErrorOutOfMemory;
  }
  return 0;
}

// A procedure may register another one; it joins the walk at the end.
void RunAll(List* list) {
  for (ListNode* node = list ? list->head : nullptr; node; node = node->next) {
    const auto* entry = static_cast<const ProcEntry*>(node->data);
    entry->proc(entry->argument);
  }
}

void OnTick(Timer*, UserData) { RunAll(g_periodicProcs); }

}  // namespace

ErrorCode ToolkitStart() {
  g_exitProcs = ListNew(&FreeEntry);
  g_periodicProcs = ListNew(&FreeEntry);
  g_timer = TimerNew();
  if (!g_exitProcs || !g_periodicProcs || !g_timer) {
    TimerDelete(g_timer);
    ListDelete(g_exitProcs);
    ListDelete(g_periodicProcs);
    g_timer = nullptr;
    g_exitProcs = g_periodicProcs = nullptr;
    return kErrorOutOfMemory;
  }
  TimerStart(g_timer, 1, &OnTick, 0);
  return FontStandardCreate();
}

void ToolkitStop() {
  TimerDelete(g_timer);
  g_timer = nullptr;
  RunAll(g_exitProcs);
  ListDelete(g_exitProcs);
  ListDelete(g_periodicProcs);
  g_exitProcs = g_periodicProcs = nullptr;
  FontStandardDelete();
}

ErrorCode ToolkitAddExitProc(ToolkitProc proc, UserData argument) {
  return Append(g_exitProcs, proc, argument);
}

ErrorCode ToolkitAddPeriodicProc(ToolkitProc proc, UserData argument) {
  return Append(g_periodicProcs, proc, argument);
}
