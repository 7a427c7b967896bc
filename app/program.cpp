#include "app/program.h"

#include "lobby/gate.h"
#include "lobby/login_window.h"
#include "lobby/new_user_window.h"
#include "media/palette.h"
#include "net/session.h"
#include "platform/loop.h"
#include "shell/data_path.h"
#include "shell/leftover_files.h"
#include "shell/timer.h"
#include "toolkit/event.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "windows/info_box.h"
#include "windows/splash.h"

namespace {

// Ticks between two idle events to every window.
constexpr uint32_t kIdleInterval = 20;

// A request from outside (a termination signal) ends the program like the
// quit path of the screens: EventQuit posted with no source.
void OnQuitRequest() {
  EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0);
}

}  // namespace

// Runs once the start-up splash has closed. A gate that cannot open has
// said why; with no window left the program has nothing to wait for.
void ProgramStartGate() {
  if (GateOpen() != 0) EventPost(nullptr, nullptr, EventQuit, nullptr, nullptr, 0, 0, 0, 0);
}

ErrorCode ProgramInit(const char*) {
  SplashShow(kSplashTimed, &ProgramStartGate);
  return 0;
}

uint16_t ProgramExitHandler(void*, Event* event) {
  if (event->type != EventQuit) return 0;
  GateDeleteTimer();
  if (g_login.window) CloseLoginWindow();
  if (g_newUser.window) CloseNewUserWindow();
  if (g_session.infoBox) {
    InfoBoxDelete(g_session.infoBox);
    g_session.infoBox = nullptr;
  }
  ProgramQuit();
  return 1;
}

int ProgramMain(const char* commandLine) {
  // Game image files and the disclaimer document are written through a
  // temporary file; one that a killed run left behind goes now. Files of
  // this start or later may be another copy's writing and stay. They are
  // written where the program writes, which an installed tree's data is not.
  RemoveLeftoverTemporaries(ProgramDataWriteFolder(),
                            std::filesystem::file_time_type::clock::now());
  // A service that cannot start ends the program quietly, before any window.
  if (!TimerServiceInit()) return 0;
  if (WindowsInit() != 0) return 0;
  if (ToolkitStart() != 0) return 0;
  EventSetProgramHandler(&ProgramExitHandler);
  if (ProgramInit(commandLine) != 0) return 0;
  Timer* idleTimer = TimerNew();
  if (!idleTimer) return 0;
  TimerStart(idleTimer, kIdleInterval, &WindowsIdleTick, 0);
  PlatformSetQuitRequestHandler(&OnQuitRequest);

  const int exitCode = PlatformRun();

  PlatformSetQuitRequestHandler(nullptr);
  TimerDelete(idleTimer);
  ToolkitStop();
  EventSetProgramHandler(nullptr);
  WindowsTerm();
  TimerServiceShutdown();
  SharedPaletteDelete();
  return exitCode;
}
