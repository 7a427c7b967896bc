// A windowed program gets no console of its own: started from a command
// prompt, its answer goes to that prompt's console.

#include <windows.h>

#include <cstdio>

#include "platform/console.h"

void PlatformUseParentConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out && out != INVALID_HANDLE_VALUE) return;  // a file, a pipe or a console already
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!std::freopen("CONOUT$", "w", stdout)) return;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}
