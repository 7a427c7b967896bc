#include "shell/program.h"

#include "platform/loop.h"
#include "shell/timer.h"

namespace {

// A request from outside (a termination signal) ends the program like the
// quit path of the screens.
void OnQuitRequest() {
  Event event{};
  event.type = EventQuit;
  ProgramExitHandler(nullptr, &event);
}

}  // namespace

ErrorCode ProgramInit(const char*) {
  return 0;
}

void ProgramQuit() {
  PlatformQuit(0);
}

uint16_t ProgramExitHandler(void*, Event* event) {
  if (event->type != EventQuit) return 0;
  ProgramQuit();
  return 1;
}

int ProgramMain(const char* commandLine) {
  // A service that cannot start ends the program quietly, before any window.
  if (!TimerServiceInit()) return 0;
  if (ProgramInit(commandLine) != 0) return 0;
  PlatformSetQuitRequestHandler(&OnQuitRequest);

  const int exitCode = PlatformRun();

  PlatformSetQuitRequestHandler(nullptr);
  TimerServiceShutdown();
  return exitCode;
}
