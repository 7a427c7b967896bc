// Facts about the operating system on Win32.

#include <windows.h>

#include "platform/system.h"

char PlatformPathSeparator() { return '\\'; }

const char* PlatformProgramSuffix() { return ".exe"; }

int32_t PlatformOsFamily() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return 0;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return 1;
    case VER_PLATFORM_WIN32_NT: return 2;
    default: return 0;
  }
}

#ifndef SPI_GETCLIENTAREAANIMATION
#define SPI_GETCLIENTAREAANIMATION 0x1042
#endif

bool PlatformDesktopReducesMotion() {
  BOOL animate = TRUE;
  if (!SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &animate, 0)) return false;
  return !animate;
}
