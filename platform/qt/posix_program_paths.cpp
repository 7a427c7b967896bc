#include "platform/program_paths.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

bool PlatformExecutablePath(char* buffer, uint32_t capacity) {
  if (!buffer || capacity < 2) return false;
  const ssize_t n = ::readlink("/proc/self/exe", buffer, capacity);
  // A result that fills the buffer may have been cut.
  if (n <= 0 || static_cast<uint32_t>(n) >= capacity) return false;
  buffer[n] = '\0';
  return buffer[0] == '/';
}

bool PlatformUserDataFolder(char* buffer, uint32_t capacity) {
  if (!buffer || capacity == 0) return false;
  // A relative XDG_DATA_HOME is invalid and ignored, as the base directory
  // rules say; a relative HOME names no home at all.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  int n;
  if (xdg && xdg[0] == '/') {
    n = std::snprintf(buffer, capacity, "%s/salvind", xdg);
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return false;
    n = std::snprintf(buffer, capacity, "%s/.local/share/salvind", home);
  }
  return n > 0 && static_cast<uint32_t>(n) < capacity;
}
