#include "shell/modal_pause.h"

#include <cstdint>

namespace {

using Switch = void (*)(int);

// A handful of layers at most; no allocation, so a pause works when memory
// is exhausted (the out-of-memory alert pauses too).
constexpr int kMaxSwitches = 8;
Switch g_switches[kMaxSwitches] = {};
uint32_t g_depth = 0;

}  // namespace

bool ModalPauseRegister(void (*setEnabled)(int enabled)) {
  if (!setEnabled) return false;
  Switch* free = nullptr;
  for (Switch& s : g_switches) {
    if (s == setEnabled) return true;
    if (!s && !free) free = &s;
  }
  if (!free) return false;
  *free = setEnabled;
  if (g_depth > 0) setEnabled(0);
  return true;
}

void ModalPauseUnregister(void (*setEnabled)(int enabled)) {
  for (Switch& s : g_switches) {
    if (s && s == setEnabled) {
      s = nullptr;
      if (g_depth > 0) setEnabled(1);
    }
  }
}

void ModalPauseBegin() {
  if (g_depth++ > 0) return;
  for (Switch s : g_switches) {
    if (s) s(0);
  }
}

void ModalPauseEnd() {
  if (g_depth == 0 || --g_depth > 0) return;
  // A switch may unregister itself (or another) while it runs: walk by index
  // over the fixed table.
  for (int i = 0; i < kMaxSwitches; ++i) {
    if (Switch s = g_switches[i]) s(1);
  }
}
