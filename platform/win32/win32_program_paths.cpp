// The program's own file and the user's local application data on Win32.
// ANSI functions, like the fopen calls that use these paths.

#include <windows.h>

#include <cstdio>

#include "platform/program_paths.h"

bool PlatformExecutablePath(char* buffer, uint32_t capacity) {
  if (!buffer || capacity < 2) return false;
  const DWORD n = GetModuleFileNameA(nullptr, buffer, capacity);
  // A result that fills the buffer was cut.
  return n > 0 && n < capacity;
}

bool PlatformUserDataFolder(char* buffer, uint32_t capacity) {
  if (!buffer || capacity == 0) return false;
  char base[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", base, sizeof base);
  if (n == 0 || n >= sizeof base) return false;
  const int written = std::snprintf(buffer, capacity, "%s\\Salvind", base);
  return written > 0 && static_cast<uint32_t>(written) < capacity;
}
