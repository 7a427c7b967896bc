// Starting programs on Win32: CreateProcess with the program's path as the
// application name (no search, no command shell) and the argument vector
// quoted by the runtime's rules. Nothing of ours is inherited.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/testing.h"
#include "platform/win32/win32_command_line.h"

namespace {
PlatformProcessStartHook g_startHook = nullptr;
}  // namespace

void PlatformSetProcessStartHook(PlatformProcessStartHook hook) { g_startHook = hook; }

bool PlatformProcessStart(const char* path, const char* const* argv) {
  if (g_startHook) return g_startHook(path, argv);
  if (!path || !*path || !argv || !argv[0]) return false;
  const std::string line = Win32CommandLine(argv);
  // The command line must be writable for CreateProcess.
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
