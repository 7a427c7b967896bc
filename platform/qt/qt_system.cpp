#include "platform/system.h"

char PlatformPathSeparator() {
  return '/';
}

const char* PlatformProgramSuffix() {
  return "";
}

int32_t PlatformOsFamily() {
  return 0;
}
