#include "toolkit/alert.h"

#include <cstdio>

#include "platform/dialog.h"
#include "shell/data_path.h"
#include "shell/modal_pause.h"
#include "toolkit/window.h"

namespace {

void ShowPaused(PlatformWindow owner, const char* title, const char* text) {
  // The box runs its own loop, in which socket readiness would still be
  // delivered: a message could then be handled under an open box.
  ModalPause pause;
  PlatformMessageBox(owner, title, text ? text : "");
}

}  // namespace

void Alert(const char* text, Window* owner) {
  ShowPaused(owner ? WindowGetHandle(owner) : nullptr, ProgramName(), text);
}

void SystemFailureAlert(const char* text) {
  char title[64];
  std::snprintf(title, sizeof title, "%s: System Failure", ProgramName());
  ShowPaused(WindowGetDefaultParent(), title, text);
}
